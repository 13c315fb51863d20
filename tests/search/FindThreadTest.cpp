// The Find... command for real: the find dialog driven by a CBT hook, the search thread and its
// results window under Xvfb, read from the test thread while the search thread serves it.
#include "search/SearchDriver.h"
#include "support/ScratchKey.h"

#include "search/ShellWindowThread.h"

#include <algorithm>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

constexpr int kKeyIcon = 0;
constexpr int kTextIcon = 1;
constexpr int kOtherIcon = 2;

std::string Bytes(const char* p, size_t cb) { return std::string(p, cb); }

// The scratch key S holds:
//   topvalue = "aBc"
//   Data: (default) = "need-default", bin = 01 "need" 00, dword = the bytes "need",
//         multi = "a need" "second need", needName = "need too"
//   Deep\Deeper: deepval = "need deep"
//   XABCY: inner = "nothing"
class FindCommand : public SearchTest
{
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        PutValue(S(), "topvalue", REG_SZ, Bytes("aBc", 4));
        // Created in name order, which is the order of enumeration on Windows and Wine alike.
        PutValue(S("Data"), "", REG_SZ, Bytes("need-default", 13));
        PutValue(S("Data"), "bin", REG_BINARY, Bytes("\x01need\x00", 6));
        PutValue(S("Data"), "dword", REG_DWORD, Bytes("need", 4));
        PutValue(S("Data"), "multi", REG_MULTI_SZ, Bytes("a need\0second need\0", 20));
        PutValue(S("Data"), "needName", REG_SZ, Bytes("need too", 9));
        PutValue(S("Deep\\Deeper"), "deepval", REG_SZ, Bytes("need deep", 10));
        PutValue(S("XABCY"), "inner", REG_SZ, Bytes("nothing", 8));
    }

    std::string S(const std::string& sub = "") const { return m_scratch.path() + (sub.empty() ? "" : "\\" + sub); }

    // Runs Find... on the folder (with a selection, or none) and waits for "Done!"; the results
    // window stays open for the caller (null when the search did not finish).
    HWND Find(CRegkeyExtension* pFolder, const FindChoices& input, std::vector<LPCITEMIDLIST> selection = {},
              FindChoices* pShown = nullptr)
    {
        CDialogDriver driver({FillFindDialog(input, pShown)});
        const UINT cidl = static_cast<UINT>(selection.size());
        EXPECT_TRUE(pFolder->FindItems(cidl, cidl ? selection.data() : nullptr, nullptr));
        const HWND hwndResults = WaitForResultsWindow();
        EXPECT_NE(hwndResults, nullptr);
        return hwndResults && WaitForDone(hwndResults) ? hwndResults : nullptr;
    }

    ScratchKey m_scratch;
};

// The list item's label, in the list's client coordinates.
POINT ItemPoint(HWND hwndList, int iItem)
{
    RECT rc = {LVIR_LABEL};
    ::SendMessageA(hwndList, LVM_GETITEMRECT, iItem, reinterpret_cast<LPARAM>(&rc));
    return {rc.left + 4, (rc.top + rc.bottom) / 2};
}

