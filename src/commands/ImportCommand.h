// Registration files dropped or pasted onto a key, its folder or the registry root: read by the
// product's own strict reader, shown in a preview of every key and value they would add, change
// or delete, and merged on Apply after one backup of everything the merge replaces or deletes.
// Cancel, and any file with an error in it, write nothing.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace corvasin
{

class CRegkeyExtension;

// The preview of the files, modal to hwndOwner; S_OK when the user applied them (and every
// write succeeded), S_FALSE when the user cancelled or nothing could be applied, or the first
// failure. pFolder, when given, is the folder told to show the change.
HRESULT ImportRegFiles(const std::vector<std::wstring>& paths, CRegkeyExtension* pFolder, HWND hwndOwner) noexcept;

} // namespace corvasin
