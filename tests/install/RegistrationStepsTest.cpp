// The registration steps in-process, written into scratch keys that stand in for
// HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE, with folders that differ from the registry root.
#include "install/DllUnderTest.h"

#include "app/CorvasinUIObject.h"
#include "app/Guids.h"
#include "framework/NameSpaceExtension.h"
#include "framework/NameSpaceFactory.h"
#include "install/Registration.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

// {6E0D3E55-3C2B-4F0E-9A3E-2F5D0C6B7A11}
constexpr GUID c_testFolderClass = {
    0x6e0d3e55, 0x3c2b, 0x4f0e, {0x9a, 0x3e, 0x2f, 0x5d, 0x0c, 0x6b, 0x7a, 0x11}};

struct FolderTraits
{
    ULONG dwAttributes = SFGAO_FOLDER;
    const char* pszTip = "";
    const char* pszWebTemplate = nullptr;
    const char* pszProtocol = "";
    int iIcon = 3;
};

class CTestFolder : public CNameSpaceExtension
{
public:
    explicit CTestFolder(const FolderTraits& traits)
        : CNameSpaceExtension(nullptr), m_traits(traits)
    {
    }
    const CLSID& GetCLSID() noexcept override { return c_testFolderClass; }
    BOOL IsOwnItem(const void*) noexcept override { return FALSE; }
    CString GetItemName(const void*, DWORD) noexcept override { return "Test Folder"; }
    ULONG GetItemAttributes(const void*) noexcept override { return m_traits.dwAttributes; }
    CString GetColumnText(const void*, int) noexcept override { return m_traits.pszTip; }
    int GetIconIndex(const void*, UINT, UINT*) noexcept override { return m_traits.iIcon; }
    LPCSTR GetWebViewTemplate() noexcept override { return m_traits.pszWebTemplate; }
    CString GetUrlProtocol() noexcept override { return m_traits.pszProtocol; }

private:
    FolderTraits m_traits;
};

class CTestFactory : public CNameSpaceFactory
{
public:
    explicit CTestFactory(FolderTraits traits = {}) : m_traits(traits) {}

    CNameSpaceExtension* CreateFolder() noexcept override
    {
        return m_bFolder ? new CTestFolder(m_traits) : nullptr;
    }
    CShellUIObject* CreateDefaultUIObject() noexcept override
    {
        return m_bUIObject ? new CCorvasinUIObject(nullptr, 0, nullptr, nullptr, nullptr) : nullptr;
    }

    bool m_bFolder = true;
    bool m_bUIObject = true;

private:
    FolderTraits m_traits;
};

// Two scratch keys standing in for the classes root and the machine key.
class RegistrationSteps : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_scratch.CreateSubkey("Classes");
        m_scratch.CreateSubkey("Machine");
        m_scratch.CreateSubkey("User");
        ASSERT_EQ(::RegOpenKeyExA(m_scratch.get(), "Classes", 0, KEY_ALL_ACCESS, &m_hClasses),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegOpenKeyExA(m_scratch.get(), "Machine", 0, KEY_ALL_ACCESS, &m_hMachine),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegOpenKeyExA(m_scratch.get(), "User", 0, KEY_ALL_ACCESS, &m_hUser),
                  ERROR_SUCCESS);
        m_roots = {m_hClasses, m_hMachine, false, false, m_hUser};
    }
    void TearDown() override
    {
        ::RegCloseKey(m_hClasses);
        ::RegCloseKey(m_hMachine);
        ::RegCloseKey(m_hUser);
    }

    std::string ClassesPath() const { return m_scratch.path() + "\\Classes"; }
    std::string MachinePath() const { return m_scratch.path() + "\\Machine"; }
    std::string FolderKey() const
    {
        return ClassesPath() + "\\CLSID\\" + GuidString(c_testFolderClass);
    }

    ScratchKey m_scratch;
    HKEY m_hClasses = nullptr;
    HKEY m_hMachine = nullptr;
    HKEY m_hUser = nullptr;
    RegistrationRoots m_roots;
};

std::string ModulePathLower()
{
    char sz[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, sz, MAX_PATH);
    std::string s = sz;
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string LowerText(const RegValue& value)
{
    std::string s = value.text();
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

TEST_F(RegistrationSteps, RegisterAPropertySheetHandlerWhenTheFolderHasPropertySheets)
{
    CTestFactory factory({SFGAO_FOLDER | SFGAO_HASPROPSHEET});
    ASSERT_TRUE(RegisterClasses(factory, m_roots));

    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, FolderKey() + "\\shellex\\PropertySheetHandlers\\" +
                                                 GuidString(CLSID_CorvasinUIObject)));
}

