// The name of the .reg file that registry items become when they are dragged or copied onto a
// file-system folder: one item gives its own name, several give the name of the key they are
// in, the registry root and a predefined key give theirs ("HKEY_CURRENT_USER.reg").
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <string_view>

namespace corvasin
{

class CRegkeyExtension;

// The longest name part (before ".reg") a dragged file gets, in UTF-16 units: the file must fit
// in a folder path of ordinary depth and in the descriptor's MAX_PATH field.
constexpr size_t kMaxDragFileStem = 80;

// The text made fit for a file name: without the characters file names may not hold
// (\ / : * ? " < > | and controls), without trailing dots and spaces, cut to kMaxDragFileStem
// units (never inside a surrogate pair); a device name (CON, NUL, COM1...) before the first dot
// gets a "_" after it.
// Empty when nothing is left.
std::wstring SafeFileStem(std::wstring_view text);

// The file name, ".reg" included, for the items of the folder (relative ids as the folder hands
// them out); "Registry.reg" when no name survives.
std::wstring DragFileName(CRegkeyExtension& folder, UINT cidl, LPCITEMIDLIST* apidl);

} // namespace corvasin
