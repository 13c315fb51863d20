// Helpers of the search tests: a key folder placed where the desktop puts it (so that results
// bind back through the desktop), the find dialog filled by the dialog driver, and the results
// window read and closed from the test thread while the search thread serves it.
#pragma once

#include "app/CorvasinFactory.h"
#include "app/Guids.h"
#include "core/CmdTargetPtr.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/Module.h"
#include "editors/DialogDriver.h"
#include "install/DllUnderTest.h"
#include "framework/ItemIdList.h"
#include "registry/RegItem.h"
#include "registry/RegkeyExtension.h"
#include "search/FindDialog.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <ostream>
#include <string>
#include <vector>

namespace corvasin::test
{

// Writes a value below HKCU, creating its key.
inline void PutValue(const std::string& keyPath, const char* pszName, DWORD dwType, const std::string& bytes)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    if (pszName)
        ::RegSetValueExA(hKey, pszName, 0, dwType, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(hKey);
}

inline void PutKey(const std::string& keyPath) { PutValue(keyPath, nullptr, 0, {}); }

// A one-id list of a key or value item, as a selection holds it.
inline UniquePidl ItemIdFor(DWORD dwKind, const char* pszName)
{
    const REGITEM item = MakeRegItem(dwKind, 0, pszName);
    return UniquePidl(MakeItemIdList(&item, sizeof(item)));
}

// HKCU\<path> as the desktop parses it below the namespace junction.
inline UniquePidl DesktopPidl(const std::string& hkcuPath)
{
    ComPtr<IShellFolder> pDesktop;
    ::SHGetDesktopFolder(pDesktop.put());
    const std::string text = "::" + GuidString(CLSID_CorvasinFolder) + "\\HKCU\\" + hkcuPath;
    std::wstring wide(text.begin(), text.end());
    UniquePidl pidl;
    pDesktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, pidl.put(), nullptr);
    return pidl;
}

// A key folder of this program for HKCU\<path>, initialised with the desktop's id list.
inline CmdTargetPtr<CRegkeyExtension> PlacedKeyFolder(const std::string& hkcuPath)
{
    auto pFolder = CmdTargetPtr<CRegkeyExtension>::Attach(
        new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, hkcuPath.c_str(), &RegistryServices()));
    const UniquePidl pidl = DesktopPidl(hkcuPath);
    EXPECT_TRUE(pidl) << "the desktop does not parse " << hkcuPath;
    static_cast<IPersistFolder*>(pFolder->GetInterface(IID_IPersistFolder))->Initialize(pidl.get());
    return pFolder;
}

// The dialog's choices as a user sets them.
struct FindInput
{
    const char* pszText;
    bool bKeys = true;
    bool bValues = true;
    bool bData = true;
    bool bIgnoreCase = true;
};

// What the dialog showed when it opened.
struct FindDialogState
{
    bool bKeys = false, bValues = false, bData = false, bIgnoreCase = false, bLowPriority = false;
    std::string text;
};

// A driver step that reads the dialog, fills it in and presses Find (or Cancel).
inline CDialogDriver::Step FillFindDialog(const FindInput& input, FindDialogState* pShown,
                                          bool bFind = true)
{
    return [=](HWND hDlg) {
        if (pShown)
        {
            *pShown = {IsChecked(hDlg, IDC_FIND_KEYS), IsChecked(hDlg, IDC_FIND_VALUES),
                       IsChecked(hDlg, IDC_FIND_DATA), IsChecked(hDlg, IDC_FIND_IGNORE_CASE),
                       IsChecked(hDlg, IDC_FIND_LOW_PRIORITY), ItemText(hDlg, IDC_FIND_TEXT)};
        }
        const std::pair<int, bool> checks[] = {{IDC_FIND_KEYS, input.bKeys},
                                               {IDC_FIND_VALUES, input.bValues},
                                               {IDC_FIND_DATA, input.bData},
                                               {IDC_FIND_IGNORE_CASE, input.bIgnoreCase}};
        for (const auto& [nID, bOn] : checks)
            ::CheckDlgButton(hDlg, nID, bOn ? BST_CHECKED : BST_UNCHECKED);
        ::SetDlgItemTextA(hDlg, IDC_FIND_TEXT, input.pszText);
        const int nButton = bFind ? IDOK : IDCANCEL;
        ::SetFocus(::GetDlgItem(hDlg, nButton));
        ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nButton, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nButton)));
    };
}

// One row of the results list as the user reads it.
struct ResultRow
{
    std::string name;
    std::string location;
    int iImage = -1;
    bool operator==(const ResultRow& other) const
    {
        return name == other.name && location == other.location && iImage == other.iImage;
    }
};

inline std::ostream& operator<<(std::ostream& os, const ResultRow& row)
{
    return os << "{" << row.name << ", " << row.location << ", " << row.iImage << "}";
}

// The results window of another thread, once it exists (null after 10 s).
inline HWND WaitForResultsWindow(HWND hwndAfter = nullptr)
{
    for (int i = 0; i < 1000; ++i)
    {
        for (HWND hwnd = ::FindWindowExA(nullptr, hwndAfter, "#32770", "Search results"); hwnd;
             hwnd = ::FindWindowExA(nullptr, hwnd, "#32770", "Search results"))
        {
            if (::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId())
                return hwnd;
        }
        ::Sleep(10);
    }
    return nullptr;
}

inline std::string StatusText(HWND hwndResults)
{
    return WindowText(::GetDlgItem(hwndResults, IDC_RESULTS_STATUS));
}

// Waits for the status "Done!"; every status seen on the way is appended to pSeen.
inline bool WaitForDone(HWND hwndResults, std::vector<std::string>* pSeen = nullptr, int nMs = 30000)
{
    for (int i = 0; i < nMs / 5 && ::IsWindow(hwndResults); ++i)
    {
        const std::string status = StatusText(hwndResults);
        if (pSeen && (pSeen->empty() || pSeen->back() != status))
            pSeen->push_back(status);
        if (status == "Done!")
            return true;
        ::Sleep(5);
    }
    return false;
}

inline std::vector<ResultRow> ReadResults(HWND hwndResults)
{
    const HWND hwndList = ::GetDlgItem(hwndResults, IDC_RESULTS_LIST);
    std::vector<ResultRow> rows;
    const int cItems = static_cast<int>(::SendMessageA(hwndList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < cItems; ++i)
    {
        ResultRow row;
        char sz[512];
        for (int iSub = 0; iSub < 2; ++iSub)
        {
            LVITEMA item = {};
            item.iSubItem = iSub;
            item.pszText = sz;
            item.cchTextMax = sizeof(sz);
            sz[0] = '\0';
            ::SendMessageA(hwndList, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            (iSub == 0 ? row.name : row.location) = sz;
        }
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        ::SendMessageA(hwndList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        row.iImage = item.iImage;
        rows.push_back(row);
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
