// The registry menus as the shell builds them: the entries of each selection and flag, the
// submenus filled when they open, the result codes and the verbs.
#include "commands/RegUIObject.h"
#include "commands/RegistryCommandFixture.h"
#include "core/Module.h"
#include "registry/RegServices.h"

#include <tuple>

namespace corvasin::test
{
namespace
{

using Texts = std::vector<std::string>;

// "&Open*" marks the default entry, "-" a separator, "New>" an entry with a submenu.
Texts Entries(HMENU hmenu)
{
    Texts entries;
    for (int i = 0; i < ::GetMenuItemCount(hmenu); ++i)
    {
        char sz[64] = {};
        MENUITEMINFOA mii = {sizeof(mii), MIIM_STATE | MIIM_TYPE | MIIM_SUBMENU};
        mii.dwTypeData = sz;
        mii.cch = sizeof(sz);
        ::GetMenuItemInfoA(hmenu, i, TRUE, &mii);
        std::string text = (mii.fType & MFT_SEPARATOR) ? "-" : sz;
        if (mii.hSubMenu)
            text += ">";
        if (mii.fState & MFS_DEFAULT)
            text += "*";
        entries.push_back(text);
    }
    return entries;
}

// The menu built from id 100 on, and the result code checked.
UniqueHmenu Query(IContextMenu* pMenu, UINT uFlags, HRESULT hrExpected)
{
    UniqueHmenu hmenu(::CreatePopupMenu());
    EXPECT_EQ(pMenu->QueryContextMenu(hmenu.get(), 0, 100, 0x7FFF, uFlags), hrExpected);
    return hmenu;
}

// What QueryContextMenu answers: one past the highest offset it used.
constexpr HRESULT kAll = MAKE_HRESULT(0, 0, CRegUIObject::kRegCommandCount);
constexpr HRESULT kIconCommands = MAKE_HRESULT(0, 0, CRegUIObject::kRegUninstall + 1);

// Services of our own for the icon menu, at a chosen placement, recording the moves.
class CPlacementServices final : public CRegServices
{
public:
    explicit CPlacementServices(DWORD dwPlacement) : m_dwPlacement(dwPlacement) {}
    DWORD ReadPlacementType() const noexcept override { return m_dwPlacement; }
    BOOL MoveFolder(HWND, DWORD dwPlacement) const noexcept override
    {
        m_dwMoved = dwPlacement;
        return TRUE;
    }
    mutable DWORD m_dwMoved = ~0u;

private:
    DWORD m_dwPlacement;
};

// The UI object of the namespace's icon, as its class factory makes it.
CmdTargetPtr<CRegUIObject> IconObject(const CRegServices& services)
{
    return CmdTargetPtr<CRegUIObject>::Attach(new CRegUIObject(services, nullptr, 0, nullptr, nullptr, nullptr));
}

class RegistryMenus : public RegistryCommands
{
protected:
    RegistryMenus()
    {
        key.CreateSubkey("Leaf");
        key.CreateSubkey("Parent\\Child");
        key.SetString("Greeting", "hello");
    }
    UniquePidl leaf = ItemId(REGITEM_KEY, "Leaf");
    UniquePidl parent = ItemId(REGITEM_KEY, "Parent");
    UniquePidl value = ItemId(REGITEM_VALUE, "Greeting", 0, REG_SZ);
};

TEST_F(RegistryMenus, EntriesFollowTheSelectionAndTheFlags)
{
    // What is selected, the flags, the entries and the result.
    const std::tuple<const char*, std::vector<LPCITEMIDLIST>, UINT, Texts, HRESULT> rows[] = {
        {"a key without subkeys", {leaf.get()}, CMF_NORMAL,
         {"&Open*", "&Explore", "-", "&Delete", "&Rename", "&Copy", "Export", "Find...", "Copy key name",
          "Copy full key name", "New>", "Security..."}, kAll},
        {"a key with subkeys", {parent.get()}, CMF_NORMAL,
         {"&Open*", "&Explore", "-", "&Delete", "&Copy", "Export", "Find...", "Copy key name", "Copy full key name",
          "New>", "Security..."}, kAll},
        {"a value", {value.get()}, CMF_NORMAL, {"-", "&Delete", "&Rename", "&Copy", "Edit*", "Export"}, kAll},
        {"a value without default", {value.get()}, CMF_NODEFAULT,
         {"-", "&Delete", "&Rename", "&Copy", "Edit", "Export"}, kAll},
        {"a key and a value", {leaf.get(), value.get()}, CMF_NORMAL,
         {"&Open*", "&Explore", "-", "&Delete", "Export", "Find..."}, kAll},
        {"a value and a key", {value.get(), leaf.get()}, CMF_NORMAL, {"-", "&Delete", "Export"}, kAll},
        {"two keys", {leaf.get(), parent.get()}, CMF_NORMAL,
         {"&Open*", "&Explore", "-", "&Delete", "Export", "Find...", "Compare"}, kAll},
        {"the default of a value", {value.get()}, CMF_DEFAULTONLY, {"Edit*"}, MAKE_HRESULT(0, 0, 20)},
        {"the default of a key", {leaf.get()}, CMF_DEFAULTONLY, {"&Open*"}, kAll},
        {"the default when exploring", {leaf.get()}, CMF_DEFAULTONLY | CMF_EXPLORE, {"&Explore*"}, kAll},
    };
    for (const auto& [pszWhat, items, uFlags, expected, hrExpected] : rows)
    {
        ComPtr<IContextMenu> menu = UIObjectOf<IContextMenu>(folder.get(), items);
        EXPECT_EQ(Entries(Query(menu.get(), uFlags, hrExpected).get()), expected) << pszWhat;
    }
}

TEST_F(RegistryMenus, TheIconMenuOffersFindMoveAboutAndUninstall)
{
    const CPlacementServices services(0);
    auto pIcon = IconObject(services);
    ComPtr<IContextMenu> menu(static_cast<IContextMenu*>(pIcon->GetInterface(IID_IContextMenu)));
    UniqueHmenu hmenu = Query(menu.get(), CMF_NORMAL, kIconCommands);
    EXPECT_EQ(Entries(hmenu.get()), (Texts{"Find...", "Move to>", "About Corvasin", "Uninstall"}));
    EXPECT_EQ(::GetMenuItemID(hmenu.get(), 3), 100u + CRegUIObject::kRegUninstall);
    EXPECT_EQ(::GetMenuItemCount(Query(menu.get(), CMF_DEFAULTONLY, S_OK).get()), 0);
}

TEST_F(RegistryMenus, SubmenusAreFilledWhenTheyOpen)
{
    // "New" in the menu of a key.
    ComPtr<IContextMenu2> menu = UIObjectOf<IContextMenu2>(folder.get(), {leaf.get()});
    UniqueHmenu hmenu = Query(menu.get(), CMF_NORMAL, kAll);
    const HMENU hNew = ::GetSubMenu(hmenu.get(), 10);
    ASSERT_NE(hNew, nullptr);
    EXPECT_EQ(Entries(hNew), (Texts{"New"}));
    EXPECT_EQ(menu->HandleMenuMsg(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hNew), 10), S_OK);
    EXPECT_EQ(Entries(hNew), (Texts{"Key", "String value", "DWORD value", "Binary value", "MultiSz value"}));
    EXPECT_EQ(::GetMenuItemID(hNew, 0), 105u);
    EXPECT_EQ(::GetMenuItemID(hNew, 4), 109u);
    // Another popup and other messages are left alone, and answered.
    UniqueHmenu other(::CreatePopupMenu());
    ::AppendMenuA(other.get(), MF_STRING, 555, "Other");
    EXPECT_EQ(menu->HandleMenuMsg(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(other.get()), 0), S_OK);
    EXPECT_EQ(menu->HandleMenuMsg(WM_DRAWITEM, 0, 0), S_OK);
    EXPECT_EQ(Entries(other.get()), (Texts{"Other"}));

