// The web view files: written into the Windows "Web" folder by registration with exactly the
// bytes of the resources and rewritten by a second registration; the folder made when it is
// missing; the pictures' sizes.
#include "install/DllUnderTest.h"

#include "install/WebFiles.h"
#include "resource.h"

#include <gtest/gtest.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

// The resource as this program carries it: the DLL and the tests link the same resource file.
std::string ResourceBytes(WORD idResource)
{
    const HRSRC hResource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(idResource), "File");
    return hResource ? std::string(static_cast<const char*>(::LockResource(::LoadResource(nullptr, hResource))),
                                   ::SizeofResource(nullptr, hResource))
                     : std::string();
}

void ExpectFilesAreTheResources()
{
    for (const WebFile& file : WebFiles())
    {
        const std::string resource = ResourceBytes(file.idResource);
        ASSERT_FALSE(resource.empty()) << file.pszName;
        EXPECT_EQ(FileBytes(WebFolderPath() + file.pszName), resource) << file.pszName;
    }
}

} // namespace

TEST(WebFiles, AreWrittenByRegistrationAndRewrittenByTheNextOne)
{
    ASSERT_EQ(RegisterDll(), 0u);
    ExpectFilesAreTheResources();

    for (const WebFile& file : WebFiles())
        std::ofstream(WebFolderPath() + file.pszName, std::ios::binary | std::ios::trunc) << "old";
    ASSERT_EQ(RegisterDll(), 0u);
    ExpectFilesAreTheResources();
}

TEST(WebFiles, FolderIsMadeWhenMissing)
{
    DeleteWebFiles();
    std::string folder = WebFolderPath();
    folder.pop_back();
    if (!::RemoveDirectoryA(folder.c_str()))
        GTEST_SKIP() << folder << " holds other files";

    EXPECT_TRUE(WriteWebFile(IDR_WEB_STYLE, "Corvasin.css"));
    EXPECT_EQ(FileBytes(WebFolderPath() + "Corvasin.css"), ResourceBytes(IDR_WEB_STYLE));
    WriteWebFiles();
}

TEST(WebFiles, MissingResourceAndDeletingTwiceAreAnswered)
{
    EXPECT_FALSE(WriteWebFile(1, "corvasin-none.txt"));
    EXPECT_FALSE(FileExists(WebFolderPath() + "corvasin-none.txt"));
    EXPECT_TRUE(DeleteWebFile("corvasin-none.txt"));
}

TEST(WebFiles, PicturesHaveTheirSizes)
{
    const struct
    {
        WORD idResource;
        unsigned cx, cy;
    } rows[] = {{IDR_WEB_CORNER, 400, 250}, {IDR_WEB_BACKGROUND, 364, 474}};
    for (const auto& row : rows)
    {
        const std::string gif = ResourceBytes(row.idResource);
        ASSERT_GE(gif.size(), 10u);
        EXPECT_EQ(gif.substr(0, 6), "GIF89a");
        const auto* pb = reinterpret_cast<const BYTE*>(gif.data());
        EXPECT_EQ(pb[6] | (pb[7] << 8), row.cx) << row.idResource;
        EXPECT_EQ(pb[8] | (pb[9] << 8), row.cy) << row.idResource;
    }
}
