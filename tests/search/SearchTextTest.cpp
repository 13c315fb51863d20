// The matching rules as pure units: names and strings, multi-strings, binary data, the types
// never searched.
#include "search/SearchText.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace corvasin;

namespace
{

struct MatchRow
{
    const char* pszCase;
    const char* pszText;
    bool bIgnoreCase;
    DWORD dwType;
    std::string data; // exact bytes, NULs included
    bool bMatches;
};

std::string Bytes(const char* p, size_t cb) { return std::string(p, cb); }

const MatchRow c_rows[] = {
    {"text found anywhere", "abc", false, REG_SZ, Bytes("xxabcxx", 8), true},
    {"case counts without ignore case", "abc", false, REG_SZ, Bytes("xxaBcxx", 8), false},
    {"ignore case upper-cases both", "abc", true, REG_SZ, Bytes("xxaBcxx", 8), true},
    {"string ends at its first NUL", "tail", false, REG_SZ, Bytes("head\0tail", 10), false},
    {"string without NUL ends with the data", "end", false, REG_EXPAND_SZ, Bytes("the end", 7), true},
    {"empty text matches a string", "", false, REG_SZ, Bytes("", 1), true},
    {"multi-string: a later string", "two", false, REG_MULTI_SZ, Bytes("one\0two\0\0", 9), true},
    {"multi-string stops at the empty string", "three", false, REG_MULTI_SZ, Bytes("one\0\0three\0\0", 13), false},
    {"multi-string never past the data", "abc", false, REG_MULTI_SZ, Bytes("one\0ab", 6), false},
    {"multi-string: last string without NUL", "ab", false, REG_MULTI_SZ, Bytes("one\0ab", 6), true},
    {"multi-string with ignore case", "TWO", true, REG_MULTI_SZ, Bytes("one\0tWo\0\0", 9), true},
    {"binary holds the bytes", "need", false, REG_BINARY, Bytes("\x01need\x02", 6), true},
    {"binary compares case without ignore case", "need", false, REG_BINARY, Bytes("\x01NEED\x02", 6), false},
    {"binary folds single bytes with ignore case", "need", true, REG_BINARY, Bytes("\x01nEeD\x02", 6), true},
    {"binary: a NUL never matches", "need", true, REG_BINARY, Bytes("ne\0ed", 5), false},
    {"binary: the text at the very end", "ed", false, REG_BINARY, Bytes("\0\0ed", 4), true},
    {"binary shorter than the text", "need", false, REG_BINARY, Bytes("nee", 3), false},
    {"empty text matches binary", "", false, REG_BINARY, Bytes("", 0), true},
    {"DWORD data is never searched", "need", false, REG_DWORD, Bytes("need", 4), false},
    {"DWORD never, even with an empty text", "", false, REG_DWORD, Bytes("\0\0\0\0", 4), false},
    {"REG_NONE is never searched", "x", false, REG_NONE, Bytes("x", 1), false},
};

using SearchTextMatching = ::testing::TestWithParam<MatchRow>;

} // namespace

TEST_P(SearchTextMatching, FollowsTheRuleOfItsType)
{
    const MatchRow& row = GetParam();
    const CSearchText text(row.pszText, row.bIgnoreCase);
    EXPECT_EQ(text.MatchesData(row.dwType, reinterpret_cast<const BYTE*>(row.data.data()), row.data.size()),
              row.bMatches)
        << row.pszCase;
}

INSTANTIATE_TEST_SUITE_P(Rows, SearchTextMatching, ::testing::ValuesIn(c_rows));

TEST(SearchText, NamesMatchBySubstringAndEmptyTextMatchesAll)
{
    // The text, ignore case, the name, and whether it matches.
    const std::tuple<const char*, bool, const char*, bool> rows[] = {
        {"abc", true, "XABCY", true}, {"abc", false, "XABCY", false}, {"ABC", false, "XABCY", true},
        {"", false, "", true},        {"", true, "anything", true},   {"b", false, "", false},
    };
    for (const auto& [pszText, bIgnoreCase, pszName, bMatches] : rows)
        EXPECT_EQ(CSearchText(pszText, bIgnoreCase).MatchesText(pszName, strlen(pszName)), bMatches)
            << pszText << " in " << pszName;
}

TEST(SearchText, KeepsTheTextUpperCasedOnlyWhenIgnoringCase)
{
    EXPECT_EQ(CSearchText("aBc", true).GetText(), "ABC");
    EXPECT_EQ(CSearchText("aBc", false).GetText(), "aBc");
    EXPECT_EQ(CSearchText::UpperCase("ab\0cd", 5), "AB");
}
