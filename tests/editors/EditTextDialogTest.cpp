// The one-line text dialog, run modally and driven through its controls.
#include "editors/DialogDriver.h"
#include "editors/EditTextDialog.h"
#include "resource.h"
#include "support/TableRow.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace corvasin
{
namespace
{

using namespace test::step;
using test::CDialogDriver;

// The dialog opened on a text of the value "Name", what the user does, and what the caller gets.
struct TextRun : test::Row
{
    std::string text;
    std::vector<CDialogDriver::Step> steps;
    INT_PTR nResult;
    std::string stored;
};

class EditTextDialog : public testing::TestWithParam<TextRun>
{
};

TEST_F(EditTextDialog, ShowsTheLabelAndTheTextWhenItOpens)
{
    CEditTextDialog dlg;
    dlg.m_strLabel = "InstallPath";
    dlg.m_strText = "C:\\Program Files\\Corvasin";
    test::ValueDialogView view;
    EXPECT_EQ(IDCANCEL, test::RunModal(dlg, {Look(view), Click(IDCANCEL)}));
    EXPECT_EQ((std::vector<std::string>{"Edit Text", "InstallPath", "C:\\Program Files\\Corvasin"}),
              (std::vector{view.caption, view.label, view.text}));
}

TEST_F(EditTextDialog, PutsTheFocusInTheFieldWithTheTextUnselected)
{
    CEditTextDialog dlg;
    dlg.m_strText = "abc";
    test::ValueDialogView view;
    view.dwSelStart = 99;
    test::RunModal(dlg, {Look(view), Click(IDCANCEL)});
    ASSERT_NE(nullptr, view.hwndField);
    EXPECT_EQ(std::tuple(view.hwndField, view.dwSelStart, view.hwndField),
              std::tuple(view.hwndFocus, view.dwSelEnd, dlg.m_hwndValueEdit));
}

TEST_P(EditTextDialog, Runs)
{
    CEditTextDialog dlg;
    dlg.m_strLabel = "Name";
    dlg.m_strText = GetParam().text;
    EXPECT_EQ(GetParam().nResult, test::RunModal(dlg, GetParam().steps));
    EXPECT_EQ(GetParam().stored, dlg.m_strText);
    EXPECT_EQ("Name", dlg.m_strLabel);
}

// An edit control lets the user type 30000 characters at most, but shows and hands back any
// longer text it is given.
const std::string c_longText = std::string(39999, 'x') + 'z';

INSTANTIATE_TEST_SUITE_P(
    , EditTextDialog,
    testing::Values(
        TextRun{"TypedCharactersGoBeforeTheOldTextAndEnterPressesOk", "tail", {Type("head-"), Press(VK_RETURN)},
                IDOK, "head-tail"},
        TextRun{"ReadsBackATextLongerThanTheFieldsTypingLimit", c_longText, {Click(IDOK)}, IDOK, c_longText},
        TextRun{"LeavesTheFieldsAloneOnCancel", "old", {SetText("new"), Click(IDCANCEL)}, IDCANCEL, "old"},
        TextRun{"EscapeCancels", "old", {Type("new"), Press(VK_ESCAPE)}, IDCANCEL, "old"},
        TextRun{"ClosingFromTheSystemMenuCancels", "old",
                {SetText("new"), [](HWND hDlg) { ::PostMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0); }}, IDCANCEL,
                "old"}),
    test::RowName());

TEST_F(EditTextDialog, CanBeRunTwice)
{
    CEditTextDialog dlg;
    dlg.m_strText = "one";
    EXPECT_EQ(IDOK, test::RunModal(dlg, {Type("1"), Click(IDOK)}));
    test::ValueDialogView view;
    EXPECT_EQ(IDOK, test::RunModal(dlg, {Look(view), Click(IDOK)}));
    EXPECT_EQ("1one", view.text);
}

} // namespace
} // namespace corvasin
