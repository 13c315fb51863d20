// The Export command driven for real: the save-file dialog and the export type dialog answered
// by a CBT hook, the file it writes, and the view's Export button exporting the view's
// selection or the whole key.
#include "commands/ExportCommand.h"

#include "core/ComObject.h"
#include "registry/FolderTestUtil.h"
#include "registry/MemoryByteSink.h"
#include "registry/RegFileWriter.h"
#include "resource.h"
#include "support/ModalDriver.h"
#include "support/RegistrySnapshot.h"
#include "support/ScratchKey.h"

#include <commdlg.h>
#include <dlgs.h>

#include <fstream>
#include <sstream>
#include <tuple>

namespace corvasin::test
{
namespace
{

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : "<no file>";
}

// What the user does in the export type dialog.
enum class TypeChoice
{
    Normal,          // OK as it opens
    Inverse,         // "Inverse", then OK
    InverseThenClose // "Inverse", then Escape: the first choice stands
};

class ExportCommand : public ::testing::Test
{
protected:
    ExportCommand()
    {
        key.SetString("Greeting", "hello \"world\"");
        key.SetDword("Count", 7);
        key.CreateSubkey("Child\\Grandchild");
        static_cast<IPersistFolder*>(m_pFolder->GetInterface(IID_IPersistFolder))
            ->Initialize(ItemId(REGITEM_KEY, "self").get());
        ::DeleteFileA(m_file.c_str());
        // The file dialog opens on the current folder: a small one keeps it quick to list.
        ::GetCurrentDirectoryA(MAX_PATH, m_szOldDirectory);
        ::SetCurrentDirectoryA(TempFile("").c_str());
    }
    ~ExportCommand() override
    {
        ::DeleteFileA(m_file.c_str());
        ::SetCurrentDirectoryA(m_szOldDirectory);
    }

    // What the file must hold: the header and the body of the same export into memory.
    std::string Expected(UINT cidl, bool bInverse)
    {
        CMemoryByteSink sink;
        WriteRegFileHeader(sink);
        WriteExportBody(*m_pFolder, cidl, cidl ? items : nullptr, bInverse, sink);
        return sink.Bytes();
    }

    // The scripts of the two dialogs: the file name typed (without its extension) and OK, then
    // the choice of the kind of file.
    std::vector<CModalDriver::Answer> Answers(TypeChoice choice)
    {
        return {
            [this](HWND hDlg) {
                // The file name field is an edit, or a combo box's edit.
                const HWND hField = ::GetDlgItem(hDlg, edt1) ? ::GetDlgItem(hDlg, edt1) : ::GetDlgItem(hDlg, cmb13);
                EXPECT_NE(hField, nullptr);
                char szFilter[64] = "";
                ::SendDlgItemMessageA(hDlg, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(szFilter));
                m_strFilter = szFilter;
                ::SetWindowTextA(hField, m_fileTyped.c_str());
                PressButton(hDlg, IDOK);
            },
            [this, choice](HWND hDlg) {
                m_typeTexts = ChildTexts(hDlg);
                m_bNormalChecked = ::IsDlgButtonChecked(hDlg, IDC_EXPORT_NORMAL) == BST_CHECKED;
                m_bHasCancel = ::GetDlgItem(hDlg, IDCANCEL) != nullptr;
                if (choice != TypeChoice::Normal)
                {
                    ::CheckDlgButton(hDlg, IDC_EXPORT_NORMAL, BST_UNCHECKED);
                    ::CheckDlgButton(hDlg, IDC_EXPORT_INVERSE, BST_CHECKED);
                    m_bInverseChecked = ::IsDlgButtonChecked(hDlg, IDC_EXPORT_INVERSE) == BST_CHECKED;
                }
                PressButton(hDlg, choice == TypeChoice::InverseThenClose ? IDCANCEL : IDOK);
            },
        };
    }

    ScratchKey key;
    CmdTargetPtr<CRegkeyExtension> m_pFolder = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, key.path().c_str(), &RegistryServices()));
    UniquePidl child = ItemId(REGITEM_KEY, "Child");
    UniquePidl greeting = ItemId(REGITEM_VALUE, "Greeting", 0, REG_SZ);
    LPCITEMIDLIST items[2] = {child.get(), greeting.get()};
    const std::string m_fileTyped = TempFile("corvasin-export-test");
    const std::string m_file = m_fileTyped + ".reg"; // the default extension is added
    std::string m_strFilter;
    std::vector<std::string> m_typeTexts;
    bool m_bNormalChecked = false, m_bInverseChecked = false, m_bHasCancel = true;
    char m_szOldDirectory[MAX_PATH] = "";
};

