// Writing the backup of a change and keeping the newest backups.
#include "registry/ChangeBackup.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/FileByteSink.h"
#include "registry/KeyTreeWriter.h"
#include "registry/RegFileText.h"
#include "registry/RegistryAccess.h"
#include "registry/Utf16ByteSink.h"

#include <shlobj.h>
#include <algorithm>
#include <cstdio>

namespace corvasin
{

namespace
{
constexpr char kSettingsKey[] = "SOFTWARE\\Corvasin\\Backups";
constexpr wchar_t kUnnamed[] = L"\x01";
constexpr size_t kMaxItemChars = 80;

// A file name part: path separators and what file names cannot hold become '_'; of a long
// path the end is kept, which names the item.
CString FileNamePart(const CString& text)
{
    CString part;
    for (const char ch : text)
    {
        const auto uch = static_cast<unsigned char>(ch);
        part += (uch < 32 || strchr("\\/:*?\"<>|", ch)) ? '_' : ch;
    }
    if (part.size() > kMaxItemChars)
        part.erase(0, part.size() - kMaxItemChars);
    return part.empty() ? CString("root") : part;
}

// "20261207-031500-": a backup's name begins with its local time.
bool IsBackupName(const char* psz) noexcept
{
    for (int i = 0; i < 15; ++i)
    {
        const bool bDash = i == 8;
        if (bDash ? psz[i] != '-' : (psz[i] < '0' || psz[i] > '9'))
            return false;
    }
    return psz[15] == '-';
}
} // namespace

BackupSettings ReadBackupSettings() noexcept
{
    BackupSettings settings;
    UniqueHkey hKey;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, hKey.put()) != ERROR_SUCCESS)
        return settings;
    DWORD dw = 0;
    DWORD cb = sizeof(dw);
    if (::RegQueryValueExA(hKey.get(), "Enabled", nullptr, nullptr, reinterpret_cast<BYTE*>(&dw), &cb) ==
            ERROR_SUCCESS &&
        cb == sizeof(dw))
        settings.bEnabled = dw != 0;
    cb = sizeof(dw);
    if (::RegQueryValueExA(hKey.get(), "Keep", nullptr, nullptr, reinterpret_cast<BYTE*>(&dw), &cb) ==
            ERROR_SUCCESS &&
        cb == sizeof(dw))
        settings.cKeep = dw;
    return settings;
}

CString BackupFolder() noexcept
{
    try
    {
        char szAppData[MAX_PATH] = {};
        if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                      SHGFP_TYPE_CURRENT, szAppData)))
            return {};
        CString folder = szAppData;
        if (!folder.empty() && folder.back() != '\\')
            folder += '\\';
        folder += "Corvasin";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        folder += "\\Backups";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        const DWORD dwAttributes = ::GetFileAttributesA(folder.c_str());
        if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return {};
        return folder;
    }
    CATCH_RETURN(CString())
}

CChangeBackup::CChangeBackup(HKEY hRootKey, const CString& keyPath, const std::wstring& realKeyPath,
                             const char* pszOperation, const char* pszItem) noexcept
    : m_hRootKey(hRootKey)
{
    try
    {
        m_strKeyPath = keyPath;
        m_strRealKeyPath = realKeyPath;
        m_strOperation = pszOperation ? pszOperation : "change";
        m_strItem = pszItem ? pszItem : "";
    }
    catch (...)
    {
        m_bFailed = true;
    }
}

void CChangeBackup::AddValue(const wchar_t* pszName) noexcept
{
    try
    {
        m_values.emplace_back(pszName ? pszName : kUnnamed);
    }
    catch (...)
    {
        m_bFailed = true;
    }
}

void CChangeBackup::AddKeyTree(const wchar_t* pszSubkey) noexcept
{
    if (!pszSubkey || !*pszSubkey)
        return;
    try
    {
        m_subkeys.emplace_back(pszSubkey);
    }
    catch (...)
    {
        m_bFailed = true;
    }
}

