// The Edit command of a value: the value is read, the dialog for its type runs, and OK writes
// the value back and tells the shell.
#pragma once

#include "registry/RegItem.h"

#include <windows.h>

namespace corvasin
{

class CRegkeyExtension;

// Edits the value (or "(default)") of the folder that the record names. TRUE when a new value
// was written; FALSE for Cancel, a value that cannot be read, or a failed write.
BOOL EditValue(CRegkeyExtension& folder, const REGITEM& item, HWND hwndOwner) noexcept;

} // namespace corvasin
