// Registration through the real regsvr32 of the test prefix: every entry it writes, a second
// registration over the first, and unregistering (twice) with what it leaves behind.
#include "install/DllUnderTest.h"

#include "app/CorvasinFactory.h"
#include "app/Guids.h"
#include "core/CmdTargetPtr.h"
#include "install/Registration.h"
#include "install/WebFiles.h"
#include "registry/RegRootExtension.h"
#include "support/TableRow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

using namespace corvasin;
using namespace corvasin::test;
using ::testing::ElementsAre;
using ::testing::Key;

namespace
{

const std::string c_folderClass = GuidString(CLSID_CorvasinFolder);
const std::string c_uiClass = GuidString(CLSID_CorvasinUIObject);
const std::string c_interfaceKey = "Interface\\" + GuidString(IID_IRegFolder);
const std::string c_folderKey = "CLSID\\" + c_folderClass;
const std::string c_uiKey = "CLSID\\" + c_uiClass;
const std::string c_handlersKey = c_folderKey + "\\shellex\\ContextMenuHandlers";
const std::string c_nameSpaceKey = std::string(c_pszDesktopNameSpaceKey) + "\\" + c_folderClass;

// The registry root folder, asked in-process what it says about itself.
CmdTargetPtr<CRegRootExtension> RootFolder()
{
    return CmdTargetPtr<CRegRootExtension>::Attach(new CRegRootExtension(&RegistryServices()));
}

// A file path (bAnyCase) is compared in any case; any other string byte for byte, with the
// terminating zero it is written with.
void ExpectString(HKEY hRoot, const std::string& path, const char* pszName, const std::string& expected,
                  DWORD dwType = REG_SZ, bool bAnyCase = false)
{
    const RegValue value = ReadValue(hRoot, path, pszName);
    ASSERT_TRUE(value.exists()) << path << " \\ " << (pszName ? pszName : "(default)");
    if (bAnyCase)
        EXPECT_EQ(std::tuple(value.dwType, Lower(value.text())), std::tuple(dwType, Lower(expected))) << path;
    else
        EXPECT_EQ(std::tie(value.dwType, value.data), std::tuple(dwType, expected + '\0')) << path;
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

    static inline DWORD s_dwFirstExitCode = ~0u;
};

// The entries that are one string each: where, the text, and whether it is a path in any case.
struct StringEntry
{
    HKEY hRoot;
    std::string path;
    const char* pszName;
    std::string expected;
    bool bAnyCase = false;
};
struct StringRow : Row
{
    std::vector<StringEntry> entries;
};
class ServerRegistrationStrings : public ServerRegistration, public ::testing::WithParamInterface<StringRow>
{
};

TEST_P(ServerRegistrationStrings, AreWritten)
{
    for (const StringEntry& entry : GetParam().entries)
        ExpectString(entry.hRoot, entry.path, entry.pszName, entry.expected, REG_SZ, entry.bAnyCase);
}

INSTANTIATE_TEST_SUITE_P(
    ServerRegistration, ServerRegistrationStrings,
    ::testing::Values(
        StringRow{"NamesTheFolderClassRegistry", {{HKEY_CLASSES_ROOT, c_folderKey, nullptr, "Registry"}}},
        StringRow{"PointsTheDefaultIconAtTheDllWithIconIndexZero",
                  {{HKEY_CLASSES_ROOT, c_folderKey + "\\DefaultIcon", nullptr, CorvasinDllPath() + ",0", true}}},
        StringRow{"ServesBothClassesFromTheDllInTheApartmentModel",
                  {{HKEY_CLASSES_ROOT, c_folderKey + "\\InProcServer32", nullptr, CorvasinDllPath(), true},
                   {HKEY_CLASSES_ROOT, c_folderKey + "\\InProcServer32", "ThreadingModel", "Apartment"},
                   {HKEY_CLASSES_ROOT, c_uiKey + "\\InProcServer32", nullptr, CorvasinDllPath(), true},
                   {HKEY_CLASSES_ROOT, c_uiKey + "\\InProcServer32", "ThreadingModel", "Apartment"}}},
        StringRow{"ApprovesTheFolderAsAShellExtension",
                  {{HKEY_LOCAL_MACHINE, c_pszApprovedKey, c_folderClass.c_str(), "Registry"}}},
        StringRow{"RegistersTheRegUrlSchemeOpeningTheFolderInExplorer",
                  {{HKEY_CLASSES_ROOT, "reg", "ShellFolder", c_folderClass},
                   {HKEY_CLASSES_ROOT, "reg", "URL Protocol", ""},
                   {HKEY_CLASSES_ROOT, "reg\\Shell\\Open\\Command", nullptr, "explorer \"%1\""}}},
        StringRow{"NamesTheRegFolderInterface", {{HKEY_CLASSES_ROOT, c_interfaceKey, nullptr, "IRegFolder"}}},
        StringRow{"MountsTheNamespaceOnTheDesktop", {{HKEY_LOCAL_MACHINE, c_nameSpaceKey, nullptr, "Registry"}}}),
    RowName());

TEST_F(ServerRegistration, GivesTheFolderClassTheRootDescriptionAsInfoTip)
{
    const std::string description = RootFolder()->GetColumnText(nullptr, -1);
    ASSERT_FALSE(description.empty());
    ExpectString(HKEY_CLASSES_ROOT, c_folderKey, "InfoTip", description);
}

TEST_F(ServerRegistration, StoresTheRootAttributesAsFourLittleEndianBytes)
{
    const RegValue attributes = ReadValue(HKEY_CLASSES_ROOT, c_folderKey + "\\ShellFolder", "Attributes");
    ASSERT_TRUE(attributes.exists());
    EXPECT_EQ(attributes.dwType, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(attributes.data.size(), 4u);
    const auto* pb = reinterpret_cast<const BYTE*>(attributes.data.data());
    const ULONG dwStored = pb[0] | (pb[1] << 8) | (pb[2] << 16) | (static_cast<ULONG>(pb[3]) << 24);
    EXPECT_EQ(dwStored, RootFolder()->GetItemAttributes(nullptr));
    EXPECT_TRUE(dwStored & SFGAO_FOLDER);
}

TEST_F(ServerRegistration, MakesTheUIObjectClassTheFoldersContextMenuHandler)
{
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, c_handlersKey + "\\" + c_uiClass));
    // The root folder has no property sheets, so no property sheet handler is registered.
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c_folderKey + "\\shellex\\PropertySheetHandlers"));
}

