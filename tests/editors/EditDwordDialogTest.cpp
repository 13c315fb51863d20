// The DWORD dialog: the two parsers, and the dialog run modally with its radio buttons.
#include "editors/DialogDriver.h"
#include "editors/EditDwordDialog.h"
#include "resource.h"
#include "support/TableRow.h"

#include <gtest/gtest.h>

#include <utility>

namespace corvasin
{
namespace
{

using namespace test::step;
using test::CDialogDriver;

// One rule of a parser, shown by the texts it reads and the values it reads them as.
struct ParseRule : test::Row
{
    DWORD (*pfnParse)(const char*) noexcept;
    std::vector<std::pair<const char*, DWORD>> cases; // a null text stands for no text at all
};

class ParseText : public testing::TestWithParam<ParseRule>
{
};

TEST_P(ParseText, Reads)
{
    for (const auto& [pszText, dwValue] : GetParam().cases)
        EXPECT_EQ(dwValue, GetParam().pfnParse(pszText)) << '"' << (pszText ? pszText : "(null)") << '"';
}

INSTANTIATE_TEST_SUITE_P(
    DecimalText, ParseText,
    testing::Values(
        ParseRule{"ReadsEveryNumberTheFieldShows", ParseDecimalText,
                  {{"0", 0}, {"255", 255}, {"2147483648", 2147483648u}, {"4294967295", 0xFFFFFFFF}}},
        ParseRule{"TakesMinusOneAsAllBitsSet", ParseDecimalText, {{"-1", 0xFFFFFFFF}, {"-4294967295", 1}, {"-0", 0}}},
        ParseRule{"StopsAtTheFirstCharacterThatIsNoDigit", ParseDecimalText, {{"12abc", 12}, {"12 34", 12}, {"3.9", 3}}},
        ParseRule{"GivesZeroForATextWithoutDigits", ParseDecimalText,
                  {{"", 0}, {"abc", 0}, {"-", 0}, {"   ", 0}, {nullptr, 0}}},
        ParseRule{"SkipsLeadingWhiteSpaceAndTakesOneSign", ParseDecimalText,
                  {{"  \t+7", 7}, {" -7", 0xFFFFFFF9}, {"+-7", 0}, {"- 7", 0}}},
        ParseRule{"WrapsAroundPastTheLargestValue", ParseDecimalText, {{"4294967296", 0}, {"4294967305", 9}}}),
    test::RowName());

INSTANTIATE_TEST_SUITE_P(
    HexText, ParseText,
    testing::Values(
        ParseRule{"ReadsUpperCaseDigits", ParseHexText,
                  {{"1A", 26}, {"FFFFFFFF", 0xFFFFFFFF}, {"DEADBEEF", 0xDEADBEEF}, {"0", 0}}},
        ParseRule{"ReadsLowerCaseDigitsLikeUpperCase", ParseHexText,
                  {{"1a", 26}, {"deadBEEF", 0xDEADBEEF}, {"abcdef", 0xABCDEF}}},
        ParseRule{"GivesZeroForTheEmptyText", ParseHexText, {{"", 0}, {nullptr, 0}}},
        ParseRule{"AcceptsACPrefixAndSurroundingBlanks", ParseHexText,
                  {{"0x1F", 31}, {"0X1f", 31}, {"  ff  ", 255}, {" 0xff", 255}}},
        ParseRule{"ReadsALonePrefixAsZero", ParseHexText, {{"0x", 0}, {"0xZ", 0}}},
        ParseRule{"StopsAtTheFirstCharacterThatIsNoHexDigit", ParseHexText,
                  {{"12G4", 0x12}, {"AB CD", 0xAB}, {"G", 0}, {"-1", 0}, {"x1", 0}}},
        ParseRule{"KeepsTheLastEightDigitsOfALongerNumber", ParseHexText,
                  {{"100000000", 0}, {"123456789", 0x23456789}}}),
    test::RowName());

// What the Note steps of a run saw: the field's text and the checked notation, as "1A hex".
std::vector<std::string> g_notes;

CDialogDriver::Step Note()
{
    return [](HWND hDlg) {
        g_notes.push_back(test::ItemText(hDlg, IDC_VALUE_EDIT) +
                          (test::IsChecked(hDlg, IDC_RADIO_DECIMAL) ? " dec" : "") +
                          (test::IsChecked(hDlg, IDC_RADIO_HEX) ? " hex" : ""));
    };
}

constexpr int c_dec = CEditDwordDialog::ModeDecimal;
constexpr int c_hex = CEditDwordDialog::ModeHex;

// The dialog opened on a value in a notation, what the user does, and what the caller gets.
struct DwordRun : test::Row
{
    DWORD dwValue;
    int nMode;
    std::vector<CDialogDriver::Step> steps;
    INT_PTR nResult;
    DWORD dwStored;
    int nStoredMode;
    std::vector<std::string> notes;
};

class EditDwordDialog : public testing::TestWithParam<DwordRun>
{
};

TEST_P(EditDwordDialog, Runs)
{
    const DwordRun& run = GetParam();
    CEditDwordDialog dlg;
    dlg.m_dwValue = run.dwValue;
    dlg.m_nMode = run.nMode;
    dlg.m_strLabel = "Count";
    g_notes.clear();
    EXPECT_EQ(run.nResult, test::RunModal(dlg, run.steps));
    EXPECT_EQ(run.dwStored, dlg.m_dwValue);
    EXPECT_EQ(run.nStoredMode, dlg.m_nMode);
    EXPECT_EQ("Count", dlg.m_strLabel);
    EXPECT_EQ(run.notes, g_notes);
}

INSTANTIATE_TEST_SUITE_P(
    , EditDwordDialog,
    testing::Values(
        DwordRun{"ShowsAllBitsSetAsAnUnsignedNumberAndKeepsItOnOk", 0xFFFFFFFF, c_dec, {Note(), Click(IDOK)}, IDOK,
                 0xFFFFFFFF, c_dec, {"4294967295 dec"}},
        DwordRun{"HexShowsUpperCaseDigitsWithoutPrefixAndKeepsTheValueOnOk", 0xFFFFFFFF, c_dec,
                 {Click(IDC_RADIO_HEX), Note(), Click(IDOK)}, IDOK, 0xFFFFFFFF, c_hex, {"FFFFFFFF hex"}},
        DwordRun{"StoresMinusOneAsAllBitsSet", 5, c_dec, {SetText("-1"), Click(IDOK)}, IDOK, 0xFFFFFFFF, c_dec, {}},
        DwordRun{"StoresTheDigitsBeforeTypedLetters", 5, c_dec, {SetText(""), Type("12abc"), Press(VK_RETURN)}, IDOK,
                 12, c_dec, {}},
        DwordRun{"StoresZeroForAnEmptyField", 77, c_dec, {SetText(""), Click(IDOK)}, IDOK, 0, c_dec, {}},
        DwordRun{"ReadsHexInputAndShowsItInDecimalAfterSwitchingBack", 0, c_dec,
                 {Click(IDC_RADIO_HEX), SetText("1A"), Click(IDC_RADIO_DECIMAL), Note(), Click(IDOK)}, IDOK, 26,
                 c_dec, {"26 dec"}},
        DwordRun{"StoresHexInputOnOk", 0, c_dec, {Click(IDC_RADIO_HEX), SetText("1A"), Click(IDOK)}, IDOK, 26, c_hex,
                 {}},
        DwordRun{"TakesLowerCaseHexDigitsLikeUpperCase", 0, c_dec,
                 {Click(IDC_RADIO_HEX), Focus(), SetText(""), Type("beef"), Click(IDC_RADIO_HEX), Note(), Click(IDOK)},
                 IDOK, 0xBEEF, c_hex, {"BEEF hex"}},
        // 10 typed in decimal is A in hex; the switch must not reread "10" as hex 16.
        DwordRun{"ReadsTheFieldInTheNotationItWasTypedIn", 0, c_dec,
                 {SetText("10"), Click(IDC_RADIO_HEX), Note(), Click(IDOK)}, IDOK, 10, c_hex, {"A hex"}},
        DwordRun{"OpensInHexWhenTheCallerAsksForIt", 0xC0FFEE, c_hex, {Note(), Click(IDOK)}, IDOK, 0xC0FFEE, c_hex,
                 {"C0FFEE hex"}},
        DwordRun{"LeavesTheFieldsAloneOnCancelEvenAfterSwitchingNotation", 42, c_dec,
                 {SetText("99"), Click(IDC_RADIO_HEX), Click(IDCANCEL)}, IDCANCEL, 42, c_dec, {}}),
    test::RowName());

TEST_F(EditDwordDialog, OpensInDecimalWithTheLabelAndTheFocusInTheField)
{
    // The caller sets no notation: the dialog opens in decimal.
    CEditDwordDialog dlg;
    dlg.m_dwValue = 1234;
    dlg.m_strLabel = "Count";
    test::ValueDialogView view;
    g_notes.clear();
    EXPECT_EQ(IDCANCEL, test::RunModal(dlg, {Look(view), Note(), Click(IDCANCEL)}));
    EXPECT_EQ((std::vector<std::string>{"Edit numerical value", "Count"}), (std::vector{view.caption, view.label}));
    EXPECT_EQ(std::vector<std::string>{"1234 dec"}, g_notes);
    EXPECT_EQ(view.hwndField, view.hwndFocus);
}

} // namespace
} // namespace corvasin
