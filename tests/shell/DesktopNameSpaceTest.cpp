// The registered DLL as the shell of the test prefix uses it: the desktop parses the namespace
// junction and key paths below it, binds to the folders, lists them and asks for names, columns
// and info tips; COM creates both classes from the registration.
#include "install/DllUnderTest.h"

#include "app/Guids.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

const std::wstring c_junction = L"::{BBC22D43-FF1C-4948-B6DA-04BEFBDA2E92}";

// A shell item id list freed with the shell's allocator.
struct Pidl
{
    LPITEMIDLIST p = nullptr;
    Pidl() = default;
    Pidl(const Pidl&) = delete;
    Pidl& operator=(const Pidl&) = delete;
    ~Pidl() { ::CoTaskMemFree(p); }
};

template <typename T>
struct Ptr
{
    T* p = nullptr;
    Ptr() = default;
    Ptr(const Ptr&) = delete;
    Ptr& operator=(const Ptr&) = delete;
    ~Ptr()
    {
        if (p)
            p->Release();
    }
    T* operator->() const { return p; }
    void** put() { return reinterpret_cast<void**>(&p); }
};

std::string StrRetText(STRRET& str, LPCITEMIDLIST pidl)
{
    char sz[MAX_PATH * 2] = {};
    if (FAILED(::StrRetToBufA(&str, pidl, sz, sizeof(sz))))
        return "<StrRetToBuf failed>";
    return sz;
}

std::string DisplayName(IShellFolder* pFolder, LPCITEMIDLIST pidl, SHGDNF uFlags)
{
    STRRET str = {};
    const HRESULT hr = pFolder->GetDisplayNameOf(pidl, uFlags, &str);
    if (FAILED(hr))
        return "<GetDisplayNameOf failed>";
    return StrRetText(str, pidl);
}

std::vector<std::string> ItemNames(IShellFolder* pFolder, SHCONTF grfFlags)
{
    std::vector<std::string> names;
    Ptr<IEnumIDList> pEnum;
    if (pFolder->EnumObjects(nullptr, grfFlags, &pEnum.p) != S_OK || !pEnum.p)
        return names;
    for (;;)
    {
        Pidl item;
        ULONG cFetched = 0;
        if (pEnum->Next(1, &item.p, &cFetched) != S_OK || cFetched != 1)
            break;
        names.push_back(DisplayName(pFolder, item.p, SHGDN_INFOLDER));
    }
    return names;
}

// The junction text of a scratch key below HKEY_CURRENT_USER.
std::wstring KeyLocation(const ScratchKey& scratch)
{
    const std::string path = scratch.path();
    return c_junction + L"\\HKCU\\" + std::wstring(path.begin(), path.end());
}

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

class DesktopNameSpace : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_dwRegisterExitCode = RegisterDll(); }

    void SetUp() override
    {
        ASSERT_EQ(s_dwRegisterExitCode, 0u) << "regsvr32 /s " << CorvasinDllPath() << " failed";
        ASSERT_EQ(::SHGetDesktopFolder(&m_pDesktop.p), S_OK);
    }

    // The desktop's parse of a text; null on failure.
    HRESULT Parse(const std::wstring& text, Pidl& pidl)
    {
        std::wstring buffer = text;
        ULONG cchEaten = 0;
        return m_pDesktop->ParseDisplayName(nullptr, nullptr, buffer.data(), &cchEaten, &pidl.p,
                                            nullptr);
    }

    // The folder behind a text the desktop parses.
    HRESULT Bind(const std::wstring& text, IShellFolder** ppFolder)
    {
        *ppFolder = nullptr;
        Pidl pidl;
        const HRESULT hr = Parse(text, pidl);
        if (FAILED(hr))
            return hr;
        return m_pDesktop->BindToObject(pidl.p, nullptr, IID_IShellFolder,
                                        reinterpret_cast<void**>(ppFolder));
    }

    static DWORD s_dwRegisterExitCode;
    Ptr<IShellFolder> m_pDesktop;
};

DWORD DesktopNameSpace::s_dwRegisterExitCode = ~0u;

} // namespace

