// Server registration: the class keys that COM and the shell read (written from what the folder
// and UI objects say about themselves), and the installation steps around them: URL prefixes,
// the interface key, the desktop namespace entry and the desktop change notification.
#pragma once

#include <windows.h>

namespace corvasin
{

class CNameSpaceFactory;

// Where registration writes. The entry points use the machine's keys; tests point both at
// scratch keys and leave the shell alone.
struct RegistrationRoots
{
    HKEY hClassesRoot = HKEY_CLASSES_ROOT;
    HKEY hLocalMachine = HKEY_LOCAL_MACHINE;
    bool bNotifyShell = true;
};

// The class keys of the factory's folder class and UI object class, the shell extension
// approval, the web view moniker and the URL scheme key. Stops at the first failing write;
// what was written stays.
[[nodiscard]] BOOL RegisterClasses(CNameSpaceFactory& factory,
                                   const RegistrationRoots& roots = {}) noexcept;
// Deletes the folder class key and its approval. The UI object class key and the URL scheme
// key stay: other handlers may have been registered under them.
[[nodiscard]] BOOL UnregisterClasses(CNameSpaceFactory& factory,
                                     const RegistrationRoots& roots = {}) noexcept;

// What follows a successful RegisterClasses: URL prefixes (best effort), the interface key, the
// desktop namespace entry and the desktop notification. S_OK or E_FAIL.
[[nodiscard]] HRESULT InstallShellEntries(const RegistrationRoots& roots = {}) noexcept;
// What follows a successful UnregisterClasses: the reverse of InstallShellEntries.
[[nodiscard]] HRESULT RemoveShellEntries(const RegistrationRoots& roots = {}) noexcept;

// DllRegisterServer and DllUnregisterServer.
[[nodiscard]] HRESULT RegisterServer() noexcept;
[[nodiscard]] HRESULT UnregisterServer() noexcept;

// The key and value names registration uses, for the removal steps and for tests.
inline constexpr const char* c_pszApprovedKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
inline constexpr const char* c_pszUrlPrefixesKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
inline constexpr const char* c_pszDesktopNameSpaceKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
inline constexpr const char* c_pszWebViewClass = "{5984FFE0-28D4-11CF-AE66-08002B2E1262}";
// The short root names that the address bar may take as a registry location.
inline constexpr const char* c_apszUrlPrefixes[] = {"HKEY_", "HKLM", "HKCR", "HKCU",
                                                    "HKCC",  "HKPD", "HKDD"};
inline constexpr const char* c_pszUrlPrefixTarget = "reg://";

} // namespace corvasin
