// The find dialog: its fields, their exchange with the controls, and the remembered settings.
#include "search/FindDialog.h"

#include "core/Handles.h"

#include "resource.h"

#include <cstring>

namespace corvasin
{

namespace
{
// The check boxes, their fields and their settings values, in the order they are read.
struct CheckSetting
{
    int CFindDialog::*pField;
    int nID;
    const char* pszValue;
};

constexpr CheckSetting c_checks[] = {
    {&CFindDialog::m_bData, IDC_FIND_DATA, "data"},
    {&CFindDialog::m_bKeys, IDC_FIND_KEYS, "keys"},
    {&CFindDialog::m_bValues, IDC_FIND_VALUES, "values"},
    {&CFindDialog::m_bIgnoreCase, IDC_FIND_IGNORE_CASE, "ignorecase"},
    {&CFindDialog::m_bLowPriority, IDC_FIND_LOW_PRIORITY, "lowpriority"},
};

constexpr char c_szSearchValue[] = "searchstring";
// A stored text that does not fit is ignored.
constexpr DWORD kSearchBufferSize = 256;
} // namespace

CFindDialog::CFindDialog() noexcept : CDialog(IDD_FIND)
{
    LoadSettings();
}

void CFindDialog::LoadSettings() noexcept
{
    UniqueHkey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, c_szSettingsKey, 0, nullptr, 0, KEY_QUERY_VALUE,
                          nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return;
    for (const CheckSetting& check : c_checks)
    {
        DWORD dwValue = 0;
        DWORD cb = sizeof(dwValue);
        if (::RegQueryValueExA(key.get(), check.pszValue, nullptr, nullptr,
                               reinterpret_cast<BYTE*>(&dwValue), &cb) == ERROR_SUCCESS)
            this->*check.pField = dwValue != 0 ? 1 : 0;
    }
    char szText[kSearchBufferSize] = {};
    DWORD cb = sizeof(szText);
    if (::RegQueryValueExA(key.get(), c_szSearchValue, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(szText), &cb) == ERROR_SUCCESS)
    {
        // The stored bytes need not end in a NUL; never read past what came.
        try
        {
            m_strSearch.assign(szText, strnlen(szText, cb < sizeof(szText) ? cb : sizeof(szText)));
        }
        catch (...)
        {
            m_strSearch.clear();
        }
    }
}

void CFindDialog::SaveSettings() const noexcept
{
    UniqueHkey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, c_szSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return;
    for (const CheckSetting& check : c_checks)
    {
        const DWORD dwValue = this->*check.pField ? 1 : 0;
        ::RegSetValueExA(key.get(), check.pszValue, 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
    }
    ::RegSetValueExA(key.get(), c_szSearchValue, 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(m_strSearch.c_str()),
                     static_cast<DWORD>(m_strSearch.size() + 1));
}

bool CFindDialog::DoDataExchange(bool bSave) noexcept
{
    for (const CheckSetting& check : c_checks)
    {
        if (bSave)
            this->*check.pField = ::IsDlgButtonChecked(m_hWnd, check.nID) == BST_CHECKED ? 1 : 0;
        else
            ::CheckDlgButton(m_hWnd, check.nID, this->*check.pField ? BST_CHECKED : BST_UNCHECKED);
    }
    return DdxText(IDC_FIND_TEXT, m_strSearch, bSave);
}

void CFindDialog::OnOK() noexcept
{
    // The dialog ends with Find even when a field could not be read back or nothing could be
    // saved; the search then runs with what the fields hold.
    UpdateData(true);
    SaveSettings();
    EndDialog(IDOK);
}

} // namespace corvasin
