// The commands that change the registry through a key folder: delete with its question, new key
// and value, rename with its rules, and paste or drop of copied keys and values. Each works on
// the folder's open key through the registry floor's operations, backs up what it is about to
// lose, and tells the shell what changed. An item whose entry cannot be found for certain (its
// name does not survive the code page and no entry of that real name is there) is never acted
// on: no namesake is reached instead.
#pragma once

#include "core/Strings.h"
#include "registry/RegItem.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <span>

namespace corvasin
{

class CRegkeyExtension;

// Deletes each item after its question ("Yes" deletes, anything else keeps it). S_OK when every
// item was deleted or kept by the user; otherwise the first failure, the other items still
// dealt with. The registry root's items, the predefined keys, are never deleted.
HRESULT DeleteItems(CRegkeyExtension& folder, std::span<const LPCITEMIDLIST> items,
                    HWND hwndOwner) noexcept;

// Renames an item to a name typed in the code page; the record takes the new name (a renamed
// "(default)" is a named value from then on). A key with subkeys or values keeps its name.
HRESULT RenameItem(CRegkeyExtension& folder, REGITEM& item, const CString& newName) noexcept;

// Creates (or opens) the subkey "New Key" of the folder's key and hands it to the folder for
// renaming in place.
HRESULT CreateNewKey(CRegkeyExtension& folder) noexcept;

// Writes a value of the type with 4 zero bytes under the first free name of "New Value",
// "New Value #2", ... (an existing value is never replaced) and hands it to the folder for
// renaming in place.
HRESULT CreateNewValue(CRegkeyExtension& folder, DWORD dwType) noexcept;

// Copies the keys and values a data object names in the registry key format cf into the folder's
// key. S_OK when all were copied; S_FALSE when there was nothing to copy into (the registry
// root) or nothing left to copy; DV_E_FORMATETC when the object has no such data; else the
// first failure, whatever could be copied still copied.
HRESULT PasteItems(CRegkeyExtension& folder, IDataObject* pDataObject, UINT cf) noexcept;

} // namespace corvasin
