// The four value dialog templates, checked on the live windows they create: caption, font,
// client size and every control's class, place (in dialog units), text and style.
#include "core/Dialog.h"
#include "editors/DialogDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <tuple>

namespace corvasin
{
namespace
{

struct ExpectedControl
{
    int nId;
    const char* pszClass;
    RECT rcUnits; // x, y, cx, cy in dialog units
    DWORD dwStyle; // bits that must be set
    DWORD dwNotStyle; // bits that must be clear
    const char* pszText;
};

constexpr DWORD c_dwButtonType = 0x0F; // the button type is a number, not a set of flags
constexpr DWORD c_dwEditLine = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

void ExpectDialog(UINT nTemplate, const char* pszCaption, LONG cx, LONG cy,
                  std::initializer_list<ExpectedControl> controls)
{
    SCOPED_TRACE(testing::Message() << "template " << nTemplate);
    CDialog dlg(nTemplate);
    ASSERT_TRUE(dlg.Create());
    const HWND hDlg = dlg.GetSafeHwnd();

    EXPECT_EQ(pszCaption, test::WindowText(hDlg));
    const DWORD dwFrame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(dwFrame, static_cast<DWORD>(::GetWindowLongA(hDlg, GWL_STYLE)) & dwFrame);
    LOGFONTA lf{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(hDlg, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    EXPECT_STREQ("MS Sans Serif", lf.lfFaceName);
    const HDC hdc = ::GetDC(hDlg);
    EXPECT_EQ(-::MulDiv(8, ::GetDeviceCaps(hdc, LOGPIXELSY), 72), lf.lfHeight);
    ::ReleaseDC(hDlg, hdc);

    RECT rcSize{0, 0, cx, cy}, rcClient{};
    ::MapDialogRect(hDlg, &rcSize);
    ::GetClientRect(hDlg, &rcClient);
    EXPECT_EQ(std::pair(rcSize.right, rcSize.bottom), std::pair(rcClient.right, rcClient.bottom));

    int cControls = 0;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        ++cControls;
    EXPECT_EQ(static_cast<int>(controls.size()), cControls);

    for (const ExpectedControl& expected : controls)
    {
        SCOPED_TRACE(testing::Message() << "control " << expected.nId);
        const HWND hwndItem = ::GetDlgItem(hDlg, expected.nId);
        ASSERT_NE(nullptr, hwndItem);
        EXPECT_STRCASEEQ(expected.pszClass, test::WindowClass(hwndItem).c_str());
        // Each of x, y, cx and cy is converted on its own, as the dialog manager does.
        RECT rcExpected = expected.rcUnits;
        ::MapDialogRect(hDlg, &rcExpected);
        RECT rcItem{};
        ::GetWindowRect(hwndItem, &rcItem);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rcItem), 2);
        EXPECT_EQ(std::tuple(rcExpected.left, rcExpected.top, rcExpected.right, rcExpected.bottom),
                  std::tuple(rcItem.left, rcItem.top, rcItem.right - rcItem.left, rcItem.bottom - rcItem.top));
        DWORD dwStyle = static_cast<DWORD>(::GetWindowLongA(hwndItem, GWL_STYLE));
        // The dialog manager draws an edit control's border as a sunken client edge.
        if (::GetWindowLongA(hwndItem, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
            dwStyle |= WS_BORDER;
        EXPECT_EQ(expected.dwStyle | WS_VISIBLE, dwStyle & (expected.dwStyle | WS_VISIBLE));
        EXPECT_EQ(0u, dwStyle & expected.dwNotStyle);
        if (!lstrcmpiA(expected.pszClass, "Button"))
        {
            EXPECT_EQ(expected.dwStyle & c_dwButtonType, dwStyle & c_dwButtonType);
        }
        if (expected.pszText)
        {
            EXPECT_EQ(expected.pszText, test::WindowText(hwndItem));
        }
    }

    // The value field is the first tab stop, where the dialog manager puts the focus.
    EXPECT_EQ(::GetDlgItem(hDlg, IDC_VALUE_EDIT), ::GetNextDlgTabItem(hDlg, nullptr, FALSE));
}

TEST(DialogTemplates, TextDialogHasAOneLineFieldUnderTheLabel)
{
    ExpectDialog(IDD_EDIT_TEXT, "Edit Text", 187, 97,
                 {{IDC_VALUE_LABEL, "Static", {22, 13, 134, 14}, 0, 0, "Static"},
                  {IDC_VALUE_EDIT, "Edit", {22, 32, 134, 16}, c_dwEditLine, ES_MULTILINE, ""},
                  {IDOK, "Button", {34, 76, 50, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "OK"},
                  {IDCANCEL, "Button", {101, 76, 50, 14}, BS_PUSHBUTTON | WS_TABSTOP, 0, "Cancel"}});
}

TEST(DialogTemplates, MultiTextDialogHasAMultiLineFieldWithoutScrollBars)
{
    ExpectDialog(IDD_EDIT_MULTI_TEXT, "Edit Text", 187, 140,
                 {{IDC_VALUE_LABEL, "Static", {22, 13, 134, 14}, 0, 0, "Static"},
                  {IDC_VALUE_EDIT, "Edit", {22, 32, 134, 57},
                   c_dwEditLine | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                   WS_VSCROLL | WS_HSCROLL, ""},
                  {IDOK, "Button", {34, 119, 50, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "OK"},
                  {IDCANCEL, "Button", {101, 119, 50, 14}, BS_PUSHBUTTON | WS_TABSTOP, 0, "Cancel"}});
}

TEST(DialogTemplates, DwordDialogHasTheFieldAndAGroupOfTwoRadioButtons)
{
    ExpectDialog(IDD_EDIT_DWORD, "Edit numerical value", 230, 97,
                 {{IDC_VALUE_LABEL, "Static", {26, 16, 133, 20}, 0, 0, "Static"},
                  {IDC_VALUE_EDIT, "Edit", {26, 46, 133, 23}, c_dwEditLine, ES_MULTILINE, ""},
                  {IDC_RADIO_DECIMAL, "Button", {173, 45, 41, 10}, BS_AUTORADIOBUTTON | WS_GROUP, 0,
                   "Decimal"},
                  {IDC_RADIO_HEX, "Button", {173, 58, 28, 10}, BS_AUTORADIOBUTTON, WS_GROUP, "Hex"},
                  {IDOK, "Button", {35, 76, 50, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "OK"},
                  {IDCANCEL, "Button", {101, 76, 50, 14}, BS_PUSHBUTTON | WS_TABSTOP, 0, "Cancel"}});
}

TEST(DialogTemplates, BinaryDialogHasAMultiLineEditForTheHexControlToTakeOver)
{
    ExpectDialog(IDD_EDIT_BINARY, "Edit Binary Value", 187, 161,
                 {{IDC_VALUE_LABEL, "Static", {14, 14, 158, 8}, 0, 0, "Static"},
                  {IDC_VALUE_EDIT, "Edit", {14, 32, 159, 88}, c_dwEditLine | ES_MULTILINE, 0, nullptr},
                  {IDOK, "Button", {35, 140, 50, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "OK"},
                  {IDCANCEL, "Button", {103, 140, 50, 14}, BS_PUSHBUTTON | WS_TABSTOP, 0, "Cancel"}});
}

} // namespace
} // namespace corvasin
