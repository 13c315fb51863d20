// Item id helpers shared by the folder framework and the folder classes: building a one-id list
// around item data, counting ids, and finding an id's item data (plain or delegate-wrapped)
// only after checking that the id is long enough to hold it.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace corvasin
{

// A one-id list: 16-bit size (cbData + 2), the data, a 16-bit zero; from the shell allocator.
LPITEMIDLIST MakeItemIdList(const void* pData, UINT cbData) noexcept;

// Ids before the terminating zero size; 0 for none or an empty list.
UINT CountItemIds(LPCITEMIDLIST pidl) noexcept;

// A host's item allocator wraps ids: size, the host's word 0x61 0x03, inner size, data at 6.
bool IsDelegateItemId(LPCITEMIDLIST pidl) noexcept;

// The item data of the first id of pidl, or null when the id (after unwrapping, if asked) is
// too short to hold cbData bytes. Ids may come from a corrupted shortcut or a foreign folder.
const BYTE* ItemIdData(LPCITEMIDLIST pidl, UINT cbData, bool bUnwrap) noexcept;

// The size of the id list that starts at offset in a block of cb bytes, its terminator
// included, when all of it lies in the block and every id is at least its size word long; 0
// otherwise. For lists in blocks from elsewhere (the clipboard, a drop).
SIZE_T IdListSizeInBlock(const BYTE* pBlock, SIZE_T cb, SIZE_T offset) noexcept;

// The next id, or null at the end of the list.
LPCITEMIDLIST NextItemId(LPCITEMIDLIST pidl) noexcept;

// The last id of a non-empty list (the list itself when it holds one id or none).
LPCITEMIDLIST LastItemId(LPCITEMIDLIST pidl) noexcept;

// pidlFolder followed by a copy of the first id of pidlItem only.
LPITEMIDLIST AppendFirstItemId(LPCITEMIDLIST pidlFolder, LPCITEMIDLIST pidlItem) noexcept;

} // namespace corvasin