TEST_F(DesktopNameSpace, ParsesTheJunctionAndNamesItRegistry)
{
    Pidl pidl;
    ASSERT_EQ(Parse(c_junction, pidl), S_OK);
    ASSERT_NE(pidl.p, nullptr);
    EXPECT_EQ(DisplayName(m_pDesktop.p, pidl.p, SHGDN_NORMAL), "Registry");
    // Wine writes the class id in lower case, Windows in upper case.
    EXPECT_EQ(::lstrcmpiA(DisplayName(m_pDesktop.p, pidl.p, SHGDN_FORPARSING).c_str(),
                          "::{BBC22D43-FF1C-4948-B6DA-04BEFBDA2E92}"),
              0);
}

TEST_F(DesktopNameSpace, ListsTheRegistryAmongTheDesktopItems)
{
    EXPECT_TRUE(
        Contains(ItemNames(m_pDesktop.p, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS), "Registry"));
}

TEST_F(DesktopNameSpace, BindsToTheRegistryRootFolder)
{
    Ptr<IShellFolder> pRoot;
    ASSERT_EQ(Bind(c_junction, &pRoot.p), S_OK);

    Ptr<IPersistFolder2> pPersist;
    ASSERT_EQ(pRoot->QueryInterface(IID_IPersistFolder2, pPersist.put()), S_OK);
    CLSID clsid = {};
    EXPECT_EQ(pPersist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_CorvasinFolder);
    // The shell initialised it with its place below the desktop.
    Pidl pidlFolder;
    EXPECT_EQ(pPersist->GetCurFolder(&pidlFolder.p), S_OK);
    EXPECT_NE(pidlFolder.p, nullptr);
}

TEST_F(DesktopNameSpace, ListsTheSixPredefinedKeysInTheRoot)
{
    Ptr<IShellFolder> pRoot;
    ASSERT_EQ(Bind(c_junction, &pRoot.p), S_OK);

    const std::vector<std::string> names = ItemNames(pRoot.p, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    EXPECT_EQ(names.size(), 6u);
    for (const char* pszKey : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                               "HKEY_USERS", "HKEY_CURRENT_CONFIG"})
        EXPECT_TRUE(Contains(names, pszKey)) << pszKey;
    // The tree asks for folders only: the same keys.
    EXPECT_EQ(ItemNames(pRoot.p, SHCONTF_FOLDERS), names);
}

TEST_F(DesktopNameSpace, ParsesAKeyPathBelowTheJunction)
{
    Pidl pidl;
    ASSERT_EQ(Parse(c_junction + L"\\HKCU\\Software", pidl), S_OK);
    ASSERT_NE(pidl.p, nullptr);
    // The junction, HKEY_CURRENT_USER and Software.
    int cIds = 0;
    for (LPCITEMIDLIST p = pidl.p; p->mkid.cb; p = ::ILGetNext(p))
        ++cIds;
    EXPECT_EQ(cIds, 3);

    Ptr<IShellFolder> pParent;
    LPCITEMIDLIST pidlLast = nullptr;
    ASSERT_EQ(::SHBindToParent(pidl.p, IID_IShellFolder, pParent.put(), &pidlLast), S_OK);
    EXPECT_EQ(DisplayName(pParent.p, pidlLast, SHGDN_INFOLDER), "Software");
    EXPECT_EQ(DisplayName(pParent.p, pidlLast, SHGDN_NORMAL), "Software");
}

