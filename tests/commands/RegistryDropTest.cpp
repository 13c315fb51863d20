// Copies of keys and values between registry folders: the payload and its format order, drops
// and pastes with merge, the unnamed value, the root, drops of other data, drops onto the
// dropped key itself, and broken payloads from elsewhere.
#include "commands/RegUIObject.h"
#include "commands/RegistryCommandFixture.h"
#include "app/ClipboardFormats.h"
#include "core/ComObject.h"
#include "registry/RegistryAccess.h"
#include "support/ShellEvents.h"

#include <gtest/gtest.h>

#include <random>

namespace corvasin::test
{
namespace
{

using Bytes = std::vector<BYTE>;

CLIPFORMAT RegKeyFormat() { return static_cast<CLIPFORMAT>(GetClipboardFormat(kCfRegKey)); }

// A data object that hands out whatever block it was given, in any format asked for.
class CRawDataObject final : public CComObject<CRawDataObject, IDataObject>
{
public:
    explicit CRawDataObject(Bytes bytes, CLIPFORMAT cf) : m_bytes(std::move(bytes)), m_cf(cf) {}
    STDMETHODIMP GetData(FORMATETC* pfe, STGMEDIUM* pm) override
    {
        if (QueryGetData(pfe) != S_OK)
            return DV_E_FORMATETC;
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, m_bytes.size());
        if (!m_bytes.empty())
            memcpy(::GlobalLock(h), m_bytes.data(), m_bytes.size());
        ::GlobalUnlock(h);
        *pm = {};
        pm->tymed = TYMED_HGLOBAL;
        pm->hGlobal = h;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* pfe) override
    {
        return pfe && pfe->cfFormat == m_cf ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    ~CRawDataObject() override = default;
    friend class CComObject<CRawDataObject, IDataObject>;
    Bytes m_bytes;
    CLIPFORMAT m_cf;
};

Bytes Block(IDataObject* pData, CLIPFORMAT cf)
{
    FORMATETC fe = {cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(pData->GetData(&fe, &medium)))
        return {};
    const auto* p = static_cast<const BYTE*>(::GlobalLock(medium.hGlobal));
    Bytes bytes(p, p + ::GlobalSize(medium.hGlobal));
    ::GlobalUnlock(medium.hGlobal);
    ::ReleaseStgMedium(&medium);
    return bytes;
}

class RegistryDrops : public RegistryCommands
{
protected:
    RegistryDrops()
    {
        key.CreateSubkey("Source\\Tree\\Sub");
        key.CreateSubkey("Target\\Tree\\Kept");
        Set("Source", "Path", REG_EXPAND_SZ, "%WINDIR%");
        Set("Source", nullptr, REG_SZ, "source default");
        Set("Source\\Tree", "same", REG_SZ, "new");
        Set("Source\\Tree\\Sub", "deep", REG_DWORD, "\x07\0\0");
        Set("Target\\Tree", "same", REG_SZ, "old");
        Set("Target\\Tree", "other", REG_SZ, "stays");
    }
    void Set(const char* pszKey, const char* pszName, DWORD dwType, const char* pszData)
    {
        ::RegSetKeyValueA(key.get(), pszKey, pszName, dwType, pszData, static_cast<DWORD>(strlen(pszData) + 1));
    }
    std::string Get(const char* pszKey, const char* pszName)
    {
        UniqueHkey h;
        Bytes data;
        DWORD dwType = 0;
        if (::RegOpenKeyExA(key.get(), pszKey, 0, KEY_READ, h.put()) != ERROR_SUCCESS ||
            !ReadTypedValue(h.get(), pszName, &dwType, data))
            return "<none>";
        return std::to_string(dwType) + ":" + std::string(data.begin(), data.end());
    }
    ComPtr<IShellFolder> Sub(const char* pszName)
    {
        UniquePidl pidl = ItemId(REGITEM_KEY, pszName);
        ComPtr<IShellFolder> sub;
        EXPECT_EQ(folder->BindToObject(pidl.get(), nullptr, IID_IShellFolder, sub.put_void()), S_OK);
        return sub;
    }
    // The data object of items of a sub-folder, as the shell gets it for a drag.
    ComPtr<IDataObject> DataOf(IShellFolder* pFolder, const std::vector<LPCITEMIDLIST>& items)
    {
        ComPtr<IDataObject> data;
        EXPECT_EQ(pFolder->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()),
                                         const_cast<LPCITEMIDLIST*>(items.data()), IID_IDataObject,
                                         nullptr, data.put_void()),
                  S_OK);
        return data;
    }
    HRESULT DropOn(IShellFolder* pFolder, IDataObject* pData, DWORD* pdwEffect = nullptr)
    {
        ComPtr<IDropTarget> drop;
        EXPECT_EQ(pFolder->CreateViewObject(nullptr, IID_IDropTarget, drop.put_void()), S_OK);
        DWORD dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        drop->DragEnter(pData, MK_SHIFT, POINTL{}, &dwEffect);
        if (pdwEffect)
            *pdwEffect = dwEffect;
        dwEffect = DROPEFFECT_COPY;
        return drop->Drop(pData, MK_SHIFT, POINTL{}, &dwEffect);
    }
    UniquePidl tree = ItemId(REGITEM_KEY, "Tree");
    UniquePidl path = ItemId(REGITEM_VALUE, "Path", 0, REG_EXPAND_SZ);
    UniquePidl deflt = ItemId(REGITEM_DEFAULT, "(default)", 0, REG_SZ);
};

