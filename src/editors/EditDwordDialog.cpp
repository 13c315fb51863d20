// The DWORD editor: the number in decimal or hexadecimal, switched by two radio buttons that
// reread the field in the old notation and show it in the new one.
#include "editors/EditDwordDialog.h"

#include "resource.h"

#include <cstdio>

namespace corvasin
{

namespace
{

bool IsBlank(char ch) noexcept
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

int HexDigitValue(char ch) noexcept
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

} // namespace

DWORD ParseDecimalText(const char* pszText) noexcept
{
    if (!pszText)
        return 0;
    const char* p = pszText;
    while (IsBlank(*p))
        ++p;
    bool bNegative = false;
    if (*p == '+' || *p == '-')
        bNegative = *p++ == '-';
    DWORD dwValue = 0;
    // Unsigned arithmetic wraps modulo 2^32, as the rule asks: no range check, no error.
    for (; *p >= '0' && *p <= '9'; ++p)
        dwValue = dwValue * 10 + static_cast<DWORD>(*p - '0');
    return bNegative ? 0u - dwValue : dwValue;
}

DWORD ParseHexText(const char* pszText) noexcept
{
    if (!pszText)
        return 0;
    const char* p = pszText;
    while (IsBlank(*p))
        ++p;
    // People paste numbers as C writes them; the prefix is taken only when a digit follows,
    // so a lone "0x" still reads as the digit 0.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigitValue(p[2]) >= 0)
        p += 2;
    DWORD dwValue = 0;
    // Stops at the first character that is no hex digit, as the decimal rule does, rather
    // than folding it into the number as garbage.
    for (int nDigit; (nDigit = HexDigitValue(*p)) >= 0; ++p)
        dwValue = dwValue * 16 + static_cast<DWORD>(nDigit);
    return dwValue;
}

CEditDwordDialog::CEditDwordDialog() noexcept : CDialog(IDD_EDIT_DWORD) {}

BOOL CEditDwordDialog::OnInitDialog() noexcept
{
    m_dwInitialValue = m_dwValue;
    m_nInitialMode = m_nMode;
    CDialog::OnInitDialog();
    ::SetFocus(m_hwndValueEdit);
    return FALSE;
}

bool CEditDwordDialog::DoDataExchange(bool bSave) noexcept
{
    m_hwndValueEdit = GetDlgItem(IDC_VALUE_EDIT);
    const bool bHex = m_nMode == ModeHex;
    if (bSave)
    {
        // The radio buttons are not read: the mode follows their click handlers only.
        CString strText;
        if (!GetWindowTextString(m_hwndValueEdit, strText))
            return false;
        m_dwValue = bHex ? ParseHexText(strText.c_str()) : ParseDecimalText(strText.c_str());
        return DdxText(IDC_VALUE_LABEL, m_strLabel, true);
    }

    if (!m_hWnd)
        return false;
    ::CheckRadioButton(m_hWnd, IDC_RADIO_DECIMAL, IDC_RADIO_HEX,
                       bHex ? IDC_RADIO_HEX : IDC_RADIO_DECIMAL);
    const bool bLabel = DdxText(IDC_VALUE_LABEL, m_strLabel, false);
    char szNumber[16];
    std::snprintf(szNumber, sizeof(szNumber), bHex ? "%lX" : "%lu",
                  static_cast<unsigned long>(m_dwValue));
    return ::SetWindowTextA(m_hwndValueEdit, szNumber) && bLabel;
}

BOOL CEditDwordDialog::OnCommand(WPARAM wParam, LPARAM lParam) noexcept
{
    if (HIWORD(wParam) == BN_CLICKED)
    {
        switch (LOWORD(wParam))
        {
        case IDC_RADIO_DECIMAL:
            SwitchMode(ModeDecimal);
            return TRUE;
        case IDC_RADIO_HEX:
            SwitchMode(ModeHex);
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CEditDwordDialog::OnCancel() noexcept
{
    m_dwValue = m_dwInitialValue;
    m_nMode = m_nInitialMode;
    CDialog::OnCancel();
}

void CEditDwordDialog::SwitchMode(int nMode) noexcept
{
    // The field is read in the notation it was typed in, then shown in the new one.
    UpdateData(true);
    m_nMode = nMode;
    UpdateData(false);
}

} // namespace corvasin
