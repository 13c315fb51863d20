// Copies of keys and values between registry folders: the payload and its format order, drops
// and pastes with merge, the unnamed value, the root, drops of other data, drops onto the
// dropped key itself, and broken payloads from elsewhere.
#include "commands/RegistryCommandFixture.h"
#include "app/ClipboardFormats.h"
#include "core/ComObject.h"
#include "install/DllUnderTest.h"
#include "support/RegistrySnapshot.h"
#include "support/ShellEvents.h"
#include "support/ModalDriver.h"
#include "registry/ChangeBackup.h"
#include "registry/FileByteSink.h"
#include "registry/KeyTreeWriter.h"
#include "registry/RegFileText.h"
#include "registry/Utf16ByteSink.h"

#include <commctrl.h>

#include "resource.h"

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

namespace corvasin::test
{
namespace
{
// Answers the merge preview once its work is done: what it showed, then Apply or Cancel.
class CPreviewAnswer final : public CDialogWatch
{
public:
    explicit CPreviewAnswer(int nButton) : m_nButton(nButton) {}
    std::string m_status;
    int m_cRows = -1;
    bool m_bCanApply = false;

private:
    void OnDialog(HWND hDlg) override { m_hDlg = hDlg; }
    void OnTick() override
    {
        if (!m_hDlg || m_cRows >= 0 || WindowText(::GetDlgItem(m_hDlg, IDC_CHANGES_STATUS)) == "Working...")
            return;
        m_status = WindowText(::GetDlgItem(m_hDlg, IDC_CHANGES_STATUS));
        m_cRows = static_cast<int>(::SendDlgItemMessageA(m_hDlg, IDC_CHANGES_LIST, LVM_GETITEMCOUNT, 0, 0));
        m_bCanApply = ::IsWindowEnabled(::GetDlgItem(m_hDlg, IDOK)) != FALSE;
        PressButton(m_hDlg, m_bCanApply ? m_nButton : IDCANCEL);
    }
    int m_nButton;
    HWND m_hDlg = nullptr;
};

// Dropped files, as a file-system folder hands them out.
ComPtr<IDataObject> DroppedFiles(const std::string& path)
{
    Bytes bytes(sizeof(DROPFILES));
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    memcpy(bytes.data(), &header, sizeof(header));
    const std::wstring wide = AnsiToWide(path.c_str()) + L'\0' + L'\0';
    const BYTE* p = reinterpret_cast<const BYTE*>(wide.data());
    bytes.insert(bytes.end(), p, p + wide.size() * sizeof(wchar_t));
    return RawData(bytes, CF_HDROP);
}

// The newest backup of a merge, by name.
std::string NewestImportBackup()
{
    const CString folder = BackupFolder();
    WIN32_FIND_DATAA fd = {};
    const HANDLE hFind = ::FindFirstFileA((folder + "\\*-import-*.reg").c_str(), &fd);
    std::string newest;
    if (hFind == INVALID_HANDLE_VALUE)
        return newest;
    do
        if (newest.empty() || strcmp(fd.cFileName, newest.c_str()) > 0)
            newest = fd.cFileName;
    while (::FindNextFileA(hFind, &fd));
    ::FindClose(hFind);
    return folder + "\\" + newest;
}
} // namespace

TEST_F(RegistryDrops, ADroppedRegistrationFileIsPreviewedMergedOnApplyAndItsBackupUndoesIt)
{
    // The export of Source, with a name the code page cannot hold: the Unicode form. (A string
    // without its terminating zero would not come back as it was: the registry editor, and this
    // reader with it, end strings read from a file with a zero.)
    const std::wstring odd = L"odd \u0416";
    ::RegSetKeyValueW(key.get(), L"Source\\Tree", odd.c_str(), REG_SZ, "a\0b\0\0\0", 6);
    const std::string file = TempFile("corvasin-drop.reg");
    {
        CFileByteSink sink;
        ASSERT_TRUE(sink.Create(file.c_str()));
        CUtf16ByteSink text(sink);
        UniqueHkey hSource;
        ::RegOpenKeyExA(key.get(), "Source", 0, KEY_READ, hSource.put());
        ASSERT_TRUE(WriteUnicodeRegFileHeader(text) &&
                    CKeyTreeWriter(text, true).Write(hSource.get(), ("HKEY_CURRENT_USER\\" + key.path() + "\\Source").c_str()));
        ASSERT_TRUE(sink.Close());
    }
    const Snapshot original = SnapKey(key.path());
    // Changed since: data and type replaced, a value and a subtree deleted.
    Set("Source\\Tree", "same", REG_EXPAND_SZ, "changed");
    ::RegDeleteKeyValueA(key.get(), "Source", "Path");
    ASSERT_EQ(::RegDeleteTreeA(key.get(), "Source\\Tree\\Sub"), ERROR_SUCCESS);
    const Snapshot changed = SnapKey(key.path());

    struct
    {
        int nButton;
        const Snapshot& after;
    } const runs[] = {{IDCANCEL, changed}, {IDOK, original}};
    for (const auto& run : runs)
    {
        CPreviewAnswer answer(run.nButton);
        DWORD dwEffect = DROPEFFECT_NONE;
        EXPECT_EQ(DropOn(target.get(), DroppedFiles(file).get(), &dwEffect), S_OK);
        EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_COPY));
        // Add key Sub and its value, change "same", add "Path" back (the other lines change
        // nothing).
        EXPECT_EQ(answer.m_cRows, 4) << answer.m_status;
        EXPECT_TRUE(answer.m_bCanApply);
        ExpectSameTree(SnapKey(key.path()), run.after);
    }
    // The backup written before the merge puts back the tree as it was then.
    const std::string backup = NewestImportBackup();
    ASSERT_EQ(ImportRegFile(backup), 0u);
    ExpectSameTree(SnapKey(key.path()), changed);
    ::DeleteFileA(backup.c_str());

    // A file with an error in it writes nothing, not even its good lines.
    {
        const std::string bad = TempFile("corvasin-bad.reg");
        const std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + key.path() +
                                 "\\Fresh]\r\n\"good\"=\"yes\"\r\n\"bad\"=nonsense:1\r\n";
        const UniqueHandle hFile(::CreateFileA(bad.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD cb = 0;
        ::WriteFile(hFile.get(), text.data(), static_cast<DWORD>(text.size()), &cb, nullptr);
    }
    CPreviewAnswer answer(IDOK);
    EXPECT_EQ(DropOn(target.get(), DroppedFiles(TempFile("corvasin-bad.reg")).get()), S_OK);
    EXPECT_FALSE(answer.m_bCanApply);
    EXPECT_NE(answer.m_status.find("1 error"), std::string::npos) << answer.m_status;
    EXPECT_FALSE(KeyExists(key.get(), "Fresh"));
    ::DeleteFileA(file.c_str());
    ::DeleteFileA(TempFile("corvasin-bad.reg").c_str());
}

} // namespace corvasin::test
