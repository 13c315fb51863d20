// The UI object as a context menu: the base entries for attribute and flag combinations, the
// dispatch of invoked commands, rename, copy and paste.
#include "ShellUIObjectTestFolder.h"

#include "core/ComPtr.h"

#include <gtest/gtest.h>

namespace corvasin::test
{
namespace
{

constexpr UINT kFirst = 100;
constexpr UINT kLast = 0x7FFF;

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

std::vector<Entry> ReadMenu(HMENU hmenu)
{
    std::vector<Entry> entries;
    const int n = ::GetMenuItemCount(hmenu);
    for (int i = 0; i < n; ++i)
    {
        char szText[64] = {};
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
        mii.dwTypeData = szText;
        mii.cch = sizeof(szText);
        EXPECT_TRUE(::GetMenuItemInfoA(hmenu, i, TRUE, &mii));
        entries.push_back({(mii.fType & MFT_SEPARATOR) ? "" : szText, mii.wID,
                           (mii.fState & MFS_DEFAULT) != 0});
    }
    return entries;
}

// Builds the menu of ui into a fresh popup and reads it back; *phr gets the result.
std::vector<Entry> BuildMenu(CShellUIObject* pUI, UINT uFlags, HRESULT* phr = nullptr,
                             UINT idLast = kLast)
{
    UniqueHmenu menu(::CreatePopupMenu());
    void* pv = nullptr;
    EXPECT_EQ(pUI->ExternalQueryInterface(IID_IContextMenu, &pv), S_OK);
    ComPtr<IContextMenu> contextMenu = ComPtr<IContextMenu>::Attach(static_cast<IContextMenu*>(pv));
    const HRESULT hr = contextMenu->QueryContextMenu(menu.get(), 0, kFirst, idLast, uFlags);
    if (phr)
        *phr = hr;
    return ReadMenu(menu.get());
}

HRESULT Invoke(CShellUIObject* pUI, LPCSTR pszVerb, HWND hwnd = nullptr)
{
    void* pv = nullptr;
    EXPECT_EQ(pUI->ExternalQueryInterface(IID_IContextMenu, &pv), S_OK);
    ComPtr<IContextMenu> contextMenu = ComPtr<IContextMenu>::Attach(static_cast<IContextMenu*>(pv));
    CMINVOKECOMMANDINFO ici = {};
    ici.cbSize = sizeof(ici);
    ici.hwnd = hwnd;
    ici.lpVerb = pszVerb;
    ici.nShow = SW_SHOWNORMAL;
    return contextMenu->InvokeCommand(&ici);
}

HRESULT InvokeOffset(CShellUIObject* pUI, UINT uOffset)
{
    return Invoke(pUI, MAKEINTRESOURCEA(uOffset));
}

constexpr ULONG kAll = SFGAO_BROWSABLE | SFGAO_HASPROPSHEET | SFGAO_CANDELETE | SFGAO_CANRENAME |
                       SFGAO_CANCOPY;

const Entry kSeparator{"", 0, false};

TEST(ShellUIObjectMenu, OffersOpenAsDefaultThenExploreAndWhatTheAttributesAllow)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject());
    HRESULT hr = E_FAIL;
    const auto entries = BuildMenu(ui.get(), CMF_NORMAL, &hr);
    EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8));
    EXPECT_EQ(entries, (std::vector<Entry>{{"&Open", kFirst + 2, true},
                                           {"&Explore", kFirst + 1, false},
                                           kSeparator,
                                           {"&Properties", kFirst + 3, false},
                                           {"&Delete", kFirst + 4, false},
                                           {"&Rename", kFirst + 5, false},
                                           {"&Copy", kFirst + 7, false}}));
}

TEST(ShellUIObjectMenu, PutsExploreFirstAsDefaultWhenTheShellExplores)
{
    TestSelection selection({{SFGAO_BROWSABLE, "", "a"}});
    Held ui(selection.MakeUIObject());
    EXPECT_EQ(BuildMenu(ui.get(), CMF_EXPLORE),
              (std::vector<Entry>{{"&Explore", kFirst + 1, true}, {"&Open", kFirst + 2, false},
                                  kSeparator}));
}

TEST(ShellUIObjectMenu, AddsOnlyTheDefaultEntryWhenAskedForTheDefaultOnly)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject());
    HRESULT hr = E_FAIL;
    EXPECT_EQ(BuildMenu(ui.get(), CMF_DEFAULTONLY, &hr),
              (std::vector<Entry>{{"&Open", kFirst + 2, true}}));
    EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8));
    EXPECT_EQ(BuildMenu(ui.get(), CMF_DEFAULTONLY | CMF_EXPLORE),
              (std::vector<Entry>{{"&Explore", kFirst + 1, true}}));
}

