// Key and value changes on open keys.
#include "registry/KeyOperations.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/RegItem.h"
#include "registry/RegistryAccess.h"
#include "registry/RegistryTree.h"

#include <mbstring.h>
#include <cstdio>
#include <memory>
#include <vector>

namespace corvasin
{

namespace
{
// Names in the recursive copy are read into buffers of 256 characters, the registry's limit.
constexpr DWORD kCopyNameSize = 256;

bool SameNameIgnoringCase(const char* psz1, const char* psz2) noexcept
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(psz1),
                    reinterpret_cast<const unsigned char*>(psz2)) == 0;
}

bool ValueExists(HKEY hKey, const char* pszName) noexcept
{
    return ::RegQueryValueExA(hKey, pszName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool SubkeyExists(HKEY hParent, const char* pszName) noexcept
{
    UniqueHkey hKey;
    return OpenRegKey(hParent, pszName, KEY_QUERY_VALUE, hKey.put()) == ERROR_SUCCESS;
}

// The shape of a source tree, read before anything is written: names only.
struct KeyNode
{
    std::string name;
    std::vector<std::unique_ptr<KeyNode>> children;
};

// Reads the subkey names below hKey into node, depth first, bounded in depth.
void ReadTreeShape(HKEY hKey, KeyNode& node, unsigned nDepth)
{
    if (nDepth >= kMaxKeyDepth)
        return;
    DWORD cSubkeys = 0;
    if (::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        char szName[kCopyNameSize];
        DWORD cch = kCopyNameSize;
        if (::RegEnumKeyExA(hKey, i, szName, &cch, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        auto child = std::make_unique<KeyNode>();
        child->name.assign(szName, cch);
        UniqueHkey hChild;
        if (OpenRegKey(hKey, szName, KEY_READ, hChild.put()) == ERROR_SUCCESS)
            ReadTreeShape(hChild.get(), *child, nDepth + 1);
        node.children.push_back(std::move(child));
    }
}

bool CopyNode(HKEY hTargetParent, HKEY hSourceParent, const KeyNode& node)
{
    UniqueHkey hTarget;
    if (CreateRegKey(hTargetParent, node.name.c_str(), MAXIMUM_ALLOWED, hTarget.put()) != ERROR_SUCCESS)
        return false;
    UniqueHkey hSource;
    if (OpenRegKey(hSourceParent, node.name.c_str(), MAXIMUM_ALLOWED, hSource.put()) !=
        ERROR_SUCCESS)
        return true; // the new key stays, empty

    DWORD cValues = 0;
    if (::RegQueryInfoKeyA(hSource.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           &cValues, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
    {
        for (DWORD i = 0; i < cValues; ++i)
        {
            char szName[kCopyNameSize];
            DWORD cch = kCopyNameSize;
            if (::RegEnumValueA(hSource.get(), i, szName, &cch, nullptr, nullptr, nullptr,
                                nullptr) != ERROR_SUCCESS)
                continue;
            CopyValue(hTarget.get(), hSource.get(), cch == 0 ? nullptr : szName);
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
    CString name = pszBase;
    for (int n = 2; hKey && ValueExists(hKey, name.c_str()); ++n)
    {
        char szSuffix[16];
        std::snprintf(szSuffix, sizeof(szSuffix), " #%d", n);
        name = CString(pszBase) + szSuffix;
    }
    return name;
}

bool WriteZeroValue(HKEY hKey, const char* pszName, DWORD dwType, DWORD cbData) noexcept
{
    const BYTE abZero[16] = {};
    return cbData <= sizeof(abZero) && WriteValue(hKey, pszName, dwType, abZero, cbData);
}

bool DeleteValue(HKEY hKey, const char* pszName) noexcept
{
    return hKey && ::RegDeleteValueA(hKey, pszName) == ERROR_SUCCESS;
}

bool DeleteKeyTree(HKEY hParent, const char* pszName) noexcept
{
    // A key that is not there was not deleted by us: nothing to tell the shell.
    if (!hParent || !pszName || !*pszName || !SubkeyExists(hParent, pszName))
        return false;
    return DeleteRegKeyTree(hParent, pszName) != FALSE;
}

bool RenameValue(HKEY hKey, const char* pszOld, const CString& newName) noexcept
{
    if (!hKey || !IsUsableItemName(newName))
        return false;
    try
    {
        DWORD dwType = REG_NONE;
        std::vector<BYTE> data;
        if (!ReadTypedValue(hKey, pszOld, &dwType, data))
            return false;
        const auto cb = static_cast<DWORD>(data.size());
        const BYTE* pData = data.empty() ? nullptr : data.data();
        const char* pszNew = newName.c_str();
        const char* pszOldName = pszOld ? pszOld : "";

        if (pszOld && strcmp(pszOld, pszNew) == 0)
            return true;
        if (!pszOld || !SameNameIgnoringCase(pszOld, pszNew))
        {
            // Another value of that name keeps its data.
            if (ValueExists(hKey, pszNew) || !WriteValue(hKey, pszNew, dwType, pData, cb))
                return false;
            if (DeleteValue(hKey, pszOld))
                return true;
            DeleteValue(hKey, pszNew); // a copy is no rename
            return false;
        }

        // Only the letter case changes: the registry takes both spellings for one value, so
        // the data waits under a name of its own while the old spelling goes.
        const CString parked = FreeValueName(hKey, (CString(pszOldName) + " (renaming)").c_str());
        if (!WriteValue(hKey, parked.c_str(), dwType, pData, cb))
            return false;
        if (!DeleteValue(hKey, pszOld))
        {
            DeleteValue(hKey, parked.c_str());
            return false;
        }
        if (!WriteValue(hKey, pszNew, dwType, pData, cb))
        {
            // Put the old value back; the parked copy stays if even that fails.
            if (WriteValue(hKey, pszOld, dwType, pData, cb))
                DeleteValue(hKey, parked.c_str());
            return false;
        }
        DeleteValue(hKey, parked.c_str());
        return true;
    }
    CATCH_RETURN(false)
}

bool RenameEmptyKey(HKEY hParent, const char* pszOld, const CString& newName) noexcept
{
    if (!hParent || !pszOld || !IsUsableItemName(newName))
        return false;
    {
        UniqueHkey hOld;
        if (OpenRegKey(hParent, pszOld, MAXIMUM_ALLOWED, hOld.put()) != ERROR_SUCCESS)
            return false;
        DWORD cSubkeys = static_cast<DWORD>(-1);
        DWORD cValues = static_cast<DWORD>(-1);
        if (::RegQueryInfoKeyA(hOld.get(), nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr,
                               &cValues, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        {
            cSubkeys = static_cast<DWORD>(-1);
            cValues = static_cast<DWORD>(-1);
        }
        // A key that holds anything keeps its name.
        if (cSubkeys != 0 || cValues != 0)
            return false;
    }
    const char* pszNew = newName.c_str();
    if (strcmp(pszOld, pszNew) == 0)
        return true;
    if (SameNameIgnoringCase(pszOld, pszNew))
    {
        // Creating the new spelling would only open the old key; the key is empty, so it goes
        // and comes back under the new spelling.
        if (DeleteRegKey(hParent, pszOld) != ERROR_SUCCESS)
            return false;
        if (CreateOrOpenSubkey(hParent, pszNew))
            return true;
        CreateOrOpenSubkey(hParent, pszOld);
        return false;
    }
    if (SubkeyExists(hParent, pszNew))
        return false;
    UniqueHkey hNew;
    DWORD dwDisposition = 0;
    if (CreateRegKey(hParent, pszNew, MAXIMUM_ALLOWED, hNew.put(), &dwDisposition) != ERROR_SUCCESS)
        return false;
    hNew.reset();
    if (dwDisposition != REG_CREATED_NEW_KEY)
        return false; // another program made it in the meantime: it is not ours to delete
    if (DeleteRegKey(hParent, pszOld) == ERROR_SUCCESS)
        return true;
    DeleteRegKey(hParent, pszNew);
    return false;
}

bool CopyValue(HKEY hTarget, HKEY hSource, const char* pszName) noexcept
{
    if (!hTarget || !hSource)
        return false;
    try
    {
        DWORD dwType = REG_NONE;
        std::vector<BYTE> data;
        if (!ReadTypedValue(hSource, pszName, &dwType, data))
            return false;
        return WriteValue(hTarget, pszName, dwType, data.empty() ? nullptr : data.data(),
                          static_cast<DWORD>(data.size()));
    }
    CATCH_RETURN(false)
}

bool CopyKeyTree(HKEY hTargetParent, HKEY hSourceParent, const char* pszName) noexcept
{
    if (!hTargetParent || !hSourceParent || !pszName || !*pszName)
        return false;
    try
    {
        KeyNode root;
        root.name = pszName;
        UniqueHkey hSource;
        if (OpenRegKey(hSourceParent, pszName, KEY_READ, hSource.put()) == ERROR_SUCCESS)
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
