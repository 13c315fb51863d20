// Registration through the real regsvr32 of the test prefix: every entry it writes, a second
// registration over the first, and unregistering (twice) with what it leaves behind.
#include "install/DllUnderTest.h"

#include "app/CorvasinFactory.h"
#include "app/Guids.h"
#include "install/Registration.h"
#include "registry/RegRootExtension.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstring>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

const std::string c_folderClass = GuidString(CLSID_CorvasinFolder);
const std::string c_uiClass = GuidString(CLSID_CorvasinUIObject);
const std::string c_interfaceId = GuidString(IID_IRegFolder);
const std::string c_folderKey = "CLSID\\" + c_folderClass;
const std::string c_uiKey = "CLSID\\" + c_uiClass;
const std::string c_nameSpaceKey = std::string(c_pszDesktopNameSpaceKey) + "\\" + c_folderClass;

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::vector<std::string> SubkeyNames(HKEY hRoot, const std::string& path)
{
    std::vector<std::string> names;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, path.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return names;
    char szName[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD cch = sizeof(szName);
        if (::RegEnumKeyExA(hKey, i, szName, &cch, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(szName, cch);
    }
    ::RegCloseKey(hKey);
    return names;
}

DWORD ValueCount(HKEY hRoot, const std::string& path)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, path.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return 0;
    DWORD cValues = 0;
    ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cValues,
                       nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(hKey);
    return cValues;
}

// What the registry root folder says about itself, asked in-process.
struct RootFolderFacts
{
    std::string description;
    ULONG dwAttributes = 0;
};

RootFolderFacts AskRootFolder()
{
    RootFolderFacts facts;
    auto* pFolder = new CRegRootExtension(&RegistryServices());
    facts.description = pFolder->GetColumnText(nullptr, -1);
    facts.dwAttributes = pFolder->GetItemAttributes(nullptr);
    pFolder->ExternalRelease();
    return facts;
}

void ExpectString(HKEY hRoot, const std::string& path, const char* pszName,
                  const std::string& expected, DWORD dwType = REG_SZ)
{
    const RegValue value = ReadValue(hRoot, path, pszName);
    ASSERT_TRUE(value.exists()) << path << " \\ " << (pszName ? pszName : "(default)");
    EXPECT_EQ(value.dwType, dwType) << path;
    EXPECT_EQ(value.text(), expected) << path;
    // Strings are written with their terminating zero.
    EXPECT_EQ(value.data.size(), expected.size() + 1) << path;
}

} // namespace

// ---- one registration, then every entry it wrote ------------------------------------------------

class ServerRegistration : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_dwFirstExitCode = RegisterDll(); }

    void SetUp() override
    {
        ASSERT_FALSE(CorvasinDllPath().empty()) << "CORVASIN_DLL is not set";
        ASSERT_EQ(s_dwFirstExitCode, 0u) << "regsvr32 /s failed";
    }

    static DWORD s_dwFirstExitCode;
};

DWORD ServerRegistration::s_dwFirstExitCode = ~0u;

TEST_F(ServerRegistration, EndsWithExitCodeZero)
{
    EXPECT_EQ(s_dwFirstExitCode, 0u);
}

TEST_F(ServerRegistration, NamesTheFolderClassRegistry)
{
    ExpectString(HKEY_CLASSES_ROOT, c_folderKey, nullptr, "Registry");
}

TEST_F(ServerRegistration, GivesTheFolderClassTheRootDescriptionAsInfoTip)
{
    const std::string description = AskRootFolder().description;
    ASSERT_FALSE(description.empty());
    ExpectString(HKEY_CLASSES_ROOT, c_folderKey, "InfoTip", description);
}

TEST_F(ServerRegistration, PointsTheDefaultIconAtTheDllWithIconIndexZero)
{
    const RegValue icon = ReadValue(HKEY_CLASSES_ROOT, c_folderKey + "\\DefaultIcon", nullptr);
    ASSERT_TRUE(icon.exists());
    EXPECT_EQ(icon.dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Lower(icon.text()), Lower(CorvasinDllPath() + ",0"));
}

