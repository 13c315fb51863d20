// The one-line text editor: the text in control IDC_VALUE_EDIT, the value's name above it.
#include "editors/EditTextDialog.h"

#include "resource.h"

namespace corvasin
{

CEditTextDialog::CEditTextDialog() noexcept : CDialog(IDD_EDIT_TEXT) {}

BOOL CEditTextDialog::OnInitDialog() noexcept
{
    CDialog::OnInitDialog();
    // Focus set here rather than by the dialog manager, which would select the whole text:
    // the caret starts before the unselected text, so typing never wipes the value at once.
    ::SetFocus(m_hwndValueEdit);
    return FALSE;
}

bool CEditTextDialog::DoDataExchange(bool bSave) noexcept
{
    m_hwndValueEdit = GetDlgItem(IDC_VALUE_EDIT);
    // The label is read back too; it is never edited, so that changes nothing.
    const bool bText = DdxText(IDC_VALUE_EDIT, m_strText, bSave);
    const bool bLabel = DdxText(IDC_VALUE_LABEL, m_strLabel, bSave);
    return bText && bLabel;
}

} // namespace corvasin
