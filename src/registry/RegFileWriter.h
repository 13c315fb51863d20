// The writer of registration files over the key folders: key lines, value lines, deletion lines
// and whole key trees, read from the registry through the folders and written into any byte
// sink. The text of the lines is RegFileText's, declared there. Nothing here shows UI.
#pragma once

#include "core/Strings.h"
#include "registry/ByteSink.h"
#include "registry/RegFileText.h"
#include "registry/RegItem.h"

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

class CRegkeyExtension;

// The writers below return false only when the sink failed. What cannot be read from the
// registry is left out of the file.

// The key line of the folder's key; nothing for a key without a name in files.
// bUnicode: the Unicode form's text (see RegFileText.h).
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
