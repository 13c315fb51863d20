// Location text pieces: prefixes, separators and key name components.
#include "registry/LocationText.h"

#include <gtest/gtest.h>
#include <cstring>

using namespace corvasin;

TEST(LocationText, LongPrefixIgnoresCaseOnlyWhenAsked)
{
    EXPECT_EQ(LocationPrefixLength(L"REG://hkcu", true), 6u);
    EXPECT_EQ(LocationPrefixLength(L"REG://hkcu", false), 0u);
    EXPECT_EQ(LocationPrefixLength(L"reg://hkcu", false), 6u);
    EXPECT_EQ(LocationPrefixLength(L"reg:hkcu", true), 4u);
    // The short prefix is always compared with regard to case.
    EXPECT_EQ(LocationPrefixLength(L"REG:hkcu", true), 0u);
    EXPECT_EQ(LocationPrefixLength(L"HKLM", true), 0u);
}

TEST(LocationText, SplitsAtBackslashFirstThenSlash)
{
    LocationComponent c = SplitLocation(L"HKLM\\SOFTWARE\\Classes");
    EXPECT_EQ(c.first, L"HKLM");
    EXPECT_STREQ(c.pszRest, L"SOFTWARE\\Classes");

    c = SplitLocation(L"HKEY_LOCAL_MACHINE/SOFTWARE/Classes");
    EXPECT_EQ(c.first, L"HKEY_LOCAL_MACHINE");
    EXPECT_STREQ(c.pszRest, L"SOFTWARE/Classes");

    // In a mixed text a slash before a later backslash stays inside the name.
    c = SplitLocation(L"A/B\\C");
    EXPECT_EQ(c.first, L"A/B");
    EXPECT_STREQ(c.pszRest, L"C");
}

TEST(LocationText, TrailingSeparatorLeavesNoRest)
{
    const LocationComponent c = SplitLocation(L"HKCU\\");
    EXPECT_EQ(c.first, L"HKCU");
    EXPECT_EQ(c.pszRest, nullptr);
    EXPECT_EQ(SplitLocation(L"HKCU").pszRest, nullptr);
}

TEST(LocationText, KeyComponentsDecodeBlanksAndStopAtAColon)
{
    char sz[200];
    ASSERT_TRUE(KeyComponentToName(L"My%20Key", sz, sizeof(sz)));
    EXPECT_STREQ(sz, "My Key");
    ASSERT_TRUE(KeyComponentToName(L"A%20%20B", sz, sizeof(sz)));
    EXPECT_STREQ(sz, "A  B");
    ASSERT_TRUE(KeyComponentToName(L"Name:x", sz, sizeof(sz)));
    EXPECT_STREQ(sz, "Name");
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
