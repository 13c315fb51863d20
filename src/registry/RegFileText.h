// The text of registration files, line by line: the headers, key and deletion lines, value lines
// for every type, and whether a key or value needs the Unicode form. Pure text but for the
// registry reads that decide the form; no folders, no walks.
#pragma once

#include "core/Strings.h"
#include "registry/ByteSink.h"

#include <windows.h>
#include <string>

namespace corvasin
{

// The end of every line, and alone the empty line that closes a key's block.
inline constexpr char c_szRegFileLineEnd[] = "\r\n";

// "REGEDIT4", an empty line, the two comment lines and an empty line.
bool WriteRegFileHeader(CByteSink& file) noexcept;

// The name a key has in a file: its root's full name, "\" and the path below the root. False
// for keys that have none: below HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA, or no root at all.
bool RegFileKeyName(HKEY hRootKey, const CString& strPath, CString& strName);
// Whether files name keys below this root at all.
bool IsRegFileRoot(HKEY hRootKey) noexcept;

// Appends "[name]" (bDelete: "[-name]") and its CR LF; the name as RegFileKeyName gives it.
void AppendKeyLine(CString& line, const CString& strKeyName, bool bDelete = false);

// Appends one value line with its CR LF. pszName null or empty: the unnamed value ("@").
void AppendValueLine(CString& line, const char* pszName, DWORD dwType, const BYTE* pData,
                     DWORD cbData);
// Appends the line that deletes a value ("name"=-) with its CR LF; null or empty: the unnamed one.
void AppendDeleteValueLine(CString& line, const char* pszName);

// The Unicode form ("Windows Registry Editor Version 5.00"), which every registry editor
// imports: real names, and data as stored (strings in UTF-16). Its text is made as UTF-8 and
// turned into UTF-16LE by CUtf16ByteSink on its way into the file.
bool WriteUnicodeRegFileHeader(CByteSink& file) noexcept;
std::string ToUtf8(const std::wstring& text);
bool RegFileKeyNameUnicode(HKEY hRootKey, const std::wstring& realPath, CString& strName);
void AppendValueLineUnicode(CString& line, const wchar_t* pszName, DWORD dwType,
                            const BYTE* pData, DWORD cbData);
void AppendDeleteValueLineUnicode(CString& line, const wchar_t* pszName);

// Whether the REGEDIT4 form would write a "?" that is not in the registry: a name, or string
// data, that the code page cannot hold.
bool NameNeedsUnicode(const std::wstring& name) noexcept;
bool ValueNeedsUnicode(HKEY hKey, const wchar_t* pszName) noexcept;
bool KeyTreeNeedsUnicode(HKEY hKey, unsigned nDepth = 0) noexcept;

} // namespace corvasin