TEST_F(RegistryDrops, TheRegistryFormatComesFirstWithTheItemsAndTheirFolder)
{
    ComPtr<IShellFolder> source = Sub("Source");
    ComPtr<IDataObject> data = DataOf(source.get(), {path.get()});
    ComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.put()), S_OK);
    FORMATETC fe[3] = {};
    ULONG cFetched = 0;
    formats->Next(3, fe, &cFetched);
    ASSERT_GE(cFetched, 2u);
    EXPECT_EQ(fe[0].cfFormat, RegKeyFormat());
    EXPECT_EQ(fe[1].cfFormat, ::RegisterClipboardFormatA("Shell IDList Array"));

    const Bytes bytes = Block(data.get(), RegKeyFormat());
    UniquePidl folderList = Absolute(ItemId(REGITEM_KEY, "Source").get());
    const UINT cbFolder = ::ILGetSize(folderList.get());
    ASSERT_EQ(bytes.size(), 8 + cbFolder + 224u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(memcmp(bytes.data() + 4, folderList.get(), cbFolder), 0);
    EXPECT_EQ(RecordOf(reinterpret_cast<LPCITEMIDLIST>(bytes.data() + 8 + cbFolder)).dwKind, REGITEM_VALUE);
}

TEST_F(RegistryDrops, DroppedItemsAreCopiedAndMergedWhateverTheKeysHeld)
{
    ComPtr<IShellFolder> source = Sub("Source");
    ComPtr<IShellFolder> target = Sub("Target");
    ComPtr<IDataObject> data = DataOf(source.get(), {tree.get(), path.get(), deflt.get()});
    UniquePidl targetPidl = Absolute(ItemId(REGITEM_KEY, "Target").get());
    CShellEvents events(targetPidl.get());
    DWORD dwEffect = 0;
    EXPECT_EQ(DropOn(target.get(), data.get(), &dwEffect), S_OK);
    EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_COPY)) << "copy, also with Shift held";

    EXPECT_EQ(Get("Target", "Path"), Get("Source", "Path"));
    EXPECT_EQ(Get("Target", nullptr), Get("Source", nullptr));
    EXPECT_EQ(Get("Target\\Tree", "same"), Get("Source\\Tree", "same"));
    EXPECT_EQ(Get("Target\\Tree", "other"), "1:stays" + std::string(1, '\0'));
    EXPECT_EQ(Get("Target\\Tree\\Sub", "deep"), Get("Source\\Tree\\Sub", "deep"));
    UniqueHkey kept;
    EXPECT_EQ(::RegOpenKeyExA(key.get(), "Target\\Tree\\Kept", 0, KEY_READ, kept.put()), ERROR_SUCCESS);
    EXPECT_EQ(Get("Source", "Path").substr(0, 2), "2:") << "the source stays";
    using Event = CShellEvents::Event;
    EXPECT_EQ(events.WaitFor(3), (std::vector<Event>{{SHCNE_MKDIR, "Tree", ""},
                                                     {SHCNE_CREATE, "Path", ""},
                                                     {SHCNE_CREATE, "(default)", ""}}));
}

