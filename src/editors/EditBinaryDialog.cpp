// The binary editor: the value's bytes in the hex edit control, eight to a row with their
// characters beside them.
#include "editors/EditBinaryDialog.h"

#include "resource.h"

#include <algorithm>

namespace corvasin
{

CEditBinaryDialog::CEditBinaryDialog() noexcept : CDialog(IDD_EDIT_BINARY) {}

BOOL CEditBinaryDialog::OnInitDialog() noexcept
{
    CDialog::OnInitDialog();
    m_wndHexEdit.SetBytesPerRow(8, false, true);
    m_wndHexEdit.SetShowAscii(true, true);
    // The control is the first tab stop, so the dialog manager gives it the focus.
    return TRUE;
}

bool CEditBinaryDialog::DoDataExchange(bool bSave) noexcept
{
    if (!m_wndHexEdit.GetSafeHwnd() && !m_wndHexEdit.SubclassDlgItem(IDC_VALUE_EDIT, m_hWnd))
        return false;

    if (bSave)
    {
        // GetData answers the full length; the buffer never holds more than its capacity.
        const UINT nLength = m_wndHexEdit.GetData(m_data, c_cbMaxData);
        m_nDataLength = std::min<UINT>(nLength, c_cbMaxData);
        return DdxText(IDC_VALUE_LABEL, m_strLabel, true);
    }

    // A length beyond the buffer can only be a caller's mistake; never read past m_data.
    m_nDataLength = std::min<DWORD>(m_nDataLength, c_cbMaxData);
    m_wndHexEdit.SetData(m_data, m_nDataLength, true);
    return DdxText(IDC_VALUE_LABEL, m_strLabel, false);
}

} // namespace corvasin
