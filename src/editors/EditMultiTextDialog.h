// The dialog that edits a multi-string value (REG_MULTI_SZ) as lines of text, and the
// conversions between the registry's list of strings and those lines.
#pragma once

#include "core/Dialog.h"

namespace corvasin
{

// Lives on the caller's stack for one edit; the caller fills m_strText through AppendMultiSz,
// runs DoModal and after IDOK takes the new list from GetMultiSz. Touches no registry.
class CEditMultiTextDialog : public CDialog
{
public:
    CEditMultiTextDialog() noexcept;

    // Appends every string of the list before its first empty string, each followed by CR LF.
    // Reads no further than cbData bytes: data from the registry may lack its final NULs, and
    // an unterminated last string is still taken. 0 bytes is the empty list. false when out of
    // memory (the text is then unchanged).
    bool AppendMultiSz(const BYTE* pData, DWORD cbData) noexcept;
    // A new list built from the text, one string per line (runs of line breaks count as one),
    // in memory from the shell's allocator that the caller frees with SHFree or CoTaskMemFree.
    // Stores its size in bytes in *pcbSize; nullptr (size 0) when out of memory.
    BYTE* GetMultiSz(DWORD* pcbSize) const noexcept;

    HWND m_hwndValueEdit = nullptr; // control IDC_VALUE_EDIT, bound by the data exchange
    CString m_strLabel;             // the value's name, shown above the field
    CString m_strText;              // the strings, each line ended by CR LF

protected:
    BOOL OnInitDialog() noexcept override;
    bool DoDataExchange(bool bSave) noexcept override;
};

} // namespace corvasin