TEST_F(ServerRegistration, GivesTheUIObjectClassOnlyItsNameAndServer)
{
    ExpectString(HKEY_CLASSES_ROOT, c_uiKey, nullptr, "Registry");
    // The key itself and InProcServer32, nothing below them; one value.
    const Snapshot tree = SnapKey(c_uiKey, HKEY_CLASSES_ROOT);
    EXPECT_THAT(tree, ElementsAre(Key(""), Key("InProcServer32")));
    EXPECT_EQ(tree.at("").size(), 1u);
}

TEST_F(ServerRegistration, WritesTheWebViewMonikerWithOneBackslashBeforeWeb)
{
    char szWindows[MAX_PATH] = {};
    ASSERT_NE(::GetWindowsDirectoryA(szWindows, MAX_PATH), 0u);
    std::string expected = std::string("file://") + szWindows;
    expected += std::string(expected.back() == '\\' ? "" : "\\") + "Web\\corvasin.htt";

    const std::string key = c_folderKey + "\\shellex\\ExtShellFolderViews\\{5984FFE0-28D4-11CF-AE66-08002B2E1262}";
    ExpectString(HKEY_CLASSES_ROOT, key, "PersistMoniker", expected, REG_EXPAND_SZ);
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

TEST_F(ServerRegistration, SucceedsAgainAndDropsALeftoverSelfHandlerKey)
{
    ASSERT_TRUE(CreateKey(HKEY_CLASSES_ROOT, (c_handlersKey + "\\" + c_folderClass + "\\Nested").c_str()));
    EXPECT_EQ(RegisterDll(), 0u);

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c_handlersKey + "\\" + c_folderClass));
    EXPECT_THAT(SnapKey(c_handlersKey, HKEY_CLASSES_ROOT), ElementsAre(Key(""), Key(c_uiClass)));
    ExpectString(HKEY_CLASSES_ROOT, c_folderKey, nullptr, "Registry");
    ExpectString(HKEY_LOCAL_MACHINE, c_nameSpaceKey, nullptr, "Registry");
    EXPECT_EQ(SnapKey(c_folderKey, HKEY_CLASSES_ROOT).at("").size(), 2u); // the name and the info tip
}

