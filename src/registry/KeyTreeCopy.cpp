// The tree copy of paste and drop: the tree reader reads the source ahead on its helper threads
// while this thread creates keys and writes values in the order of the walk.
#include "registry/KeyOperations.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/NativeKeys.h"
#include "registry/RegistryAccess.h"
#include "registry/TreeReader.h"

#include <memory>
#include <string>
#include <vector>

namespace corvasin
{

namespace
{
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

// The result is that of the key's own creation; failures further down leave those parts out.
HRESULT CopyNode(HKEY hTargetParent, HKEY hSourceParent, const KeyNode& node)
{
    UniqueHkey hTarget;
    const LONG rc = CreateRegKeyW(hTargetParent, node.name.c_str(), MAXIMUM_ALLOWED, hTarget.put());
    if (rc != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(rc);
    UniqueHkey hSource;
    if (OpenRegKeyW(hSourceParent, node.name.c_str(), MAXIMUM_ALLOWED, hSource.put()) !=
        ERROR_SUCCESS)
        return S_OK; // the new key stays, empty

    DWORD cValues = 0;
    if (ReadKeyCounts(hSource.get(), nullptr, &cValues))
    {
        std::wstring name;
        for (DWORD i = 0; i < cValues; ++i)
        {
            if (ReadValueNameW(hSource.get(), i, name))
                (void)CopyValue(hTarget.get(), hSource.get(), name.c_str());
        }
    }
    for (const auto& child : node.children)
        (void)CopyNode(hTarget.get(), hSource.get(), *child);
    return S_OK;
}

// Creates the copy of the source's tree below hTargetParent as the reader hands the source over.
// The result is that of the top key's creation; failures further down leave those parts out.
HRESULT CopyAsRead(HKEY hTargetParent, HKEY hSource, const wchar_t* pszName)
{
    CTreeReader reader(hSource);
    std::vector<UniqueHkey> targets; // the copy of each key of the walk down to the current one
    const TreeEntry* pEntry = nullptr;
    HRESULT hr = S_OK;
    while (reader.Next(&pEntry) == CTreeReader::Result::Entry)
    {
        const TreeEntry& entry = *pEntry;
        switch (entry.kind)
        {
        case TreeEntry::KeyStart:
        {
            const HKEY hParent = targets.empty() ? hTargetParent : targets.back().get();
            UniqueHkey target;
            const LONG rc = CreateRegKeyW(hParent, entry.nDepth == 0 ? pszName : entry.name.c_str(),
                                          MAXIMUM_ALLOWED, target.put());
            if (rc != ERROR_SUCCESS)
            {
                if (entry.nDepth == 0)
                    return HrFromWin32(rc);
                reader.SkipSubtree();
                break;
            }
            // A key that could not be read stays in the copy, empty.
            targets.push_back(std::move(target));
            break;
        }
        case TreeEntry::Value:
            (void)WriteValueW(targets.back().get(), entry.name.empty() ? nullptr : entry.name.c_str(),
                              entry.dwType, entry.data.empty() ? nullptr : entry.data.data(),
                              static_cast<DWORD>(entry.data.size()));
            break;
        case TreeEntry::KeyEnd:
            targets.pop_back();
            break;
        }
    }
    if (reader.Failed())
        hr = E_OUTOFMEMORY;
    return hr;
}

constexpr HRESULT kNoKey = HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
constexpr HRESULT kBadName = HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
} // namespace

HRESULT CopyKeyTree(HKEY hTargetParent, HKEY hSourceParent, const wchar_t* pszName) noexcept
{
    if (!hTargetParent || !hSourceParent)
        return kNoKey;
    if (!pszName || !*pszName)
        return kBadName;
    try
    {
        // A source key that is not there is not copied: no empty key of its name comes into being.
        UniqueHkey hSource;
        const LONG rc = OpenRegKeyW(hSourceParent, pszName, KEY_READ, hSource.put());
        if (rc != ERROR_SUCCESS)
            return HrFromWin32(rc);
        // A target inside the source (reached through another name of it: a link, or the
        // classes seen from another root) would show the reader the keys the copy creates: the
        // source's shape is then read before anything is written, and only that shape copied.
        // So it is when the keys' names cannot be told.
        if (MayBeSameOrBelowKey(hSource.get(), hTargetParent))
        {
            KeyNode root;
            root.name = pszName;
            ReadTreeShape(hSource.get(), root, 1);
            return CopyNode(hTargetParent, hSourceParent, root);
        }
        return CopyAsRead(hTargetParent, hSource.get(), pszName);
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

} // namespace corvasin
