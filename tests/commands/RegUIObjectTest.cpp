// The registry UI object: its class id, its default folder, and the key folder handing it out
// for a selection of registry items on a scratch key.
#include "commands/RegUIObject.h"

#include "app/CorvasinFactory.h"
#include "app/CorvasinUIObject.h"
#include "app/Guids.h"
#include "framework/ShellFormats.h"
#include "framework/ItemIdList.h"
#include "core/ComPtr.h"
#include "registry/RegItem.h"
#include "registry/RegkeyExtension.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <cstring>

namespace corvasin::test
{
namespace
{

ULONG RefCount(CCmdTarget* p)
{
    p->ExternalAddRef();
    return p->ExternalRelease();
}

// The key folder of a scratch key, at a made-up absolute location.
class RegUIObjectTest : public ::testing::Test
{
protected:
    RegUIObjectTest()
    {
        key.SetString("Greeting", "hello");
        key.CreateSubkey("Child");
        m_pFolder = new CRegkeyExtension(nullptr, HKEY_CURRENT_USER, key.path().c_str(),
                                         &RegistryServices());
        const BYTE location[4] = {'L', 'O', 'C', '1'};
        UniquePidl pidl(MakeItemIdList(location, sizeof(location)));
        static_cast<IPersistFolder*>(m_pFolder->GetInterface(IID_IPersistFolder))->Initialize(pidl.get());
        void* pv = nullptr;
        m_pFolder->ExternalQueryInterface(IID_IShellFolder, &pv);
        shellFolder = ComPtr<IShellFolder>::Attach(static_cast<IShellFolder*>(pv));
    }
    ~RegUIObjectTest() override
    {
        shellFolder.reset();
        m_pFolder->ExternalRelease();
    }

    static UniquePidl ItemId(DWORD dwKind, const char* pszName, DWORD dwType = 0)
    {
        const REGITEM item = MakeRegItem(dwKind, 0, pszName, dwType);
        return UniquePidl(MakeItemIdList(&item, sizeof(item)));
    }

    // The interface id is passed because MinGW's headers give IQueryInfo no __uuidof.
    template <typename I>
    HRESULT UIObjectOf(LPCITEMIDLIST pidl, ComPtr<I>& out, REFIID riid = __uuidof(I))
    {
        LPCITEMIDLIST apidl[1] = {pidl};
        return shellFolder->GetUIObjectOf(nullptr, 1, apidl, riid, nullptr, out.put_void());
    }

    static std::vector<std::string> MenuTexts(IContextMenu* pMenu, UINT uFlags)
    {
        UniqueHmenu menu(::CreatePopupMenu());
        EXPECT_TRUE(SUCCEEDED(pMenu->QueryContextMenu(menu.get(), 0, 1, 0x7FFF, uFlags)));
        std::vector<std::string> texts;
        for (int i = 0; i < ::GetMenuItemCount(menu.get()); ++i)
        {
            char szText[64] = {};
            ::GetMenuStringA(menu.get(), i, szText, sizeof(szText), MF_BYPOSITION);
            texts.push_back(szText);
        }
        return texts;
    }

