// The multi-string editor: the registry's NUL-separated list shown as lines of a multi-line
// edit control, and turned back into a list on OK.
#include "editors/EditMultiTextDialog.h"

#include "resource.h"

#include <cstring>
#include <new>
#include <shlobj.h>
#include <string_view>
#include <vector>

namespace corvasin
{

CEditMultiTextDialog::CEditMultiTextDialog() noexcept : CDialog(IDD_EDIT_MULTI_TEXT) {}

bool CEditMultiTextDialog::AppendMultiSz(const BYTE* pData, DWORD cbData) noexcept
{
    if (!pData || cbData == 0)
        return true;
    const char* const pBegin = reinterpret_cast<const char*>(pData);
    const char* const pEnd = pBegin + cbData;
    try
    {
        CString strAppended;
        for (const char* p = pBegin; p < pEnd;)
        {
            const void* pNul = std::memchr(p, '\0', static_cast<size_t>(pEnd - p));
            const char* const pStringEnd = pNul ? static_cast<const char*>(pNul) : pEnd;
            if (pStringEnd == p)
                break; // the empty string that ends the list
            strAppended.append(p, pStringEnd).append("\r\n");
            p = pStringEnd + 1;
        }
        m_strText += strAppended;
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    return true;
}

BYTE* CEditMultiTextDialog::GetMultiSz(DWORD* pcbSize) const noexcept
{
    if (pcbSize)
        *pcbSize = 0;
    const std::string_view text(m_strText);
    std::vector<std::string_view> strings;
    try
    {
        size_t nStart = 0;
        size_t nPos = 0;
        while (nPos < text.size())
        {
            const char ch = text[nPos];
            if (ch == '\r')
            {
                strings.push_back(text.substr(nStart, nPos - nStart));
                // A run of line breaks is one separator: blank lines leave no empty strings.
                while (nPos < text.size() && (text[nPos] == '\r' || text[nPos] == '\n'))
                    ++nPos;
                nStart = nPos;
                continue;
            }
            // Double-byte characters are stepped over whole, so no trail byte is taken for a CR.
            if (::IsDBCSLeadByte(static_cast<BYTE>(ch)) && nPos + 1 < text.size())
                nPos += 2;
            else
                ++nPos;
        }
        // The rest after the last line break is always a string, even when empty.
        strings.push_back(text.substr(nStart));
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }

    size_t cbSize = 1;
    for (const std::string_view& s : strings)
        cbSize += s.size() + 1;
    if (cbSize > MAXDWORD)
        return nullptr;
    BYTE* const pList = static_cast<BYTE*>(::SHAlloc(cbSize));
    if (!pList)
        return nullptr;
    BYTE* p = pList;
    for (const std::string_view& s : strings)
    {
        std::memcpy(p, s.data(), s.size());
        p += s.size();
        *p++ = '\0';
    }
    *p = '\0';
    if (pcbSize)
        *pcbSize = static_cast<DWORD>(cbSize);
    return pList;
}

BOOL CEditMultiTextDialog::OnInitDialog() noexcept
{
    CDialog::OnInitDialog();
    ::SetFocus(m_hwndValueEdit);
    return FALSE;
}

bool CEditMultiTextDialog::DoDataExchange(bool bSave) noexcept
{
    m_hwndValueEdit = GetDlgItem(IDC_VALUE_EDIT);
    const bool bText = DdxText(IDC_VALUE_EDIT, m_strText, bSave);
    const bool bLabel = DdxText(IDC_VALUE_LABEL, m_strLabel, bSave);
    return bText && bLabel;
}

} // namespace corvasin
