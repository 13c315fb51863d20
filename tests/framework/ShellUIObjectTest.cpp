// The UI object's interface map, its references, info tips, site and its initialisation as the
// context menu handler of the namespace's own icon.
#include "ShellUIObjectTestFolder.h"

#include "core/ComPtr.h"
#include "support/TableRow.h"

#include <gtest/gtest.h>

namespace corvasin::test
{
namespace
{

// A UI object over one item.
struct ShellUIObject : testing::Test, OneItem
{
};
using ShellUIObjectSite = ShellUIObject;

TEST_F(ShellUIObject, AnswersItsSevenInterfacesWithOneIdentity)
{
    ComPtr<IUnknown> identity;
    ASSERT_EQ(ui->ExternalQueryInterface(IID_IUnknown, identity.put_void()), S_OK);
    for (const IID& iid : {IID_IDataObject, IID_IExternalConnection, IID_IContextMenu, IID_IContextMenu2,
                           IID_IContextMenu3, IID_IObjectWithSite, IID_IQueryInfo, IID_IShellExtInit})
    {
        ComPtr<IUnknown> part;
        ASSERT_EQ(ui->ExternalQueryInterface(iid, part.put_void()), S_OK);
        ComPtr<IUnknown> back;
        ASSERT_EQ(part->QueryInterface(IID_IUnknown, back.put_void()), S_OK);
        EXPECT_EQ(back.get(), identity.get());
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(ui->ExternalQueryInterface(IID_IShellFolder, none.put_void()), E_NOINTERFACE);
    EXPECT_EQ(none.get(), nullptr);
}

TEST_F(ShellUIObject, HoldsItsFolderUntilTheLastRelease)
{
    EXPECT_EQ(RefCount(selection.folder.get()), 2u);
    EXPECT_EQ(ui->GetItemCount(), 1u);
    EXPECT_NE(ui->GetItem(0), selection.raw[0]); // a clone, not the caller's list
    EXPECT_EQ(ui->GetItem(1), nullptr);
    ui.reset();
    EXPECT_EQ(RefCount(selection.folder.get()), 1u);
}

// ---- info tips ---------------------------------------------------------------------------------

// Items and how the UI object gets them, the tip it answers (ANSI, empty for none) and the columns
// it asked the folder for on the way.
enum class Given { Items, WithoutFolder, TooShortAnId };
struct TipCase : test::Row
{
    std::vector<CTestItemFolder::Item> items;
    Given given;
    HRESULT hr;
    std::string tip;
    std::vector<int> columnsAsked;
};
using ShellUIObjectInfoTip = testing::TestWithParam<TipCase>;

TEST_P(ShellUIObjectInfoTip, Answers)
{
    const TipCase& tipCase = GetParam();
    TestSelection selection(tipCase.items);
    UniquePidl shortId(MakeItemIdList("T", 1));
    LPCITEMIDLIST apidlShort[1] = {shortId.get()};
    // Without a folder, or with an id too short for it, nothing is asked of the folder.
    const bool bFolder = tipCase.given != Given::WithoutFolder;
    Held ui(new CTestUIObject(bFolder ? selection.folder.get() : nullptr, static_cast<UINT>(tipCase.items.size()),
                              tipCase.given == Given::TooShortAnId ? apidlShort : selection.raw.data(),
                              tipCase.given == Given::Items ? selection.folder->GetPidl() : nullptr, nullptr));
    auto* pInfo = ui.As<IQueryInfo>(IID_IQueryInfo);
    LPWSTR pszTip = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(pInfo->GetInfoTip(0, &pszTip), tipCase.hr);
    wchar_t szExpected[64] = {};
    ::MultiByteToWideChar(CP_ACP, 0, tipCase.tip.c_str(), -1, szExpected, 64);
    // The empty tip stands for none.
    EXPECT_STREQ(pszTip, tipCase.tip.empty() ? nullptr : szExpected);
    ::SHFree(pszTip);
    EXPECT_EQ(selection.folder->m_columnsAsked, tipCase.columnsAsked);
    EXPECT_EQ(pInfo->GetInfoTip(0, nullptr), E_POINTER);
    DWORD dwFlags = 5;
    EXPECT_EQ(pInfo->GetInfoFlags(&dwFlags), E_NOTIMPL);
}

INSTANTIATE_TEST_SUITE_P(
    , ShellUIObjectInfoTip,
    testing::Values(
        TipCase{"IsTheTipColumnOfTheOneItem", {{0, "Holds the user's settings", "HKCU"}}, Given::Items, S_OK,
                "Holds the user's settings", {-1}},
        TipCase{"FallsBackToTheNameWhenTheTipIsEmpty", {{0, "", "Volatile Environment"}}, Given::Items, S_OK,
                "Volatile Environment", {-1, 0}},
        TipCase{"ConvertsTextOfTheAnsiCodePage", {{0, "", "caf\xE9"}}, Given::Items, S_OK, "caf\xE9", {-1, 0}},
        TipCase{"FailsForTwoItems", {{0, "tip", "a"}, {0, "tip", "b"}}, Given::Items, E_FAIL, "", {}},
        TipCase{"FailsWhenTheItemHasNoText", {{0, "", ""}}, Given::Items, E_FAIL, "", {-1, 0}},
        TipCase{"FailsWithoutAFolder", {{0, "tip", "a"}}, Given::WithoutFolder, E_FAIL, "", {}},
        TipCase{"IgnoresAnItemIdTooShortForTheFolder", {{0, "tip", "a"}}, Given::TooShortAnId, E_FAIL, "", {}}),
    test::RowName());

// ---- site --------------------------------------------------------------------------------------

TEST_F(ShellUIObjectSite, GetSiteFailsBeforeAnySiteIsSet)
{
    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(ui.As<IObjectWithSite>()->GetSite(IID_IUnknown, &pv), E_FAIL);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(ui.As<IObjectWithSite>()->GetSite(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ShellUIObjectSite, KeepsAReferenceOnTheSiteAndAnswersForIt)
{
    Held site(new CTestItemFolder());
    auto* pObjectWithSite = ui.As<IObjectWithSite>();
    ASSERT_EQ(pObjectWithSite->SetSite(site.As<IShellFolder>()), S_OK);
    EXPECT_EQ(RefCount(site.get()), 2u);

    ComPtr<IPersistFolder> persist;
    ASSERT_EQ(pObjectWithSite->GetSite(IID_IPersistFolder, persist.put_void()), S_OK);
    EXPECT_EQ(persist.get(), site.As<IPersistFolder>());
    persist.reset();
    ComPtr<IUnknown> none;
    EXPECT_EQ(pObjectWithSite->GetSite(IID_IDataObject, none.put_void()), E_NOINTERFACE);

    ASSERT_EQ(pObjectWithSite->SetSite(nullptr), S_OK);
    EXPECT_EQ(RefCount(site.get()), 1u);
}

TEST_F(ShellUIObjectSite, ReleasesTheSiteWithTheObject)
{
    Held site(new CTestItemFolder());
    ui.As<IObjectWithSite>()->SetSite(site.As<IShellFolder>());
    ui.As<IObjectWithSite>()->SetSite(site.As<IShellFolder>());
    EXPECT_EQ(RefCount(site.get()), 2u);
    ui.reset();
    EXPECT_EQ(RefCount(site.get()), 1u);
}

// ---- initialisation as a shell extension -------------------------------------------------------

TEST(ShellUIObjectExtInit, FallsBackToTheDefaultFolderAndForgetsTheItems)
{
    OneItem one(SFGAO_CANDELETE);
    TestSelection other({{SFGAO_CANDELETE, "", "b"}});
    auto& [selection, ui] = one;
    ui->m_pDefaultFolder = other.folder.get();

    // A location no folder of ours sits at.
    UniquePidl pidlNowhere(::ILCreateFromPathA("C:\\"));
    EXPECT_EQ(ui.As<IShellExtInit>()->Initialize(pidlNowhere.get(), nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->GetItemCount(), 0u);
    EXPECT_EQ(ui->GetFolder(), other.folder.get());
    EXPECT_EQ(RefCount(other.folder.get()), 2u);
    EXPECT_EQ(RefCount(selection.folder.get()), 1u);

    EXPECT_EQ(ui.As<IShellExtInit>()->Initialize(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(RefCount(other.folder.get()), 2u);
}

TEST(ShellUIObjectExtInit, LeavesTheObjectWithoutAFolderWhenThereIsNoDefault)
{
    TestSelection selection({{SFGAO_BROWSABLE | SFGAO_CANCOPY, "tip", "a"}});
    Held ui(selection.MakeUIObject());
    EXPECT_EQ(ui.As<IShellExtInit>()->Initialize(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->GetFolder(), nullptr);
    EXPECT_EQ(RefCount(selection.folder.get()), 1u);

    // Nothing that needs a folder is offered or done.
    UniqueHmenu menu(::CreatePopupMenu());
    EXPECT_EQ(ui.As<IContextMenu>()->QueryContextMenu(menu.get(), 0, 1, 100, CMF_DEFAULTONLY),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 8));
    EXPECT_EQ(::GetMenuItemCount(menu.get()), 0);
    LPWSTR pszTip = nullptr;
    EXPECT_EQ(ui.As<IQueryInfo>(IID_IQueryInfo)->GetInfoTip(0, &pszTip), E_FAIL);
}

TEST(ShellUIObjectExtInit, FallsBackWhenTheBoundLocationIsNotOneOfOurFolders)
{
    // The desktop hands out file system folders, which are not ours; whatever the bind gives,
    // the object must end up with either our folder or none and balanced references.
    TestSelection selection({{0, "", "a"}});
    Held ui(MakeBareUIObject());
    LPITEMIDLIST pidlDrives = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidlDrives), S_OK);
    UniquePidl drives(pidlDrives);
    ui->m_pDefaultFolder = selection.folder.get();
    EXPECT_EQ(ui.As<IShellExtInit>()->Initialize(drives.get(), nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->GetFolder(), selection.folder.get());
    EXPECT_EQ(RefCount(selection.folder.get()), 2u);
}

} // namespace
} // namespace corvasin::test
