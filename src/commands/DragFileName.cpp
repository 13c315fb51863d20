// The dragged file's name: the item or key it is named after, made safe for a file name.
#include "commands/DragFileName.h"

#include "core/Strings.h"
#include "registry/PredefinedKeys.h"
#include "registry/RegItem.h"
#include "registry/RegkeyExtension.h"

#include <cwchar>

namespace corvasin
{

namespace
{
constexpr wchar_t c_szForbidden[] = L"\\/:*?\"<>|";
constexpr const wchar_t* c_apszDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"COM1", L"COM2", L"COM3",
                                            L"COM4", L"COM5", L"COM6", L"COM7", L"COM8", L"COM9",
                                            L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5", L"LPT6",
                                            L"LPT7", L"LPT8", L"LPT9"};
constexpr wchar_t c_szFallback[] = L"Registry";

bool IsDeviceName(const std::wstring& stem)
{
    for (const wchar_t* pszDevice : c_apszDevices)
    {
        if (::lstrcmpiW(stem.c_str(), pszDevice) == 0)
            return true;
    }
    return false;
}

// The last part of a key path.
std::wstring LastPart(const std::wstring& path)
{
    const size_t i = path.rfind(L'\\');
    return i == std::wstring::npos ? path : path.substr(i + 1);
}

// The name of the folder's own key: its last path part, the predefined key's long name, or the
// root's name.
std::wstring FolderName(CRegkeyExtension& folder)
{
    if (folder.IsRegistryRoot())
        return c_szFallback;
    if (!folder.GetRealKeyPath().empty())
        return LastPart(folder.GetRealKeyPath());
    if (!folder.GetKeyPath().empty())
        return LastPart(AnsiToWide(folder.GetKeyPath().c_str()));
    const PredefinedKey* pKey = FindPredefinedKey(folder.GetRootKey());
    return pKey ? AnsiToWide(pKey->pszLongName) : std::wstring();
}

// The name of one item: a key's or value's real name where the folder can read it, else the
// text of its id ("(default)", a predefined key's name).
std::wstring ItemName(CRegkeyExtension& folder, LPCITEMIDLIST pidl)
{
    const BYTE* pData = folder.OwnItemData(pidl, true);
    if (!pData)
        return {};
    const REGITEM item = ReadRegItem(pData);
    std::wstring name;
    if (item.dwKind != REGITEM_DEFAULT && !folder.IsRegistryRoot() && folder.FindRealName(item, name) &&
        !name.empty())
        return name;
    return AnsiToWide(item.szName);
}
} // namespace

std::wstring SafeFileStem(std::wstring_view text)
{
    std::wstring stem;
    for (const wchar_t ch : text)
    {
        if (ch < 0x20 || std::wcschr(c_szForbidden, ch))
            continue;
        stem += ch;
    }
    if (stem.size() > kMaxDragFileStem)
    {
        size_t cch = kMaxDragFileStem;
        // A high surrogate without its low half would be no character at all.
        if (stem[cch - 1] >= 0xD800 && stem[cch - 1] <= 0xDBFF)
            --cch;
        stem.resize(cch);
    }
    while (!stem.empty() && (stem.back() == L'.' || stem.back() == L' '))
        stem.pop_back();
    // The system takes "CON.x.reg" for the device as well: the part before the first dot counts.
    const size_t cchBase = stem.find(L'.');
    if (IsDeviceName(stem.substr(0, cchBase)))
        stem.insert(cchBase == std::wstring::npos ? stem.size() : cchBase, 1, L'_');
    return stem;
}

std::wstring DragFileName(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl)
{
    std::wstring stem;
    if (cidl == 1 && apidl)
        stem = SafeFileStem(ItemName(folder, apidl[0]));
    if (stem.empty())
        stem = SafeFileStem(FolderName(folder));
    if (stem.empty())
        stem = c_szFallback;
    return stem + L".reg";
}

} // namespace corvasin