TEST_F(ServerRegistration, ServesBothClassesFromTheDllInTheApartmentModel)
{
    for (const std::string& key : {c_folderKey, c_uiKey})
    {
        const RegValue server = ReadValue(HKEY_CLASSES_ROOT, key + "\\InProcServer32", nullptr);
        ASSERT_TRUE(server.exists()) << key;
        EXPECT_EQ(server.dwType, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(Lower(server.text()), Lower(CorvasinDllPath())) << key;
        ExpectString(HKEY_CLASSES_ROOT, key + "\\InProcServer32", "ThreadingModel", "Apartment");
    }
}

TEST_F(ServerRegistration, StoresTheRootAttributesAsFourLittleEndianBytes)
{
    const RegValue attributes =
        ReadValue(HKEY_CLASSES_ROOT, c_folderKey + "\\ShellFolder", "Attributes");
    ASSERT_TRUE(attributes.exists());
    EXPECT_EQ(attributes.dwType, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(attributes.data.size(), 4u);
    const auto* pb = reinterpret_cast<const BYTE*>(attributes.data.data());
    const ULONG dwStored = pb[0] | (pb[1] << 8) | (pb[2] << 16) | (static_cast<ULONG>(pb[3]) << 24);
    EXPECT_EQ(dwStored, AskRootFolder().dwAttributes);
    EXPECT_TRUE(dwStored & SFGAO_FOLDER);
}

TEST_F(ServerRegistration, MakesTheUIObjectClassTheFoldersContextMenuHandler)
{
    EXPECT_TRUE(
        KeyExists(HKEY_CLASSES_ROOT, c_folderKey + "\\shellex\\ContextMenuHandlers\\" + c_uiClass));
    // The root folder has no property sheets, so no property sheet handler is registered.
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c_folderKey + "\\shellex\\PropertySheetHandlers"));
}

TEST_F(ServerRegistration, GivesTheUIObjectClassOnlyItsNameAndServer)
{
    ExpectString(HKEY_CLASSES_ROOT, c_uiKey, nullptr, "Registry");
    EXPECT_EQ(ValueCount(HKEY_CLASSES_ROOT, c_uiKey), 1u);
    EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, c_uiKey), std::vector<std::string>{"InProcServer32"});
}

TEST_F(ServerRegistration, WritesTheWebViewMonikerWithOneBackslashBeforeWeb)
{
    char szWindows[MAX_PATH] = {};
    ASSERT_NE(::GetWindowsDirectoryA(szWindows, MAX_PATH), 0u);
    std::string expected = std::string("file://") + szWindows;
    if (expected.back() != '\\')
        expected += '\\';
    expected += "Web\\corvasin.htt";

    const std::string key = c_folderKey + "\\shellex\\ExtShellFolderViews\\"
                                          "{5984FFE0-28D4-11CF-AE66-08002B2E1262}";
    ExpectString(HKEY_CLASSES_ROOT, key, "PersistMoniker", expected, REG_EXPAND_SZ);
    const std::string moniker = ReadValue(HKEY_CLASSES_ROOT, key, "PersistMoniker").text();
    EXPECT_EQ(moniker.find("\\\\Web\\"), std::string::npos) << moniker;
    EXPECT_NE(moniker.find("\\Web\\corvasin.htt"), std::string::npos) << moniker;
}

TEST_F(ServerRegistration, ApprovesTheFolderAsAShellExtension)
{
    ExpectString(HKEY_LOCAL_MACHINE, c_pszApprovedKey, c_folderClass.c_str(), "Registry");
}

TEST_F(ServerRegistration, RegistersTheRegUrlSchemeOpeningTheFolderInExplorer)
{
    ExpectString(HKEY_CLASSES_ROOT, "reg", "ShellFolder", c_folderClass);
    ExpectString(HKEY_CLASSES_ROOT, "reg", "URL Protocol", "");
    ExpectString(HKEY_CLASSES_ROOT, "reg\\Shell\\Open\\Command", nullptr, "explorer \"%1\"");
}

TEST_F(ServerRegistration, LetsTheShortRootNamesPrefixRegLocations)
{
    for (const char* pszPrefix : {"HKEY_", "HKLM", "HKCR", "HKCU", "HKCC", "HKPD", "HKDD"})
        ExpectString(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, pszPrefix, "reg://");
    // HKEY_USERS has no short name.
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, "HKU").exists());
    // The prefixes that were there before stay.
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, "www").exists());
}

