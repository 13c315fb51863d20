// The whole registration file of an export: the header of the form it needs, then the body.
// The Export command and the file that dragged or copied registry items become both write it,
// so the two give the same bytes for the same selection.
#pragma once

#include "registry/ByteSink.h"

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

class CRegkeyExtension;

// Writes the export of the given items of the folder (its whole key when cidl is 0), normal or
// inverse: REGEDIT4 while everything fits the code page, the Unicode form where REGEDIT4 would
// lose text. False only when the sink failed.
bool WriteExportFile(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl, bool bInverse,
                     CByteSink& file) noexcept;

} // namespace corvasin
