// The rename list of "WinInit.Ini" in a folder of the test's own: the section made when it is
// missing, the new entry first when it is there, every existing line kept.
#include "install/DllUnderTest.h"

#include "install/RestartRename.h"
#include "support/TableRow.h"

#include <gtest/gtest.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

struct RenameRow : Row
{
    bool bFileExists;
    std::string before;
    const char* pszNew; // null: delete
    std::string after;
};

const std::string c_entry = "NUL=C:\\Program Files\\Corvasin\\corvasin.dll\r\n";

class RenameList : public ::testing::TestWithParam<RenameRow>
{
protected:
    void SetUp() override
    {
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
        ::DeleteFileA(m_ini.c_str());
    }
    void TearDown() override
    {
        ::DeleteFileA(m_ini.c_str());
        ::RemoveDirectoryA(m_folder.c_str());
    }

    const std::string m_folder = TempFile("corvasin-rename-") + GetParam().pszName;
    const std::string m_ini = m_folder + "\\WinInit.Ini";
};

} // namespace

TEST_P(RenameList, GainsTheEntryAndKeepsEveryLine)
{
    if (GetParam().bFileExists)
        std::ofstream(m_ini, std::ios::binary) << GetParam().before;
    ASSERT_TRUE(AddRenameEntry(m_folder.c_str(), "C:\\Program Files\\Corvasin\\corvasin.dll", GetParam().pszNew));
    EXPECT_EQ(FileBytes(m_ini), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RenameList,
    ::testing::Values(
        RenameRow{"NoFile", false, "", nullptr, "[Rename]\r\n" + c_entry},
        RenameRow{"NoSection", true, "[boot]\r\nshell=Explorer.exe\r\n", nullptr,
                  "[boot]\r\nshell=Explorer.exe\r\n[Rename]\r\n" + c_entry},
        RenameRow{"LastLineOpen", true, "[boot]\r\nshell=Explorer.exe", nullptr,
                  "[boot]\r\nshell=Explorer.exe\r\n[Rename]\r\n" + c_entry},
        RenameRow{"ZeroByteInside", true, std::string("a=1\0b=2\r\n", 9), nullptr,
                  std::string("a=1\0b=2\r\n", 9) + "[Rename]\r\n" + c_entry},
        RenameRow{"SectionFirst", true, "[Rename]\r\nNUL=C:\\old.dll\r\n[boot]\r\nx=1\r\n", nullptr,
                  "[Rename]\r\n" + c_entry + "NUL=C:\\old.dll\r\n[boot]\r\nx=1\r\n"},
        RenameRow{"SectionLast", true, "[boot]\r\nx=1\r\n[Rename]\r\n", "C:\\new.dll",
                  "[boot]\r\nx=1\r\n[Rename]\r\nC:\\new.dll=C:\\Program Files\\Corvasin\\corvasin.dll\r\n"}),
    RowName());

TEST(RenameList, RefusesAFolderThatCannotHoldTheFile)
{
    EXPECT_FALSE(AddRenameEntry("C:\\corvasin-no-such-folder", "C:\\a.dll", nullptr));
    EXPECT_FALSE(AddRenameEntry(nullptr, "C:\\a.dll", nullptr));
}
