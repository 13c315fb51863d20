// Location text of a registry key, as typed in the address bar or passed as a reg: address:
// an optional "reg://" or "reg:" prefix, a predefined key, then key names separated by "\"
// (or "/" when the text holds no "\"). These are the pieces the folders' parsers share.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvasin
{

// Characters taken by a leading "reg://" (compared without regard to case when
// bLongPrefixIgnoresCase) or "reg:" (always compared with regard to case); 0 for none.
size_t LocationPrefixLength(const wchar_t* pszText, bool bLongPrefixIgnoresCase) noexcept;

struct LocationComponent
{
    std::wstring first; // up to the first separator
    const wchar_t* pszRest = nullptr; // the text behind the separator; null when none follows
};

// Splits at the first "\" or, when there is none, at the first "/".
LocationComponent SplitLocation(const wchar_t* pszText);

// A key name component as the key folder stores it: converted to the system code page, cut at
// its first colon, every "%20" replaced by one blank. False when it does not fit cbName bytes.
bool KeyComponentToName(const std::wstring& component, char* pszName, size_t cbName) noexcept;

// Key paths as other tools write them, turned into the form above: the registry editor's
// address ("Computer\HKEY_LOCAL_MACHINE\SOFTWARE", also "My Computer\"), PowerShell's drives and
// provider paths ("HKLM:\SOFTWARE", "HKCU:", "Registry::HKEY_...",
// "Microsoft.PowerShell.Core\Registry::HKEY_..."), a registration file's key line
// ("[HKEY_...\SOFTWARE]", "[-HKEY_...]"), the security editor's object names
// ("MACHINE\SOFTWARE", "USERS\...", "CLASSES_ROOT\..." or "CLASSES\...", "CURRENT_USER\...",
// "CURRENT_CONFIG\...") and the kernel's ("\Registry\Machine\...", "\Registry\User\..."), with
// blanks or double quotes around and one trailing separator. isPredefinedName tells a predefined key's long or short name. Nothing when the
// text is none of these forms (it is then parsed as it stands, or not at all).
std::optional<std::wstring> RewriteForeignLocation(std::wstring_view text,
                                                   bool (*isPredefinedName)(std::wstring_view));

} // namespace corvasin
