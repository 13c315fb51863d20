// The dialog that edits any other value type as raw bytes in the hex edit control.
#pragma once

#include "editors/HexEditBase.h"
#include "core/Dialog.h"

namespace corvasin
{

// Lives on the caller's stack for one edit; the caller reads the value straight into m_data
// (capacity c_cbMaxData) and sets m_nDataLength, runs DoModal and writes m_nDataLength bytes
// back after IDOK. The hex edit control never changes the length. Touches no registry.
class CEditBinaryDialog : public CDialog
{
public:
    static constexpr UINT c_cbMaxData = 1024;

    CEditBinaryDialog() noexcept;

    BYTE m_data[c_cbMaxData] = {};
    DWORD m_nDataLength = 0;      // valid bytes in m_data
    CHexEditBase m_wndHexEdit;    // takes over control IDC_VALUE_EDIT at the first exchange
    CString m_strLabel;           // the value's name, shown above the bytes

protected:
    BOOL OnInitDialog() noexcept override;
    bool DoDataExchange(bool bSave) noexcept override;
};

} // namespace corvasin