TEST_F(RegistryDrops, PasteCopiesTheClipboardIntoTheSelectedKey)
{
    ComPtr<IShellFolder> source = Sub("Source");
    ComPtr<IDataObject> data = DataOf(source.get(), {path.get()});
    ASSERT_EQ(::OleSetClipboard(data.get()), S_OK);
    UniquePidl targetItem = ItemId(REGITEM_KEY, "Target");
    EXPECT_EQ(Invoke({targetItem.get()}, "paste"), S_OK);
    ::OleSetClipboard(nullptr);
    EXPECT_EQ(Get("Target", "Path"), Get("Source", "Path"));
}

TEST_F(RegistryDrops, NothingIsCopiedIntoTheKeyItselfTheRootOrFromOtherData)
{
    // The key Source dropped on its own subkey Source\Tree, and on itself.
    ComPtr<IDataObject> data = DataOf(folder.get(), {ItemId(REGITEM_KEY, "Source").get()});
    ComPtr<IShellFolder> source = Sub("Source");
    ComPtr<IShellFolder> below;
    ASSERT_EQ(source->BindToObject(tree.get(), nullptr, IID_IShellFolder, below.put_void()), S_OK);
    EXPECT_EQ(DropOn(below.get(), data.get()), S_OK);
    EXPECT_EQ(DropOn(source.get(), data.get()), S_OK);
    UniqueHkey copy;
    EXPECT_NE(::RegOpenKeyExA(key.get(), "Source\\Tree\\Source", 0, KEY_READ, copy.put()), ERROR_SUCCESS);
    EXPECT_NE(::RegOpenKeyExA(key.get(), "Source\\Source", 0, KEY_READ, copy.put()), ERROR_SUCCESS);

    // The registry root holds no key: the drop succeeds and copies nothing.
    EXPECT_EQ(DropOn(root.get(), DataOf(source.get(), {path.get()}).get()), S_OK);

    // Files, or anything without the registry format, are refused.
    auto files = ComPtr<IDataObject>::Attach(new CRawDataObject({1, 2, 3}, CF_HDROP));
    DWORD dwEffect = DROPEFFECT_COPY;
    EXPECT_EQ(DropOn(source.get(), files.get(), &dwEffect), E_FAIL);
    EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(RegistryDrops, BrokenPayloadsFromElsewhereCopyNothingAndNeverCrash)
{
    ComPtr<IShellFolder> source = Sub("Source");
    ComPtr<IShellFolder> target = Sub("Target");
    const Bytes good = Block(DataOf(source.get(), {tree.get(), path.get()}).get(), RegKeyFormat());
    std::mt19937 random(7);
    for (int n = 0; n < 600; ++n)
    {
        Bytes bytes = good;
        if (n % 2)
            bytes.resize(random() % good.size());
        for (int k = 0; k < 3; ++k)
            if (!bytes.empty())
                bytes[random() % bytes.size()] = static_cast<BYTE>(random());
        auto raw = ComPtr<IDataObject>::Attach(new CRawDataObject(bytes, RegKeyFormat()));
        DropOn(target.get(), raw.get());
    }
    // A root item with a handle value that is no predefined key resolves to nothing.
    Bytes forged = good;
    const DWORD dwHandle = 0x44;
    memcpy(forged.data() + 4 + 2 + 8, &dwHandle, 4); // the root id's dwIndex
    auto raw = ComPtr<IDataObject>::Attach(new CRawDataObject(forged, RegKeyFormat()));
    EXPECT_EQ(DropOn(target.get(), raw.get()), S_OK);
}

} // namespace
} // namespace corvasin::test
