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
    bool bWebFiles = true;                // the files of the Windows "Web" folder
    HKEY hCurrentUser = HKEY_CURRENT_USER; // the placement settings that removal clears
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

// What follows a successful RegisterClasses for the folder class clsidFolder: URL prefixes
// and the web view files (both best effort), the interface key, the desktop namespace entry and
// the desktop notification. S_OK or E_FAIL.
[[nodiscard]] HRESULT InstallShellEntries(REFCLSID clsidFolder,
                                          const RegistrationRoots& roots = {}) noexcept;
// What follows a successful UnregisterClasses: the reverse of InstallShellEntries, and the
// namespace wherever it was moved to (My Computer, Control Panel, a junction folder), with the
// placement settings, so that nothing is left pointing at a class that is gone.
[[nodiscard]] HRESULT RemoveShellEntries(REFCLSID clsidFolder,
                                         const RegistrationRoots& roots = {}) noexcept;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in ANSI; empty when the conversion fails.
[[nodiscard]] bool GuidText(REFGUID guid, char (&szText)[40]) noexcept;

// SHCNE_UPDATEDIR for the desktop, so a running shell shows or drops the namespace entry.
void NotifyDesktopChanged() noexcept;

// The key and value names registration uses, for the removal steps and for tests.
#define APPROVED_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved"
#define DESKTOP_NAMESPACE_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace"
inline constexpr const char* c_pszApprovedKey = APPROVED_KEY;
inline constexpr const char* c_pszUrlPrefixesKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
inline constexpr const char* c_pszDesktopNameSpaceKey = DESKTOP_NAMESPACE_KEY;
// The start of every predefined key's long name: with the short names of the predefined keys,
// the texts that the address bar may take as the start of a registry location.
inline constexpr const char* c_pszLongRootPrefix = "HKEY_";
inline constexpr const char* c_pszUrlPrefixTarget = "reg://";

} // namespace corvasin
