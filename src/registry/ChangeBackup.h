// CChangeBackup: the state a change is about to lose (values it deletes, replaces or renames,
// key trees it deletes or merges into), written before the change as a normal REGEDIT4 file
// into the user's application data folder, Corvasin\Backups (in the Unicode registration form
// when a name or string there does not survive the code page). Merging that file with the
// system's registry editor puts back what was there. The newest files are kept (settings
// HKCU\SOFTWARE\Corvasin\Backups: "Enabled", default 1; "Keep", default 200).
//
// A backup that cannot be written never stops the change: every failure here is silent. One
// object per change, on the thread that makes it.
#pragma once

#include "core/Strings.h"
#include "registry/ByteSink.h"

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace corvasin
{

struct BackupSettings
{
    bool bEnabled = true;
    DWORD cKeep = 200;
};

// The settings as stored, or their defaults.
BackupSettings ReadBackupSettings() noexcept;

// "<application data>\Corvasin\Backups" (created when missing); empty when there is none.
CString BackupFolder() noexcept;

class CChangeBackup
{
public:
    // The change works in the key keyPath (realKeyPath by its real names) below the
    // predefined key hRootKey; pszOperation ("delete", "rename", "edit", "paste") and pszItem
    // name the file.
    CChangeBackup(HKEY hRootKey, const CString& keyPath, const std::wstring& realKeyPath,
                  const char* pszOperation, const char* pszItem) noexcept;
    CChangeBackup(const CChangeBackup&) = delete;
    CChangeBackup& operator=(const CChangeBackup&) = delete;

    // A value of the key (null: the unnamed value), when it exists now.
    // Names are real names.
    void AddValue(const wchar_t* pszName) noexcept;
    // The subkey and everything below it, when it exists now.
    void AddKeyTree(const wchar_t* pszSubkey) noexcept;
    // Writes the file when anything was added (and backups are on), then lets go of the oldest
    // files beyond the number kept. The path written, or empty.
    CString Write() noexcept;

private:
    HKEY m_hRootKey;
    CString m_strKeyPath;
    std::wstring m_strRealKeyPath;
    CString m_strOperation;
    CString m_strItem;
    std::vector<std::wstring> m_values; // names; "\x01" stands for the unnamed value
    std::vector<std::wstring> m_subkeys;
    bool m_bFailed = false;
};

// Writes one backup file of the operation ("import") and item (named in the file's name) when
// backups are on: the header of the form, then what writeBody writes (UTF-8 for the Unicode
// form), then lets go of the oldest files beyond the number kept. The path written, or empty
// when backups are off or the file could not be written whole (nothing is left of it then).
CString WriteBackupFile(const char* pszOperation, const CString& item, bool bUnicode,
                        const std::function<bool(CByteSink& text)>& writeBody) noexcept;

// Deletes the oldest backup files of the folder while more than cKeep remain; only files named
// as backups are touched.
void TrimBackups(const CString& folder, DWORD cKeep) noexcept;

} // namespace corvasin
