// The export type dialog: one radio group exchanged with m_nType.
#include "commands/ExportTypeDialog.h"

#include "resource.h"

namespace corvasin
{

namespace
{
// The group's buttons in the order of their values.
constexpr int c_radioIds[] = {IDC_EXPORT_NORMAL, IDC_EXPORT_INVERSE};
} // namespace

CExportTypeDialog::CExportTypeDialog() noexcept : CDialog(IDD_EXPORT_TYPE) {}

bool CExportTypeDialog::DoDataExchange(bool bSave) noexcept
{
    if (bSave)
    {
        m_nType = -1;
        for (int i = 0; i < static_cast<int>(ARRAYSIZE(c_radioIds)); ++i)
        {
            if (::IsDlgButtonChecked(m_hWnd, c_radioIds[i]) == BST_CHECKED)
                m_nType = i;
        }
        return true;
    }
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(c_radioIds)); ++i)
        ::CheckDlgButton(m_hWnd, c_radioIds[i], i == m_nType ? BST_CHECKED : BST_UNCHECKED);
    return true;
}

} // namespace corvasin
