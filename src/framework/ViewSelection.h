// The items selected in a shell view, read from the data object the view gives for its
// selection ("Shell IDList Array"), every list checked against the block that carries it.
#pragma once

#include "core/Handles.h"

#include <windows.h>
#include <shlobj.h>
#include <vector>

namespace corvasin
{

// Copies of the selected items' relative id lists, in the view's order. False when the view
// gives no selection (nothing selected, or no data object); items is then empty.
bool GetViewSelection(IShellView* pView, std::vector<UniquePidl>& items) noexcept;

// Copies of the item lists of a "Shell IDList Array" block of cb bytes (the folder's list is
// skipped). False for a block whose count, offsets or lists do not fit in it.
bool ReadIdListArray(const BYTE* pBlock, SIZE_T cb, std::vector<UniquePidl>& items) noexcept;

} // namespace corvasin