CString CChangeBackup::Write() noexcept
{
    if (m_bFailed || (m_values.empty() && m_subkeys.empty()))
        return {};
    try
    {
        const BackupSettings settings = ReadBackupSettings();
        CString strKeyName;
        if (!settings.bEnabled || !RegFileKeyName(m_hRootKey, m_strKeyPath, strKeyName))
            return {};
        UniqueHkey hKey;
        if (m_strRealKeyPath.empty())
            hKey.reset(m_hRootKey);
        else if (OpenRegKeyW(m_hRootKey, m_strRealKeyPath.c_str(), KEY_READ, hKey.put()) != ERROR_SUCCESS)
            return {};

        // REGEDIT4 as long as every name and string fits the code page; otherwise the Unicode
        // form, so that merging the file gives back every character.
        bool bUnicode = NameNeedsUnicode(m_strRealKeyPath);
        for (const std::wstring& name : m_values)
            bUnicode = bUnicode || ValueNeedsUnicode(hKey.get(), name == kUnnamed ? nullptr : name.c_str());
        for (const std::wstring& subkey : m_subkeys)
        {
            UniqueHkey hSub;
            bUnicode = bUnicode || NameNeedsUnicode(subkey) ||
                       (OpenRegKeyW(hKey.get(), subkey.c_str(), KEY_READ, hSub.put()) == ERROR_SUCCESS &&
                        KeyTreeNeedsUnicode(hSub.get()));
        }
        if (bUnicode && !RegFileKeyNameUnicode(m_hRootKey, m_strRealKeyPath, strKeyName))
            return {};

        // The block of the key's values that exist, then the trees.
        CString body;
        for (const std::wstring& name : m_values)
        {
            const wchar_t* pszName = name == kUnnamed ? nullptr : name.c_str();
            DWORD dwType = 0;
            std::vector<BYTE> data;
            if (bUnicode)
            {
                if (ReadTypedValueW(hKey.get(), pszName, &dwType, data))
                    AppendValueLineUnicode(body, pszName, dwType, data.data(),
                                           static_cast<DWORD>(data.size()));
                continue;
            }
            const CString ansiName = pszName ? WideToAnsi(pszName) : CString();
            if (ReadTypedValue(hKey.get(), pszName ? ansiName.c_str() : nullptr, &dwType, data))
                AppendValueLine(body, pszName ? ansiName.c_str() : nullptr, dwType, data.data(),
                                static_cast<DWORD>(data.size()));
        }
        std::vector<std::pair<UniqueHkey, CString>> trees;
        for (const std::wstring& subkey : m_subkeys)
        {
            UniqueHkey hSub;
            if (OpenRegKeyW(hKey.get(), subkey.c_str(), KEY_READ, hSub.put()) == ERROR_SUCCESS)
                trees.emplace_back(std::move(hSub), strKeyName + "\\" +
                                                        (bUnicode ? ToUtf8(subkey) : WideToAnsi(subkey.c_str())));
        }
        if (body.empty() && trees.empty())
            return {}; // nothing that exists is about to change

        const CString item = m_strKeyPath.empty() ? m_strItem
                             : m_strItem.empty()  ? m_strKeyPath
                                                  : m_strKeyPath + "\\" + m_strItem;
        return WriteBackupFile(m_strOperation.c_str(), item, bUnicode, [&](CByteSink& text) {
            bool bWritten = true;
            if (!body.empty())
            {
                CString keyLine;
                AppendKeyLine(keyLine, strKeyName);
                bWritten = text.Write(keyLine) && text.Write(body) && text.Write(c_szRegFileLineEnd, 2);
            }
            for (auto& [hSub, name] : trees)
                bWritten = bWritten && CKeyTreeWriter(text, bUnicode).Write(hSub.get(), name);
            return bWritten;
        });
    }
    CATCH_RETURN(CString())
}

CString WriteBackupFile(const char* pszOperation, const CString& item, bool bUnicode,
                        const std::function<bool(CByteSink& text)>& writeBody) noexcept
{
    try
    {
        const BackupSettings settings = ReadBackupSettings();
        if (!settings.bEnabled)
            return {};
        const CString folder = BackupFolder();
        if (folder.empty())
            return {};
        SYSTEMTIME st = {};
        ::GetLocalTime(&st);
        char szStamp[32];
        std::snprintf(szStamp, sizeof(szStamp), "%04u%02u%02u-%02u%02u%02u", st.wYear, st.wMonth,
                      st.wDay, st.wHour, st.wMinute, st.wSecond);
        const CString base = folder + "\\" + szStamp + "-" + FileNamePart(pszOperation) + "-" + FileNamePart(item);
        CString path = base + ".reg";
        for (int n = 2; ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES && n < 1000; ++n)
            path = base + "-" + std::to_string(n) + ".reg";

        CFileByteSink file;
        CUtf16ByteSink unicodeFile(file);
        CByteSink& text = bUnicode ? static_cast<CByteSink&>(unicodeFile) : file;
        bool bWritten = file.Create(path.c_str()) &&
                        (bUnicode ? WriteUnicodeRegFileHeader(text) : WriteRegFileHeader(text)) && writeBody(text);
        bWritten = file.Close() && bWritten;
        if (!bWritten)
        {
            ::DeleteFileA(path.c_str()); // half a backup would restore half
            return {};
        }
        TrimBackups(folder, settings.cKeep);
        return path;
    }
    CATCH_RETURN(CString())
}

void TrimBackups(const CString& folder, DWORD cKeep) noexcept
{
    try
    {
        std::vector<CString> names;
        WIN32_FIND_DATAA fd = {};
        const HANDLE hFound = ::FindFirstFileA((folder + "\\*.reg").c_str(), &fd);
        if (hFound == INVALID_HANDLE_VALUE)
            return;
        {
            const UniqueFindHandle hFind(hFound);
            do
            {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsBackupName(fd.cFileName))
                    names.emplace_back(fd.cFileName);
            } while (::FindNextFileA(hFind.get(), &fd));
        }
        if (names.size() <= cKeep)
            return;
        // The names begin with their time, so their order is the order they were written in.
        std::sort(names.begin(), names.end());
        for (size_t i = 0; i + cKeep < names.size(); ++i)
            ::DeleteFileA((folder + "\\" + names[i]).c_str());
    }
    catch (...)
    {
        // Nothing trimmed this time; the next backup tries again.
    }
}

} // namespace corvasin
