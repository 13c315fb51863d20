// The registered DLL as the shell of the test prefix uses it: the desktop parses the namespace
// junction and key paths below it, binds to the folders, lists them and asks for names, columns
// and info tips; COM creates both classes from the registration.
#include "install/DllUnderTest.h"
#include "registry/FolderTestUtil.h"
#include "support/ScratchKey.h"

#include <gmock/gmock.h>

#include <algorithm>

using namespace corvasin;
using namespace corvasin::test;
using ::testing::Contains;

namespace
{

const std::wstring c_junction = L"::{BBC22D43-FF1C-4948-B6DA-04BEFBDA2E92}";

// The names the folder shows for the items the flags ask for.
std::vector<std::string> ItemNames(IShellFolder* pFolder, SHCONTF grfFlags)
{
    std::vector<std::string> names;
    for (const UniquePidl& item : List(pFolder, grfFlags))
        names.push_back(DisplayName(pFolder, item.get(), SHGDN_INFOLDER));
    return names;
}

class DesktopNameSpace : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_dwRegisterExitCode = RegisterDll(); }
    void SetUp() override
    {
        ASSERT_EQ(s_dwRegisterExitCode, 0u) << "regsvr32 /s " << CorvasinDllPath() << " failed";
        ASSERT_EQ(::SHGetDesktopFolder(m_desktop.put()), S_OK);
    }

    HRESULT Parse(const std::wstring& text, UniquePidl& pidl)
    {
        std::wstring buffer = text;
        return m_desktop->ParseDisplayName(nullptr, nullptr, buffer.data(), nullptr, pidl.put(), nullptr);
    }
    // The folder behind a text the desktop parses.
    HRESULT Bind(const std::wstring& text, ComPtr<IShellFolder>& folder)
    {
        UniquePidl pidl;
        const HRESULT hr = Parse(text, pidl);
        return FAILED(hr) ? hr : m_desktop->BindToObject(pidl.get(), nullptr, IID_IShellFolder, folder.put_void());
    }
    // The folder of a scratch key below HKEY_CURRENT_USER that holds a string and a number.
    void BindScratchKey(ComPtr<IShellFolder2>& key)
    {
        m_scratch.SetString("Colour", "blue");
        m_scratch.SetDword("Count", 42);
        const std::wstring path(m_scratch.path().begin(), m_scratch.path().end());
        ComPtr<IShellFolder> folder;
        ASSERT_EQ(Bind(c_junction + L"\\HKCU\\" + path, folder), S_OK);
        ASSERT_EQ(folder.As(key), S_OK);
    }
    // The text of a column, which the folder must answer.
    static std::string Column(IShellFolder2* pFolder, LPCITEMIDLIST pidl, UINT iColumn)
    {
        SHELLDETAILS details = {};
        EXPECT_EQ(pFolder->GetDetailsOf(pidl, iColumn, &details), S_OK) << iColumn;
        return StrRetText(details.str, pidl);
    }

    static inline DWORD s_dwRegisterExitCode = ~0u;
    ComPtr<IShellFolder> m_desktop;
    ScratchKey m_scratch;
};

} // namespace

TEST_F(DesktopNameSpace, ParsesTheJunctionAndNamesItRegistry)
{
    UniquePidl pidl;
    ASSERT_EQ(Parse(c_junction, pidl), S_OK);
    ASSERT_TRUE(pidl);
    EXPECT_EQ(DisplayName(m_desktop.get(), pidl.get(), SHGDN_NORMAL), "Registry");
    // Wine writes the class id in lower case, Windows in upper case.
    EXPECT_EQ(Lower(DisplayName(m_desktop.get(), pidl.get(), SHGDN_FORPARSING)),
              Lower(std::string(c_junction.begin(), c_junction.end())));
}

TEST_F(DesktopNameSpace, ListsTheRegistryAmongTheDesktopItems)
{
    EXPECT_THAT(ItemNames(m_desktop.get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS), Contains("Registry"));
}

TEST_F(DesktopNameSpace, BindsToTheRegistryRootFolder)
{
    ComPtr<IShellFolder> root;
    ASSERT_EQ(Bind(c_junction, root), S_OK);
    ComPtr<IPersistFolder2> persist;
    ASSERT_EQ(root.As(persist), S_OK);
    CLSID clsid = {};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_CorvasinFolder);
    // The shell initialised it with its place below the desktop.
    UniquePidl pidlFolder;
    EXPECT_EQ(persist->GetCurFolder(pidlFolder.put()), S_OK);
    EXPECT_TRUE(pidlFolder);
}

