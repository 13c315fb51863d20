// The UI object as a context menu: the base entries for attribute and flag combinations, the
// dispatch of invoked commands, rename, copy and paste.
#include "ShellUIObjectTestFolder.h"

#include "framework/FolderMenu.h"
#include "support/TableRow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace corvasin::test
{
namespace
{

constexpr UINT kFirst = 100;
constexpr UINT kLast = 0x7FFF;
constexpr HRESULT kEightIds = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8);
constexpr ULONG kAll = SFGAO_BROWSABLE | SFGAO_HASPROPSHEET | SFGAO_CANDELETE | SFGAO_CANRENAME | SFGAO_CANCOPY;

struct Entry
{
    std::string text; // empty for a separator
    UINT id;
    bool bDefault;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Entry& e)
{
    return os << "{\"" << e.text << "\", " << e.id << (e.bDefault ? ", default}" : "}");
}

const Entry kSeparator{"", 0, false};
const Entry kExplore{"&Explore", kFirst + kCmdExplore, false};
const Entry kOpen{"&Open", kFirst + kCmdOpen, false};
const Entry kProperties{"&Properties", kFirst + kCmdProperties, false};
const Entry kDelete{"&Delete", kFirst + kCmdDelete, false};
const Entry kRename{"&Rename", kFirst + kCmdRename, false};
const Entry kCopy{"&Copy", kFirst + kCmdCopy, false};

Entry Default(Entry entry)
{
    return {entry.text, entry.id, true};
}

std::vector<Entry> ReadMenu(HMENU hmenu)
{
    std::vector<Entry> entries;
    for (int i = 0; i < ::GetMenuItemCount(hmenu); ++i)
    {
        char szText[64] = {};
        MENUITEMINFOA mii = {sizeof(mii), MIIM_STATE | MIIM_ID | MIIM_TYPE};
        mii.dwTypeData = szText;
        mii.cch = sizeof(szText);
        EXPECT_TRUE(::GetMenuItemInfoA(hmenu, i, TRUE, &mii));
        entries.push_back({(mii.fType & MFT_SEPARATOR) ? "" : szText, mii.wID, (mii.fState & MFS_DEFAULT) != 0});
    }
    return entries;
}

HRESULT Invoke(CTestUIObject* pUI, LPCSTR pszVerb)
{
    CMINVOKECOMMANDINFO ici = {sizeof(ici)};
    ici.lpVerb = pszVerb;
    ici.nShow = SW_SHOWNORMAL;
    return InterfaceOf<IContextMenu>(pUI)->InvokeCommand(&ici);
}

LPCSTR Offset(UINT uOffset)
{
    return MAKEINTRESOURCEA(uOffset);
}

// A UI object over one item of every attribute.
struct ShellUIObjectMenu : testing::Test, OneItem
{
    ShellUIObjectMenu() : OneItem(kAll) {}
};

// The items of a selection by their attributes (no items at all: a UI object without a folder),
// how many of them the UI object is given, and the flags and last id the shell asks with.
struct MenuCase : test::Row
{
    std::vector<ULONG> items;
    int nGiven;
    UINT uFlags;
    UINT idLast;
    std::vector<Entry> entries;
};
using ShellUIObjectMenuEntries = testing::TestWithParam<MenuCase>;

TEST_P(ShellUIObjectMenuEntries, Builds)
{
    const MenuCase& menuCase = GetParam();
    std::vector<CTestItemFolder::Item> items;
    for (ULONG ulAttributes : menuCase.items)
        items.push_back({ulAttributes, "", "a"});
    TestSelection selection(items);
    Held ui(items.empty() ? MakeBareUIObject() : selection.MakeUIObject(menuCase.nGiven));
    UniqueHmenu menu(::CreatePopupMenu());
    EXPECT_EQ(ui.As<IContextMenu>()->QueryContextMenu(menu.get(), 0, kFirst, menuCase.idLast, menuCase.uFlags),
              kEightIds);
    EXPECT_EQ(ReadMenu(menu.get()), menuCase.entries);
}

INSTANTIATE_TEST_SUITE_P(
    ShellUIObjectMenu, ShellUIObjectMenuEntries,
    testing::Values(
        MenuCase{"OffersOpenAsDefaultThenExploreAndWhatTheAttributesAllow", {kAll}, -1, CMF_NORMAL, kLast,
                 {Default(kOpen), kExplore, kSeparator, kProperties, kDelete, kRename, kCopy}},
        MenuCase{"PutsExploreFirstAsDefaultWhenTheShellExplores", {SFGAO_BROWSABLE}, -1, CMF_EXPLORE, kLast,
                 {Default(kExplore), kOpen, kSeparator}},
        MenuCase{"AddsOnlyTheDefaultEntryWhenAskedForTheDefaultOnly", {kAll}, -1, CMF_DEFAULTONLY, kLast,
                 {Default(kOpen)}},
        MenuCase{"AddsOnlyTheDefaultEntryWhenAskedForTheDefaultOnlyWhileExploring", {kAll}, -1,
                 CMF_DEFAULTONLY | CMF_EXPLORE, kLast, {Default(kExplore)}},
        MenuCase{"AddsNothingForTheDefaultOnlyOfAnItemThatCannotBeBrowsed", {kAll & ~SFGAO_BROWSABLE}, -1,
                 CMF_DEFAULTONLY, kLast, {}},
        MenuCase{"MarksNoEntryDefaultWhenTheShellSaysNoDefault", {SFGAO_BROWSABLE}, -1, CMF_NODEFAULT, kLast,
                 {kOpen, kExplore, kSeparator}},
        MenuCase{"NeverOffersRenameOrCopyForTwoItems", {kAll & ~SFGAO_BROWSABLE, kAll}, -1, CMF_NORMAL, kLast,
                 {kSeparator, kProperties, kDelete}},
        MenuCase{"ReadsTheAttributesOfTheFirstItemOnly", {SFGAO_CANCOPY, kAll}, 1, CMF_NORMAL, kLast,
                 {kSeparator, kCopy}},
        MenuCase{"LeavesOutEntriesBeyondTheShellsLastCommandId", {kAll}, -1, CMF_NORMAL, kFirst + 3,
                 {Default(kOpen), kExplore, kSeparator, kProperties}},
        MenuCase{"OffersOnlyASeparatorWithoutAFolder", {}, -1, CMF_NORMAL, kLast, {kSeparator}}),
    test::RowName());

TEST_F(ShellUIObjectMenu, InsertsAtTheGivenPositionAmongTheShellsEntries)
{
    OneItem deletable(SFGAO_CANDELETE);
    UniqueHmenu menu(::CreatePopupMenu());
    ::AppendMenuA(menu.get(), MF_STRING, 1, "first");
    ::AppendMenuA(menu.get(), MF_STRING, 2, "last");
    ASSERT_EQ(deletable.ui.As<IContextMenu>()->QueryContextMenu(menu.get(), 1, kFirst, kLast, CMF_NORMAL), kEightIds);
    EXPECT_EQ(ReadMenu(menu.get()),
              (std::vector<Entry>{{"first", 1, false}, kSeparator, kDelete, {"last", 2, false}}));
}

TEST_F(ShellUIObjectMenu, RefusesAMissingMenu)
{
    EXPECT_EQ(ui.As<IContextMenu>()->QueryContextMenu(nullptr, 0, kFirst, kLast, 0), E_INVALIDARG);
}

// Verbs (by text or command offset) that fail on a selection of items of all attributes (none:
// a UI object without a folder), and drop nothing on the way.
struct FailingVerbs : test::Row
{
    int nItems;
    std::vector<LPCSTR> verbs;
};
using ShellUIObjectMenuFailures = testing::TestWithParam<FailingVerbs>;

TEST_P(ShellUIObjectMenuFailures, Fail)
{
    DropRecord drops;
    TestSelection selection(std::vector<CTestItemFolder::Item>(std::max(GetParam().nItems, 1), {kAll, "", "a"}),
                            &drops);
    Held ui(GetParam().nItems < 0 ? MakeBareUIObject() : selection.MakeUIObject(GetParam().nItems));
    for (LPCSTR pszVerb : GetParam().verbs)
        EXPECT_EQ(Invoke(ui.get(), pszVerb), E_FAIL)
            << (IS_INTRESOURCE(pszVerb) ? std::to_string(LOWORD(pszVerb)) : std::string(pszVerb));
    EXPECT_EQ(drops.nDrops, 0);
}

INSTANTIATE_TEST_SUITE_P(
    ShellUIObjectMenu, ShellUIObjectMenuFailures,
    testing::Values(
        FailingVerbs{"OffersOnlyASeparatorWithoutAFolder", -1, {Offset(kCmdOpen), Offset(kCmdRename), "paste"}},
        // The base leaves delete and properties to the derived class.
        FailingVerbs{"CommandOffsetSixAndUnknownVerbsFail", 1,
                     {Offset(6), Offset(0), Offset(8), "open", "DELETE", Offset(kCmdProperties)}},
        FailingVerbs{"RenameFailsWithoutAnOwnerWindow", 1, {Offset(kCmdRename)}},
        FailingVerbs{"PasteNeedsExactlyOneItem", 2, {"paste"}},
        FailingVerbs{"OpenWithoutItemsDoesNothingAndSaysSo", 0, {Offset(kCmdOpen), Offset(kCmdExplore)}}),
    test::RowName());

TEST_F(ShellUIObjectMenu, RefusesAnInvocationRecordOfTheWrongSize)
{
    CMINVOKECOMMANDINFO ici = {8};
    ici.lpVerb = "copy";
    EXPECT_EQ(ui.As<IContextMenu>()->InvokeCommand(&ici), E_INVALIDARG);
    EXPECT_EQ(ui.As<IContextMenu>()->InvokeCommand(nullptr), E_INVALIDARG);
}

TEST_F(ShellUIObjectMenu, HasNoCommandStringsAndPassesMenuMessagesToTheDerivedClass)
{
    char szName[32];
    EXPECT_EQ(ui.As<IContextMenu>()->GetCommandString(2, GCS_VERBA, nullptr, szName, 32), E_NOTIMPL);
    auto* pMenu3 = ui.As<IContextMenu3>();
    ASSERT_NE(pMenu3, nullptr);
    EXPECT_EQ(pMenu3->HandleMenuMsg(WM_INITMENUPOPUP, 0, 0), E_NOTIMPL);
    ui->m_uHandledMessage = WM_INITMENUPOPUP;
    LRESULT lResult = 55;
    EXPECT_EQ(pMenu3->HandleMenuMsg2(WM_INITMENUPOPUP, 0, 0, &lResult), S_OK);
    EXPECT_EQ(lResult, 0);
    EXPECT_EQ(pMenu3->HandleMenuMsg(WM_INITMENUPOPUP, 0, 0), S_OK);
    EXPECT_EQ(pMenu3->HandleMenuMsg2(WM_INITMENUPOPUP, 0, 0, nullptr), S_OK);
}

// A window that remembers the WM_COMMAND it received.
WPARAM g_wParamCommand = 0;
LPARAM g_lParamCommand = -1;
LRESULT CALLBACK RecordCommand(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != WM_COMMAND)
        return ::DefWindowProcA(hwnd, uMsg, wParam, lParam);
    g_wParamCommand = wParam;
    g_lParamCommand = lParam;
    return 0;
}

