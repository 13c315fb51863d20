// The "CORVASIN_CLIPFORMAT_REGKEY" payload in which copied keys and values travel: the item
// count, the absolute id list of the items' folder, a 32-bit zero, then each item's relative id
// list followed by a 32-bit zero; little-endian, no alignment. The block may come from any
// process, so reading it checks every length against the block before using it.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <vector>

namespace corvasin
{

// Bytes the payload takes: 8 + the folder list's size (0 without a folder) + for each item
// its list's size + 4.
SIZE_T RegKeyPayloadSize(LPCITEMIDLIST pidlFolder, UINT cItems, const LPCITEMIDLIST* apidlItems) noexcept;

// Writes the payload into a block of cb bytes; false when it does not fit.
bool WriteRegKeyPayload(BYTE* pBlock, SIZE_T cb, LPCITEMIDLIST pidlFolder, UINT cItems,
                        const LPCITEMIDLIST* apidlItems) noexcept;

// A payload read back: pointers into the block, valid while it is.
struct RegKeyPayload
{
    LPCITEMIDLIST pidlFolder = nullptr; // null: no folder list (an empty selection)
    std::vector<LPCITEMIDLIST> items;
};

// Reads a block of cb bytes. False (and nothing read) unless the count, the folder list, the
// zero words and every item list lie inside the block, every id is at least 2 bytes long and
// no list runs past the end.
bool ReadRegKeyPayload(const BYTE* pBlock, SIZE_T cb, RegKeyPayload& payload) noexcept;

} // namespace corvasin
