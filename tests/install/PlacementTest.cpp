// Moving the registry's root, on scratch keys that stand in for the machine's mount keys and the
// user's settings, with the shell notifications recorded: every move between the desktop, My
// Computer and Control Panel; a junction folder picked in the shell's folder picker (driven
// through a CBT hook), a cancelled picker, an existing junction, and the way back.
#include "install/DllUnderTest.h"
#include "support/ModalDriver.h"

#include "app/CorvasinUIObject.h"
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

// "desktop", "drives", "controls", "mkdir <path>" or "rmdir <path>", in the order sent.
std::vector<std::string> g_notices;

bool IsSpecialFolder(LPCITEMIDLIST pidl, int csidl)
{
    LPITEMIDLIST pidlSpecial = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &pidlSpecial)))
        return false;
    const bool bEqual = ::ILIsEqual(pidl, pidlSpecial);
    ::ILFree(pidlSpecial);
    return bEqual;
}

void WINAPI RecordNotice(LONG lEvent, UINT uFlags, LPCVOID pv1, LPCVOID) noexcept
{
    std::string notice = "other";
    if (lEvent == SHCNE_UPDATEDIR && uFlags == (SHCNF_IDLIST | SHCNF_FLUSH))
    {
        const auto pidl = static_cast<LPCITEMIDLIST>(pv1);
        notice = pidl->mkid.cb == 0                      ? "desktop"
                 : IsSpecialFolder(pidl, CSIDL_DRIVES)   ? "drives"
                 : IsSpecialFolder(pidl, CSIDL_CONTROLS) ? "controls"
                                                         : "other folder";
    }
    else if (uFlags == (SHCNF_PATHA | SHCNF_FLUSH) &&
             (lEvent == SHCNE_MKDIR || lEvent == SHCNE_RMDIR))
    {
        notice = std::string(lEvent == SHCNE_MKDIR ? "mkdir " : "rmdir ") +
                 static_cast<const char*>(pv1);
    }
    g_notices.push_back(notice);
}

class Placement : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_scratch.CreateSubkey("Machine");
        m_scratch.CreateSubkey("User");
        ASSERT_EQ(::RegOpenKeyExA(m_scratch.get(), "Machine", 0, KEY_ALL_ACCESS, &m_hMachine),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegOpenKeyExA(m_scratch.get(), "User", 0, KEY_ALL_ACCESS, &m_hUser),
                  ERROR_SUCCESS);
        m_roots = {m_hMachine, m_hUser, &RecordNotice};
        g_notices.clear();

        char szTemp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, szTemp);
        m_pick = std::string(szTemp) + "corvasin-place";
        m_pickOther = std::string(szTemp) + "corvasin-place-2";
        for (const std::string& folder : {m_pick, m_pickOther})
        {
            ::RemoveDirectoryA((folder + "\\" + c_junctionName).c_str());
            ::CreateDirectoryA(folder.c_str(), nullptr);
        }
    }
    void TearDown() override
    {
        for (const std::string& folder : {m_pick, m_pickOther})
        {
            ::RemoveDirectoryA((folder + "\\" + c_junctionName).c_str());
            ::RemoveDirectoryA(folder.c_str());
        }
        ::RegCloseKey(m_hMachine);
        ::RegCloseKey(m_hUser);
    }

    // The places whose mount holds the namespace entry "Registry", as a bit set (1 << type).
    int Mounted() const
    {
        int nMask = 0;
        for (DWORD dwType = 0; dwType < 3; ++dwType)
        {
            const std::string entry = m_scratch.path() + "\\Machine\\" + MountKey(dwType) + "\\" +
                                      c_folderClass;
            if (ReadValue(HKEY_CURRENT_USER, entry, nullptr).text() == "Registry")
                nMask |= 1 << dwType;
        }
        return nMask;
    }
    void Mount(DWORD dwType) const
    {
        HKEY hKey = nullptr;
        const std::string entry = std::string(MountKey(dwType)) + "\\" + c_folderClass;
        ::RegCreateKeyExA(m_hMachine, entry.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey,
                          nullptr);
        ::RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("Registry"), 9);
        ::RegCloseKey(hKey);
    }
    void Store(DWORD dwType, const std::string& location = "") const
    {
        m_scratch.CreateSubkey(std::string("User\\") + c_pszPlaceKey);
        HKEY hKey = nullptr;
        ::RegOpenKeyExA(m_hUser, c_pszPlaceKey, 0, KEY_SET_VALUE, &hKey);
        ::RegSetValueExA(hKey, c_pszPlaceType, 0, REG_DWORD, reinterpret_cast<BYTE*>(&dwType), 4);
        if (!location.empty())
            ::RegSetValueExA(hKey, c_pszPlaceLocation, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(location.c_str()),
                             static_cast<DWORD>(location.size() + 1));
        ::RegCloseKey(hKey);
    }
    std::string Junction(const std::string& folder) const
    {
        return folder + (folder.back() == '\\' ? "" : "\\") + c_junctionName;
    }
    static bool IsFolder(const std::string& path)
    {
        const DWORD dw = ::GetFileAttributesA(path.c_str());
        return dw != INVALID_FILE_ATTRIBUTES && (dw & FILE_ATTRIBUTE_DIRECTORY);
    }

    ScratchKey m_scratch;
    HKEY m_hMachine = nullptr;
    HKEY m_hUser = nullptr;
    PlacementRoots m_roots;
    std::string m_pick, m_pickOther;
};