// Posts what a mouse click (or double click) on a list item produces.
void PostClick(HWND hwndList, int iItem, bool bDouble)
{
    const POINT pt = ItemPoint(hwndList, iItem);
    for (int n = 0; n < (bDouble ? 2 : 1); ++n)
    {
        ::PostMessageA(hwndList, n ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        ::PostMessageA(hwndList, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
}

HWND WaitForWindow(const char* pszClass, int nMs)
{
    for (int i = 0; i < nMs / 10; ++i, ::Sleep(10))
        if (HWND hwnd = ::FindWindowA(pszClass, nullptr); hwnd && ::IsWindowVisible(hwnd))
            return hwnd;
    return nullptr;
}

} // namespace

TEST_F(FindCommand, ListsWhatMatchesNewestFirstWithLocationAndIcon)
{
    // Newest first; locations are below the scratch key ("" for the scratch key itself).
    using Expected = std::vector<std::tuple<const char*, const char*, int>>;
    const Expected everyNeed = {{"deepval", "Deep\\Deeper", kTextIcon}, {"needName", "Data", kTextIcon},
                                {"multi", "Data", kTextIcon},           {"bin", "Data", kOtherIcon},
                                {"(default)", "Data", kTextIcon}};
    const std::tuple<const char*, FindChoices, bool, Expected> rows[] = {
        {"ignore case finds a key name and string data", {"abc", true, true, true, true}, false,
         {{"XABCY", "", kKeyIcon}, {"topvalue", "", kTextIcon}}},
        {"case counts without ignore case", {"abc", true, true, true, false}, false, {}},
        {"data only: subkeys still walked, each value once, (default), binary, never a DWORD",
         {"need", false, false, true, false}, false, everyNeed},
        {"a value whose name and data match is listed once", {"NEED", true, true, true, true}, false, everyNeed},
        {"an empty text lists everything below the selected key, not the selected value",
         {"", true, true, true, true}, true,
         {{"deepval", "Deep\\Deeper", kTextIcon}, {"Deeper", "Deep", kKeyIcon}, {"Deep", "", kKeyIcon}}},
    };

    CmdTargetPtr<CRegkeyExtension> pFolder = PlacedKeyFolder(S());
    const UniquePidl pidlDeep = ItemId(REGITEM_KEY, "Deep");
    const UniquePidl pidlTopvalue = ItemId(REGITEM_VALUE, "topvalue");
    for (const auto& [pszCase, input, bSelectDeepAndTopvalue, expectedRows] : rows)
    {
        SCOPED_TRACE(pszCase);
        std::vector<LPCITEMIDLIST> selection;
        if (bSelectDeepAndTopvalue)
            selection = {pidlDeep.get(), pidlTopvalue.get()};
        const HWND hwndResults = Find(pFolder.get(), input, selection);
        ASSERT_NE(hwndResults, nullptr);
        std::vector<ResultRow> expected;
        for (const auto& [pszName, pszBelow, iImage] : expectedRows)
            expected.push_back({pszName, S(pszBelow), iImage});
        EXPECT_EQ(ReadResults(hwndResults), expected);
        EXPECT_TRUE(CloseAndWaitForThread(hwndResults));
    }
}

TEST_F(FindCommand, RemembersTheChoicesFromTheFirstUseOn)
{
    CmdTargetPtr<CRegkeyExtension> pFolder = PlacedKeyFolder(S("XABCY"));
    FindChoices shown = {"<not shown>", false, false, false, false, false};
    HWND hwndResults = Find(pFolder.get(), {"abc", false, true, true, true}, {}, &shown);
    ASSERT_NE(hwndResults, nullptr);
    EXPECT_TRUE(CloseAndWaitForThread(hwndResults));

    // First use: every box checked, no text.
    EXPECT_TRUE(shown.bKeys && shown.bValues && shown.bData && shown.bIgnoreCase && shown.bLowPriority);
    EXPECT_EQ(shown.text, "");
    const std::string key = CFindDialog::c_szSettingsKey;
    const std::pair<const char*, DWORD> values[] = {
        {"data", 1}, {"keys", 0}, {"values", 1}, {"ignorecase", 1}, {"lowpriority", 1}};
    for (const auto& [pszName, dwExpected] : values)
    {
        const RegValue value = ReadValue(HKEY_CURRENT_USER, key, pszName);
        EXPECT_EQ(value.dwType, static_cast<DWORD>(REG_DWORD)) << pszName;
        EXPECT_EQ(value.data, std::string(reinterpret_cast<const char*>(&dwExpected), 4)) << pszName;
    }
    const RegValue text = ReadValue(HKEY_CURRENT_USER, key, "searchstring");
    EXPECT_EQ(text.dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text.data, Bytes("abc", 4));

    // The next time the dialog shows them; Cancel starts nothing and saves nothing.
    CDialogDriver driver({FillFindDialog({"other", true, true, true, true}, &shown, false)});
    EXPECT_TRUE(pFolder->FindItems(0, nullptr, nullptr));
    EXPECT_FALSE(shown.bKeys);
    EXPECT_TRUE(shown.bValues && shown.bData && shown.bIgnoreCase && shown.bLowPriority);
    EXPECT_EQ(shown.text, "abc");
    EXPECT_EQ(::FindWindowA("#32770", "Search results"), nullptr);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key, "searchstring").data, Bytes("abc", 4));
}

