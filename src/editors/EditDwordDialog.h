// The dialog that edits a REG_DWORD value as a decimal or hexadecimal number, and the two
// parsers that read the number back from its text.
#pragma once

#include "core/Dialog.h"

namespace corvasin
{

// Lives on the caller's stack for one edit; the caller sets m_dwValue and m_strLabel, runs
// DoModal and reads m_dwValue after IDOK. Touches no registry.
class CEditDwordDialog : public CDialog
{
public:
    enum
    {
        ModeDecimal = 0,
        ModeHex = 1
    };

    CEditDwordDialog() noexcept;

    HWND m_hwndValueEdit = nullptr; // control IDC_VALUE_EDIT, bound by the data exchange
    DWORD m_dwValue = 0;
    CString m_strLabel; // the value's name, shown above the field
    int m_nMode = ModeDecimal; // changes only through the radio buttons

protected:
    BOOL OnInitDialog() noexcept override;
    bool DoDataExchange(bool bSave) noexcept override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) noexcept override;
    void OnCancel() noexcept override;

private:
    void SwitchMode(int nMode) noexcept;

    // What the caller handed in: a radio click reads the field into m_dwValue, and Cancel
    // must still leave the caller's fields as they were.
    DWORD m_dwInitialValue = 0;
    int m_nInitialMode = ModeDecimal;
};

// Signed decimal: leading white space, one optional sign, digits up to the first other
// character, modulo 2^32; a minus negates (two's complement). No digits: 0.
DWORD ParseDecimalText(const char* pszText) noexcept;
// Hexadecimal: leading white space, an optional 0x or 0X, then hex digits in either case up
// to the first other character, modulo 2^32. No digits: 0.
DWORD ParseHexText(const char* pszText) noexcept;

} // namespace corvasin
