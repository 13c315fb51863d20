// Key and value changes on open keys.
#include "registry/KeyOperations.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/RegItem.h"
#include "registry/RegistryAccess.h"

#include <mbstring.h>
#include <memory>
#include <vector>

namespace corvasin
{

namespace
{
bool SameNameIgnoringCase(const char* psz1, const char* psz2) noexcept
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(psz1),
                    reinterpret_cast<const unsigned char*>(psz2)) == 0;
}


bool SubkeyExists(HKEY hParent, const wchar_t* pszName) noexcept
{
    UniqueHkey hKey;
    return OpenRegKeyW(hParent, pszName, KEY_QUERY_VALUE, hKey.put()) == ERROR_SUCCESS;
}

// The first name among "<base>", "<base> #2"... that no value of the key has.
std::wstring FreeValueNameW(HKEY hKey, const std::wstring& base)
{
    std::wstring name = base;
    for (int n = 2; ValueExistsW(hKey, name.c_str()); ++n)
        name = base + L" #" + std::to_wstring(n);
    return name;
}

// The shape of a source tree, read before anything is written: real names only.
struct KeyNode
{
    std::wstring name;
    std::vector<std::unique_ptr<KeyNode>> children;
};

// Reads the subkey names below hKey into node, depth first, bounded in depth.
void ReadTreeShape(HKEY hKey, KeyNode& node, unsigned nDepth)
{
    if (nDepth >= kMaxKeyDepth)
        return;
    DWORD cSubkeys = 0;
    if (!ReadKeyCounts(hKey, &cSubkeys, nullptr))
        return;
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        auto child = std::make_unique<KeyNode>();
        if (!ReadSubkeyNameW(hKey, i, child->name))
            continue;
        UniqueHkey hChild;
        if (OpenRegKeyW(hKey, child->name.c_str(), KEY_READ, hChild.put()) == ERROR_SUCCESS)
            ReadTreeShape(hChild.get(), *child, nDepth + 1);
        node.children.push_back(std::move(child));
    }
}

bool CopyNode(HKEY hTargetParent, HKEY hSourceParent, const KeyNode& node)
{
    UniqueHkey hTarget;
    if (CreateRegKeyW(hTargetParent, node.name.c_str(), MAXIMUM_ALLOWED, hTarget.put()) !=
        ERROR_SUCCESS)
        return false;
    UniqueHkey hSource;
    if (OpenRegKeyW(hSourceParent, node.name.c_str(), MAXIMUM_ALLOWED, hSource.put()) !=
        ERROR_SUCCESS)
        return true; // the new key stays, empty

    DWORD cValues = 0;
    if (ReadKeyCounts(hSource.get(), nullptr, &cValues))
    {
        std::wstring name;
        for (DWORD i = 0; i < cValues; ++i)
        {
            if (ReadValueNameW(hSource.get(), i, name))
                CopyValue(hTarget.get(), hSource.get(), name.c_str());
        }
    }
    for (const auto& child : node.children)
        CopyNode(hTarget.get(), hSource.get(), *child);
    return true;
}
} // namespace

bool IsUsableItemName(const CString& name) noexcept
{
    return !name.empty() && name.size() < kRegItemNameSize && name.find('\0') == CString::npos;
}

bool CreateOrOpenSubkey(HKEY hParent, const char* pszName) noexcept
{
    UniqueHkey hKey;
    return hParent && CreateRegKey(hParent, pszName, MAXIMUM_ALLOWED, hKey.put()) == ERROR_SUCCESS;
}

CString FreeValueName(HKEY hKey, const char* pszBase)
{
    return WideToAnsi(FreeValueNameW(hKey, AnsiToWide(pszBase)).c_str());
}

bool WriteZeroValue(HKEY hKey, const char* pszName, DWORD dwType, DWORD cbData) noexcept
{
    const BYTE abZero[16] = {};
    return cbData <= sizeof(abZero) && WriteValue(hKey, pszName, dwType, abZero, cbData);
}

