// Moving the registry's root, on scratch keys that stand in for the machine's mount keys and the
// user's settings, with the shell notifications recorded: every move between the desktop, My
// Computer and Control Panel; a junction folder picked in the shell's folder picker (driven
// through a CBT hook), a cancelled picker, an existing junction, and the way back.
#include "install/DllUnderTest.h"
#include "support/ModalDriver.h"

#include "app/CorvasinServices.h"
#include "app/Guids.h"
#include "core/CmdTargetPtr.h"
#include "install/Placement.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

const std::string c_folderClass = GuidString(CLSID_CorvasinFolder);
const std::string c_junctionName = "Registry." + c_folderClass;
using Notices = std::vector<std::string>;

// "desktop", "drives", "controls", "mkdir <path>" or "rmdir <path>", in the order sent.
Notices g_notices;

bool IsSpecialFolder(LPCITEMIDLIST pidl, int csidl)
{
    UniquePidl special;
    return SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, csidl, special.put())) && ::ILIsEqual(pidl, special.get());
}

void WINAPI RecordNotice(LONG lEvent, UINT uFlags, LPCVOID pv1, LPCVOID) noexcept
{
    const auto pidl = static_cast<LPCITEMIDLIST>(pv1);
    if (lEvent == SHCNE_UPDATEDIR && uFlags == (SHCNF_IDLIST | SHCNF_FLUSH))
        g_notices.push_back(pidl->mkid.cb == 0                      ? "desktop"
                            : IsSpecialFolder(pidl, CSIDL_DRIVES)   ? "drives"
                            : IsSpecialFolder(pidl, CSIDL_CONTROLS) ? "controls"
                                                                    : "other folder");
    else if (uFlags == (SHCNF_PATHA | SHCNF_FLUSH) && (lEvent == SHCNE_MKDIR || lEvent == SHCNE_RMDIR))
        g_notices.push_back((lEvent == SHCNE_MKDIR ? "mkdir " : "rmdir ") + std::string(static_cast<LPCSTR>(pv1)));
    else
        g_notices.push_back("other");
}

bool IsFolder(const std::string& path)
{
    const DWORD dw = ::GetFileAttributesA(path.c_str());
    return dw != INVALID_FILE_ATTRIBUTES && (dw & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Junction(const std::string& folder)
{
    return folder + (folder.back() == '\\' ? "" : "\\") + c_junctionName;
}

// Every failed move says so in one message box.
void ExpectFailureBox(const CModalDriver& driver, size_t iBox)
{
    ASSERT_EQ(driver.Seen().size(), iBox + 1);
    EXPECT_EQ(std::tie(driver.Seen()[iBox].caption, driver.Seen()[iBox].text),
              std::tuple("Corvasin", "Failed to move folder."));
}

class Placement : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_hMachine && m_hUser);
        g_notices.clear();
        ClearPickedFolders(false);
    }
    void TearDown() override { ClearPickedFolders(true); }
    // Both folders for the picker without a junction; there, or gone too.
    void ClearPickedFolders(bool bRemove) const
    {
        for (const std::string& folder : {m_pick, m_pickOther})
        {
            ::RemoveDirectoryA(Junction(folder).c_str());
            bRemove ? ::RemoveDirectoryA(folder.c_str()) : ::CreateDirectoryA(folder.c_str(), nullptr);
        }
    }

    // A move that shows exactly the dialogs it is given answers for; one that fails ends with the
    // message box that says so.
    BOOL Move(DWORD dwType, std::vector<CModalDriver::Answer> answers = {})
    {
        const size_t cAnswers = answers.size();
        CModalDriver driver(std::move(answers));
        const BOOL bMoved = MoveFolder(nullptr, dwType, CLSID_CorvasinFolder, m_roots);
        EXPECT_EQ(driver.Seen().size(), cAnswers);
        if (!bMoved)
            ExpectFailureBox(driver, cAnswers ? cAnswers - 1 : 0);
        return bMoved;
    }
    // The places whose mount holds the namespace entry "Registry", as a bit set (1 << type).
    int Mounted() const
    {
        int nMask = 0;
        for (DWORD dwType = 0; dwType < 3; ++dwType)
            if (ReadValue(m_hMachine.get(), MountKey(dwType) + ("\\" + c_folderClass), nullptr).text() == "Registry")
                nMask |= 1 << dwType;
        return nMask;
    }
    // Where the settings say the root is, and which mounts hold it.
    std::tuple<DWORD, std::string, int> State() const
    {
        return {ReadPlacementType(m_roots), ReadPlacementLocation(m_roots), Mounted()};
    }
    void Mount(DWORD dwType) const
    {
        WriteValue(m_hMachine.get(), MountKey(dwType) + ("\\" + c_folderClass), nullptr, StringValue("Registry"));
    }
    void Store(DWORD dwType, const std::string& location = "") const
    {
        WriteValue(m_hUser.get(), c_pszPlaceKey, c_pszPlaceType, DwordValue(dwType));
        if (!location.empty())
            WriteValue(m_hUser.get(), c_pszPlaceKey, c_pszPlaceLocation, StringValue(location));
    }

    ScratchKey m_scratch;
    UniqueHkey m_hMachine = CreateKey(m_scratch.get(), "Machine");
    UniqueHkey m_hUser = CreateKey(m_scratch.get(), "User");
    PlacementRoots m_roots = {m_hMachine.get(), m_hUser.get(), &RecordNotice};
    std::string m_pick = TempFile("corvasin-place"), m_pickOther = TempFile("corvasin-place-2");
};

} // namespace

