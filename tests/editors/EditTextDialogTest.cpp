// The one-line text dialog, run modally and driven through its controls.
#include "editors/DialogDriver.h"
#include "editors/EditTextDialog.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace corvasin
{
namespace
{

using test::CDialogDriver;

TEST(EditTextDialog, ShowsTheLabelAndTheTextWhenItOpens)
{
    CEditTextDialog dlg;
    dlg.m_strLabel = "InstallPath";
    dlg.m_strText = "C:\\Program Files\\Corvasin";
    std::string caption, label, text;
    CDialogDriver driver({[&](HWND hDlg) {
                              caption = test::WindowText(hDlg);
                              label = test::ItemText(hDlg, IDC_VALUE_LABEL);
                              text = test::ItemText(hDlg, IDC_VALUE_EDIT);
                          },
                          [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ("Edit Text", caption);
    EXPECT_EQ("InstallPath", label);
    EXPECT_EQ("C:\\Program Files\\Corvasin", text);
    EXPECT_FALSE(driver.TimedOut());
}

TEST(EditTextDialog, PutsTheFocusInTheFieldWithTheTextUnselected)
{
    CEditTextDialog dlg;
    dlg.m_strText = "abc";
    HWND hwndFocus = nullptr, hwndField = nullptr;
    DWORD dwSelStart = 99, dwSelEnd = 99;
    CDialogDriver driver({[&](HWND hDlg) {
                              hwndFocus = ::GetFocus();
                              hwndField = ::GetDlgItem(hDlg, IDC_VALUE_EDIT);
                              ::SendMessageA(hwndField, EM_GETSEL,
                                             reinterpret_cast<WPARAM>(&dwSelStart),
                                             reinterpret_cast<LPARAM>(&dwSelEnd));
                          },
                          [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    dlg.DoModal();
    ASSERT_NE(nullptr, hwndField);
    EXPECT_EQ(hwndField, hwndFocus);
    EXPECT_EQ(dwSelStart, dwSelEnd);
    EXPECT_EQ(hwndField, dlg.m_hwndValueEdit);
}

TEST(EditTextDialog, StoresTheEditedTextOnOk)
{
    CEditTextDialog dlg;
    dlg.m_strLabel = "Name";
    dlg.m_strText = "old";
    CDialogDriver driver({[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "new text"); },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("new text", dlg.m_strText);
    EXPECT_EQ("Name", dlg.m_strLabel);
}

TEST(EditTextDialog, TypedCharactersGoBeforeTheOldTextAndEnterPressesOk)
{
    CEditTextDialog dlg;
    dlg.m_strText = "tail";
    CDialogDriver driver({[](HWND) { test::TypeText("head-"); },
                          [](HWND) { test::PressKey(VK_RETURN); }});

    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("head-tail", dlg.m_strText);
    EXPECT_FALSE(driver.TimedOut());
}



TEST(EditTextDialog, ReadsBackATextLongerThanTheFieldsTypingLimit)
{
    // An edit control lets the user type 30000 characters at most, but shows and hands back
    // any longer text it is given.
    std::string longText(40000, 'x');
    longText.back() = 'z';
    CEditTextDialog dlg;
    dlg.m_strText = longText;
    CDialogDriver driver({[](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(longText.size(), dlg.m_strText.size());
    EXPECT_EQ(longText, dlg.m_strText);
}

TEST(EditTextDialog, LeavesTheFieldsAloneOnCancel)
{
    CEditTextDialog dlg;
    dlg.m_strLabel = "Name";
    dlg.m_strText = "old";
    CDialogDriver driver({[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "new"); },
                          [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ("old", dlg.m_strText);
    EXPECT_EQ("Name", dlg.m_strLabel);
}

TEST(EditTextDialog, EscapeCancels)
{
    CEditTextDialog dlg;
    dlg.m_strText = "old";
    CDialogDriver driver({[](HWND) { test::TypeText("new"); },
                          [](HWND) { test::PressKey(VK_ESCAPE); }});

    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ("old", dlg.m_strText);
    EXPECT_FALSE(driver.TimedOut());
}

TEST(EditTextDialog, ClosingFromTheSystemMenuCancels)
{
    CEditTextDialog dlg;
    dlg.m_strText = "old";
    CDialogDriver driver({[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "new"); },
                          [](HWND hDlg) { ::PostMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0); }});

    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ("old", dlg.m_strText);
    EXPECT_FALSE(driver.TimedOut());
}


TEST(EditTextDialog, CanBeRunTwice)
{
    CEditTextDialog dlg;
    dlg.m_strText = "one";
    {
        CDialogDriver driver({[](HWND) { test::TypeText("1"); },
                              [](HWND hDlg) { test::Click(hDlg, IDOK); }});
        EXPECT_EQ(IDOK, dlg.DoModal());
    }
    std::string shown;
    CDialogDriver driver({[&](HWND hDlg) { shown = test::ItemText(hDlg, IDC_VALUE_EDIT); },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("1one", shown);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

} // namespace
} // namespace corvasin