TEST(ShellUIObjectMenu, AddsNothingForTheDefaultOnlyOfAnItemThatCannotBeBrowsed)
{
    TestSelection selection({{kAll & ~SFGAO_BROWSABLE, "", "a"}});
    Held ui(selection.MakeUIObject());
    HRESULT hr = E_FAIL;
    EXPECT_TRUE(BuildMenu(ui.get(), CMF_DEFAULTONLY, &hr).empty());
    EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8));
}

TEST(ShellUIObjectMenu, MarksNoEntryDefaultWhenTheShellSaysNoDefault)
{
    TestSelection selection({{SFGAO_BROWSABLE, "", "a"}});
    Held ui(selection.MakeUIObject());
    EXPECT_EQ(BuildMenu(ui.get(), CMF_NODEFAULT),
              (std::vector<Entry>{{"&Open", kFirst + 2, false}, {"&Explore", kFirst + 1, false},
                                  kSeparator}));
}

TEST(ShellUIObjectMenu, NeverOffersRenameOrCopyForTwoItems)
{
    TestSelection selection({{kAll & ~SFGAO_BROWSABLE, "", "a"}, {kAll, "", "b"}});
    Held ui(selection.MakeUIObject());
    EXPECT_EQ(BuildMenu(ui.get(), CMF_NORMAL),
              (std::vector<Entry>{kSeparator, {"&Properties", kFirst + 3, false},
                                  {"&Delete", kFirst + 4, false}}));
}

TEST(ShellUIObjectMenu, ReadsTheAttributesOfTheFirstItemOnly)
{
    TestSelection selection({{SFGAO_CANCOPY, "", "a"}, {kAll, "", "b"}});
    Held ui(selection.MakeUIObject(1));
    EXPECT_EQ(BuildMenu(ui.get(), CMF_NORMAL),
              (std::vector<Entry>{kSeparator, {"&Copy", kFirst + 7, false}}));
}

TEST(ShellUIObjectMenu, InsertsAtTheGivenPositionAmongTheShellsEntries)
{
    TestSelection selection({{SFGAO_CANDELETE, "", "a"}});
    Held ui(selection.MakeUIObject());
    UniqueHmenu menu(::CreatePopupMenu());
    ::AppendMenuA(menu.get(), MF_STRING, 1, "first");
    ::AppendMenuA(menu.get(), MF_STRING, 2, "last");
    ASSERT_EQ(ui.As<IContextMenu>()->QueryContextMenu(menu.get(), 1, kFirst, kLast, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8));
    EXPECT_EQ(ReadMenu(menu.get()), (std::vector<Entry>{{"first", 1, false},
                                                        kSeparator,
                                                        {"&Delete", kFirst + 4, false},
                                                        {"last", 2, false}}));
}

TEST(ShellUIObjectMenu, LeavesOutEntriesBeyondTheShellsLastCommandId)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject());
    EXPECT_EQ(BuildMenu(ui.get(), CMF_NORMAL, nullptr, kFirst + 3),
              (std::vector<Entry>{{"&Open", kFirst + 2, true},
                                  {"&Explore", kFirst + 1, false},
                                  kSeparator,
                                  {"&Properties", kFirst + 3, false}}));
}

TEST(ShellUIObjectMenu, RefusesAMissingMenu)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject());
    EXPECT_EQ(ui.As<IContextMenu>()->QueryContextMenu(nullptr, 0, kFirst, kLast, 0), E_INVALIDARG);
}

TEST(ShellUIObjectMenu, OffersOnlyASeparatorWithoutAFolder)
{
    Held ui(new CTestUIObject(nullptr, 0, nullptr, nullptr, nullptr));
    EXPECT_EQ(BuildMenu(ui.get(), CMF_NORMAL), (std::vector<Entry>{kSeparator}));
    EXPECT_EQ(InvokeOffset(ui.get(), kCmdOpen), E_FAIL);
    EXPECT_EQ(InvokeOffset(ui.get(), kCmdRename), E_FAIL);
    EXPECT_EQ(Invoke(ui.get(), "paste"), E_FAIL);
}

TEST(ShellUIObjectMenu, CommandOffsetSixAndUnknownVerbsFail)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject());
    EXPECT_EQ(InvokeOffset(ui.get(), 6), E_FAIL);
    EXPECT_EQ(InvokeOffset(ui.get(), 0), E_FAIL);
    EXPECT_EQ(InvokeOffset(ui.get(), 8), E_FAIL);
    EXPECT_EQ(Invoke(ui.get(), "open"), E_FAIL);
    // The base leaves delete and properties to the derived class.
    EXPECT_EQ(Invoke(ui.get(), "DELETE"), E_FAIL);
    EXPECT_EQ(InvokeOffset(ui.get(), kCmdProperties), E_FAIL);
}