TEST_F(RegistrationSteps, LeaveOutTheInfoTipWebViewAndSchemeAFolderDoesNotHave)
{
    CTestFactory factory;
    ASSERT_TRUE(RegisterClasses(factory, m_roots));

    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, FolderKey(), nullptr).text(), "Test Folder");
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, FolderKey(), "InfoTip").exists());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, FolderKey() + "\\shellex\\ExtShellFolderViews"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, FolderKey() + "\\shellex\\PropertySheetHandlers"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ClassesPath() + "\\reg"));
}

TEST_F(RegistrationSteps, RegisterTheModuleThatHoldsTheCodeWithTheFoldersIconIndex)
{
    CTestFactory factory;
    ASSERT_TRUE(RegisterClasses(factory, m_roots));

    EXPECT_EQ(LowerText(ReadValue(HKEY_CURRENT_USER, FolderKey() + "\\DefaultIcon", nullptr)),
              ModulePathLower() + ",3");
    EXPECT_EQ(LowerText(ReadValue(HKEY_CURRENT_USER, FolderKey() + "\\InProcServer32", nullptr)),
              ModulePathLower());
}

TEST_F(RegistrationSteps, WriteTheSchemeAndApprovalTheFolderNames)
{
    CTestFactory factory({SFGAO_FOLDER, "A tip", "view.htt", "testscheme"});
    ASSERT_TRUE(RegisterClasses(factory, m_roots));

    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, FolderKey(), "InfoTip").text(), "A tip");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, ClassesPath() + "\\testscheme", "ShellFolder").text(),
              GuidString(c_testFolderClass));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, MachinePath() + "\\" + c_pszApprovedKey,
                        GuidString(c_testFolderClass).c_str())
                  .text(),
              "Test Folder");
}

TEST_F(RegistrationSteps, FailWithoutWritingWhenTheFactoryMakesNoUIObject)
{
    CTestFactory factory;
    factory.m_bUIObject = false;
    EXPECT_FALSE(RegisterClasses(factory, m_roots));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ClassesPath() + "\\CLSID"));
}

TEST_F(RegistrationSteps, FailWithoutWritingWhenTheFactoryMakesNoFolder)
{
    CTestFactory factory;
    factory.m_bFolder = false;
    EXPECT_FALSE(RegisterClasses(factory, m_roots));
    EXPECT_FALSE(UnregisterClasses(factory, m_roots));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ClassesPath() + "\\CLSID"));
}

TEST_F(RegistrationSteps, UnregisterTheFolderClassButKeepTheUIObjectClass)
{
    CTestFactory factory({SFGAO_FOLDER, "", nullptr, "testscheme"});
    ASSERT_TRUE(RegisterClasses(factory, m_roots));

    EXPECT_TRUE(UnregisterClasses(factory, m_roots));

    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, FolderKey()));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, MachinePath() + "\\" + c_pszApprovedKey,
                           GuidString(c_testFolderClass).c_str())
                     .exists());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER,
                          ClassesPath() + "\\CLSID\\" + GuidString(CLSID_CorvasinUIObject)));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, ClassesPath() + "\\testscheme"));
}

TEST_F(RegistrationSteps, UnregisterAFolderClassThatWasNeverRegistered)
{
    CTestFactory factory;
    EXPECT_TRUE(UnregisterClasses(factory, m_roots));
}

TEST_F(RegistrationSteps, InstallAndRemoveTheShellEntriesAroundTheClasses)
{
    ASSERT_EQ(InstallShellEntries(CLSID_CorvasinFolder, m_roots), S_OK);
    const std::string nameSpace =
        MachinePath() + "\\" + c_pszDesktopNameSpaceKey + "\\" + GuidString(CLSID_CorvasinFolder);
    const std::string interfaceKey = ClassesPath() + "\\Interface\\" + GuidString(IID_IRegFolder);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, nameSpace, nullptr).text(), "Registry");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, interfaceKey, nullptr).text(), "IRegFolder");
    const std::string prefixes = MachinePath() + "\\" + c_pszUrlPrefixesKey;
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, prefixes, "HKCU").text(), "reg://");

    EXPECT_EQ(RemoveShellEntries(CLSID_CorvasinFolder, m_roots), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, nameSpace));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, interfaceKey));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, prefixes, "HKCU").exists());

    EXPECT_EQ(RemoveShellEntries(CLSID_CorvasinFolder, m_roots), S_OK);
}

TEST_F(RegistrationSteps, RemoveShellEntriesThatWereNeverInstalled)
{
    EXPECT_EQ(RemoveShellEntries(CLSID_CorvasinFolder, m_roots), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, MachinePath() + "\\SOFTWARE"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, m_scratch.path() + "\\User\\SOFTWARE"));
}
