// The DWORD dialog: the two parsers, and the dialog run modally with its radio buttons.
#include "editors/DialogDriver.h"
#include "editors/EditDwordDialog.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace corvasin
{
namespace
{

using test::CDialogDriver;

TEST(DecimalText, ReadsEveryNumberTheFieldShows)
{
    EXPECT_EQ(0u, ParseDecimalText("0"));
    EXPECT_EQ(255u, ParseDecimalText("255"));
    EXPECT_EQ(2147483648u, ParseDecimalText("2147483648"));
    EXPECT_EQ(0xFFFFFFFFu, ParseDecimalText("4294967295"));
}

TEST(DecimalText, TakesMinusOneAsAllBitsSet)
{
    EXPECT_EQ(0xFFFFFFFFu, ParseDecimalText("-1"));
    EXPECT_EQ(1u, ParseDecimalText("-4294967295"));
    EXPECT_EQ(0u, ParseDecimalText("-0"));
}

TEST(DecimalText, StopsAtTheFirstCharacterThatIsNoDigit)
{
    EXPECT_EQ(12u, ParseDecimalText("12abc"));
    EXPECT_EQ(12u, ParseDecimalText("12 34"));
    EXPECT_EQ(3u, ParseDecimalText("3.9"));
}

TEST(DecimalText, GivesZeroForATextWithoutDigits)
{
    EXPECT_EQ(0u, ParseDecimalText(""));
    EXPECT_EQ(0u, ParseDecimalText("abc"));
    EXPECT_EQ(0u, ParseDecimalText("-"));
    EXPECT_EQ(0u, ParseDecimalText("   "));
    EXPECT_EQ(0u, ParseDecimalText(nullptr));
}

TEST(DecimalText, SkipsLeadingWhiteSpaceAndTakesOneSign)
{
    EXPECT_EQ(7u, ParseDecimalText("  \t+7"));
    EXPECT_EQ(0xFFFFFFF9u, ParseDecimalText(" -7"));
    EXPECT_EQ(0u, ParseDecimalText("+-7"));
    EXPECT_EQ(0u, ParseDecimalText("- 7"));
}

TEST(DecimalText, WrapsAroundPastTheLargestValue)
{
    EXPECT_EQ(0u, ParseDecimalText("4294967296"));
    EXPECT_EQ(9u, ParseDecimalText("4294967305"));
}

TEST(HexText, ReadsUpperCaseDigits)
{
    EXPECT_EQ(26u, ParseHexText("1A"));
    EXPECT_EQ(0xFFFFFFFFu, ParseHexText("FFFFFFFF"));
    EXPECT_EQ(0xDEADBEEFu, ParseHexText("DEADBEEF"));
    EXPECT_EQ(0u, ParseHexText("0"));
}

TEST(HexText, ReadsLowerCaseDigitsLikeUpperCase)
{
    EXPECT_EQ(26u, ParseHexText("1a"));
    EXPECT_EQ(0xDEADBEEFu, ParseHexText("deadBEEF"));
    EXPECT_EQ(0xABCDEFu, ParseHexText("abcdef"));
}

TEST(HexText, GivesZeroForTheEmptyText)
{
    EXPECT_EQ(0u, ParseHexText(""));
    EXPECT_EQ(0u, ParseHexText(nullptr));
}

TEST(HexText, AcceptsACPrefixAndSurroundingBlanks)
{
    EXPECT_EQ(31u, ParseHexText("0x1F"));
    EXPECT_EQ(31u, ParseHexText("0X1f"));
    EXPECT_EQ(255u, ParseHexText("  ff  "));
    EXPECT_EQ(255u, ParseHexText(" 0xff"));
}

TEST(HexText, ReadsALonePrefixAsZero)
{
    EXPECT_EQ(0u, ParseHexText("0x"));
    EXPECT_EQ(0u, ParseHexText("0xZ"));
}

TEST(HexText, StopsAtTheFirstCharacterThatIsNoHexDigit)
{
    EXPECT_EQ(0x12u, ParseHexText("12G4"));
    EXPECT_EQ(0xABu, ParseHexText("AB CD"));
    EXPECT_EQ(0u, ParseHexText("G"));
    EXPECT_EQ(0u, ParseHexText("-1"));
    EXPECT_EQ(0u, ParseHexText("x1"));
}

TEST(HexText, KeepsTheLastEightDigitsOfALongerNumber)
{
    EXPECT_EQ(0u, ParseHexText("100000000"));
    EXPECT_EQ(0x23456789u, ParseHexText("123456789"));
}

// Runs the dialog on the value, lets the steps act, and answers the dialog's result.
struct DwordRun
{
    CEditDwordDialog dlg;
    INT_PTR nResult = 0;
    bool bTimedOut = false;

    DwordRun(DWORD dwValue, std::vector<test::CDialogDriver::Step> steps)
    {
        dlg.m_dwValue = dwValue;
        dlg.m_strLabel = "Count";
        CDialogDriver driver(std::move(steps));
        nResult = dlg.DoModal();
        bTimedOut = driver.TimedOut();
    }
};

TEST(EditDwordDialog, OpensInDecimalWithTheLabelAndTheFocusInTheField)
{
    std::string caption, label, text;
    bool bDecimal = false, bHex = true;
    HWND hwndFocus = nullptr, hwndField = nullptr;
    DwordRun run(1234, {[&](HWND hDlg) {
                            caption = test::WindowText(hDlg);
                            label = test::ItemText(hDlg, IDC_VALUE_LABEL);
                            text = test::ItemText(hDlg, IDC_VALUE_EDIT);
                            bDecimal = test::IsChecked(hDlg, IDC_RADIO_DECIMAL);
                            bHex = test::IsChecked(hDlg, IDC_RADIO_HEX);
                            hwndFocus = ::GetFocus();
                            hwndField = ::GetDlgItem(hDlg, IDC_VALUE_EDIT);
                        },
                        [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_EQ("Edit numerical value", caption);
    EXPECT_EQ("Count", label);
    EXPECT_EQ("1234", text);
    EXPECT_TRUE(bDecimal);
    EXPECT_FALSE(bHex);
    EXPECT_EQ(hwndField, hwndFocus);
}

TEST(EditDwordDialog, ShowsAllBitsSetAsAnUnsignedNumberAndKeepsItOnOk)
{
    std::string text;
    DwordRun run(0xFFFFFFFF, {[&](HWND hDlg) { text = test::ItemText(hDlg, IDC_VALUE_EDIT); },
                              [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ("4294967295", text);
    EXPECT_EQ(0xFFFFFFFFu, run.dlg.m_dwValue);
}

TEST(EditDwordDialog, HexShowsUpperCaseDigitsWithoutPrefixAndKeepsTheValueOnOk)
{
    std::string text;
    bool bDecimal = true, bHex = false;
    DwordRun run(0xFFFFFFFF, {[](HWND hDlg) { test::Click(hDlg, IDC_RADIO_HEX); },
                              [&](HWND hDlg) {
                                  text = test::ItemText(hDlg, IDC_VALUE_EDIT);
                                  bDecimal = test::IsChecked(hDlg, IDC_RADIO_DECIMAL);
                                  bHex = test::IsChecked(hDlg, IDC_RADIO_HEX);
                              },
                              [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ("FFFFFFFF", text);
    EXPECT_FALSE(bDecimal);
    EXPECT_TRUE(bHex);
    EXPECT_EQ(0xFFFFFFFFu, run.dlg.m_dwValue);
    EXPECT_EQ(CEditDwordDialog::ModeHex, run.dlg.m_nMode);
}


TEST(EditDwordDialog, StoresMinusOneAsAllBitsSet)
{
    DwordRun run(5, {[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "-1"); },
                     [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ(0xFFFFFFFFu, run.dlg.m_dwValue);
}

TEST(EditDwordDialog, StoresTheDigitsBeforeTypedLetters)
{
    DwordRun run(5, {[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, ""); },
                     [](HWND) { test::TypeText("12abc"); },
                     [](HWND) { test::PressKey(VK_RETURN); }});

    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ(12u, run.dlg.m_dwValue);
    EXPECT_FALSE(run.bTimedOut);
}

TEST(EditDwordDialog, StoresZeroForAnEmptyField)
{
    DwordRun run(77, {[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, ""); },
                      [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ(0u, run.dlg.m_dwValue);
}

TEST(EditDwordDialog, ReadsHexInputAndShowsItInDecimalAfterSwitchingBack)
{
    std::string decimalText;
    DwordRun run(0, {[](HWND hDlg) { test::Click(hDlg, IDC_RADIO_HEX); },
                     [](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "1A"); },
                     [](HWND hDlg) { test::Click(hDlg, IDC_RADIO_DECIMAL); },
                     [&](HWND hDlg) { decimalText = test::ItemText(hDlg, IDC_VALUE_EDIT); },
                     [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ("26", decimalText);
    EXPECT_EQ(26u, run.dlg.m_dwValue);
    EXPECT_EQ(CEditDwordDialog::ModeDecimal, run.dlg.m_nMode);
}

TEST(EditDwordDialog, StoresHexInputOnOk)
{
    DwordRun run(0, {[](HWND hDlg) { test::Click(hDlg, IDC_RADIO_HEX); },
                     [](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "1A"); },
                     [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(26u, run.dlg.m_dwValue);
}

TEST(EditDwordDialog, TakesLowerCaseHexDigitsLikeUpperCase)
{
    std::string hexText;
    DwordRun run(0, {[](HWND hDlg) { test::Click(hDlg, IDC_RADIO_HEX); },
                     [](HWND hDlg) {
                         test::Focus(hDlg, IDC_VALUE_EDIT);
                         test::SetItemText(hDlg, IDC_VALUE_EDIT, "");
                     },
                     [](HWND) { test::TypeText("beef"); },
                     [](HWND hDlg) { test::Click(hDlg, IDC_RADIO_HEX); },
                     [&](HWND hDlg) { hexText = test::ItemText(hDlg, IDC_VALUE_EDIT); },
                     [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ("BEEF", hexText);
    EXPECT_EQ(0xBEEFu, run.dlg.m_dwValue);
}

TEST(EditDwordDialog, ReadsTheFieldInTheNotationItWasTypedIn)
{
    // 10 typed in decimal is A in hex; the switch must not reread "10" as hex 16.
    std::string hexText;
    DwordRun run(0, {[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "10"); },
                     [](HWND hDlg) { test::Click(hDlg, IDC_RADIO_HEX); },
                     [&](HWND hDlg) { hexText = test::ItemText(hDlg, IDC_VALUE_EDIT); },
                     [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ("A", hexText);
    EXPECT_EQ(10u, run.dlg.m_dwValue);
}

TEST(EditDwordDialog, OpensInHexWhenTheCallerAsksForIt)
{
    std::string text;
    bool bHex = false;
    CEditDwordDialog dlg;
    EXPECT_EQ(CEditDwordDialog::ModeDecimal, dlg.m_nMode);
    dlg.m_nMode = CEditDwordDialog::ModeHex;
    dlg.m_dwValue = 0xC0FFEE;
    CDialogDriver driver({[&](HWND hDlg) {
                              text = test::ItemText(hDlg, IDC_VALUE_EDIT);
                              bHex = test::IsChecked(hDlg, IDC_RADIO_HEX);
                          },
                          [](HWND hDlg) { test::Click(hDlg, IDOK); }});

    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("C0FFEE", text);
    EXPECT_TRUE(bHex);
    EXPECT_EQ(0xC0FFEEu, dlg.m_dwValue);
}

TEST(EditDwordDialog, LeavesTheFieldsAloneOnCancelEvenAfterSwitchingNotation)
{
    DwordRun run(42, {[](HWND hDlg) { test::SetItemText(hDlg, IDC_VALUE_EDIT, "99"); },
                      [](HWND hDlg) { test::Click(hDlg, IDC_RADIO_HEX); },
                      [](HWND hDlg) { test::Click(hDlg, IDCANCEL); }});

    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_EQ(42u, run.dlg.m_dwValue);
    EXPECT_EQ(CEditDwordDialog::ModeDecimal, run.dlg.m_nMode);
    EXPECT_EQ("Count", run.dlg.m_strLabel);
}


} // namespace
} // namespace corvasin
