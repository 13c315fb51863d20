// Changes made through a registry key folder that are not operations of the folder object
// itself: the "New" commands, and the shell change notification that follows every change.
#pragma once

#include "registry/RegItem.h"

#include <windows.h>

namespace corvasin
{

class CRegkeyExtension;

// Tells the shell that an item of the folder changed: the folder's absolute list followed by
// the item's id (and, for renames and edits, a second item).
void NotifyItemChange(const CRegkeyExtension& folder, LONG lEvent, const REGITEM& item,
                      const REGITEM* pSecond = nullptr) noexcept;

// Creates (or opens) the subkey "New Key" of the folder's key, notifies the shell and hands the
// new item to the folder for renaming in place. False when the key could not be created.
BOOL CreateNewKey(CRegkeyExtension& folder) noexcept;

// Writes a new value of the type with 4 zero bytes under the first free name of "New Value",
// "New Value #2", ... (an existing value is never replaced), notifies the shell and hands the
// new item to the folder for renaming in place. False when nothing could be written.
BOOL CreateNewValue(CRegkeyExtension& folder, DWORD dwType) noexcept;

} // namespace corvasin