TEST_F(ShellUIObjectMenu, RenameAsksTheOwnerViewToStartEditing)
{
    WNDCLASSA wc = {0, RecordCommand};
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "CorvasinTestRenameOwner";
    ::RegisterClassA(&wc);
    UniqueHwnd owner(::CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance,
                                     nullptr));
    ASSERT_TRUE(owner);
    Held owned(selection.MakeUIObject(-1, owner.get()));
    g_wParamCommand = 0;
    EXPECT_EQ(Invoke(owned.get(), Offset(kCmdRename)), S_OK);
    EXPECT_EQ(std::pair(g_wParamCommand, g_lParamCommand), std::pair(WPARAM{0x7012}, LPARAM{0}));
}

TEST_F(ShellUIObjectMenu, CopyPutsTheObjectOnTheClipboard)
{
    for (LPCSTR pszVerb : {Offset(kCmdCopy), "Copy"})
    {
        EXPECT_EQ(Invoke(ui.get(), pszVerb), S_OK);
        EXPECT_EQ(::OleIsCurrentClipboard(ui.As<IDataObject>()), S_OK);
    }
    ::OleSetClipboard(nullptr);
    EXPECT_EQ(RefCount(ui.get()), 1u);
}

TEST_F(ShellUIObjectMenu, PasteDropsTheClipboardOnTheSelectedItemsFolder)
{
    DropRecord drops;
    ASSERT_EQ(Invoke(ui.get(), "copy"), S_OK);
    TestSelection target({{kAll, "", "a"}}, &drops);
    Held pasting(target.MakeUIObject());
    EXPECT_EQ(Invoke(pasting.get(), "paste"), S_OK);
    EXPECT_EQ(std::tuple(drops.nDrops, drops.grfKeyState, drops.pt.x, drops.pt.y, drops.bHadDataObject),
              std::tuple(1, 0u, -1L, -1L, true));

    drops.bResult = FALSE;
    EXPECT_EQ(Invoke(pasting.get(), "paste"), E_FAIL);
    ::OleSetClipboard(nullptr);
    // The sub-folder made for the drop is gone again.
    EXPECT_EQ(RefCount(target.folder.get()), 2u);
}

} // namespace
} // namespace corvasin::test