TEST_F(Placement, MovesBetweenTheShellsOwnPlaces)
{
    const struct
    {
        DWORD dwFrom, dwTo;
        Notices notices;
    } rows[] = {
        {0, 1, {"drives"}}, {0, 2, {"controls"}}, {1, 0, {"desktop", "drives"}}, {1, 2, {"controls", "drives"}},
        {2, 0, {"desktop", "controls"}}, {2, 1, {"drives", "controls"}},
        {1, 1, {"drives"}}, // not offered by the menu: the mount it already has stays
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(std::to_string(row.dwFrom) + " -> " + std::to_string(row.dwTo));
        ::RegDeleteTreeA(m_hMachine.get(), "SOFTWARE");
        ::RegDeleteTreeA(m_hUser.get(), "SOFTWARE");
        Mount(row.dwFrom);
        if (row.dwFrom != 0)
            Store(row.dwFrom);
        g_notices.clear();

        EXPECT_TRUE(Move(row.dwTo));
        EXPECT_EQ(std::tuple(Mounted(), ReadPlacementType(m_roots), g_notices),
                  std::tuple(1 << row.dwTo, row.dwTo, row.notices));
    }
}

TEST_F(Placement, ReadsTheDesktopWithoutSettings)
{
    EXPECT_EQ(State(), std::tuple(0u, "", 0));
}

TEST_F(Placement, MountsAJunctionInThePickedFolderAndMovesItOn)
{
    Mount(0);
    EXPECT_TRUE(Move(PLACE_FOLDER, {PickFolder(m_pick)}));
    EXPECT_TRUE(IsFolder(Junction(m_pick)));
    EXPECT_EQ(State(), std::tuple(3u, m_pick, 0));
    EXPECT_EQ(g_notices, Notices{"mkdir " + Junction(m_pick)});

    // Another folder: the new junction is made and the old one removed.
    g_notices.clear();
    EXPECT_TRUE(Move(PLACE_FOLDER, {PickFolder(m_pickOther)}));
    EXPECT_TRUE(IsFolder(Junction(m_pickOther)));
    EXPECT_FALSE(IsFolder(Junction(m_pick)));
    EXPECT_EQ(ReadPlacementLocation(m_roots), m_pickOther);
    EXPECT_EQ(g_notices, (Notices{"mkdir " + Junction(m_pickOther), "rmdir " + Junction(m_pick)}));

    // Back to the desktop: the junction goes.
    g_notices.clear();
    EXPECT_TRUE(Move(PLACE_DESKTOP));
    EXPECT_FALSE(IsFolder(Junction(m_pickOther)));
    EXPECT_EQ(Mounted(), 1);
    EXPECT_EQ(ReadPlacementType(m_roots), 0u);
    EXPECT_EQ(g_notices, (Notices{"desktop", "rmdir " + Junction(m_pickOther)}));
}

TEST_F(Placement, PutsTheJunctionOfADriveRootDirectlyBelowIt)
{
    EXPECT_TRUE(Move(PLACE_FOLDER, {PickFolder("C:\\")}));
    EXPECT_TRUE(IsFolder("C:\\" + c_junctionName));
    EXPECT_EQ(ReadPlacementLocation(m_roots), "C:\\");
    EXPECT_TRUE(Move(PLACE_DESKTOP));
    EXPECT_FALSE(IsFolder("C:\\" + c_junctionName));
}

TEST_F(Placement, ReportsACancelledPickerAndChangesNothing)
{
    Mount(1);
    Store(1);
    EXPECT_FALSE(Move(PLACE_FOLDER, {Press(IDCANCEL), Press(IDOK)}));
    EXPECT_EQ(State(), std::tuple(1u, "", 2));
    EXPECT_TRUE(g_notices.empty());
}

TEST_F(Placement, ReportsAnExistingJunctionButKeepsThePickedFolder)
{
    Mount(0);
    ::CreateDirectoryA(Junction(m_pick).c_str(), nullptr);
    EXPECT_FALSE(Move(PLACE_FOLDER, {PickFolder(m_pick), Press(IDOK)}));
    EXPECT_EQ(State(), std::tuple(0u, m_pick, 1));
}

TEST_F(Placement, ReportsAnUnknownPlace)
{
    Mount(0);
    EXPECT_FALSE(Move(4, {Press(IDOK)}));
    EXPECT_EQ(Mounted(), 1);
}

TEST_F(Placement, RemovalClearsEveryMountTheJunctionAndTheSettings)
{
    Mount(1);
    Mount(2);
    ::CreateDirectoryA(Junction(m_pick).c_str(), nullptr);
    Store(3, m_pick);

    RemoveOtherMounts(CLSID_CorvasinFolder, m_roots);
    EXPECT_EQ(Mounted(), 0);
    EXPECT_FALSE(IsFolder(Junction(m_pick)));
    EXPECT_FALSE(KeyExists(m_hUser.get(), c_pszPlaceKey));
}

TEST(PlacementCommands, ReachTheUsersSettingsThroughTheServices)
{
    const CRegServices& services = RegistryServices();
    const RegValue saved = ReadValue(HKEY_CURRENT_USER, c_pszPlaceKey, c_pszPlaceType);
    ASSERT_EQ(WriteValue(HKEY_CURRENT_USER, c_pszPlaceKey, c_pszPlaceType, DwordValue(2)), ERROR_SUCCESS);

    EXPECT_EQ(services.ReadPlacementType(), 2u);
    CModalDriver driver({Press(IDOK)});
    EXPECT_FALSE(services.MoveFolder(nullptr, 9));
    ExpectFailureBox(driver, 0);
    WriteValue(HKEY_CURRENT_USER, c_pszPlaceKey, c_pszPlaceType, saved);
}
