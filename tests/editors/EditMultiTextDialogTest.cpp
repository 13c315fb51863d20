// The multi-string dialog: the conversions between the registry's list and the lines of text,
// and the dialog run modally and driven through its controls.
#include "editors/DialogDriver.h"
#include "editors/EditMultiTextDialog.h"
#include "core/Handles.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>

namespace corvasin
{
namespace
{

using test::CDialogDriver;
using namespace std::string_literals;

std::string AppendedText(const std::string& data)
{
    CEditMultiTextDialog dlg;
    EXPECT_TRUE(dlg.AppendMultiSz(reinterpret_cast<const BYTE*>(data.data()),
                                  static_cast<DWORD>(data.size())));
    return dlg.m_strText;
}

// The list that GetMultiSz builds from a text, as a byte string.
std::string ListFromText(const std::string& text)
{
    CEditMultiTextDialog dlg;
    dlg.m_strText = text;
    DWORD cbSize = 12345;
    UniqueCoTaskMem list(dlg.GetMultiSz(&cbSize));
    EXPECT_TRUE(list);
    if (!list)
        return "<null>";
    EXPECT_EQ(text, dlg.m_strText);
    return std::string(static_cast<const char*>(list.get()), cbSize);
}

TEST(MultiStringList, AppendsEachStringFollowedByALineBreak)
{
    EXPECT_EQ("a\r\nb\r\n", AppendedText("a\0b\0\0"s));
    EXPECT_EQ("first line\r\nsecond\r\n", AppendedText("first line\0second\0\0"s));
}

TEST(MultiStringList, AppendsNothingForZeroBytesOrALeadingNul)
{
    CEditMultiTextDialog dlg;
    EXPECT_TRUE(dlg.AppendMultiSz(nullptr, 0));
    const BYTE data[] = {'x'};
    EXPECT_TRUE(dlg.AppendMultiSz(data, 0));
    EXPECT_EQ("", dlg.m_strText);
    EXPECT_EQ("", AppendedText("\0"s));
    EXPECT_EQ("", AppendedText("\0a\0\0"s));
}

TEST(MultiStringList, StopsAtTheFirstEmptyString)
{
    EXPECT_EQ("a\r\n", AppendedText("a\0\0b\0\0"s));
}

TEST(MultiStringList, StopsAtTheEndOfDataThatLacksItsFinalNuls)
{
    EXPECT_EQ("a\r\nb\r\n", AppendedText("a\0b\0"s));
    // The bytes after the length are not part of the value.
    const char data[] = "a\0bcdef";
    CEditMultiTextDialog dlg;
    dlg.m_strText = "x\r\n";
    EXPECT_TRUE(dlg.AppendMultiSz(reinterpret_cast<const BYTE*>(data), 3));
    EXPECT_EQ("x\r\na\r\nb\r\n", dlg.m_strText);
}

TEST(MultiStringList, SplitsTheTextAtLineBreaks)
{
    EXPECT_EQ("a\0b\0\0"s, ListFromText("a\r\nb"));
    EXPECT_EQ("one line\0\0"s, ListFromText("one line"));
}

TEST(MultiStringList, KeepsAnEmptyLastStringAfterAFinalLineBreak)
{
    EXPECT_EQ("a\0b\0\0\0"s, ListFromText("a\r\nb\r\n"));
}

TEST(MultiStringList, DropsBlankLinesBetweenTwoLines)
{
    EXPECT_EQ("a\0b\0\0"s, ListFromText("a\r\n\r\nb"));
    EXPECT_EQ("a\0b\0\0"s, ListFromText("a\r\n\r\n\r\n\r\nb"));
    EXPECT_EQ("a\0b\0\0"s, ListFromText("a\r\r\nb"));
}

TEST(MultiStringList, MakesAnEmptyFirstStringOfALeadingLineBreak)
{
    EXPECT_EQ("\0a\0\0"s, ListFromText("\r\na"));
    EXPECT_EQ("\0a\0\0"s, ListFromText("\r\n\r\na"));
}

TEST(MultiStringList, MakesTwoNulsOfTheEmptyText)
{
    EXPECT_EQ("\0\0"s, ListFromText(""));
}


TEST(MultiStringList, SplitsAtABareCarriageReturnButNotAtABareLineFeed)
{
    EXPECT_EQ("a\0b\0\0"s, ListFromText("a\rb"));
    EXPECT_EQ("a\nb\0\0"s, ListFromText("a\nb"));
}

TEST(MultiStringList, SurvivesARoundTripThroughTheText)
{
    const std::string value = "C:\\one\0two words\0three\0\0"s;
    CEditMultiTextDialog dlg;
    ASSERT_TRUE(dlg.AppendMultiSz(reinterpret_cast<const BYTE*>(value.data()),
                                  static_cast<DWORD>(value.size())));
    DWORD cbSize = 0;
    UniqueCoTaskMem list(dlg.GetMultiSz(&cbSize));
    ASSERT_TRUE(list);
    // The text ends in a line break, which adds one empty string before the terminator.
    EXPECT_EQ(value + '\0', std::string(static_cast<const char*>(list.get()), cbSize));
}

TEST(EditMultiTextDialog, OpensWithOneLinePerString)
{
    const std::string value = "a\0b\0\0"s;
    CEditMultiTextDialog dlg;
    dlg.m_strLabel = "Sources";
    dlg.AppendMultiSz(reinterpret_cast<const BYTE*>(value.data()), 5);
    std::string caption, label, text;
    HWND hwndFocus = nullptr, hwndField = nullptr;
    CDialogDriver driver({[&](HWND hDlg) {
                              caption = test::WindowText(hDlg);
                              label = test::ItemText(hDlg, IDC_VALUE_LABEL);
                              text = test::ItemText(hDlg, IDC_VALUE_EDIT);
                              hwndFocus = ::GetFocus();
                              hwndField = ::GetDlgItem(hDlg, IDC_VALUE_EDIT);
                          },
                          [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ("Edit Text", caption);
    EXPECT_EQ("Sources", label);
    EXPECT_EQ("a\r\nb\r\n", text);
    EXPECT_EQ(hwndField, hwndFocus);
}

TEST(EditMultiTextDialog, WritesAnUnchangedListOfTwoStringsAsSixBytes)
{
    const std::string value = "a\0b\0\0"s;
    CEditMultiTextDialog dlg;
    dlg.AppendMultiSz(reinterpret_cast<const BYTE*>(value.data()), 5);
    CDialogDriver driver({[](HWND hDlg) { test::Click(hDlg, IDOK); }});

    ASSERT_EQ(IDOK, dlg.DoModal());
    DWORD cbSize = 0;
    UniqueCoTaskMem list(dlg.GetMultiSz(&cbSize));
    ASSERT_TRUE(list);
    EXPECT_EQ("a\0b\0\0\0"s, std::string(static_cast<const char*>(list.get()), cbSize));
}

TEST(EditMultiTextDialog, WritesTwoNulsWhenTheFieldIsCleared)
{
    const std::string value = "a\0b\0\0"s;
    CEditMultiTextDialog dlg;
    dlg.AppendMultiSz(reinterpret_cast<const BYTE*>(value.data()), 5);
    CDialogDriver driver({[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, ""); },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("", dlg.m_strText);
    DWORD cbSize = 0;
    UniqueCoTaskMem list(dlg.GetMultiSz(&cbSize));
    ASSERT_TRUE(list);
    EXPECT_EQ("\0\0"s, std::string(static_cast<const char*>(list.get()), cbSize));
}

TEST(EditMultiTextDialog, DropsBlankLinesAndKeepsALeadingOneAsAnEmptyString)
{
    CEditMultiTextDialog dlg;
    CDialogDriver driver(
        {[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "\r\nfirst\r\n\r\n\r\nsecond"); },
         [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    ASSERT_EQ(IDOK, dlg.DoModal());
    DWORD cbSize = 0;
    UniqueCoTaskMem list(dlg.GetMultiSz(&cbSize));
    ASSERT_TRUE(list);
    EXPECT_EQ("\0first\0second\0\0"s, std::string(static_cast<const char*>(list.get()), cbSize));
}

TEST(EditMultiTextDialog, EnterStartsANewLineInsteadOfClosing)
{
    CEditMultiTextDialog dlg;
    bool bOpenAfterEnter = false;
    CDialogDriver driver({[](HWND) { test::TypeText("one"); },
                          [](HWND) { test::PressKey(VK_RETURN); },
                          [](HWND) { test::TypeText("two"); },
                          [&](HWND hDlg) { bOpenAfterEnter = ::IsWindow(hDlg) != FALSE; },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_TRUE(bOpenAfterEnter);
    EXPECT_EQ("one\r\ntwo", dlg.m_strText);
}


TEST(EditMultiTextDialog, LeavesTheTextAloneOnCancel)
{
    CEditMultiTextDialog dlg;
    dlg.m_strText = "a\r\nb\r\n";
    CDialogDriver driver({[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "changed"); },
                          [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ("a\r\nb\r\n", dlg.m_strText);
}


} // namespace
} // namespace corvasin
