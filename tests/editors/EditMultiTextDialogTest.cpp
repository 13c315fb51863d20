// The multi-string dialog: the conversions between the registry's list and the lines of text,
// and the dialog run modally and driven through its controls.
#include "editors/DialogDriver.h"
#include "editors/EditMultiTextDialog.h"
#include "core/Handles.h"
#include "resource.h"
#include "support/TableRow.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace corvasin
{
namespace
{

using namespace test::step;
using namespace std::string_literals;
using test::CDialogDriver;

bool Append(CEditMultiTextDialog& dlg, const std::string& data)
{
    return dlg.AppendMultiSz(reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
}

std::string AppendedText(const std::string& data)
{
    CEditMultiTextDialog dlg;
    EXPECT_TRUE(Append(dlg, data));
    return dlg.m_strText;
}

// The list that GetMultiSz builds from the dialog's text, as a byte string.
std::string List(const CEditMultiTextDialog& dlg)
{
    DWORD cbSize = 12345;
    UniqueCoTaskMem list(dlg.GetMultiSz(&cbSize));
    EXPECT_TRUE(list);
    return list ? std::string(static_cast<const char*>(list.get()), cbSize) : "<null>";
}

std::string ListFromText(const std::string& text)
{
    CEditMultiTextDialog dlg;
    dlg.m_strText = text;
    const std::string list = List(dlg);
    EXPECT_EQ(text, dlg.m_strText);
    return list;
}

// One conversion rule: what goes in and what the conversion makes of it.
struct Conversion : test::Row
{
    std::string (*pfnConvert)(const std::string&);
    std::vector<std::pair<std::string, std::string>> cases;
};

class MultiStringList : public testing::TestWithParam<Conversion>
{
};

TEST_P(MultiStringList, Converts)
{
    for (const auto& [from, to] : GetParam().cases)
        EXPECT_EQ(to, GetParam().pfnConvert(from)) << testing::PrintToString(from);
}

INSTANTIATE_TEST_SUITE_P(
    , MultiStringList,
    testing::Values(
        Conversion{"AppendsEachStringFollowedByALineBreak", AppendedText,
                   {{"a\0b\0\0"s, "a\r\nb\r\n"}, {"first line\0second\0\0"s, "first line\r\nsecond\r\n"}}},
        Conversion{"AppendsNothingForZeroBytesOrALeadingNul", AppendedText, {{"\0"s, ""}, {"\0a\0\0"s, ""}}},
        Conversion{"StopsAtTheFirstEmptyString", AppendedText, {{"a\0\0b\0\0"s, "a\r\n"}}},
        Conversion{"StopsAtTheEndOfDataThatLacksItsFinalNuls", AppendedText, {{"a\0b\0"s, "a\r\nb\r\n"}}},
        Conversion{"SplitsTheTextAtLineBreaks", ListFromText, {{"a\r\nb", "a\0b\0\0"s}, {"one line", "one line\0\0"s}}},
        Conversion{"DropsBlankLinesBetweenTwoLines", ListFromText,
                   {{"a\r\n\r\nb", "a\0b\0\0"s}, {"a\r\n\r\n\r\n\r\nb", "a\0b\0\0"s}, {"a\r\r\nb", "a\0b\0\0"s}}},
        Conversion{"MakesAnEmptyFirstStringOfALeadingLineBreak", ListFromText,
                   {{"\r\na", "\0a\0\0"s}, {"\r\n\r\na", "\0a\0\0"s}}},
        Conversion{"SplitsAtABareCarriageReturnButNotAtABareLineFeed", ListFromText,
                   {{"a\rb", "a\0b\0\0"s}, {"a\nb", "a\nb\0\0"s}}}),
    test::RowName());

TEST_F(MultiStringList, AppendsNothingForZeroBytesOrALeadingNul)
{
    CEditMultiTextDialog dlg;
    EXPECT_TRUE(dlg.AppendMultiSz(nullptr, 0));
    EXPECT_TRUE(dlg.AppendMultiSz(reinterpret_cast<const BYTE*>("x"), 0));
    EXPECT_EQ("", dlg.m_strText);
}

TEST_F(MultiStringList, StopsAtTheEndOfDataThatLacksItsFinalNuls)
{
    // The bytes after the length are not part of the value.
    CEditMultiTextDialog dlg;
    dlg.m_strText = "x\r\n";
    EXPECT_TRUE(dlg.AppendMultiSz(reinterpret_cast<const BYTE*>("a\0bcdef"), 3));
    EXPECT_EQ("x\r\na\r\nb\r\n", dlg.m_strText);
}

// The dialog opened on a list, what the user does, and the text and list the caller gets.
struct MultiTextRun : test::Row
{
    std::string value;
    std::vector<CDialogDriver::Step> steps;
    INT_PTR nResult;
    std::string text;
    std::string list;
};

class EditMultiTextDialog : public testing::TestWithParam<MultiTextRun>
{
};

TEST_P(EditMultiTextDialog, Runs)
{
    CEditMultiTextDialog dlg;
    ASSERT_TRUE(Append(dlg, GetParam().value));
    EXPECT_EQ(GetParam().nResult, test::RunModal(dlg, GetParam().steps));
    EXPECT_EQ(GetParam().text, dlg.m_strText);
    EXPECT_EQ(GetParam().list, List(dlg));
}

INSTANTIATE_TEST_SUITE_P(
    , EditMultiTextDialog,
    testing::Values(
        MultiTextRun{"WritesAnUnchangedListOfTwoStringsAsSixBytes", "a\0b\0\0"s, {Click(IDOK)}, IDOK, "a\r\nb\r\n",
                     "a\0b\0\0\0"s},
        MultiTextRun{"WritesTwoNulsWhenTheFieldIsCleared", "a\0b\0\0"s, {SetText(""), Click(IDOK)}, IDOK, "",
                     "\0\0"s},
        MultiTextRun{"DropsBlankLinesAndKeepsALeadingOneAsAnEmptyString", "",
                     {SetText("\r\nfirst\r\n\r\n\r\nsecond"), Click(IDOK)}, IDOK, "\r\nfirst\r\n\r\n\r\nsecond",
                     "\0first\0second\0\0"s},
        // Typing after Enter runs only while the dialog is still open.
        MultiTextRun{"EnterStartsANewLineInsteadOfClosing", "",
                     {Type("one"), Press(VK_RETURN), Type("two"), Click(IDOK)}, IDOK, "one\r\ntwo", "one\0two\0\0"s},
        MultiTextRun{"LeavesTheTextAloneOnCancel", "a\0b\0\0"s, {SetText("changed"), Click(IDCANCEL)}, IDCANCEL,
                     "a\r\nb\r\n", "a\0b\0\0\0"s}),
    test::RowName());

TEST_F(EditMultiTextDialog, OpensWithOneLinePerString)
{
    CEditMultiTextDialog dlg;
    dlg.m_strLabel = "Sources";
    Append(dlg, "a\0b\0\0"s);
    test::ValueDialogView view;
    EXPECT_EQ(IDCANCEL, test::RunModal(dlg, {Look(view), Click(IDCANCEL)}));
    EXPECT_EQ((std::vector<std::string>{"Edit Text", "Sources", "a\r\nb\r\n"}),
              (std::vector{view.caption, view.label, view.text}));
    EXPECT_EQ(view.hwndField, view.hwndFocus);
}

} // namespace
} // namespace corvasin
