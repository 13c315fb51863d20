// The built DLL's version resource against the about page it carries: the page shows the major
// and minor version that the file's properties give, so the two cannot drift apart.
#include "install/DllUnderTest.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <cctype>
#include <string>
#include <tuple>
#include <vector>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

// One string of the US English block of a version resource; empty when it is missing.
std::string VersionString(std::vector<BYTE>& block, const char* pszName)
{
    const std::string subBlock = std::string("\\StringFileInfo\\040904B0\\") + pszName;
    char* psz = nullptr;
    UINT cch = 0;
    if (!::VerQueryValueA(block.data(), subBlock.c_str(), reinterpret_cast<void**>(&psz), &cch) || !psz)
        return {};
    return psz;
}

// Whether text holds prefix + version with no further digit after it ("1.2" is not "1.23").
bool ShowsVersion(const std::string& text, const std::string& prefix, const std::string& version)
{
    const std::string shown = prefix + version;
    const size_t at = text.find(shown);
    return at != std::string::npos &&
           (at + shown.size() == text.size() || !std::isdigit(static_cast<unsigned char>(text[at + shown.size()])));
}

} // namespace

TEST(VersionResource, GivesTheVersionThatTheAboutPageShows)
{
    const std::string path = CorvasinDllPath();
    ASSERT_FALSE(path.empty()) << "CORVASIN_DLL is not set";
    DWORD dwHandle = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeA(path.c_str(), &dwHandle));
    ASSERT_FALSE(block.empty()) << path << " has no version resource";
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT cbFixed = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&pFixed), &cbFixed));
    ASSERT_GE(cbFixed, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(std::tuple(pFixed->dwProductVersionMS, pFixed->dwProductVersionLS),
              std::tuple(pFixed->dwFileVersionMS, pFixed->dwFileVersionLS));
    const std::string majorMinor =
        std::to_string(HIWORD(pFixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(pFixed->dwFileVersionMS));
    const std::string full = majorMinor + "." + std::to_string(HIWORD(pFixed->dwFileVersionLS)) + "." +
                             std::to_string(LOWORD(pFixed->dwFileVersionLS));
    EXPECT_NE(pFixed->dwFileVersionMS, 0u);
    EXPECT_EQ(VersionString(block, "FileVersion"), full);
    EXPECT_EQ(VersionString(block, "ProductVersion"), full);

    const UniqueHmodule dll(::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(dll) << path;
    const HRSRC hResource = ::FindResourceA(dll.get(), MAKEINTRESOURCEA(IDR_WEB_ABOUT), "File");
    ASSERT_NE(hResource, nullptr);
    const std::string page(static_cast<const char*>(::LockResource(::LoadResource(dll.get(), hResource))),
                           ::SizeofResource(dll.get(), hResource));
    EXPECT_TRUE(ShowsVersion(page, "About Corvasin ", majorMinor)) << "the about page does not show " << majorMinor;
    EXPECT_TRUE(ShowsVersion(page, "version ", majorMinor)) << "the about page does not show " << majorMinor;
}
