// The writer of registration files in the REGEDIT4 format: the header, key lines, value lines,
// deletion lines and whole key trees, read from the registry through the key folders and
// written into any byte sink. Nothing here shows UI.
#pragma once

#include "core/Strings.h"
#include "registry/ByteSink.h"
#include "registry/RegItem.h"

#include <windows.h>
#include <shlobj.h>

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

// The writers below return false only when the sink failed. What cannot be read from the
// registry is left out of the file.

// The key line of the folder's key; nothing for a key without a name in files.
bool WriteKeyLine(CRegkeyExtension& folder, CByteSink& file) noexcept;
// The deletion line of the folder's key; nothing for a predefined key, which is never deleted.
bool WriteDeleteKeyLine(CRegkeyExtension& folder, CByteSink& file) noexcept;
// The value line of an item of the folder, with the value's data and type as they are now.
bool WriteValueLine(CRegkeyExtension& folder, CByteSink& file, const REGITEM& item) noexcept;
bool WriteDeleteValueLine(CByteSink& file, const REGITEM& item) noexcept;
// The folder's key block (key line, its values, an empty line), then its subkeys' trees, depth
// first. The registry root writes the trees of its predefined keys.
bool WriteKeyTree(CRegkeyExtension& folder, CByteSink& file) noexcept;

// The body of an export of the given items of the folder (its whole key when cidl is 0),
// normal (recreates them) or inverse (deletes them).
bool WriteExportBody(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl, bool bInverse,
                     CByteSink& file) noexcept;

} // namespace corvasin
