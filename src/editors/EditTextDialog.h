// The dialog that edits a one-line text value (REG_SZ, REG_EXPAND_SZ and a key's default value).
#pragma once

#include "core/Dialog.h"

namespace corvasin
{

// Lives on the caller's stack for one edit; the caller sets the fields, runs DoModal and reads
// m_strText back after IDOK. Touches no registry.
class CEditTextDialog : public CDialog
{
public:
    CEditTextDialog() noexcept;

    HWND m_hwndValueEdit = nullptr; // control IDC_VALUE_EDIT, bound by the data exchange
    CString m_strText;
    CString m_strLabel; // the value's name, shown above the field

protected:
    BOOL OnInitDialog() noexcept override;
    bool DoDataExchange(bool bSave) noexcept override;
};

} // namespace corvasin
