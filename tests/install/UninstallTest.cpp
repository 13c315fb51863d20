// The uninstall command for real in the test prefix, answered through a CBT hook: No changes
// nothing; Yes removes the registration and the web view files, schedules the module's file for
// deletion at restart (the system's delayed move, so "WinInit.Ini" stays as it was) and says so.
// The tests register the DLL again and take the scheduled deletion back.
#include "install/DllUnderTest.h"
#include "support/ModalDriver.h"

#include "app/CorvasinServices.h"
#include "commands/RegUIObject.h"
#include "app/Guids.h"
#include "core/CmdTargetPtr.h"
#include "install/Registration.h"
#include "install/Uninstall.h"
#include "install/WebFiles.h"

#include <gtest/gtest.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

constexpr const char* c_pszSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* c_pszPendingRenames = "PendingFileRenameOperations";

std::string WinInitPath()
{
    char sz[MAX_PATH] = "";
    ::GetWindowsDirectoryA(sz, MAX_PATH);
    return std::string(sz) + "\\WinInit.Ini";
}

RegValue PendingRenames()
{
    return ReadValue(HKEY_LOCAL_MACHINE, c_pszSessionManager, c_pszPendingRenames);
}

bool Registered()
{
    const std::string folderClass = GuidString(CLSID_CorvasinFolder);
    return KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + folderClass) &&
           KeyExists(HKEY_LOCAL_MACHINE, c_pszDesktopNameSpaceKey + ("\\" + folderClass));
}

int WebFilesPresent()
{
    int n = 0;
    for (const WebFile& file : WebFiles())
        n += FileExists(WebFolderPath() + file.pszName);
    return n;
}

class Uninstall : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(m_dwRegistered, 0u); }
    // The deletion scheduled for this program is taken back, and the DLL registered again.
    void TearDown() override
    {
        WriteValue(HKEY_LOCAL_MACHINE, c_pszSessionManager, c_pszPendingRenames, m_pending);
        EXPECT_EQ(RegisterDll(), 0u);
    }

    const DWORD m_dwRegistered = RegisterDll();
    const RegValue m_pending = PendingRenames();
    const bool m_bWinInit = FileExists(WinInitPath());
    CmdTargetPtr<CRegUIObject> m_uiObject =
        CmdTargetPtr<CRegUIObject>::Attach(new CRegUIObject(RegistryServices(), nullptr, 0, nullptr, nullptr, nullptr));

    // "Uninstall" of the namespace icon's menu, as the shell invokes it.
    HRESULT InvokeUninstall()
    {
        ComPtr<IContextMenu> menu(static_cast<IContextMenu*>(m_uiObject->GetInterface(IID_IContextMenu)));
        CMINVOKECOMMANDINFO ici = {sizeof(ici)};
        ici.lpVerb = MAKEINTRESOURCEA(CRegUIObject::kRegUninstall);
        return menu->InvokeCommand(&ici);
    }
};

} // namespace

TEST_F(Uninstall, AnsweredNoChangesNothing)
{
    ASSERT_TRUE(Registered());
    CModalDriver driver({Press(IDNO)});
    EXPECT_EQ(InvokeUninstall(), E_FAIL);

    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(std::tie(driver.Seen()[0].caption, driver.Seen()[0].text),
              std::tuple("Corvasin", c_pszUninstallQuestion));
    EXPECT_TRUE(Registered());
    EXPECT_EQ(WebFilesPresent(), 5);
    EXPECT_EQ(PendingRenames().data, m_pending.data);
}

TEST_F(Uninstall, AnsweredYesRemovesTheRegistrationAndSchedulesTheFile)
{
    ASSERT_EQ(WebFilesPresent(), 5);
    CModalDriver driver({Press(IDYES), Press(IDOK)});
    EXPECT_EQ(InvokeUninstall(), S_OK);

    ASSERT_EQ(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Seen()[0].text, c_pszUninstallQuestion);
    EXPECT_EQ(std::tie(driver.Seen()[1].caption, driver.Seen()[1].text),
              std::tuple("Corvasin",
                         "The file " + ModulePath() + " will be deleted the next time you restart your computer."));
    EXPECT_FALSE(Registered());
    EXPECT_EQ(WebFilesPresent(), 0);

    // The system's delayed move took it; the old rename list was not needed.
    EXPECT_NE(Lower(PendingRenames().data).find(Lower(ModulePath())), std::string::npos);
    EXPECT_EQ(FileExists(WinInitPath()), m_bWinInit);
}
