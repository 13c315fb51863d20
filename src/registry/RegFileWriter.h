// The writer of registration files in the REGEDIT4 format: the header, key lines, value lines,
// deletion lines and whole key trees, read from the registry through the key folders and
// written into any byte sink. Nothing here shows UI.
#pragma once

#include "core/Strings.h"
#include "registry/ByteSink.h"
#include "registry/RegItem.h"

#include <windows.h>
#include <shlobj.h>
#include <string>

namespace corvasin
{

class CRegkeyExtension;

// "REGEDIT4", an empty line, the two comment lines and an empty line.
bool WriteRegFileHeader(CByteSink& file) noexcept;

// The name a key has in a file: its root's full name, "\" and the path below the root. False
// for keys that have none: below HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA, or no root at all.
bool RegFileKeyName(HKEY hRootKey, const CString& strPath, CString& strName);

// Appends one value line with its CR LF. pszName null or empty: the unnamed value ("@").
void AppendValueLine(CString& line, const char* pszName, DWORD dwType, const BYTE* pData,
                     DWORD cbData);

// The Unicode form ("Windows Registry Editor Version 5.00"), which every registry editor
// imports: real names, and data as stored (strings in UTF-16). Its text is made as UTF-8 and
// turned into UTF-16LE by CUtf16ByteSink on its way into the file.
bool WriteUnicodeRegFileHeader(CByteSink& file) noexcept;
std::string ToUtf8(const std::wstring& text);
bool RegFileKeyNameUnicode(HKEY hRootKey, const std::wstring& realPath, CString& strName);
void AppendValueLineUnicode(CString& line, const wchar_t* pszName, DWORD dwType,
                            const BYTE* pData, DWORD cbData);

// Whether the REGEDIT4 form would write a "?" that is not in the registry: a name, or string
// data, that the code page cannot hold.
bool NameNeedsUnicode(const std::wstring& name) noexcept;
bool ValueNeedsUnicode(HKEY hKey, const wchar_t* pszName) noexcept;
bool KeyTreeNeedsUnicode(HKEY hKey, unsigned nDepth = 0) noexcept;

// The writers below return false only when the sink failed. What cannot be read from the
// registry is left out of the file.

// The key line of the folder's key; nothing for a key without a name in files.
// bUnicode: the Unicode form's text (see above).
bool WriteKeyLine(CRegkeyExtension& folder, CByteSink& file, bool bUnicode = false) noexcept;
// The deletion line of the folder's key; nothing for a predefined key, which is never deleted.
bool WriteDeleteKeyLine(CRegkeyExtension& folder, CByteSink& file, bool bUnicode = false) noexcept;
// The value line of an item of the folder, with the value's data and type as they are now.
bool WriteValueLine(CRegkeyExtension& folder, CByteSink& file, const REGITEM& item,
                    bool bUnicode = false) noexcept;
// pszRealName: the value's real name for the Unicode form; null for REGEDIT4.
bool WriteDeleteValueLine(CByteSink& file, const REGITEM& item,
                          const wchar_t* pszRealName = nullptr) noexcept;
// The folder's key block (key line, its values, an empty line), then its subkeys' trees, depth
// first. The registry root writes the trees of its predefined keys.
bool WriteKeyTree(CRegkeyExtension& folder, CByteSink& file, bool bUnicode = false) noexcept;

// The body of an export of the given items of the folder (its whole key when cidl is 0),
// normal (recreates them) or inverse (deletes them).
bool WriteExportBody(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl, bool bInverse,
                     CByteSink& file, bool bUnicode = false) noexcept;

// Whether that export needs the Unicode form: REGEDIT4 would write a "?" that is not in the
// registry (always false for the whole registry, which is written in REGEDIT4).
bool ExportNeedsUnicode(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl,
                        bool bInverse) noexcept;

} // namespace corvasin
