// Splitting and converting location text.
#include "registry/LocationText.h"

#include <windows.h>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <utility>

namespace corvasin
{

size_t LocationPrefixLength(const wchar_t* pszText, bool bLongPrefixIgnoresCase) noexcept
{
    if (!pszText)
        return 0;
    const bool bLong = bLongPrefixIgnoresCase ? _wcsnicmp(pszText, L"reg://", 6) == 0
                                              : wcsncmp(pszText, L"reg://", 6) == 0;
    if (bLong)
        return 6;
    if (wcsncmp(pszText, L"reg:", 4) == 0)
        return 4;
    return 0;
}

LocationComponent SplitLocation(const wchar_t* pszText)
{
    LocationComponent result;
    if (!pszText)
        return result;
    const wchar_t* pszSeparator = wcschr(pszText, L'\\');
    if (!pszSeparator)
        pszSeparator = wcschr(pszText, L'/');
    if (!pszSeparator)
    {
        result.first = pszText;
        return result;
    }
    result.first.assign(pszText, pszSeparator);
    if (pszSeparator[1] != L'\0')
        result.pszRest = pszSeparator + 1;
    return result;
}

bool KeyComponentToName(const std::wstring& component, char* pszName, size_t cbName) noexcept
{
    if (!pszName || cbName == 0)
        return false;
    memset(pszName, 0, cbName);
    if (!component.empty())
    {
        const int cb = ::WideCharToMultiByte(CP_ACP, 0, component.c_str(),
                                             static_cast<int>(component.size()), pszName,
                                             static_cast<int>(cbName - 1), nullptr, nullptr);
        if (cb <= 0)
        {
            memset(pszName, 0, cbName);
            return false;
        }
        pszName[cb] = '\0';
    }
    if (char* pszColon = strchr(pszName, ':'))
        *pszColon = '\0';
    // "%20" stands for a blank, as a URL writes it.
    char* pszWrite = pszName;
    for (const char* pszRead = pszName; *pszRead;)
    {
        if (strncmp(pszRead, "%20", 3) == 0)
        {
            *pszWrite++ = ' ';
            pszRead += 3;
        }
        else
        {
            *pszWrite++ = *pszRead++;
        }
    }
    *pszWrite = '\0';
    return true;
}

namespace
{
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) noexcept
{
    return text.size() >= prefix.size() &&
           _wcsnicmp(text.data(), prefix.data(), prefix.size()) == 0;
}

std::wstring_view Trimmed(std::wstring_view text) noexcept
{
    while (!text.empty() && iswspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && iswspace(text.back()))
        text.remove_suffix(1);
    return text;
}
// The roots as the security functions name registry objects ("MACHINE\SOFTWARE"), and as the
// kernel does ("\Registry\Machine\SOFTWARE", "\Registry\User\.DEFAULT").
struct RootWord
{
    std::wstring_view word;
    const wchar_t* pszRoot;
};
constexpr RootWord c_objectRoots[] = {
    {L"MACHINE", L"HKEY_LOCAL_MACHINE"},
    {L"USERS", L"HKEY_USERS"},
    {L"CLASSES_ROOT", L"HKEY_CLASSES_ROOT"},
    {L"CLASSES", L"HKEY_CLASSES_ROOT"},
    {L"CURRENT_USER", L"HKEY_CURRENT_USER"},
    {L"CURRENT_CONFIG", L"HKEY_CURRENT_CONFIG"},
};
constexpr RootWord c_kernelRoots[] = {
    {L"\\Registry\\Machine", L"HKEY_LOCAL_MACHINE"},
    {L"\\Registry\\User", L"HKEY_USERS"},
};

// The text with its first name replaced by the predefined key's, when it is one of these. Only
// the first name is looked at, and never when it is a predefined key's own: "HKLM\MACHINE" is a
// key of that name.
std::optional<std::wstring> RootFromObjectName(std::wstring_view text,
                                               bool (*isPredefinedName)(std::wstring_view))
{
    for (const RootWord& root : c_kernelRoots)
    {
        if (StartsWithNoCase(text, root.word) &&
            (text.size() == root.word.size() || text[root.word.size()] == L'\\'))
            return root.pszRoot + std::wstring(text.substr(root.word.size()));
    }
    const std::wstring_view first = text.substr(0, text.find(L'\\'));
    if (isPredefinedName(first))
        return std::nullopt;
    for (const RootWord& root : c_objectRoots)
    {
        if (first.size() == root.word.size() && StartsWithNoCase(first, root.word))
            return root.pszRoot + std::wstring(text.substr(first.size()));
    }
    return std::nullopt;
}
} // namespace

std::optional<std::wstring> RewriteForeignLocation(std::wstring_view text,
                                                   bool (*isPredefinedName)(std::wstring_view))
{
    const std::wstring_view original = text;
    text = Trimmed(text);
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        text = Trimmed(text.substr(1, text.size() - 2));

    // A registration file's key line, also the one that deletes the key.
    if (text.size() >= 2 && text.front() == L'[' && text.back() == L']')
    {
        text = text.substr(1, text.size() - 2);
        if (!text.empty() && text.front() == L'-')
            text.remove_prefix(1);
    }

    // PowerShell's provider paths, then the registry editor's address bar.
    for (std::wstring_view prefix :
         {L"Microsoft.PowerShell.Core\\Registry::", L"Registry::", L"My Computer\\", L"Computer\\"})
    {
        if (StartsWithNoCase(text, prefix))
        {
            text.remove_prefix(prefix.size());
            break;
        }
    }

    std::wstring result(text);
    if (std::optional<std::wstring> named = RootFromObjectName(text, isPredefinedName))
        result = std::move(*named);
    // A PowerShell drive: the predefined key's name followed by a colon ("HKLM:\", "HKCU:").
    const size_t cchFirst = result.find_first_of(L"\\/");
    const size_t cchName = cchFirst == std::wstring::npos ? result.size() : cchFirst;
    if (cchName >= 2 && result[cchName - 1] == L':' &&
        isPredefinedName(std::wstring_view(result).substr(0, cchName - 1)))
        result.erase(cchName - 1, 1);

    if (!result.empty() && (result.back() == L'\\' || result.back() == L'/'))
        result.pop_back();
    if (result.empty() || result == original)
        return std::nullopt;
    return result;
}

} // namespace corvasin