TEST_F(ExportCommand, WritesTheKindOfFileChosen)
{
    // The choice, the number of items selected, and whether the file deletes them.
    const std::tuple<TypeChoice, UINT, bool> rows[] = {
        {TypeChoice::Normal, 0, false}, {TypeChoice::Inverse, 0, true}, {TypeChoice::InverseThenClose, 0, false},
        {TypeChoice::Normal, 2, false}, {TypeChoice::Inverse, 2, true},
    };
    for (const auto& [choice, cidl, bInverse] : rows)
    {
        SCOPED_TRACE(testing::Message() << "choice " << static_cast<int>(choice) << ", " << cidl << " items");
        ::DeleteFileA(m_file.c_str());
        CModalDriver dialogs(Answers(choice));
        EXPECT_TRUE(cidl ? ExportItems(m_pFolder.get(), cidl, items, nullptr) : ExportKey(m_pFolder.get(), nullptr));
        ASSERT_EQ(dialogs.Seen().size(), 2u);
        EXPECT_EQ(dialogs.Seen()[1].caption, "Export type");
        EXPECT_EQ(ReadFile(m_file), Expected(cidl, bInverse));
    }
    EXPECT_EQ(m_strFilter, "Registry files (*.reg)");
    EXPECT_EQ(m_typeTexts, (std::vector<std::string>{"What type of reg file would you like?",
                                                     "Normal: Reg file that creates the selected keys or values",
                                                     "Inverse: Reg file that deletes the selected keys or values",
                                                     "OK"}));
    EXPECT_TRUE(m_bNormalChecked);
    EXPECT_TRUE(m_bInverseChecked);
    EXPECT_FALSE(m_bHasCancel);
}

TEST_F(ExportCommand, CancelInTheFileDialogWritesNoFile)
{
    CModalDriver dialogs({Press(IDCANCEL)});
    EXPECT_FALSE(ExportKey(m_pFolder.get(), nullptr));
    // The export type is never asked for.
    EXPECT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(::GetFileAttributesA(m_file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(ExportItems(m_pFolder.get(), 0, nullptr, nullptr));
    EXPECT_FALSE(ExportKey(nullptr, nullptr));
}

// Just enough of a browser for the shell's default view to make its window in a test window.
class CTestBrowser : public CComObject<CTestBrowser, IShellBrowser>
{
public:
    explicit CTestBrowser(HWND hwnd) noexcept : m_hwnd(hwnd) {}
    STDMETHODIMP GetWindow(HWND* phwnd) override
    {
        *phwnd = m_hwnd;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP EnableModelessSB(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP GetViewStateStream(DWORD, IStream**) override { return E_NOTIMPL; }
    STDMETHODIMP GetControlWindow(UINT, HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryActiveShellView(IShellView**) override { return E_NOTIMPL; }
    STDMETHODIMP OnViewWindowActive(IShellView*) override { return E_NOTIMPL; }
    STDMETHODIMP SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }

private:
    HWND m_hwnd;
};

TEST_F(ExportCommand, TheViewsExportButtonExportsItsSelectionOrTheWholeKey)
{
    UniqueHwnd frame(::CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                       nullptr, nullptr, nullptr));
    ASSERT_TRUE(frame);
    auto* pShellFolder = static_cast<IShellFolder*>(m_pFolder->GetInterface(IID_IShellFolder));
    ComPtr<IShellView> view;
    ASSERT_EQ(pShellFolder->CreateViewObject(frame.get(), IID_IShellView, view.put_void()), S_OK);
    ComPtr<IShellBrowser> browser = ComPtr<IShellBrowser>::Attach(new CTestBrowser(frame.get()));
    FOLDERSETTINGS fs = {FVM_DETAILS, 0};
    RECT rc = {0, 0, 400, 300};
    HWND hwndView = nullptr;
    ASSERT_EQ(view->CreateViewWindow(nullptr, &fs, browser.get(), &rc, &hwndView), S_OK);

    // Nothing selected: the whole key.
    {
        CModalDriver dialogs(Answers(TypeChoice::Normal));
        EXPECT_TRUE(m_pFolder->InvokeViewCommand(frame.get(), 2));
        EXPECT_EQ(ReadFile(m_file), Expected(0, false));
    }
    // One key and one value selected: those two, in the view's order. The file is there
    // already: the file dialog asks before it is replaced.
    ASSERT_EQ(view->SelectItem(child.get(), SVSI_SELECT), S_OK);
    ASSERT_EQ(view->SelectItem(greeting.get(), SVSI_SELECT), S_OK);
    {
        auto answers = Answers(TypeChoice::Inverse);
        std::vector<std::string> question;
        answers.insert(answers.begin() + 1, [&question](HWND hBox) {
            question = ChildTexts(hBox);
            PressButton(hBox, IDYES);
        });
        CModalDriver dialogs(answers);
        EXPECT_TRUE(m_pFolder->InvokeViewCommand(frame.get(), 2));
        EXPECT_EQ(ReadFile(m_file), Expected(2, true));
        EXPECT_EQ(dialogs.Seen().size(), 3u);
        EXPECT_NE(std::find_if(question.begin(), question.end(),
                               [](const std::string& s) { return s.find("already exists") != std::string::npos; }),
                  question.end());
    }
    EXPECT_FALSE(m_pFolder->InvokeViewCommand(frame.get(), 1));
    view->DestroyViewWindow();
}

} // namespace
} // namespace corvasin::test
