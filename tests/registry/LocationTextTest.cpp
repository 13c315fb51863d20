// Location text pieces: prefixes, separators and key name components.
#include "registry/LocationText.h"

#include <gtest/gtest.h>
#include <cstring>

using namespace corvasin;

// The root's parse ignores the case of the long prefix; below a predefined key it counts.
TEST(LocationText, LongPrefixKeepsItsCaseUnlessAskedToIgnoreIt)
{
    EXPECT_EQ(LocationPrefixLength(L"REG://hkcu", false), 0u);
    EXPECT_EQ(LocationPrefixLength(L"reg://hkcu", false), 6u);
}

TEST(LocationText, SplitsAtBackslashFirstThenSlash)
{
    // In a mixed text a slash before a later backslash stays inside the name.
    const LocationComponent c = SplitLocation(L"A/B\\C");
    EXPECT_EQ(c.first, L"A/B");
    EXPECT_STREQ(c.pszRest, L"C");
}

TEST(LocationText, TrailingSeparatorLeavesNoRest)
{
    const LocationComponent c = SplitLocation(L"HKCU\\");
    EXPECT_EQ(c.first, L"HKCU");
    EXPECT_EQ(c.pszRest, nullptr);
}

TEST(LocationText, AnEmptyKeyComponentIsAnEmptyName)
{
    char sz[200];
    ASSERT_TRUE(KeyComponentToName(L"", sz, sizeof(sz)));
    EXPECT_STREQ(sz, "");
}

TEST(LocationText, KeyComponentsThatDoNotFitTheRecordFail)
{
    char sz[200];
    EXPECT_TRUE(KeyComponentToName(std::wstring(199, L'k'), sz, sizeof(sz)));
    EXPECT_EQ(strlen(sz), 199u);
    EXPECT_FALSE(KeyComponentToName(std::wstring(200, L'k'), sz, sizeof(sz)));
    EXPECT_STREQ(sz, "");
}