bool RenameValue(HKEY hKey, const wchar_t* pszOld, const CString& newName) noexcept
{
    if (!hKey || !IsUsableItemName(newName))
        return false;
    try
    {
        const std::wstring wideNew = AnsiToWide(newName.c_str(), static_cast<int>(newName.size()));
        if (wideNew.empty())
            return false;
        DWORD dwType = REG_NONE;
        std::vector<BYTE> data;
        if (!ReadTypedValueW(hKey, pszOld, &dwType, data))
            return false;
        const auto cb = static_cast<DWORD>(data.size());
        const BYTE* pData = data.empty() ? nullptr : data.data();
        const wchar_t* pszNew = wideNew.c_str();
        const std::wstring oldName = pszOld ? pszOld : L"";

        if (pszOld && oldName == wideNew)
            return true;
        if (!pszOld || ::lstrcmpiW(pszOld, pszNew) != 0)
        {
            // Another value of that name keeps its data.
            if (ValueExistsW(hKey, pszNew) || !WriteValueW(hKey, pszNew, dwType, pData, cb))
                return false;
            if (DeleteValueW(hKey, pszOld))
                return true;
            DeleteValueW(hKey, pszNew); // a copy is no rename
            return false;
        }

        // Only the letter case changes: the registry takes both spellings for one value, so
        // the data waits under a name of its own while the old spelling goes.
        const std::wstring parked = FreeValueNameW(hKey, oldName + L" (renaming)");
        if (!WriteValueW(hKey, parked.c_str(), dwType, pData, cb))
            return false;
        if (!DeleteValueW(hKey, pszOld))
        {
            DeleteValueW(hKey, parked.c_str());
            return false;
        }
        if (!WriteValueW(hKey, pszNew, dwType, pData, cb))
        {
            // Put the old value back; the parked copy stays if even that fails.
            if (WriteValueW(hKey, pszOld, dwType, pData, cb))
                DeleteValueW(hKey, parked.c_str());
            return false;
        }
        DeleteValueW(hKey, parked.c_str());
        return true;
    }
    CATCH_RETURN(false)
}

bool RenameEmptyKey(HKEY hParent, const wchar_t* pszOld, const CString& newName) noexcept
{
    if (!hParent || !pszOld || !*pszOld || !IsUsableItemName(newName))
        return false;
    try
    {
        {
            UniqueHkey hOld;
            if (OpenRegKeyW(hParent, pszOld, MAXIMUM_ALLOWED, hOld.put()) != ERROR_SUCCESS)
                return false;
            DWORD cSubkeys = 0;
            DWORD cValues = 0;
            // A key that holds anything, or cannot say, keeps its name.
            if (!ReadKeyCounts(hOld.get(), &cSubkeys, &cValues) || cSubkeys != 0 || cValues != 0)
                return false;
        }
        const std::wstring wideNew = AnsiToWide(newName.c_str(), static_cast<int>(newName.size()));
        const wchar_t* pszNew = wideNew.c_str();
        if (wideNew.empty())
            return false;
        if (wideNew == pszOld)
            return true;
        if (::lstrcmpiW(pszOld, pszNew) == 0)
        {
            // Creating the new spelling would only open the old key; the key is empty, so it
            // goes and comes back under the new spelling.
            if (DeleteRegKeyW(hParent, pszOld) != ERROR_SUCCESS)
                return false;
            UniqueHkey hNew;
            if (CreateRegKeyW(hParent, pszNew, MAXIMUM_ALLOWED, hNew.put()) == ERROR_SUCCESS)
                return true;
            UniqueHkey hBack;
            CreateRegKeyW(hParent, pszOld, MAXIMUM_ALLOWED, hBack.put());
            return false;
        }
        if (SubkeyExists(hParent, pszNew))
            return false;
        UniqueHkey hNew;
        DWORD dwDisposition = 0;
        if (CreateRegKeyW(hParent, pszNew, MAXIMUM_ALLOWED, hNew.put(), &dwDisposition) !=
            ERROR_SUCCESS)
            return false;
        hNew.reset();
        if (dwDisposition != REG_CREATED_NEW_KEY)
            return false; // another program made it in the meantime: it is not ours to delete
        if (DeleteRegKeyW(hParent, pszOld) == ERROR_SUCCESS)
            return true;
        DeleteRegKeyW(hParent, pszNew);
        return false;
    }
    CATCH_RETURN(false)
}

bool CopyValue(HKEY hTarget, HKEY hSource, const wchar_t* pszName) noexcept
{
    if (!hTarget || !hSource)
        return false;
    try
    {
        DWORD dwType = REG_NONE;
        std::vector<BYTE> data;
        if (!ReadTypedValueW(hSource, pszName, &dwType, data))
            return false;
        return WriteValueW(hTarget, pszName, dwType, data.empty() ? nullptr : data.data(),
                           static_cast<DWORD>(data.size()));
    }
    CATCH_RETURN(false)
}

bool CopyKeyTree(HKEY hTargetParent, HKEY hSourceParent, const wchar_t* pszName) noexcept
{
    if (!hTargetParent || !hSourceParent || !pszName || !*pszName)
        return false;
    try
    {
        KeyNode root;
        root.name = pszName;
        UniqueHkey hSource;
        if (OpenRegKeyW(hSourceParent, pszName, KEY_READ, hSource.put()) == ERROR_SUCCESS)
            ReadTreeShape(hSource.get(), root, 1);
        return CopyNode(hTargetParent, hSourceParent, root);
    }
    CATCH_RETURN(false)
}

bool IsSameOrBelowKeyPath(const CString& outer, const CString& inner) noexcept
{
    if (inner.size() < outer.size())
        return false;
    if (outer.empty())
        return true;
    const CString head = inner.substr(0, outer.size());
    if (!SameNameIgnoringCase(head.c_str(), outer.c_str()))
        return false;
    return inner.size() == outer.size() || inner[outer.size()] == '\\';
}

} // namespace corvasin