// ---- unregistering ------------------------------------------------------------------------------

class ServerUnregistration : public ::testing::Test
{
protected:
    // Registered, a foreign prefix planted, then unregistered twice.
    static void SetUpTestSuite()
    {
        s_dwRegisterExitCode = RegisterDll();
        WriteValue(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, "HKDD", StringValue("other://"));
        s_dwFirstExitCode = UnregisterDll();
        s_dwSecondExitCode = UnregisterDll();
    }
    static void TearDownTestSuite() { ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, "HKDD"); }
    void SetUp() override { ASSERT_EQ(s_dwRegisterExitCode, 0u); }

    static inline DWORD s_dwRegisterExitCode = ~0u, s_dwFirstExitCode = ~0u, s_dwSecondExitCode = ~0u;
};

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
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c_interfaceKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, c_nameSpaceKey));
    // The parent keys themselves stay.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Interface"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, c_pszDesktopNameSpaceKey));
}

TEST_F(ServerUnregistration, RemovesOnlyTheUrlPrefixesThatStillLeadToReg)
{
    for (const char* pszPrefix : {"HKEY_", "HKLM", "HKCR", "HKCU", "HKCC", "HKPD"})
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, pszPrefix).exists()) << pszPrefix;
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, "HKDD").text(), "other://");
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, c_pszUrlPrefixesKey, "www").exists());
}

TEST_F(ServerUnregistration, LeavesTheUIObjectClassAndTheRegSchemeKey)
{
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, c_uiKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "reg"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "reg\\Shell\\Open\\Command"));
}

// ---- beside the other build ---------------------------------------------------------------------

// On 64-bit Windows the x86 and x64 builds register side by side, each in its own registry view,
// and share the Web folder's files: unregistering one keeps them while the other's class stays.
TEST(ServerUnregistrationBesideTheOtherBuild, KeepsTheSharedWebFilesUntilTheLastBuildLeaves)
{
#if !defined(_WIN64)
    BOOL bWow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &bWow64) || !bWow64)
        GTEST_SKIP() << "a 32-bit system's registry has no other view";
#endif
    constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const std::string otherServer = c_folderKey + "\\InProcServer32";
    const std::string page = std::string(WebFolderPath()) + "Corvasin.html";
    ASSERT_EQ(RegisterDll(), 0u);
    UniqueHkey hOther;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, otherServer.c_str(), 0, nullptr, 0,
                                KEY_WRITE | kOtherView, nullptr, hOther.put(), nullptr),
              ERROR_SUCCESS);
    hOther.reset();

    EXPECT_EQ(UnregisterDll(), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c_folderKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, c_nameSpaceKey));
    EXPECT_TRUE(FileExists(page));

    for (const std::string& key : {otherServer, c_folderKey})
        EXPECT_EQ(::RegDeleteKeyExA(HKEY_CLASSES_ROOT, key.c_str(), kOtherView, 0), ERROR_SUCCESS);
    EXPECT_EQ(UnregisterDll(), 0u);
    EXPECT_FALSE(FileExists(page));
}
