// A folder whose items are chosen by the test (attributes, tip and name per item) and a UI
// object class over it, for driving the UI object base through its interfaces.
#pragma once

#include "framework/ItemIdList.h"
#include "framework/NameSpaceExtension.h"
#include "framework/ShellUIObject.h"
#include "core/CmdTargetPtr.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace corvasin::test
{

// {6E1C2B07-5C43-4E0B-9E63-1E4F0A3E7A11}
inline constexpr GUID CLSID_TestUIObject = {
    0x6e1c2b07, 0x5c43, 0x4e0b, {0x9e, 0x63, 0x1e, 0x4f, 0x0a, 0x3e, 0x7a, 0x11}};

// The current reference count of a command target, read without changing it.
inline ULONG RefCount(CCmdTarget* p)
{
    p->ExternalAddRef();
    return p->ExternalRelease();
}

// What the test folder's sub-folders saw when something was dropped on them.
struct DropRecord
{
    int nDrops = 0;
    DWORD grfKeyState = 0xFFFF;
    POINTL pt = {};
    bool bHadDataObject = false;
    BOOL bResult = TRUE;
};

// Item data: 'T', 'I', then a 16-bit index into the folder's item table.
class CTestItemFolder : public CNameSpaceExtension
{
public:
    struct Item
    {
        ULONG ulAttributes = 0;
        std::string tip, name;
    };

    explicit CTestItemFolder(CNameSpaceExtension* pParent = nullptr, DropRecord* pDrops = nullptr)
        : CNameSpaceExtension(pParent), m_pDrops(pDrops)
    {
    }

    static constexpr UINT kDataSize = 4;

    // A one-id list for item nIndex.
    static LPITEMIDLIST MakeItem(WORD nIndex)
    {
        BYTE data[kDataSize] = {'T', 'I'};
        memcpy(data + 2, &nIndex, sizeof(nIndex));
        return MakeItemIdList(data, kDataSize);
    }

    const CLSID& GetCLSID() noexcept override { return CLSID_TestUIObject; }
    UINT GetItemDataSize() noexcept override { return kDataSize; }
    BOOL IsOwnItem(const void* pItem) noexcept override { return memcmp(pItem, "TI", 2) == 0; }
    ULONG GetItemAttributes(const void* pItem) noexcept override
    {
        const Item* p = Find(pItem);
        return p ? p->ulAttributes : 0;
    }
    CString GetColumnText(const void* pItem, int iColumn) noexcept override
    {
        m_columnsAsked.push_back(iColumn);
        const Item* p = Find(pItem);
        return !p ? CString() : iColumn == -1 ? CString(p->tip) : iColumn == 0 ? CString(p->name) : CString();
    }
    CNameSpaceExtension* CreateSubFolder(const void*) noexcept override
    {
        return new (std::nothrow) CTestItemFolder(this, m_pDrops);
    }
    BOOL Drop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt, DWORD*) noexcept override
    {
        if (!m_pDrops)
            return FALSE;
        *m_pDrops = {m_pDrops->nDrops + 1, grfKeyState, pt, pDataObject != nullptr, m_pDrops->bResult};
        return m_pDrops->bResult;
    }

    std::vector<Item> m_items;
    std::vector<int> m_columnsAsked;

protected:
    ~CTestItemFolder() override = default;

private:
    const Item* Find(const void* pItem) const noexcept
    {
        WORD nIndex = 0;
        memcpy(&nIndex, static_cast<const BYTE*>(pItem) + 2, sizeof(nIndex));
        return nIndex < m_items.size() ? &m_items[nIndex] : nullptr;
    }

    DropRecord* m_pDrops;
};

// The base with a class id, a settable default folder and a menu message it handles.
class CTestUIObject : public CShellUIObject
{
public:
    using CShellUIObject::CShellUIObject;

    const CLSID& GetClassID() noexcept override { return CLSID_TestUIObject; }
    CNameSpaceExtension* GetDefaultFolder() noexcept override { return m_pDefaultFolder; }
    BOOL OnMenuMessage(UINT uMsg, WPARAM, LPARAM) noexcept override { return uMsg == m_uHandledMessage; }

    CNameSpaceExtension* m_pDefaultFolder = nullptr;
    UINT m_uHandledMessage = 0;

protected:
    ~CTestUIObject() override = default;
};

// An interface of a command target without a reference of its own, for callers that keep the
// object alive. riid for interfaces MinGW's headers give no __uuidof (IQueryInfo).
template <typename I>
I* InterfaceOf(CCmdTarget* p, REFIID riid = __uuidof(I))
{
    void* pv = nullptr;
    if (FAILED(p->ExternalQueryInterface(riid, &pv)))
        return nullptr;
    static_cast<I*>(pv)->Release();
    return static_cast<I*>(pv);
}

// Holds the test's own reference on a command target, the one it was created with.
template <typename T>
class Held : public CmdTargetPtr<T>
{
public:
    explicit Held(T* p) : CmdTargetPtr<T>(CmdTargetPtr<T>::Attach(p)) {}

    template <typename I>
    I* As(REFIID riid = __uuidof(I)) const
    {
        return InterfaceOf<I>(this->get(), riid);
    }
};

// A folder at a made-up absolute location with the given items, and id lists for them.
struct TestSelection
{
    explicit TestSelection(std::vector<CTestItemFolder::Item> items, DropRecord* pDrops = nullptr)
        : folder(new CTestItemFolder(nullptr, pDrops))
    {
        folder->m_items = std::move(items);
        BYTE location[6] = {'R', 'O', 'O', 'T', '0', '1'};
        UniquePidl pidl(MakeItemIdList(location, sizeof(location)));
        static_cast<IPersistFolder*>(folder->GetInterface(IID_IPersistFolder))->Initialize(pidl.get());
        for (size_t i = 0; i < folder->m_items.size(); ++i)
            raw.push_back(pidls.emplace_back(CTestItemFolder::MakeItem(static_cast<WORD>(i))).get());
    }

    // A UI object over the first n items (all when n is -1).
    CTestUIObject* MakeUIObject(int n = -1, HWND hwndOwner = nullptr)
    {
        return new CTestUIObject(folder.get(), n < 0 ? static_cast<UINT>(raw.size()) : static_cast<UINT>(n),
                                 raw.data(), folder->GetPidl(), hwndOwner);
    }

    Held<CTestItemFolder> folder;
    std::vector<UniquePidl> pidls;
    std::vector<LPCITEMIDLIST> raw;
};

// A UI object without a folder or items.
inline CTestUIObject* MakeBareUIObject()
{
    return new CTestUIObject(nullptr, 0, nullptr, nullptr, nullptr);
}

// A selection of one item of the given attributes and a UI object over it.
struct OneItem
{
    explicit OneItem(ULONG ulAttributes = 0) : selection({{ulAttributes, "", "a"}}) {}

    TestSelection selection;
    Held<CTestUIObject> ui{selection.MakeUIObject()};
};

} // namespace corvasin::test