TEST(ShellUIObjectMenu, RefusesAnInvocationRecordOfTheWrongSize)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject());
    CMINVOKECOMMANDINFO ici = {};
    ici.cbSize = 8;
    ici.lpVerb = "copy";
    EXPECT_EQ(ui.As<IContextMenu>()->InvokeCommand(&ici), E_INVALIDARG);
    EXPECT_EQ(ui.As<IContextMenu>()->InvokeCommand(nullptr), E_INVALIDARG);
}

TEST(ShellUIObjectMenu, HasNoCommandStringsAndPassesMenuMessagesToTheDerivedClass)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject());
    char szName[32];
    EXPECT_EQ(ui.As<IContextMenu>()->GetCommandString(2, GCS_VERBA, nullptr, szName, 32),
              E_NOTIMPL);
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
    if (uMsg == WM_COMMAND)
    {
        g_wParamCommand = wParam;
        g_lParamCommand = lParam;
        return 0;
    }
    return ::DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

TEST(ShellUIObjectMenu, RenameAsksTheOwnerViewToStartEditing)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordCommand;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "CorvasinTestRenameOwner";
    ::RegisterClassA(&wc);
    UniqueHwnd owner(::CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                     wc.hInstance, nullptr));
    ASSERT_TRUE(owner);
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject(-1, owner.get()));
    g_wParamCommand = 0;
    EXPECT_EQ(InvokeOffset(ui.get(), kCmdRename), S_OK);
    EXPECT_EQ(g_wParamCommand, 0x7012u);
    EXPECT_EQ(g_lParamCommand, 0);
}

TEST(ShellUIObjectMenu, RenameFailsWithoutAnOwnerWindow)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject());
    EXPECT_EQ(InvokeOffset(ui.get(), kCmdRename), E_FAIL);
}

TEST(ShellUIObjectMenu, CopyPutsTheObjectOnTheClipboard)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject());
    EXPECT_EQ(InvokeOffset(ui.get(), kCmdCopy), S_OK);
    EXPECT_EQ(::OleIsCurrentClipboard(ui.As<IDataObject>()), S_OK);
    EXPECT_EQ(Invoke(ui.get(), "Copy"), S_OK);
    EXPECT_EQ(::OleIsCurrentClipboard(ui.As<IDataObject>()), S_OK);
    ::OleSetClipboard(nullptr);
    EXPECT_EQ(RefCount(ui.get()), 1u);
}

TEST(ShellUIObjectMenu, PasteDropsTheClipboardOnTheSelectedItemsFolder)
{
    DropRecord drops;
    TestSelection source({{kAll, "", "a"}});
    Held copied(source.MakeUIObject());
    ASSERT_EQ(Invoke(copied.get(), "copy"), S_OK);

    TestSelection target({{kAll, "", "a"}}, &drops);
    Held ui(target.MakeUIObject());
    EXPECT_EQ(Invoke(ui.get(), "paste"), S_OK);
    EXPECT_EQ(drops.nDrops, 1);
    EXPECT_EQ(drops.grfKeyState, 0u);
    EXPECT_EQ(drops.pt.x, -1);
    EXPECT_EQ(drops.pt.y, -1);
    EXPECT_TRUE(drops.bHadDataObject);

    drops.bResult = FALSE;
    EXPECT_EQ(Invoke(ui.get(), "paste"), E_FAIL);
    ::OleSetClipboard(nullptr);
    // The sub-folder made for the drop is gone again.
    EXPECT_EQ(RefCount(target.folder.get()), 2u);
}

TEST(ShellUIObjectMenu, PasteNeedsExactlyOneItem)
{
    DropRecord drops;
    TestSelection target({{kAll, "", "a"}, {kAll, "", "b"}}, &drops);
    Held ui(target.MakeUIObject());
    EXPECT_EQ(Invoke(ui.get(), "paste"), E_FAIL);
    EXPECT_EQ(drops.nDrops, 0);
}

TEST(ShellUIObjectMenu, OpenWithoutItemsDoesNothingAndSaysSo)
{
    TestSelection selection({{kAll, "", "a"}});
    Held ui(selection.MakeUIObject(0));
    EXPECT_EQ(InvokeOffset(ui.get(), kCmdOpen), E_FAIL);
    EXPECT_EQ(InvokeOffset(ui.get(), kCmdExplore), E_FAIL);
}

} // namespace
} // namespace corvasin::test