struct MoveRow
{
    DWORD dwFrom, dwTo;
    std::vector<std::string> notices;
};

} // namespace

TEST_F(Placement, MovesBetweenTheShellsOwnPlaces)
{
    const MoveRow rows[] = {
        {0, 1, {"drives"}},
        {0, 2, {"controls"}},
        {1, 0, {"desktop", "drives"}},
        {1, 2, {"controls", "drives"}},
        {2, 0, {"desktop", "controls"}},
        {2, 1, {"drives", "controls"}},
        // Not offered by the menu: the mount it already has stays.
        {1, 1, {"drives"}},
    };
    for (const MoveRow& row : rows)
    {
        ::RegDeleteTreeA(m_hMachine, "SOFTWARE");
        ::RegDeleteTreeA(m_hUser, "SOFTWARE");
        Mount(row.dwFrom);
        if (row.dwFrom != 0)
            Store(row.dwFrom);
        g_notices.clear();

        EXPECT_TRUE(MoveFolder(nullptr, row.dwTo, CLSID_CorvasinFolder, m_roots));

        EXPECT_EQ(Mounted(), 1 << row.dwTo) << row.dwFrom << " -> " << row.dwTo;
        EXPECT_EQ(ReadPlacementType(m_roots), row.dwTo);
        EXPECT_EQ(g_notices, row.notices) << row.dwFrom << " -> " << row.dwTo;
    }
}

TEST_F(Placement, ReadsTheDesktopWithoutSettingsAndTheStoredTypeWithThem)
{
    EXPECT_EQ(ReadPlacementType(m_roots), 0u);
    EXPECT_EQ(ReadPlacementLocation(m_roots), "");
    Store(2);
    EXPECT_EQ(ReadPlacementType(m_roots), 2u);
}

TEST_F(Placement, MountsAJunctionInThePickedFolderAndMovesItOn)
{
    Mount(0);
    {
        CModalDriver driver({PickFolder(m_pick)});
        EXPECT_TRUE(MoveFolder(nullptr, PLACE_FOLDER, CLSID_CorvasinFolder, m_roots));
        EXPECT_EQ(driver.Seen().size(), 1u);
    }
    EXPECT_TRUE(IsFolder(Junction(m_pick)));
    EXPECT_EQ(ReadPlacementType(m_roots), 3u);
    EXPECT_EQ(ReadPlacementLocation(m_roots), m_pick);
    EXPECT_EQ(Mounted(), 0);
    EXPECT_EQ(g_notices, std::vector<std::string>{"mkdir " + Junction(m_pick)});

    // Another folder: the new junction is made and the old one removed.
    g_notices.clear();
    {
        CModalDriver driver({PickFolder(m_pickOther)});
        EXPECT_TRUE(MoveFolder(nullptr, PLACE_FOLDER, CLSID_CorvasinFolder, m_roots));
    }
    EXPECT_TRUE(IsFolder(Junction(m_pickOther)));
    EXPECT_FALSE(IsFolder(Junction(m_pick)));
    EXPECT_EQ(ReadPlacementLocation(m_roots), m_pickOther);
    EXPECT_EQ(g_notices, (std::vector<std::string>{"mkdir " + Junction(m_pickOther),
                                                   "rmdir " + Junction(m_pick)}));

    // Back to the desktop: the junction goes.
    g_notices.clear();
    EXPECT_TRUE(MoveFolder(nullptr, PLACE_DESKTOP, CLSID_CorvasinFolder, m_roots));
    EXPECT_FALSE(IsFolder(Junction(m_pickOther)));
    EXPECT_EQ(Mounted(), 1);
    EXPECT_EQ(ReadPlacementType(m_roots), 0u);
    EXPECT_EQ(g_notices,
              (std::vector<std::string>{"desktop", "rmdir " + Junction(m_pickOther)}));
}

