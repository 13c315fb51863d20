// Registry items dragged or copied onto a folder of the file system, as the shell of the test
// prefix does it: the registered DLL's data object, reached through the desktop, handed to the
// system's own folder as a drop with Copy and as a paste. Whatever file the system writes must
// hold the Export's bytes. Wine 8's folder asks for the item id array alone and writes nothing:
// its drop only names the sources it would copy, its paste copies through the source folder's
// ISFHelper, which a registry folder does not offer.
#include "core/ComObject.h"
#include "framework/ShellFormats.h"
#include "install/DllUnderTest.h"
#include "registry/ExportFile.h"
#include "registry/FolderTestUtil.h"
#include "registry/MemoryByteSink.h"
#include "support/ScratchKey.h"

#include <set>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

const std::wstring c_junction = L"::{BBC22D43-FF1C-4948-B6DA-04BEFBDA2E92}";

bool RunsOnWine() { return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

std::string FormatName(CLIPFORMAT cf)
{
    if (cf == CF_HDROP)
        return "CF_HDROP";
    char szName[128] = "";
    return ::GetClipboardFormatNameA(cf, szName, sizeof(szName)) ? szName : std::to_string(cf);
}

std::string FileBytes(const std::wstring& path)
{
    const HANDLE hFile = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return "<no file>";
    UniqueHandle file(hFile);
    std::string bytes;
    char buffer[4096];
    DWORD cb = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &cb, nullptr) && cb > 0)
        bytes.append(buffer, cb);
    return bytes;
}

// A data object in front of another that notes the formats whose data it is asked for.
class CSpyDataObject final : public CComObject<CSpyDataObject, IDataObject>
{
public:
    explicit CSpyDataObject(IDataObject* pInner) : m_pInner(pInner) { m_pInner->AddRef(); }
    STDMETHODIMP GetData(FORMATETC* pfe, STGMEDIUM* pm) override
    {
        m_asked.insert(FormatName(pfe->cfFormat));
        return m_pInner->GetData(pfe, pm);
    }
    STDMETHODIMP GetDataHere(FORMATETC* pfe, STGMEDIUM* pm) override
    {
        m_asked.insert(FormatName(pfe->cfFormat));
        return m_pInner->GetDataHere(pfe, pm);
    }
    STDMETHODIMP QueryGetData(FORMATETC* pfe) override { return m_pInner->QueryGetData(pfe); }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* a, FORMATETC* b) override { return m_pInner->GetCanonicalFormatEtc(a, b); }
    STDMETHODIMP SetData(FORMATETC* pfe, STGMEDIUM* pm, BOOL f) override { return m_pInner->SetData(pfe, pm, f); }
    STDMETHODIMP EnumFormatEtc(DWORD d, IEnumFORMATETC** pp) override { return m_pInner->EnumFormatEtc(d, pp); }
    STDMETHODIMP DAdvise(FORMATETC* a, DWORD b, IAdviseSink* c, DWORD* d) override { return m_pInner->DAdvise(a, b, c, d); }
    STDMETHODIMP DUnadvise(DWORD d) override { return m_pInner->DUnadvise(d); }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** pp) override { return m_pInner->EnumDAdvise(pp); }

    std::set<std::string> m_asked;

private:
    ~CSpyDataObject() override { m_pInner->Release(); }
    friend class CComObject<CSpyDataObject, IDataObject>;
    IDataObject* m_pInner;
};