    ScratchKey key;
    CRegkeyExtension* m_pFolder = nullptr;
    ComPtr<IShellFolder> shellFolder;
};

TEST_F(RegUIObjectTest, KeyFolderHandsOutAContextMenuForAValue)
{
    UniquePidl value = ItemId(REGITEM_VALUE, "Greeting", REG_SZ);
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(UIObjectOf(value.get(), menu), S_OK);
    EXPECT_EQ(MenuTexts(menu.get(), CMF_NORMAL),
              (std::vector<std::string>{"", "&Delete", "&Rename", "&Copy"}));
    // The same object is the data object and the info tip source.
    ComPtr<IDataObject> data;
    EXPECT_EQ(menu.As(data), S_OK);
    ComPtr<IQueryInfo> info;
    EXPECT_EQ(menu->QueryInterface(IID_IQueryInfo, info.put_void()), S_OK);
}

TEST_F(RegUIObjectTest, KeyFolderOffersToOpenASubkey)
{
    UniquePidl child = ItemId(REGITEM_KEY, "Child");
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(UIObjectOf(child.get(), menu), S_OK);
    const auto texts = MenuTexts(menu.get(), CMF_NORMAL);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[0], "&Open");
    EXPECT_EQ(texts[1], "&Explore");
    EXPECT_EQ(MenuTexts(menu.get(), CMF_DEFAULTONLY), (std::vector<std::string>{"&Open"}));
}

TEST_F(RegUIObjectTest, KeyFolderHandsOutADataObjectWithTheItemIdArray)
{
    UniquePidl value = ItemId(REGITEM_VALUE, "Greeting", REG_SZ);
    ComPtr<IDataObject> data;
    ASSERT_EQ(UIObjectOf(value.get(), data), S_OK);
    FORMATETC fe = {ShellIdListFormat(), nullptr,
                    DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    ASSERT_EQ(data->GetData(&fe, &medium), S_OK);
    {
        GlobalLock lock(medium.hGlobal);
        const auto* p = lock.as<BYTE>();
        ASSERT_NE(p, nullptr);
        UINT header[3];
        memcpy(header, p, sizeof(header));
        EXPECT_EQ(header[0], 1u);
        EXPECT_EQ(header[1], 12u);
        EXPECT_EQ(memcmp(p + header[1], m_pFolder->GetPidl(), ::ILGetSize(m_pFolder->GetPidl())),
                  0);
        EXPECT_EQ(memcmp(p + header[2], value.get(), ::ILGetSize(value.get())), 0);
    }
    ::ReleaseStgMedium(&medium);
}

TEST_F(RegUIObjectTest, InfoTipOfAValueIsItsName)
{
    UniquePidl value = ItemId(REGITEM_VALUE, "Greeting", REG_SZ);
    ComPtr<IQueryInfo> info;
    ASSERT_EQ(UIObjectOf(value.get(), info, IID_IQueryInfo), S_OK);
    LPWSTR pszTip = nullptr;
    ASSERT_EQ(info->GetInfoTip(0, &pszTip), S_OK);
    EXPECT_STREQ(pszTip, L"Greeting");
    ::SHFree(pszTip);
}

TEST_F(RegUIObjectTest, UIObjectHoldsTheKeyFolderWhileAlive)
{
    UniquePidl value = ItemId(REGITEM_VALUE, "Greeting", REG_SZ);
    const ULONG cBefore = RefCount(m_pFolder);
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(UIObjectOf(value.get(), menu), S_OK);
    EXPECT_EQ(RefCount(m_pFolder), cBefore + 1);
    menu.reset();
    EXPECT_EQ(RefCount(m_pFolder), cBefore);
}

TEST_F(RegUIObjectTest, KeyFolderRefusesAForeignItem)
{
    const BYTE foreign[sizeof(REGITEM)] = {'X'};
    UniquePidl pidl(MakeItemIdList(foreign, sizeof(foreign)));
    ComPtr<IContextMenu> menu;
    EXPECT_EQ(UIObjectOf(pidl.get(), menu), E_INVALIDARG);
    EXPECT_FALSE(menu);
}

TEST(RegUIObject, IsRegisteredUnderTheUIObjectClassId)
{
    auto* pUI = new CCorvasinUIObject(nullptr, 0, nullptr, nullptr, nullptr);
    EXPECT_TRUE(IsEqualGUID(pUI->GetClassID(), CLSID_CorvasinUIObject));
    pUI->ExternalRelease();
}

TEST(RegUIObject, TakesTheDefaultFolderFromTheFolderFactory)
{
    FolderFactory().ResetLastCreated();
    auto* pUI = new CCorvasinUIObject(nullptr, 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(pUI->GetDefaultFolder(), nullptr);

    ComPtr<IShellFolder> made;
    ASSERT_EQ(FolderFactory().CreateInstance(nullptr, IID_IShellFolder, made.put_void()), S_OK);
    made.reset();
    CNameSpaceExtension* pFolder = FolderFactory().PeekLastCreated();
    ASSERT_NE(pFolder, nullptr);
    EXPECT_EQ(pUI->GetDefaultFolder(), pFolder);

    // Initialised for a location that is not one of our folders, it settles on that folder.
    void* pv = nullptr;
    ASSERT_EQ(pUI->ExternalQueryInterface(IID_IShellExtInit, &pv), S_OK);
    ComPtr<IShellExtInit> init = ComPtr<IShellExtInit>::Attach(static_cast<IShellExtInit*>(pv));
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(pUI->GetFolder(), pFolder);
    EXPECT_EQ(RefCount(pFolder), 2u);
    init.reset();
    pUI->ExternalRelease();
    EXPECT_EQ(RefCount(pFolder), 1u);

    FolderFactory().ResetLastCreated();
}

} // namespace
} // namespace corvasin::test
