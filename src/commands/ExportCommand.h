// The Export command: asks for a file name (the save-file dialog) and for the kind of file (the
// export type dialog), then writes a REGEDIT4 registration file of a key folder's whole key or
// of some of its items.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

class CRegkeyExtension;

// Exports the folder's whole key. TRUE when a file was written; FALSE when the user cancelled
// the file dialog, the file could not be created or a write failed (nothing is shown).
BOOL ExportKey(CRegkeyExtension* pFolder, HWND hwndOwner) noexcept;

// The save-file dialog for a registration file; false when the user cancelled.
bool AskRegFileName(HWND hwndOwner, char (&szPath)[MAX_PATH]) noexcept;

// Exports the given items of the folder (relative ids, as the folder hands them out), in their
// order. Results as ExportKey.
BOOL ExportItems(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                 HWND hwndOwner) noexcept;

} // namespace corvasin
