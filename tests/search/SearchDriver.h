// Helpers of the search tests: a key folder placed where the desktop puts it (so that results
// bind back through the desktop), the find dialog filled by the dialog driver, and the results
// window read and closed from the test thread while the search thread serves it.
#pragma once

#include "core/CmdTargetPtr.h"
#include "core/Module.h"
#include "editors/DialogDriver.h"
#include "install/DllUnderTest.h"
#include "registry/FolderTestUtil.h"
#include "search/FindDialog.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <ostream>
#include <string>
#include <vector>

namespace corvasin::test
{

// Writes a value below HKCU, creating its key.
inline void PutValue(const std::string& keyPath, const char* pszName, DWORD dwType, const std::string& bytes)
{
    const DWORD cb = static_cast<DWORD>(bytes.size());
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, keyPath.c_str(), pszName, dwType, bytes.data(), cb), ERROR_SUCCESS);
}

// A key folder of this program for HKCU\<path>, initialised with the id list the desktop parses
// for it below the namespace junction.
inline CmdTargetPtr<CRegkeyExtension> PlacedKeyFolder(const std::string& hkcuPath)
{
    auto pFolder = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, hkcuPath.c_str(), &RegistryServices()));
    ComPtr<IShellFolder> pDesktop;
    ::SHGetDesktopFolder(pDesktop.put());
    const std::string text = "::" + GuidString(CLSID_CorvasinFolder) + "\\HKCU\\" + hkcuPath;
    std::wstring wide(text.begin(), text.end());
    UniquePidl pidl;
    pDesktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, pidl.put(), nullptr);
    EXPECT_TRUE(pidl) << "the desktop does not parse " << hkcuPath;
    static_cast<IPersistFolder*>(pFolder->GetInterface(IID_IPersistFolder))->Initialize(pidl.get());
    return pFolder;
}

// The dialog's choices, as a user sets them or as the dialog shows them.
struct FindChoices
{
    std::string text;
    bool bKeys = true, bValues = true, bData = true, bIgnoreCase = true, bLowPriority = true;
};

// A driver step that reads the dialog, fills it in and presses Find (or Cancel).
inline CDialogDriver::Step FillFindDialog(const FindChoices& input, FindChoices* pShown, bool bFind = true)
{
    return [=](HWND hDlg) {
        if (pShown)
            *pShown = {ItemText(hDlg, IDC_FIND_TEXT),         IsChecked(hDlg, IDC_FIND_KEYS),
                       IsChecked(hDlg, IDC_FIND_VALUES),      IsChecked(hDlg, IDC_FIND_DATA),
                       IsChecked(hDlg, IDC_FIND_IGNORE_CASE), IsChecked(hDlg, IDC_FIND_LOW_PRIORITY)};
        const std::pair<int, bool> checks[] = {{IDC_FIND_KEYS, input.bKeys}, {IDC_FIND_VALUES, input.bValues},
                                               {IDC_FIND_DATA, input.bData}, {IDC_FIND_IGNORE_CASE, input.bIgnoreCase}};
        for (const auto& [nID, bOn] : checks)
            ::CheckDlgButton(hDlg, nID, bOn ? BST_CHECKED : BST_UNCHECKED);
        ::SetDlgItemTextA(hDlg, IDC_FIND_TEXT, input.text.c_str());
        const int nButton = bFind ? IDOK : IDCANCEL;
        ::SetFocus(::GetDlgItem(hDlg, nButton));
        ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nButton)));
    };
}

// One row of the results list as the user reads it.
struct ResultRow
{
    std::string name, location;
    int iImage = -1;
    bool operator==(const ResultRow&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const ResultRow& row)
{
    return os << "{" << row.name << ", " << row.location << ", " << row.iImage << "}";
}

inline std::vector<HWND> ResultsWindows()
{
    std::vector<HWND> windows;
    for (HWND hwnd = ::FindWindowExA(nullptr, nullptr, "#32770", "Search results"); hwnd;
         hwnd = ::FindWindowExA(nullptr, hwnd, "#32770", "Search results"))
        windows.push_back(hwnd);
    return windows;
}

// The results window of another thread, once it exists (null after 10 s).
inline HWND WaitForResultsWindow()
{
    for (int i = 0; i < 1000; ++i, ::Sleep(10))
        for (const HWND hwnd : ResultsWindows())
            if (::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId())
                return hwnd;
    return nullptr;
}

inline std::string StatusText(HWND hwndResults) { return WindowText(::GetDlgItem(hwndResults, IDC_RESULTS_STATUS)); }

// Reads the status line until bDone(status) (false once the window is gone, or after 30 s); every
// status seen on the way is appended to pSeen.
template <typename Done>
bool WaitForStatus(HWND hwndResults, Done bDone, std::vector<std::string>* pSeen = nullptr)
{
    std::vector<std::string> seen;
    pSeen = pSeen ? pSeen : &seen;
    for (int i = 0; i < 30000 / 5 && ::IsWindow(hwndResults); ++i, ::Sleep(5))
    {
        const std::string status = StatusText(hwndResults);
        if (pSeen->empty() || pSeen->back() != status)
            pSeen->push_back(status);
        if (bDone(status))
            return true;
    }
    return false;
}

inline bool WaitForDone(HWND hwndResults)
{
    return WaitForStatus(hwndResults, [](const std::string& status) { return status == "Done!"; });
}

inline std::vector<ResultRow> ReadResults(HWND hwndResults)
{
    const HWND hwndList = ::GetDlgItem(hwndResults, IDC_RESULTS_LIST);
    auto text = [hwndList](int iItem, int iSubItem) {
        char sz[512] = "";
        LVITEMA item = {0, 0, iSubItem, 0, 0, sz, sizeof(sz)};
        ::SendMessageA(hwndList, LVM_GETITEMTEXTA, iItem, reinterpret_cast<LPARAM>(&item));
        return std::string(sz);
    };
    std::vector<ResultRow> rows;
    // The rows there are now: a search still running adds more.
    const int cItems = static_cast<int>(::SendMessageA(hwndList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < cItems; ++i)
    {
        LVITEMA item = {LVIF_IMAGE, i};
        ::SendMessageA(hwndList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        rows.push_back({text(i, 0), text(i, 1), item.iImage});
    }
    return rows;
}

// The thread that owns a window, to wait for its end.
inline UniqueHandle WindowThread(HWND hwnd)
{
    return UniqueHandle(::OpenThread(SYNCHRONIZE, FALSE, ::GetWindowThreadProcessId(hwnd, nullptr)));
}

// Closes a window of another thread as its close box does and waits for that thread to end.
inline bool CloseAndWaitForThread(HWND hwnd)
{
    const UniqueHandle thread = WindowThread(hwnd);
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return thread && ::WaitForSingleObject(thread.get(), 10000) == WAIT_OBJECT_0;
}

// Registers the DLL once (results bind back through the desktop), keeps the settings key out of
// the way and checks that every folder object the test made is gone at its end.
class SearchTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_dwRegistered = RegisterDll(); }

    void SetUp() override
    {
        ASSERT_EQ(s_dwRegistered, 0u) << "regsvr32 " << CorvasinDllPath();
        ::SHDeleteKeyA(HKEY_CURRENT_USER, CFindDialog::c_szSettingsKey);
        m_nLockCount = g_nLockCount.load();
    }
    void TearDown() override
    {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, CFindDialog::c_szSettingsKey);
        EXPECT_EQ(g_nLockCount.load(), m_nLockCount) << "folder objects left behind";
    }

    inline static DWORD s_dwRegistered = ~0u;
    LONG m_nLockCount = 0;
};

} // namespace corvasin::test