class FileSystemDrop : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_dwRegisterExitCode = RegisterDll(); }
    void SetUp() override
    {
        ASSERT_EQ(s_dwRegisterExitCode, 0u) << "regsvr32 /s " << CorvasinDllPath() << " failed";
        ASSERT_EQ(::SHGetDesktopFolder(m_desktop.put()), S_OK);
        m_scratch.SetString("Greeting", "hello \"world\"");
        m_scratch.SetDword("Count", 7);

        // The scratch key's folder through the junction, and its value Greeting.
        const std::wstring path(m_scratch.path().begin(), m_scratch.path().end());
        ASSERT_EQ(Bind(c_junction + L"\\HKCU\\" + path, m_registry), S_OK);
        for (UniquePidl& item : List(m_registry.get(), SHCONTF_NONFOLDERS))
        {
            if (std::string(RecordOf(item.get()).szName) == "Greeting")
                m_greeting = std::move(item);
        }
        ASSERT_TRUE(m_greeting);

        wchar_t szTemp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, szTemp);
        m_target = std::wstring(szTemp) + L"CorvasinDropTarget\\";
        ::CreateDirectoryW(m_target.c_str(), nullptr);
        ::DeleteFileW(TargetFile().c_str());
        ASSERT_EQ(Bind(m_target, m_fsFolder), S_OK);
    }
    void TearDown() override
    {
        ::DeleteFileW(TargetFile().c_str());
        ::RemoveDirectoryW(m_target.c_str());
    }

    HRESULT Bind(const std::wstring& text, ComPtr<IShellFolder>& folder)
    {
        std::wstring buffer = text;
        UniquePidl pidl;
        const HRESULT hr = m_desktop->ParseDisplayName(nullptr, nullptr, buffer.data(), nullptr, pidl.put(), nullptr);
        return FAILED(hr) ? hr : m_desktop->BindToObject(pidl.get(), nullptr, IID_IShellFolder, folder.put_void());
    }
    std::wstring TargetFile() const { return m_target + L"Greeting.reg"; }

    // The registered DLL's data object of Greeting, behind a spy.
    ComPtr<CSpyDataObject> SpiedData()
    {
        ComPtr<IDataObject> data;
        LPCITEMIDLIST apidl[] = {m_greeting.get()};
        EXPECT_EQ(m_registry->GetUIObjectOf(nullptr, 1, apidl, IID_IDataObject, nullptr, data.put_void()), S_OK);
        return ComPtr<CSpyDataObject>::Attach(new CSpyDataObject(data.get()));
    }

    // What Export writes for Greeting.
    std::string Expected()
    {
        ComPtr<IShellFolder2> folder = KeyFolder(m_scratch.path());
        UniquePidl greeting = ItemId(REGITEM_VALUE, "Greeting", 0, REG_SZ);
        LPCITEMIDLIST apidl[] = {greeting.get()};
        CMemoryByteSink sink;
        EXPECT_TRUE(WriteExportFile(*KeyObject(folder.get()), 1, apidl, false, sink));
        return sink.Bytes();
    }

    // Whatever the system wrote is the Export's file; Wine only asked for the item id array.
    void CheckTarget(const CSpyDataObject& spy)
    {
        const std::string written = FileBytes(TargetFile());
        if (written != "<no file>")
        {
            EXPECT_EQ(written, Expected());
        }
        if (RunsOnWine())
        {
            EXPECT_EQ(written, "<no file>");
            EXPECT_EQ(spy.m_asked, std::set<std::string>{"Shell IDList Array"});
        }
    }

    static inline DWORD s_dwRegisterExitCode = ~0u;
    ComPtr<IShellFolder> m_desktop, m_registry, m_fsFolder;
    UniquePidl m_greeting;
    std::wstring m_target;
    ScratchKey m_scratch;
};

} // namespace

TEST_F(FileSystemDrop, TheRegisteredDataObjectCarriesTheExport)
{
    ComPtr<CSpyDataObject> spy = SpiedData();
    FORMATETC fe = {FileContentsFormat(), nullptr, DVASPECT_CONTENT, 0, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    ASSERT_EQ(spy->GetData(&fe, &medium), S_OK);
    {
        corvasin::GlobalLock lock(medium.hGlobal);
        EXPECT_EQ(std::string(lock.as<char>(), ::GlobalSize(medium.hGlobal)), Expected());
    }
    ::ReleaseStgMedium(&medium);
}

TEST_F(FileSystemDrop, ADropWithCopyWritesTheExportOrOnWineNothing)
{
    ComPtr<CSpyDataObject> spy = SpiedData();
    ComPtr<IDropTarget> drop;
    ASSERT_EQ(m_fsFolder->CreateViewObject(nullptr, IID_IDropTarget, drop.put_void()), S_OK);
    // Control held: a copy.
    DWORD dwEffect = DROPEFFECT_COPY;
    EXPECT_EQ(drop->DragEnter(spy.get(), MK_LBUTTON | MK_CONTROL, POINTL{}, &dwEffect), S_OK);
    EXPECT_EQ(dwEffect & DROPEFFECT_COPY, DWORD{DROPEFFECT_COPY});
    dwEffect = DROPEFFECT_COPY;
    drop->Drop(spy.get(), MK_CONTROL, POINTL{}, &dwEffect);
    CheckTarget(*spy.get());
}

TEST_F(FileSystemDrop, CopyThenPasteWritesTheExportOrOnWineNothing)
{
    ComPtr<CSpyDataObject> spy = SpiedData();
    ASSERT_EQ(::OleSetClipboard(spy.get()), S_OK);
    ComPtr<IContextMenu> background;
    ASSERT_EQ(m_fsFolder->CreateViewObject(nullptr, IID_IContextMenu, background.put_void()), S_OK);
    CMINVOKECOMMANDINFO ici = {sizeof(ici)};
    ici.lpVerb = "paste";
    ici.nShow = SW_SHOWNORMAL;
    background->InvokeCommand(&ici);
    ::OleSetClipboard(nullptr);
    CheckTarget(*spy.get());
}
