// Copies of keys and values between registry folders: the payload and its format order, drops
// and pastes with merge, the unnamed value, the root, drops of other data, drops onto the
// dropped key itself, and broken payloads from elsewhere.
#include "commands/RegistryCommandFixture.h"
#include "app/ClipboardFormats.h"
#include "core/ComObject.h"
#include "install/DllUnderTest.h"
#include "support/RegistrySnapshot.h"
#include "support/ShellEvents.h"

#include <random>

namespace corvasin::test
{
namespace
{

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
    STDMETHODIMP QueryGetData(FORMATETC* pfe) override { return pfe && pfe->cfFormat == m_cf ? S_OK : DV_E_FORMATETC; }
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

ComPtr<IDataObject> RawData(Bytes bytes, CLIPFORMAT cf)
{
    return ComPtr<IDataObject>::Attach(new CRawDataObject(std::move(bytes), cf));
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
        source = Sub("Source");
        target = Sub("Target");
    }
    void Set(const char* pszKey, const char* pszName, DWORD dwType, const char* pszData)
    {
        ::RegSetKeyValueA(key.get(), pszKey, pszName, dwType, pszData, static_cast<DWORD>(strlen(pszData) + 1));
    }
    // "type:bytes" of a value below the scratch key.
    std::string Get(const char* pszKey, const char* pszName)
    {
        const RegValue value = ReadValue(key.get(), pszKey, pszName);
        return value.exists() ? std::to_string(value.dwType) + ":" + value.data : "<none>";
    }
    UniquePidl tree = ItemId(REGITEM_KEY, "Tree");
    UniquePidl path = ItemId(REGITEM_VALUE, "Path", 0, REG_EXPAND_SZ);
    UniquePidl deflt = ItemId(REGITEM_DEFAULT, "(default)", 0, REG_SZ);
    ComPtr<IShellFolder> source, target;
};

TEST_F(RegistryDrops, TheRegistryFormatComesFirstWithTheItemsAndTheirFolder)
{
    ComPtr<IDataObject> data = UIObjectOf<IDataObject>(source.get(), {path.get()});
    ComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.put()), S_OK);
    FORMATETC fe[3] = {};
    ULONG cFetched = 0;
    formats->Next(3, fe, &cFetched);
    ASSERT_GE(cFetched, 2u);
    EXPECT_EQ(fe[0].cfFormat, RegKeyFormat());
    EXPECT_EQ(fe[1].cfFormat, ::RegisterClipboardFormatA("Shell IDList Array"));

    const Bytes bytes = FormatBytes(data.get(), RegKeyFormat());
    UniquePidl folderList = Absolute(ItemId(REGITEM_KEY, "Source").get());
    const UINT cbFolder = ::ILGetSize(folderList.get());
    ASSERT_EQ(bytes.size(), 8 + cbFolder + 224u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(memcmp(bytes.data() + 4, folderList.get(), cbFolder), 0);
    EXPECT_EQ(RecordOf(reinterpret_cast<LPCITEMIDLIST>(bytes.data() + 8 + cbFolder)).dwKind, REGITEM_VALUE);
}

TEST_F(RegistryDrops, DroppedItemsAreCopiedAndMergedWhateverTheKeysHeld)
{
    ComPtr<IDataObject> data = UIObjectOf<IDataObject>(source.get(), {tree.get(), path.get(), deflt.get()});
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
    EXPECT_TRUE(KeyExists(key.get(), "Target\\Tree\\Kept"));
    EXPECT_EQ(Get("Source", "Path").substr(0, 2), "2:") << "the source stays";
    using Event = CShellEvents::Event;
    EXPECT_EQ(events.WaitFor(3), (std::vector<Event>{{SHCNE_MKDIR, "Tree", ""},
                                                     {SHCNE_CREATE, "Path", ""},
                                                     {SHCNE_CREATE, "(default)", ""}}));
}

TEST_F(RegistryDrops, PasteCopiesTheClipboardIntoTheSelectedKey)
{
    ASSERT_EQ(::OleSetClipboard(UIObjectOf<IDataObject>(source.get(), {path.get()}).get()), S_OK);
    UniquePidl targetItem = ItemId(REGITEM_KEY, "Target");
    EXPECT_EQ(Invoke({targetItem.get()}, "paste"), S_OK);
    ::OleSetClipboard(nullptr);
    EXPECT_EQ(Get("Target", "Path"), Get("Source", "Path"));
}

TEST_F(RegistryDrops, NothingIsCopiedIntoTheKeyItselfTheRootOrFromOtherData)
{
    // The key Source dropped on its own subkey Source\Tree, and on itself.
    ComPtr<IDataObject> data = UIObjectOf<IDataObject>(folder.get(), {ItemId(REGITEM_KEY, "Source").get()});
    ComPtr<IShellFolder> below;
    ASSERT_EQ(source->BindToObject(tree.get(), nullptr, IID_IShellFolder, below.put_void()), S_OK);
    EXPECT_EQ(DropOn(below.get(), data.get()), S_OK);
    EXPECT_EQ(DropOn(source.get(), data.get()), S_OK);
    EXPECT_FALSE(KeyExists(key.get(), "Source\\Tree\\Source"));
    EXPECT_FALSE(KeyExists(key.get(), "Source\\Source"));

    // The registry root holds no key: the drop succeeds and copies nothing.
    EXPECT_EQ(DropOn(root.get(), UIObjectOf<IDataObject>(source.get(), {path.get()}).get()), S_OK);

    // Files, or anything without the registry format, are refused.
    DWORD dwEffect = DROPEFFECT_COPY;
    EXPECT_EQ(DropOn(source.get(), RawData({1, 2, 3}, CF_HDROP).get(), &dwEffect), E_FAIL);
    EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(RegistryDrops, BrokenPayloadsFromElsewhereCopyNothingAndNeverCrash)
{
    ComPtr<IDataObject> data = UIObjectOf<IDataObject>(source.get(), {tree.get(), path.get()});
    const Bytes good = FormatBytes(data.get(), RegKeyFormat());
    // After the good drop, a broken one may at most copy the same items again: whatever it
    // names that is not exactly an item of the source is left out.
    ASSERT_EQ(DropOn(target.get(), data.get()), S_OK);
    const Snapshot expected = SnapKey(key.path());
    std::mt19937 random(7);
    for (int n = 0; n < 600; ++n)
    {
        Bytes bytes = good;
        if (n % 2)
            bytes.resize(random() % good.size());
        for (int k = 0; k < 3; ++k)
            if (!bytes.empty())
                bytes[random() % bytes.size()] = static_cast<BYTE>(random());
        DropOn(target.get(), RawData(bytes, RegKeyFormat()).get());
    }
    ExpectSameTree(SnapKey(key.path()), expected);
    // A root item with a handle value that is no predefined key resolves to nothing.
    Bytes forged = good;
    const DWORD dwHandle = 0x44;
    memcpy(forged.data() + 4 + 2 + 8, &dwHandle, 4); // the root id's dwIndex
    EXPECT_EQ(DropOn(target.get(), RawData(forged, RegKeyFormat()).get()), S_OK);
}

} // namespace
} // namespace corvasin::test
