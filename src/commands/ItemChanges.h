// What every change command does around its registry operation: the backup of what the change
// is about to lose, and the shell change notification that follows it.
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

// Writes the backup of an item of the folder that an operation is about to change: S_OK when a
// file was written, S_FALSE when none was needed (nothing there, or backups are off), a failure
// when one was needed and could not be written. The entry is found by its real name.
HRESULT BackUpItem(const CRegkeyExtension& folder, const REGITEM& item,
                   const char* pszOperation) noexcept;

} // namespace corvasin
