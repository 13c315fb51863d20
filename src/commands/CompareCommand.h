// The Compare command: two selected keys compared tree against tree in a window of its own
// thread, which lists every difference and exports the file that turns the first into the
// second.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <span>

namespace corvasin
{

class CRegkeyExtension;

// Opens the window for the two keys of the folder (relative ids); S_OK when its thread started,
// E_INVALIDARG unless both items are keys.
HRESULT CompareKeys(CRegkeyExtension& folder, std::span<const LPCITEMIDLIST> items) noexcept;

} // namespace corvasin