    // "Move to" never offers the place the namespace is in.
    const Texts expected[] = {{"My Computer", "Control Panel", "Select folder..."},
                              {"Desktop", "Control Panel", "Select folder..."},
                              {"Desktop", "My Computer", "Select folder..."},
                              {"Desktop", "My Computer", "Control Panel", "Select folder..."}};
    for (DWORD dwPlacement = 0; dwPlacement < 4; ++dwPlacement)
    {
        SCOPED_TRACE(dwPlacement);
        const CPlacementServices services(dwPlacement);
        auto pIcon = IconObject(services);
        ComPtr<IContextMenu3> icon(static_cast<IContextMenu3*>(pIcon->GetInterface(IID_IContextMenu3)));
        UniqueHmenu hIconMenu = Query(icon.get(), CMF_NORMAL, kIconCommands);
        const HMENU hMove = ::GetSubMenu(hIconMenu.get(), 1);
        LRESULT lResult = 1;
        EXPECT_EQ(icon->HandleMenuMsg2(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMove), 1, &lResult), S_OK);
        EXPECT_EQ(Entries(hMove), expected[dwPlacement]);
    }
}

TEST_F(RegistryMenus, SubmenusFillAlsoWhereTheHostKeepsTheMessageToItself)
{
    // Wine's view sends WM_INITMENUPOPUP only to its own window; the object hears it anyway.
    ComPtr<IContextMenu> menu = UIObjectOf<IContextMenu>(folder.get(), {leaf.get()});
    UniqueHmenu hmenu = Query(menu.get(), CMF_NORMAL, kAll);
    const HMENU hNew = ::GetSubMenu(hmenu.get(), 10);
    UniqueHwnd hwnd(::CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    ::SendMessageA(hwnd.get(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hNew), 10);
    EXPECT_EQ(Entries(hNew).size(), 5u);
    // A host that passes it on as well changes nothing more.
    ComPtr<IContextMenu2> menu2;
    ASSERT_EQ(menu.As(menu2), S_OK);
    menu2->HandleMenuMsg(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hNew), 10);
    EXPECT_EQ(Entries(hNew).size(), 5u);
    // Once the object is gone, nothing listens.
    menu2.reset();
    menu.reset();
    UniqueHmenu stray(::CreatePopupMenu());
    ::AppendMenuA(stray.get(), MF_STRING, 104, "New");
    ::SendMessageA(hwnd.get(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(stray.get()), 0);
    EXPECT_EQ(Entries(stray.get()), (Texts{"New"}));
}

TEST_F(RegistryMenus, VerbsAndOffsetsReachTheirCommands)
{
    const CPlacementServices services(0);
    auto pIcon = IconObject(services);
    ComPtr<IContextMenu> icon(static_cast<IContextMenu*>(pIcon->GetInterface(IID_IContextMenu)));
    for (UINT offset : {14u, 15u, 16u, 17u})
    {
        EXPECT_EQ(RunCommand(icon.get(), MAKEINTRESOURCEA(offset)), S_OK);
        EXPECT_EQ(services.m_dwMoved, offset - 14);
    }
    // The submenus themselves, nothing and what lies past the base do nothing.
    for (UINT offset : {0u, 4u, 13u, 27u, 99u})
        EXPECT_EQ(RunCommand(icon.get(), MAKEINTRESOURCEA(offset)), E_FAIL) << offset;
    // The registry's verbs compare with regard to case, the base's without.
    EXPECT_EQ(Invoke({value.get()}, "Edit"), E_FAIL);
    EXPECT_EQ(Invoke({value.get()}, "nonsense"), E_FAIL);
    // Offsets 20 to 26 are the base's 1 to 7: 27 - 20 = 7 is Copy.
    EXPECT_EQ(Invoke({value.get()}, 26u), S_OK);
}

TEST_F(RegistryMenus, CopyKeyNameGivesTheShortOrTheFullPath)
{
    UniquePidl child = ItemId(REGITEM_KEY, "Child");
    UniquePidl hkcu = ItemId(REGITEM_KEY, "HKEY_CURRENT_USER", 0x80000001);
    ComPtr<IShellFolder> parentFolder = Sub("Parent");
    const std::string full = "HKEY_CURRENT_USER\\" + key.path();
    const std::tuple<IShellFolder*, LPCITEMIDLIST, UINT, std::string> rows[] = {
        {folder.get(), leaf.get(), CRegUIObject::kRegCopyKeyName, "Leaf"},
        {folder.get(), leaf.get(), CRegUIObject::kRegCopyFullKeyName, full + "\\Leaf"},
        {parentFolder.get(), child.get(), CRegUIObject::kRegCopyFullKeyName, full + "\\Parent\\Child"},
        {root.get(), hkcu.get(), CRegUIObject::kRegCopyFullKeyName, "HKEY_CURRENT_USER"},
    };
    for (const auto& [pFolder, pidl, offset, text] : rows)
    {
        ComPtr<IContextMenu> menu = UIObjectOf<IContextMenu>(pFolder, {pidl});
        ASSERT_TRUE(menu);
        ASSERT_EQ(RunCommand(menu.get(), MAKEINTRESOURCEA(offset)), S_OK);
        ComPtr<IDataObject> clip;
        ASSERT_EQ(::OleGetClipboard(clip.put()), S_OK);
        // The text and its terminator, nothing more.
        EXPECT_EQ(FormatBytes(clip.get(), CF_TEXT), Bytes(text.c_str(), text.c_str() + text.size() + 1));
    }
    // The text left on the clipboard holds the module until the clipboard lets it go.
    const LONG nHeld = g_nLockCount.load();
    ::OleSetClipboard(nullptr);
    EXPECT_EQ(g_nLockCount.load(), nHeld - 1);
}

} // namespace
} // namespace corvasin::test