TEST_F(Placement, PutsTheJunctionOfADriveRootDirectlyBelowIt)
{
    {
        CModalDriver driver({PickFolder("C:\\")});
        EXPECT_TRUE(MoveFolder(nullptr, PLACE_FOLDER, CLSID_CorvasinFolder, m_roots));
    }
    EXPECT_TRUE(IsFolder("C:\\" + c_junctionName));
    EXPECT_EQ(ReadPlacementLocation(m_roots), "C:\\");
    EXPECT_TRUE(MoveFolder(nullptr, PLACE_DESKTOP, CLSID_CorvasinFolder, m_roots));
    EXPECT_FALSE(IsFolder("C:\\" + c_junctionName));
}

TEST_F(Placement, ReportsACancelledPickerAndChangesNothing)
{
    Mount(1);
    Store(1);
    CModalDriver driver({Press(IDCANCEL), Press(IDOK)});
    EXPECT_FALSE(MoveFolder(nullptr, PLACE_FOLDER, CLSID_CorvasinFolder, m_roots));

    ASSERT_EQ(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Seen()[1].caption, "Corvasin");
    EXPECT_EQ(driver.Seen()[1].text, "Failed to move folder.");
    EXPECT_EQ(Mounted(), 2);
    EXPECT_EQ(ReadPlacementType(m_roots), 1u);
    EXPECT_EQ(ReadPlacementLocation(m_roots), "");
    EXPECT_TRUE(g_notices.empty());
}

TEST_F(Placement, ReportsAnExistingJunctionButKeepsThePickedFolder)
{
    Mount(0);
    ::CreateDirectoryA(Junction(m_pick).c_str(), nullptr);
    CModalDriver driver({PickFolder(m_pick), Press(IDOK)});
    EXPECT_FALSE(MoveFolder(nullptr, PLACE_FOLDER, CLSID_CorvasinFolder, m_roots));

    ASSERT_EQ(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Seen()[1].text, "Failed to move folder.");
    EXPECT_EQ(Mounted(), 1);
    EXPECT_EQ(ReadPlacementType(m_roots), 0u);
    EXPECT_EQ(ReadPlacementLocation(m_roots), m_pick);
}

TEST_F(Placement, ReportsAnUnknownPlace)
{
    Mount(0);
    CModalDriver driver({Press(IDOK)});
    EXPECT_FALSE(MoveFolder(nullptr, 4, CLSID_CorvasinFolder, m_roots));
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(driver.Seen()[0].text, "Failed to move folder.");
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
    EXPECT_FALSE(KeyExists(m_hUser, c_pszPlaceKey));
}

TEST(PlacementCommands, ReachTheUsersSettingsThroughTheUIObject)
{
    auto uiObject = CmdTargetPtr<CCorvasinUIObject>::Attach(
        new CCorvasinUIObject(nullptr, 0, nullptr, nullptr, nullptr));
    const RegValue saved = ReadValue(HKEY_CURRENT_USER, c_pszPlaceKey, c_pszPlaceType);
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, c_pszPlaceKey, 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    const DWORD dwType = 2;
    ::RegSetValueExA(hKey, c_pszPlaceType, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwType), 4);

    EXPECT_EQ(uiObject->ReadPlacementType(), 2u);
    CModalDriver driver({Press(IDOK)});
    EXPECT_FALSE(uiObject->MoveFolder(9));
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(driver.Seen()[0].text, "Failed to move folder.");

    if (saved.exists())
        ::RegSetValueExA(hKey, c_pszPlaceType, 0, saved.dwType,
                         reinterpret_cast<const BYTE*>(saved.data.data()),
                         static_cast<DWORD>(saved.data.size()));
    else
        ::RegDeleteValueA(hKey, c_pszPlaceType);
    ::RegCloseKey(hKey);
}
