// Value and type texts made from raw data, including data that lacks what its type promises.
#include "registry/ColumnText.h"

#include <gtest/gtest.h>
#include <vector>

using namespace corvasin;

namespace
{
CString Format(DWORD type, const std::vector<BYTE>& data)
{
    return FormatValueText(type, data.data(), static_cast<DWORD>(data.size()));
}
std::vector<BYTE> Bytes(const char* p, size_t n) { return std::vector<BYTE>(p, p + n); }
} // namespace

TEST(ColumnText, TypeNamesCoverTheKnownCodes)
{
    EXPECT_STREQ(ValueTypeName(0), "(none)");
    EXPECT_STREQ(ValueTypeName(REG_MULTI_SZ), "REG_MULTI_SZ");
    EXPECT_STREQ(ValueTypeName(10), "REG_RESOURCE_REQUIREMENTS_LIST");
    EXPECT_STREQ(ValueTypeName(11), "(unknown)");
    EXPECT_STREQ(ValueTypeName(0xFFFFFFFF), "(unknown)");
}

TEST(ColumnText, DwordsShowHexAndSignedDecimal)
{
    EXPECT_EQ(Format(REG_DWORD, {10, 0, 0, 0}), "0x0000000A (10)");
}

TEST(ColumnText, ShortDwordsReadOnlyTheBytesThere)
{
    EXPECT_EQ(Format(REG_DWORD, {0x34, 0x12}), "0x00001234 (4660)");
    EXPECT_EQ(Format(REG_DWORD, {}), "0x00000000 (0)");
}

TEST(ColumnText, MultiStringsAreQuotedAndJoined)
{
    EXPECT_EQ(Format(REG_MULTI_SZ, Bytes("a\0b\0\0", 5)), "\"a\", \"b\"");
    EXPECT_EQ(Format(REG_MULTI_SZ, Bytes("\0", 1)), "\"\"");
    EXPECT_EQ(Format(REG_MULTI_SZ, {}), "\"\"");
    // Strings stop at the first empty one.
    EXPECT_EQ(Format(REG_MULTI_SZ, Bytes("a\0\0c\0\0", 6)), "\"a\"");
}

TEST(ColumnText, StringsWithoutTerminatorsEndAtTheData)
{
    EXPECT_EQ(Format(REG_SZ, Bytes("abc", 3)), "\"abc\"");
    EXPECT_EQ(Format(REG_MULTI_SZ, Bytes("ab\0cd", 5)), "\"ab\", \"cd\"");
}

TEST(ColumnText, OtherTypesShowAtMost50HexPairs)
{
    EXPECT_EQ(Format(REG_BINARY, {}), "");
    std::vector<BYTE> data(51, 0x5A);
    const CString text = Format(REG_BINARY, data);
    EXPECT_EQ(text.size(), 50u * 3 - 1 + 3);
    EXPECT_EQ(text.substr(text.size() - 5), "5A...");
    // Text-like data of other types is still shown byte by byte.
    EXPECT_EQ(Format(REG_NONE, Bytes("hi\0", 3)), "68 69 00");
}

TEST(ColumnText, SizesAndTimes)
{
    EXPECT_EQ(FormatSizeText(0), "");
    EXPECT_EQ(FormatSizeText(12), "12 bytes");
    FILETIME ft = {};
    EXPECT_EQ(FormatLastWriteTime(ft), "");
    ::GetSystemTimeAsFileTime(&ft);
    EXPECT_FALSE(FormatLastWriteTime(ft).empty());
}
