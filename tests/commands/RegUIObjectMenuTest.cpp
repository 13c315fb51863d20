// The registry menus as the shell builds them: the entries of each selection and flag, the
// submenus filled when they open, the result codes and the verbs.
#include "commands/RegUIObject.h"
#include "commands/RegistryCommandFixture.h"

#include <gtest/gtest.h>

namespace corvasin::test
{
namespace
{

// "&Open*" marks the default entry, "-" a separator, "New>" an entry with a submenu.
std::vector<std::string> Entries(HMENU hmenu)
{
    std::vector<std::string> entries;
    for (int i = 0; i < ::GetMenuItemCount(hmenu); ++i)
    {
        char sz[64] = {};
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_STATE | MIIM_TYPE | MIIM_SUBMENU;
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

using Texts = std::vector<std::string>;

// A UI object of our own for the icon menu, at a chosen placement.
class CIconObject final : public CRegUIObject
{
public:
    explicit CIconObject(DWORD dwPlacement)
        : CRegUIObject(nullptr, 0, nullptr, nullptr, nullptr), m_dwPlacement(dwPlacement)
    {
    }
    const CLSID& GetClassID() noexcept override { return CLSID_NULL; }
    DWORD ReadPlacementType() noexcept override { return m_dwPlacement; }
    DWORD m_dwMoved = ~0u;
    BOOL MoveFolder(DWORD dwPlacement) noexcept override
    {
        m_dwMoved = dwPlacement;
        return TRUE;
    }

private:
    DWORD m_dwPlacement;
};

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
    struct Row
    {
        const char* pszWhat;
        std::vector<LPCITEMIDLIST> items;
        UINT uFlags;
        Texts expected;
        HRESULT hrExpected;
    };
    const Row rows[] = {
        {"a key without subkeys", {leaf.get()}, CMF_NORMAL,
         {"&Open*", "&Explore", "-", "&Delete", "&Rename", "&Copy", "Export", "Find...",
          "Copy key name", "Copy full key name", "New>", "Security..."},
         MAKE_HRESULT(0, 0, 27)},
        {"a key with subkeys", {parent.get()}, CMF_NORMAL,
         {"&Open*", "&Explore", "-", "&Delete", "&Copy", "Export", "Find...", "Copy key name",
          "Copy full key name", "New>", "Security..."},
         MAKE_HRESULT(0, 0, 27)},
        {"a value", {value.get()}, CMF_NORMAL,
         {"-", "&Delete", "&Rename", "&Copy", "Edit*", "Export"}, MAKE_HRESULT(0, 0, 27)},
        {"a value without default", {value.get()}, CMF_NODEFAULT,
         {"-", "&Delete", "&Rename", "&Copy", "Edit", "Export"}, MAKE_HRESULT(0, 0, 27)},
        {"a key and a value", {leaf.get(), value.get()}, CMF_NORMAL,
         {"&Open*", "&Explore", "-", "&Delete", "Export", "Find..."}, MAKE_HRESULT(0, 0, 27)},
        {"a value and a key", {value.get(), leaf.get()}, CMF_NORMAL,
         {"-", "&Delete", "Export"}, MAKE_HRESULT(0, 0, 27)},
        {"the default of a value", {value.get()}, CMF_DEFAULTONLY, {"Edit*"}, MAKE_HRESULT(0, 0, 20)},
        {"the default of a key", {leaf.get()}, CMF_DEFAULTONLY, {"&Open*"}, MAKE_HRESULT(0, 0, 27)},
        {"the default when exploring", {leaf.get()}, CMF_DEFAULTONLY | CMF_EXPLORE, {"&Explore*"},
         MAKE_HRESULT(0, 0, 27)},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.pszWhat);
        ComPtr<IContextMenu> menu = UIObject<IContextMenu>(row.items);
        UniqueHmenu hmenu(::CreatePopupMenu());
        EXPECT_EQ(menu->QueryContextMenu(hmenu.get(), 0, 100, 0x7FFF, row.uFlags), row.hrExpected);
        EXPECT_EQ(Entries(hmenu.get()), row.expected);
    }
}

TEST_F(RegistryMenus, TheIconMenuOffersFindMoveAboutAndUninstall)
{
    auto pIcon = CmdTargetPtr<CIconObject>::Attach(new CIconObject(0));
    ComPtr<IContextMenu> menu(static_cast<IContextMenu*>(pIcon->GetInterface(IID_IContextMenu)));
    UniqueHmenu hmenu(::CreatePopupMenu());
    EXPECT_EQ(menu->QueryContextMenu(hmenu.get(), 0, 100, 0x7FFF, CMF_NORMAL), MAKE_HRESULT(0, 0, 20));
    EXPECT_EQ(Entries(hmenu.get()), (Texts{"Find...", "Move to>", "About Corvasin", "Uninstall"}));
    EXPECT_EQ(::GetMenuItemID(hmenu.get(), 3), 100u + CRegUIObject::kRegUninstall);
    hmenu.reset(::CreatePopupMenu());
    EXPECT_EQ(menu->QueryContextMenu(hmenu.get(), 0, 100, 0x7FFF, CMF_DEFAULTONLY), S_OK);
    EXPECT_EQ(::GetMenuItemCount(hmenu.get()), 0);
}

TEST_F(RegistryMenus, SubmenusAreFilledWhenTheyOpen)
{
    // "New" in the menu of a key.
    ComPtr<IContextMenu2> menu = UIObject<IContextMenu2>({leaf.get()});
    UniqueHmenu hmenu(::CreatePopupMenu());
    menu->QueryContextMenu(hmenu.get(), 0, 100, 0x7FFF, CMF_NORMAL);
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
    const Texts expected[] = {
        {"My Computer", "Control Panel", "Select folder..."},
        {"Desktop", "Control Panel", "Select folder..."},
        {"Desktop", "My Computer", "Select folder..."},
        {"Desktop", "My Computer", "Control Panel", "Select folder..."},
    };
    for (DWORD dwPlacement = 0; dwPlacement < 4; ++dwPlacement)
    {
        SCOPED_TRACE(dwPlacement);
        auto pIcon = CmdTargetPtr<CIconObject>::Attach(new CIconObject(dwPlacement));
        ComPtr<IContextMenu3> icon(static_cast<IContextMenu3*>(pIcon->GetInterface(IID_IContextMenu3)));
        UniqueHmenu hIconMenu(::CreatePopupMenu());
        icon->QueryContextMenu(hIconMenu.get(), 0, 100, 0x7FFF, CMF_NORMAL);
        const HMENU hMove = ::GetSubMenu(hIconMenu.get(), 1);
        LRESULT lResult = 1;
        EXPECT_EQ(icon->HandleMenuMsg2(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMove), 1, &lResult), S_OK);
        EXPECT_EQ(Entries(hMove), expected[dwPlacement]);
    }
}

TEST_F(RegistryMenus, SubmenusFillAlsoWhereTheHostKeepsTheMessageToItself)
{
    // Wine's view sends WM_INITMENUPOPUP only to its own window; the object hears it anyway.
    ComPtr<IContextMenu> menu = UIObject<IContextMenu>({leaf.get()});
    UniqueHmenu hmenu(::CreatePopupMenu());
    menu->QueryContextMenu(hmenu.get(), 0, 100, 0x7FFF, CMF_NORMAL);
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
    auto pIcon = CmdTargetPtr<CIconObject>::Attach(new CIconObject(0));
    ComPtr<IContextMenu> icon(static_cast<IContextMenu*>(pIcon->GetInterface(IID_IContextMenu)));
    CMINVOKECOMMANDINFO ici = {};
    ici.cbSize = sizeof(ici);
    for (UINT offset : {14u, 15u, 16u, 17u})
    {
        ici.lpVerb = MAKEINTRESOURCEA(offset);
        EXPECT_EQ(icon->InvokeCommand(&ici), S_OK);
        EXPECT_EQ(pIcon->m_dwMoved, offset - 14);
    }
    // The submenus themselves, nothing and what lies past the base do nothing.
    for (UINT offset : {0u, 4u, 13u, 27u, 99u})
    {
        ici.lpVerb = MAKEINTRESOURCEA(offset);
        EXPECT_EQ(icon->InvokeCommand(&ici), E_FAIL) << offset;
    }
    // The registry's verbs compare with regard to case, the base's without.
    EXPECT_EQ(Invoke({value.get()}, "Edit"), E_FAIL);
    EXPECT_EQ(Invoke({value.get()}, "nonsense"), E_FAIL);
    // Offsets 20 to 26 are the base's 1 to 7: 27 - 20 = 7 is Copy.
    EXPECT_EQ(Invoke({value.get()}, 26u), S_OK);
}

TEST_F(RegistryMenus, CopyKeyNameGivesTheShortOrTheFullPath)
{
    UniquePidl child = ItemId(REGITEM_KEY, "Child");
    ComPtr<IShellFolder> parentFolder;
    ASSERT_EQ(folder->BindToObject(parent.get(), nullptr, IID_IShellFolder, parentFolder.put_void()), S_OK);
    struct Row
    {
        IShellFolder* pFolder;
        LPCITEMIDLIST pidl;
        UINT offset;
        std::string text;
    };
    UniquePidl hkcu = ItemId(REGITEM_KEY, "HKEY_CURRENT_USER", 0x80000001);
    const Row rows[] = {
        {folder.get(), leaf.get(), CRegUIObject::kRegCopyKeyName, "Leaf"},
        {folder.get(), leaf.get(), CRegUIObject::kRegCopyFullKeyName,
         "HKEY_CURRENT_USER\\" + key.path() + "\\Leaf"},
        {parentFolder.get(), child.get(), CRegUIObject::kRegCopyFullKeyName,
         "HKEY_CURRENT_USER\\" + key.path() + "\\Parent\\Child"},
        {root.get(), hkcu.get(), CRegUIObject::kRegCopyFullKeyName, "HKEY_CURRENT_USER"},
    };
    for (const Row& row : rows)
    {
        ComPtr<IContextMenu> menu;
        LPCITEMIDLIST apidl[1] = {row.pidl};
        ASSERT_EQ(row.pFolder->GetUIObjectOf(nullptr, 1, apidl, IID_IContextMenu, nullptr, menu.put_void()), S_OK);
        CMINVOKECOMMANDINFO ici = {};
        ici.cbSize = sizeof(ici);
        ici.lpVerb = MAKEINTRESOURCEA(row.offset);
        ASSERT_EQ(menu->InvokeCommand(&ici), S_OK);
        ComPtr<IDataObject> clip;
        ASSERT_EQ(::OleGetClipboard(clip.put()), S_OK);
        FORMATETC fe = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        ASSERT_EQ(clip->GetData(&fe, &medium), S_OK);
        EXPECT_EQ(static_cast<const char*>(::GlobalLock(medium.hGlobal)), row.text);
        EXPECT_EQ(::GlobalSize(medium.hGlobal), row.text.size() + 1);
        ::GlobalUnlock(medium.hGlobal);
        ::ReleaseStgMedium(&medium);
    }
    ::OleSetClipboard(nullptr);
}

} // namespace
} // namespace corvasin::test