TEST_F(DesktopNameSpace, BindsToAKeyAndListsItsSubkeys)
{
    Ptr<IShellFolder> pSoftware;
    ASSERT_EQ(Bind(c_junction + L"\\HKCU\\Software", &pSoftware.p), S_OK);

    const std::vector<std::string> keys = ItemNames(pSoftware.p, SHCONTF_FOLDERS);
    EXPECT_TRUE(Contains(keys, "Wine"));
    // With values asked for too, "(default)" follows the subkeys.
    const std::vector<std::string> all =
        ItemNames(pSoftware.p, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
    EXPECT_GT(all.size(), keys.size());
}

TEST_F(DesktopNameSpace, NamesTheColumnsOfAKeyWithValues)
{
    ScratchKey scratch;
    scratch.SetString("Colour", "blue");
    Ptr<IShellFolder> pKey;
    ASSERT_EQ(Bind(KeyLocation(scratch), &pKey.p), S_OK);
    Ptr<IShellFolder2> pKey2;
    ASSERT_EQ(pKey->QueryInterface(IID_IShellFolder2, pKey2.put()), S_OK);

    std::vector<std::string> titles;
    for (UINT iColumn = 0; iColumn < 3; ++iColumn)
    {
        SHELLDETAILS details = {};
        ASSERT_EQ(pKey2->GetDetailsOf(nullptr, iColumn, &details), S_OK) << iColumn;
        titles.push_back(StrRetText(details.str, nullptr));
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Name", "Value", "Type"}));
}

TEST_F(DesktopNameSpace, ShowsAValuesTextAndTypeInItsColumns)
{
    ScratchKey scratch;
    scratch.SetString("Colour", "blue");
    scratch.SetDword("Count", 42);
    Ptr<IShellFolder> pKey;
    ASSERT_EQ(Bind(KeyLocation(scratch), &pKey.p), S_OK);
    Ptr<IShellFolder2> pKey2;
    ASSERT_EQ(pKey->QueryInterface(IID_IShellFolder2, pKey2.put()), S_OK);

    Ptr<IEnumIDList> pEnum;
    ASSERT_EQ(pKey->EnumObjects(nullptr, SHCONTF_NONFOLDERS, &pEnum.p), S_OK);
    bool bFound = false;
    for (;;)
    {
        Pidl item;
        if (pEnum->Next(1, &item.p, nullptr) != S_OK)
            break;
        if (DisplayName(pKey.p, item.p, SHGDN_INFOLDER) != "Colour")
            continue;
        bFound = true;
        SHELLDETAILS value = {};
        SHELLDETAILS type = {};
        ASSERT_EQ(pKey2->GetDetailsOf(item.p, 1, &value), S_OK);
        ASSERT_EQ(pKey2->GetDetailsOf(item.p, 2, &type), S_OK);
        EXPECT_NE(StrRetText(value.str, item.p).find("blue"), std::string::npos);
        EXPECT_EQ(StrRetText(type.str, item.p), "REG_SZ");
    }
    EXPECT_TRUE(bFound);
}

TEST_F(DesktopNameSpace, GivesThePredefinedKeysTheirDescriptionAsInfoTip)
{
    Pidl pidl;
    ASSERT_EQ(Parse(c_junction + L"\\HKCU", pidl), S_OK);
    Ptr<IShellFolder> pRoot;
    ASSERT_EQ(Bind(c_junction, &pRoot.p), S_OK);

    LPCITEMIDLIST pidlLast = ::ILFindLastID(pidl.p);
    Ptr<IQueryInfo> pInfo;
    const HRESULT hr =
        pRoot->GetUIObjectOf(nullptr, 1, &pidlLast, IID_IQueryInfo, nullptr, pInfo.put());
    if (hr == E_NOINTERFACE)
        GTEST_SKIP() << "the key folder hands out no UI object with an info tip yet";
    ASSERT_EQ(hr, S_OK);
    LPWSTR pszTip = nullptr;
    ASSERT_EQ(pInfo->GetInfoTip(0, &pszTip), S_OK);
    ASSERT_NE(pszTip, nullptr);
    const std::wstring tip = pszTip;
    ::CoTaskMemFree(pszTip);
    EXPECT_EQ(tip.rfind(L"HKEY_CURRENT_USER contains", 0), 0u);
}

TEST_F(DesktopNameSpace, LetsComCreateTheFolderFromItsRegistration)
{
    Ptr<IShellFolder> pFolder;
    ASSERT_EQ(::CoCreateInstance(CLSID_CorvasinFolder, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IShellFolder, pFolder.put()),
              S_OK);
    EXPECT_EQ(ItemNames(pFolder.p, SHCONTF_FOLDERS).size(), 6u);
}

TEST_F(DesktopNameSpace, LetsComCreateTheContextMenuHandlerFromItsRegistration)
{
    Ptr<IContextMenu> pMenu;
    ASSERT_EQ(::CoCreateInstance(CLSID_CorvasinUIObject, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IContextMenu, pMenu.put()),
              S_OK);
    // As the shell does for the namespace's icon: initialise with the folder's place.
    Pidl pidl;
    ASSERT_EQ(Parse(c_junction, pidl), S_OK);
    Ptr<IShellExtInit> pInit;
    ASSERT_EQ(pMenu->QueryInterface(IID_IShellExtInit, pInit.put()), S_OK);
    EXPECT_EQ(pInit->Initialize(pidl.p, nullptr, nullptr), S_OK);

    HMENU hmenu = ::CreatePopupMenu();
    ASSERT_NE(hmenu, nullptr);
    const HRESULT hr = pMenu->QueryContextMenu(hmenu, 0, 1, 0x7FFF, CMF_NORMAL);
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    ::DestroyMenu(hmenu);
}
