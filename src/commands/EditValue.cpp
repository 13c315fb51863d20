// Reading a value into the dialog for its type and writing back what the dialog hands out.
#include "commands/EditValue.h"

#include "core/Handles.h"
#include "core/MessageBox.h"
#include "core/Result.h"
#include "editors/EditBinaryDialog.h"
#include "editors/EditDwordDialog.h"
#include "editors/EditMultiTextDialog.h"
#include "editors/EditTextDialog.h"
#include "commands/ItemChanges.h"
#include "registry/RegistryAccess.h"
#include "registry/RegkeyExtension.h"

#include <cstring>
#include <vector>

namespace corvasin
{

namespace
{
using ValueData = std::vector<BYTE>;

// Once the user has pressed OK and before the value is written, the old data is backed up.
void BackUpValue(CRegkeyExtension& folder, const REGITEM& item) { (void)BackUpItem(folder, item, "edit"); }

// The text of string data: up to its first zero, never past the data.
CString TextOf(const ValueData& data)
{
    const char* psz = reinterpret_cast<const char*>(data.data());
    return data.empty() ? CString() : CString(psz, strnlen(psz, data.size()));
}

BOOL EditText(CRegkeyExtension& folder, const REGITEM& item, DWORD dwType, const ValueData& data,
              HWND hwndOwner)
{
    const HKEY hKey = folder.GetOpenKey();
    CEditTextDialog dialog;
    dialog.m_strLabel = item.szName;
    dialog.m_strText = TextOf(data);
    if (dialog.DoModal(hwndOwner) != IDOK)
        return FALSE;
    BackUpValue(folder, item);
    // The unnamed value is always written as text when edited as text.
    const DWORD dwWriteType = item.dwKind == REGITEM_DEFAULT ? REG_SZ : dwType;
    return WriteValue(hKey, RegValueName(item), dwWriteType,
                      reinterpret_cast<const BYTE*>(dialog.m_strText.c_str()),
                      static_cast<DWORD>(dialog.m_strText.size() + 1));
}

BOOL EditDword(CRegkeyExtension& folder, const REGITEM& item, HWND hwndOwner)
{
    const HKEY hKey = folder.GetOpenKey();
    // Exactly 4 bytes are read: a longer value is no number to edit here.
    DWORD dwValue = 0;
    DWORD cb = sizeof(dwValue);
    if (::RegQueryValueExA(hKey, RegValueName(item), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&dwValue), &cb) != ERROR_SUCCESS)
        return FALSE;
    CEditDwordDialog dialog;
    dialog.m_strLabel = item.szName;
    dialog.m_dwValue = dwValue;
    if (dialog.DoModal(hwndOwner) != IDOK)
        return FALSE;
    BackUpValue(folder, item);
    return WriteValue(hKey, RegValueName(item), REG_DWORD,
                      reinterpret_cast<const BYTE*>(&dialog.m_dwValue), sizeof(DWORD));
}

BOOL EditMultiText(CRegkeyExtension& folder, const REGITEM& item, DWORD dwType, const ValueData& data,
                   HWND hwndOwner)
{
    const HKEY hKey = folder.GetOpenKey();
    CEditMultiTextDialog dialog;
    dialog.m_strLabel = item.szName;
    if (!dialog.AppendMultiSz(data.data(), static_cast<DWORD>(data.size())))
        return FALSE;
    if (dialog.DoModal(hwndOwner) != IDOK)
        return FALSE;
    BackUpValue(folder, item);
    DWORD cbList = 0;
    // The list comes from the shell's allocator.
    UniqueCoTaskMem list(dialog.GetMultiSz(&cbList));
    if (!list)
        return FALSE;
    return WriteValue(hKey, RegValueName(item), dwType, static_cast<const BYTE*>(list.get()), cbList);
}

BOOL EditBinary(CRegkeyExtension& folder, const REGITEM& item, HWND hwndOwner)
{
    const HKEY hKey = folder.GetOpenKey();
    CEditBinaryDialog dialog;
    dialog.m_strLabel = item.szName;
    // Straight into the dialog's buffer: a value that does not fit is not opened.
    DWORD cb = CEditBinaryDialog::c_cbMaxData;
    if (::RegQueryValueExA(hKey, RegValueName(item), nullptr, nullptr, dialog.m_data, &cb) !=
        ERROR_SUCCESS)
        return FALSE;
    dialog.m_nDataLength = cb;
    if (dialog.DoModal(hwndOwner) != IDOK)
        return FALSE;
    BackUpValue(folder, item);
    return WriteValue(hKey, RegValueName(item), REG_BINARY, dialog.m_data,
                      dialog.m_nDataLength);
}
} // namespace

BOOL EditValue(CRegkeyExtension& folder, const REGITEM& item, HWND hwndOwner) noexcept
{
    const HKEY hKey = folder.GetOpenKey();
    if (!hKey || item.dwKind == REGITEM_KEY)
        return FALSE;
    try
    {
        // The dialogs speak the code page: a value whose name or text it cannot hold is left as
        // it is, rather than written back without those characters or onto another value.
        std::wstring name;
        if (!folder.FindRealName(item, name))
            return FALSE;
        DWORD dwStoredType = REG_NONE;
        ValueData stored;
        ValueData text;
        bool bLossyText = false;
        if (ReadTypedValueW(hKey, item.dwKind == REGITEM_DEFAULT ? nullptr : name.c_str(),
                            &dwStoredType, stored))
            StringDataToCodePage(dwStoredType, stored, text, &bLossyText);
        if (IsLossyItem(item) || bLossyText)
        {
            AppMessageBox(hwndOwner,
                          "This value holds characters that the editor cannot show. It is left "
                          "as it is.",
                          MB_OK | MB_ICONINFORMATION);
            return FALSE;
        }

        // The dialog follows the type the value has now: the listing's type may be stale, and
        // "(default)" is always listed as text whatever the unnamed value holds.
        DWORD dwType = item.dwValueType;
        ValueData data;
        const bool bRead = ReadTypedValue(hKey, RegValueName(item), &dwType, data);
        if (!bRead)
        {
            // Only "(default)" of a key without an unnamed value opens empty, as text.
            if (item.dwKind != REGITEM_DEFAULT)
                return FALSE;
            dwType = REG_SZ;
        }

        BOOL bWritten = FALSE;
        switch (dwType)
        {
        case REG_SZ:
        case REG_EXPAND_SZ:
            bWritten = EditText(folder, item, dwType, data, hwndOwner);
            break;
        case REG_DWORD:
            bWritten = EditDword(folder, item, hwndOwner);
            break;
        case REG_MULTI_SZ:
            bWritten = EditMultiText(folder, item, dwType, data, hwndOwner);
            break;
        default:
            bWritten = EditBinary(folder, item, hwndOwner);
            break;
        }
        if (bWritten)
            NotifyItemChange(folder, SHCNE_RENAMEITEM, item, &item);
        return bWritten;
    }
    CATCH_RETURN(FALSE)
}

} // namespace corvasin