TEST_F(FindCommand, ClosingTheWindowMidSearchStopsTheWalk)
{
    // Enough keys (K000 to K299) that the walk is still going when the window closes.
    for (int i = 0; i < 300; ++i)
        for (int v = 0; v < 8; ++v)
            PutValue(S("Big\\K" + std::to_string(1000 + i).substr(1)), ("v" + std::to_string(v)).c_str(), REG_SZ,
                     Bytes("text", 5));
    CmdTargetPtr<CRegkeyExtension> pFolder = PlacedKeyFolder(S("Big"));
    CDialogDriver driver({FillFindDialog({"", true, true, true, true}, nullptr)});
    ASSERT_TRUE(pFolder->FindItems(0, nullptr, nullptr));
    const HWND hwndResults = WaitForResultsWindow();
    ASSERT_NE(hwndResults, nullptr);
    const UniqueHandle thread = WindowThread(hwndResults);

    std::vector<std::string> seen;
    WaitForStatus(hwndResults, [](const std::string& status) { return status.find("\\Big\\K") != std::string::npos; },
                  &seen);
    const int cListed = static_cast<int>(ReadResults(hwndResults).size());
    ::PostMessageA(hwndResults, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(thread.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_LT(cListed, 300 * 9);
    for (const std::string& status : seen)
        EXPECT_NE(status, "Done!");
    EXPECT_FALSE(::IsWindow(hwndResults));
}

TEST_F(FindCommand, ResizingKeepsTheStatusLineFiftyPixelsHighAtTheBottom)
{
    CmdTargetPtr<CRegkeyExtension> pFolder = PlacedKeyFolder(S("XABCY"));
    const HWND hwndResults = Find(pFolder.get(), {"", true, true, true, true});
    ASSERT_NE(hwndResults, nullptr);
    // A child's left, top, right and bottom in the window's client coordinates.
    auto childRect = [&](int nID) {
        RECT rc = {};
        ::GetWindowRect(::GetDlgItem(hwndResults, nID), &rc);
        ::MapWindowPoints(nullptr, hwndResults, reinterpret_cast<POINT*>(&rc), 2);
        return std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom};
    };
    for (const SIZE size : {SIZE{640, 420}, SIZE{300, 200}})
    {
        ::SetWindowPos(hwndResults, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT rcClient = {};
        ::GetClientRect(hwndResults, &rcClient);
        EXPECT_EQ(childRect(IDC_RESULTS_LIST), (std::vector<LONG>{0, 0, rcClient.right, rcClient.bottom - 50}));
        EXPECT_EQ(childRect(IDC_RESULTS_STATUS),
                  (std::vector<LONG>{0, rcClient.bottom - 50, rcClient.right, rcClient.bottom}));
    }
    EXPECT_TRUE(CloseAndWaitForThread(hwndResults));
}

TEST_F(FindCommand, DoubleClickOpensAKeyInItsPlaceAndAValueInItsKey)
{
    CmdTargetPtr<CRegkeyExtension> pFolder = PlacedKeyFolder(S("Deep"));
    // Newest first: deepval, Deeper, Deep.
    const HWND hwndResults = Find(pFolder.get(), {"deep", true, true, false, true});
    ASSERT_NE(hwndResults, nullptr);
    const HWND hwndList = ::GetDlgItem(hwndResults, IDC_RESULTS_LIST);
    ASSERT_EQ(ReadResults(hwndResults).size(), 3u);

    // The shell's click setting is double click (Wine's always is): one click opens nothing.
    PostClick(hwndList, 1, false);
    EXPECT_EQ(WaitForWindow(CShellWindowThread::c_szWindowClass, 300), nullptr);

    const std::pair<int, const char*> rows[] = {{0, "Deeper"}, {1, "Deeper"}, {2, "Deep"}};
    for (const auto& [iItem, pszOpened] : rows)
    {
        SCOPED_TRACE(iItem);
        PostClick(hwndList, iItem, true);
        const HWND hwndShell = WaitForWindow(CShellWindowThread::c_szWindowClass, 10000);
        ASSERT_NE(hwndShell, nullptr);
        EXPECT_EQ(WindowText(hwndShell), pszOpened);
        EXPECT_TRUE(CloseAndWaitForThread(hwndShell));
    }
    EXPECT_TRUE(CloseAndWaitForThread(hwndResults));
}

TEST_F(FindCommand, RightClickShowsTheItemsShellMenuWithOpenFolderFirst)
{
    CmdTargetPtr<CRegkeyExtension> pFolder = PlacedKeyFolder(S("Deep"));
    const HWND hwndResults = Find(pFolder.get(), {"deep", true, true, false, true});
    ASSERT_NE(hwndResults, nullptr);
    const HWND hwndList = ::GetDlgItem(hwndResults, IDC_RESULTS_LIST);

    // deepval (a value): "Open folder" is the default; Deeper (a key): the shell menu's Open is.
    const std::pair<int, const char*> rows[] = {{0, "Open folder"}, {1, "&Open"}};
    for (const auto& [iItem, pszDefault] : rows)
    {
        SCOPED_TRACE(iItem);
        POINT pt = ItemPoint(hwndList, iItem);
        ::ClientToScreen(hwndList, &pt);
        ::PostMessageA(hwndList, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwndList), MAKELPARAM(pt.x, pt.y));

        const HWND hwndMenu = WaitForWindow("#32768", 10000);
        ASSERT_NE(hwndMenu, nullptr);
        const auto hMenu = reinterpret_cast<HMENU>(::SendMessageA(hwndMenu, MN_GETHMENU, 0, 0));
        std::vector<std::string> entries;
        for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i)
        {
            char sz[128] = "";
            ::GetMenuStringA(hMenu, i, sz, sizeof(sz), MF_BYPOSITION);
            entries.push_back(sz);
        }
        const UINT iDefault = ::GetMenuDefaultItem(hMenu, TRUE, 0);
        ::PostMessageA(hwndMenu, WM_KEYDOWN, VK_ESCAPE, 0);

        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.front(), "Open folder");
        ASSERT_LT(iDefault, entries.size());
        EXPECT_EQ(entries[iDefault], pszDefault);
        // The shell menu of the item follows.
        EXPECT_NE(std::find(entries.begin(), entries.end(), "&Delete"), entries.end());
        for (int i = 0; i < 500 && ::IsWindowVisible(hwndMenu); ++i)
            ::Sleep(10);
    }
    EXPECT_TRUE(CloseAndWaitForThread(hwndResults));
}