TEST_F(ServerRegistration, NamesTheRegFolderInterface)
{
    ExpectString(HKEY_CLASSES_ROOT, "Interface\\" + c_interfaceId, nullptr, "IRegFolder");
}

TEST_F(ServerRegistration, MountsTheNamespaceOnTheDesktop)
{
    ExpectString(HKEY_LOCAL_MACHINE, c_nameSpaceKey, nullptr, "Registry");
}

TEST_F(ServerRegistration, SucceedsAgainAndDropsALeftoverSelfHandlerKey)
{
    const std::string leftover =
        c_folderKey + "\\shellex\\ContextMenuHandlers\\" + c_folderClass + "\\Nested";
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, leftover.c_str(), 0, nullptr, 0, KEY_WRITE,
                                nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(hKey);

    EXPECT_EQ(RegisterDll(), 0u);

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT,
                           c_folderKey + "\\shellex\\ContextMenuHandlers\\" + c_folderClass));
    EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, c_folderKey + "\\shellex\\ContextMenuHandlers"),
              std::vector<std::string>{c_uiClass});
    ExpectString(HKEY_CLASSES_ROOT, c_folderKey, nullptr, "Registry");
    ExpectString(HKEY_LOCAL_MACHINE, c_nameSpaceKey, nullptr, "Registry");
    EXPECT_EQ(ValueCount(HKEY_CLASSES_ROOT, c_folderKey), 2u); // the name and the info tip
}

// ---- unregistering ------------------------------------------------------------------------------

class ServerUnregistration : public ::testing::Test
{
protected:
    // Registered, a foreign prefix planted, then unregistered twice.
    static void SetUpTestSuite()
    {
        s_dwRegisterExitCode = RegisterDll();
        HKEY hKey = nullptr;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &hKey, nullptr) == ERROR_SUCCESS)
        {
            static const char c_szOther[] = "other://";
            ::RegSetValueExA(hKey, "HKDD", 0, REG_SZ, reinterpret_cast<const BYTE*>(c_szOther),
                             sizeof(c_szOther));
            ::RegCloseKey(hKey);
        }
        s_dwFirstExitCode = UnregisterDll();
        s_dwSecondExitCode = UnregisterDll();
    }

    static void TearDownTestSuite()
    {
        HKEY hKey = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, 0, KEY_SET_VALUE, &hKey) ==
            ERROR_SUCCESS)
        {
            ::RegDeleteValueA(hKey, "HKDD");
            ::RegCloseKey(hKey);
        }
    }

    void SetUp() override { ASSERT_EQ(s_dwRegisterExitCode, 0u); }

    static DWORD s_dwRegisterExitCode;
    static DWORD s_dwFirstExitCode;
    static DWORD s_dwSecondExitCode;
};

DWORD ServerUnregistration::s_dwRegisterExitCode = ~0u;
DWORD ServerUnregistration::s_dwFirstExitCode = ~0u;
DWORD ServerUnregistration::s_dwSecondExitCode = ~0u;

TEST_F(ServerUnregistration, SucceedsTwiceInARow)
{
    EXPECT_EQ(s_dwFirstExitCode, 0u);
    EXPECT_EQ(s_dwSecondExitCode, 0u);
}

TEST_F(ServerUnregistration, RemovesTheFolderClassWithAllItsSubkeys)
{
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c_folderKey));
}

TEST_F(ServerUnregistration, RemovesTheApprovalTheInterfaceAndTheDesktopEntry)
{
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, c_pszApprovedKey, c_folderClass.c_str()).exists());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Interface\\" + c_interfaceId));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, c_nameSpaceKey));
    // The parent keys themselves stay.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Interface"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, c_pszDesktopNameSpaceKey));
}

TEST_F(ServerUnregistration, RemovesOnlyTheUrlPrefixesThatStillLeadToReg)
{
    for (const char* pszPrefix : {"HKEY_", "HKLM", "HKCR", "HKCU", "HKCC", "HKPD"})
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, pszPrefix).exists())
            << pszPrefix;
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, "HKDD").text(), "other://");
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, "www").exists());
}

TEST_F(ServerUnregistration, LeavesTheUIObjectClassAndTheRegSchemeKey)
{
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, c_uiKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "reg"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "reg\\Shell\\Open\\Command"));
}