TEST_F(DesktopNameSpace, ListsTheSixPredefinedKeysInTheRoot)
{
    ComPtr<IShellFolder> root;
    ASSERT_EQ(Bind(c_junction, root), S_OK);
    const std::vector<std::string> names = ItemNames(root.get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    EXPECT_EQ(names.size(), 6u);
    EXPECT_THAT(names, ::testing::IsSupersetOf({"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                "HKEY_USERS", "HKEY_CURRENT_CONFIG"}));
    // The tree asks for folders only: the same keys.
    EXPECT_EQ(ItemNames(root.get(), SHCONTF_FOLDERS), names);
}

TEST_F(DesktopNameSpace, ParsesAKeyPathBelowTheJunction)
{
    UniquePidl pidl;
    ASSERT_EQ(Parse(c_junction + L"\\HKCU\\Software", pidl), S_OK);
    ASSERT_TRUE(pidl);
    // The junction, HKEY_CURRENT_USER and Software.
    int cIds = 0;
    for (LPCITEMIDLIST p = pidl.get(); p->mkid.cb; p = ::ILGetNext(p))
        ++cIds;
    EXPECT_EQ(cIds, 3);

    ComPtr<IShellFolder> parent;
    LPCITEMIDLIST pidlLast = nullptr;
    ASSERT_EQ(::SHBindToParent(pidl.get(), IID_IShellFolder, parent.put_void(), &pidlLast), S_OK);
    EXPECT_EQ(DisplayName(parent.get(), pidlLast, SHGDN_INFOLDER), "Software");
    EXPECT_EQ(DisplayName(parent.get(), pidlLast, SHGDN_NORMAL), "Software");
}

TEST_F(DesktopNameSpace, BindsToAKeyAndListsItsSubkeys)
{
    ComPtr<IShellFolder> software;
    ASSERT_EQ(Bind(c_junction + L"\\HKCU\\Software", software), S_OK);
    const std::vector<std::string> keys = ItemNames(software.get(), SHCONTF_FOLDERS);
    EXPECT_THAT(keys, Contains("Wine"));
    // With values asked for too, "(default)" follows the subkeys.
    EXPECT_GT(ItemNames(software.get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS).size(), keys.size());
}

TEST_F(DesktopNameSpace, ShowsAValuesTextAndTypeInItsColumns)
{
    ComPtr<IShellFolder2> key;
    ASSERT_NO_FATAL_FAILURE(BindScratchKey(key));
    const std::vector<UniquePidl> values = List(key.get(), SHCONTF_NONFOLDERS);
    const auto colour = std::find_if(values.begin(), values.end(), [&](const UniquePidl& pidl) {
        return DisplayName(key.get(), pidl.get(), SHGDN_INFOLDER) == "Colour";
    });
    ASSERT_NE(colour, values.end());
    EXPECT_NE(Column(key.get(), colour->get(), 1).find("blue"), std::string::npos);
    EXPECT_EQ(Column(key.get(), colour->get(), 2), "REG_SZ");
}

TEST_F(DesktopNameSpace, GivesThePredefinedKeysTheirDescriptionAsInfoTip)
{
    UniquePidl pidl;
    ASSERT_EQ(Parse(c_junction + L"\\HKCU", pidl), S_OK);
    ComPtr<IShellFolder> root;
    ASSERT_EQ(Bind(c_junction, root), S_OK);

    LPCITEMIDLIST pidlLast = ::ILFindLastID(pidl.get());
    ComPtr<IQueryInfo> info;
    const HRESULT hr = root->GetUIObjectOf(nullptr, 1, &pidlLast, IID_IQueryInfo, nullptr, info.put_void());
    if (hr == E_NOINTERFACE)
        GTEST_SKIP() << "the key folder hands out no UI object with an info tip yet";
    ASSERT_EQ(hr, S_OK);
    LPWSTR pszTip = nullptr;
    ASSERT_EQ(info->GetInfoTip(0, &pszTip), S_OK);
    ASSERT_NE(pszTip, nullptr);
    UniqueCoTaskMem tip(pszTip);
    EXPECT_EQ(std::wstring(pszTip).rfind(L"HKEY_CURRENT_USER contains", 0), 0u);
}

TEST_F(DesktopNameSpace, LetsComCreateTheFolderFromItsRegistration)
{
    ComPtr<IShellFolder> folder;
    ASSERT_EQ(::CoCreateInstance(CLSID_CorvasinFolder, nullptr, CLSCTX_INPROC_SERVER, IID_IShellFolder,
                                 folder.put_void()),
              S_OK);
    EXPECT_EQ(ItemNames(folder.get(), SHCONTF_FOLDERS).size(), 6u);
}

TEST_F(DesktopNameSpace, LetsComCreateTheContextMenuHandlerFromItsRegistration)
{
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(::CoCreateInstance(CLSID_CorvasinUIObject, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                 menu.put_void()),
              S_OK);
    // As the shell does for the namespace's icon: initialise with the folder's place.
    UniquePidl pidl;
    ASSERT_EQ(Parse(c_junction, pidl), S_OK);
    ComPtr<IShellExtInit> init;
    ASSERT_EQ(menu.As(init), S_OK);
    EXPECT_EQ(init->Initialize(pidl.get(), nullptr, nullptr), S_OK);

    const UniqueHmenu hmenu(::CreatePopupMenu());
    ASSERT_TRUE(hmenu);
    EXPECT_GE(menu->QueryContextMenu(hmenu.get(), 0, 1, 0x7FFF, CMF_NORMAL), 0); // any success code
}
