// The registration steps in-process, written into scratch keys that stand in for
// HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE, with folders that differ from the registry root.
#include "install/DllUnderTest.h"

#include "app/CorvasinServices.h"
#include "commands/RegUIObject.h"
#include "app/Guids.h"
#include "framework/NameSpaceExtension.h"
#include "framework/NameSpaceFactory.h"
#include "install/Registration.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

// {6E0D3E55-3C2B-4F0E-9A3E-2F5D0C6B7A11}
constexpr GUID c_testFolderClass = {0x6e0d3e55, 0x3c2b, 0x4f0e, {0x9a, 0x3e, 0x2f, 0x5d, 0x0c, 0x6b, 0x7a, 0x11}};
const std::string c_folderKey = "CLSID\\" + GuidString(c_testFolderClass);

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
    explicit CTestFolder(const FolderTraits& traits) : CNameSpaceExtension(nullptr), m_traits(traits) {}
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

struct CTestFactory : CNameSpaceFactory
{
    CNameSpaceExtension* CreateFolder() noexcept override { return m_bFolder ? new CTestFolder(m_traits) : nullptr; }
    CShellUIObject* CreateDefaultUIObject() noexcept override
    {
        return m_bUIObject ? new CRegUIObject(RegistryServices(), nullptr, 0, nullptr, nullptr, nullptr) : nullptr;
    }

    FolderTraits m_traits;
    bool m_bFolder = true;
    bool m_bUIObject = true;
};

std::string Text(HKEY hRoot, const std::string& path, const char* pszName = nullptr)
{
    return ReadValue(hRoot, path, pszName).text();
}

// Three scratch keys standing in for the classes root, the machine key and the user's key.
class RegistrationSteps : public ::testing::Test
{
protected:
    BOOL Register() { return RegisterClasses(m_factory, m_roots); }
    BOOL Unregister() { return UnregisterClasses(m_factory, m_roots); }

    ScratchKey m_scratch;
    UniqueHkey m_classesKey = CreateKey(m_scratch.get(), "Classes");
    UniqueHkey m_machineKey = CreateKey(m_scratch.get(), "Machine");
    UniqueHkey m_userKey = CreateKey(m_scratch.get(), "User");
    HKEY m_hClasses = m_classesKey.get(), m_hMachine = m_machineKey.get();
    RegistrationRoots m_roots = {m_hClasses, m_hMachine, false, false, m_userKey.get()};
    CTestFactory m_factory;
};

} // namespace

TEST_F(RegistrationSteps, RegisterAPropertySheetHandlerWhenTheFolderHasPropertySheets)
{
    m_factory.m_traits = {SFGAO_FOLDER | SFGAO_HASPROPSHEET};
    ASSERT_TRUE(Register());
    EXPECT_TRUE(KeyExists(m_hClasses, c_folderKey + "\\shellex\\PropertySheetHandlers\\" +
                                         GuidString(CLSID_CorvasinUIObject)));
}

TEST_F(RegistrationSteps, LeaveOutTheInfoTipWebViewAndSchemeAFolderDoesNotHave)
{
    ASSERT_TRUE(Register());
    EXPECT_EQ(Text(m_hClasses, c_folderKey), "Test Folder");
    EXPECT_FALSE(ReadValue(m_hClasses, c_folderKey, "InfoTip").exists());
    EXPECT_FALSE(KeyExists(m_hClasses, c_folderKey + "\\shellex\\ExtShellFolderViews"));
    EXPECT_FALSE(KeyExists(m_hClasses, c_folderKey + "\\shellex\\PropertySheetHandlers"));
    EXPECT_FALSE(KeyExists(m_hClasses, "reg"));
}

TEST_F(RegistrationSteps, RegisterTheModuleThatHoldsTheCodeWithTheFoldersIconIndex)
{
    ASSERT_TRUE(Register());
    EXPECT_EQ(Lower(Text(m_hClasses, c_folderKey + "\\DefaultIcon")), Lower(ModulePath()) + ",3");
}

TEST_F(RegistrationSteps, WriteTheSchemeAndApprovalTheFolderNames)
{
    m_factory.m_traits = {SFGAO_FOLDER, "A tip", "view.htt", "testscheme"};
    ASSERT_TRUE(Register());
    EXPECT_EQ(Text(m_hClasses, c_folderKey, "InfoTip"), "A tip");
    EXPECT_EQ(Text(m_hClasses, "testscheme", "ShellFolder"), GuidString(c_testFolderClass));
    EXPECT_EQ(Text(m_hMachine, c_pszApprovedKey, GuidString(c_testFolderClass).c_str()), "Test Folder");
}

TEST_F(RegistrationSteps, FailWithoutWritingWhenTheFactoryMakesNoUIObject)
{
    m_factory.m_bUIObject = false;
    EXPECT_FALSE(Register());
    EXPECT_FALSE(KeyExists(m_hClasses, "CLSID"));
}

TEST_F(RegistrationSteps, FailWithoutWritingWhenTheFactoryMakesNoFolder)
{
    m_factory.m_bFolder = false;
    EXPECT_FALSE(Register());
    EXPECT_FALSE(Unregister());
    EXPECT_FALSE(KeyExists(m_hClasses, "CLSID"));
}

TEST_F(RegistrationSteps, UnregisterAFolderClassThatWasNeverRegistered)
{
    EXPECT_TRUE(Unregister());
}

TEST_F(RegistrationSteps, RemoveShellEntriesThatWereNeverInstalled)
{
    EXPECT_EQ(RemoveShellEntries(CLSID_CorvasinFolder, m_roots), S_OK);
    EXPECT_FALSE(KeyExists(m_hMachine, "SOFTWARE"));
    EXPECT_FALSE(KeyExists(m_userKey.get(), "SOFTWARE"));
}
