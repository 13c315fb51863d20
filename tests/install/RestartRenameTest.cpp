// The rename list of "WinInit.Ini" in a folder of the test's own: the section made when it is
// missing, the new entry first when it is there, every existing line kept.
#include "install/RestartRename.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace corvasin;

namespace
{

struct RenameRow
{
    const char* pszName;
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
        char szTemp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, szTemp);
        m_folder = std::string(szTemp) + "corvasin-rename-" + GetParam().pszName;
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
        ::DeleteFileA(IniPath().c_str());
    }
    void TearDown() override
    {
        ::DeleteFileA(IniPath().c_str());
        ::RemoveDirectoryA(m_folder.c_str());
    }
    std::string IniPath() const { return m_folder + "\\WinInit.Ini"; }

    std::string m_folder;
};

} // namespace

TEST_P(RenameList, GainsTheEntryAndKeepsEveryLine)
{
    const RenameRow& row = GetParam();
    if (row.bFileExists)
        std::ofstream(IniPath(), std::ios::binary) << row.before;

    ASSERT_TRUE(AddRenameEntry(m_folder.c_str(), "C:\\Program Files\\Corvasin\\corvasin.dll",
                               row.pszNew));

    std::ifstream file(IniPath(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text, row.after);
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
        RenameRow{"SectionFirst", true, "[Rename]\r\nNUL=C:\\old.dll\r\n[boot]\r\nx=1\r\n",
                  nullptr, "[Rename]\r\n" + c_entry + "NUL=C:\\old.dll\r\n[boot]\r\nx=1\r\n"},
        RenameRow{"SectionLast", true, "[boot]\r\nx=1\r\n[Rename]\r\n", "C:\\new.dll",
                  "[boot]\r\nx=1\r\n[Rename]\r\n"
                  "C:\\new.dll=C:\\Program Files\\Corvasin\\corvasin.dll\r\n"}),
    [](const auto& info) { return std::string(info.param.pszName); });

TEST(RenameList, RefusesAFolderThatCannotHoldTheFile)
{
    EXPECT_FALSE(AddRenameEntry("C:\\corvasin-no-such-folder", "C:\\a.dll", nullptr));
    EXPECT_FALSE(AddRenameEntry(nullptr, "C:\\a.dll", nullptr));
}
