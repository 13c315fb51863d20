// Writing and checking the registry key payload.
#include "registry/RegKeyPayload.h"

#include "core/Result.h"
#include "framework/ItemIdList.h"

#include <cstring>
#include <utility>

namespace corvasin
{

namespace
{
SIZE_T ListSize(LPCITEMIDLIST pidl) noexcept { return pidl ? ::ILGetSize(pidl) : 0; }
} // namespace

SIZE_T RegKeyPayloadSize(LPCITEMIDLIST pidlFolder, UINT cItems, const LPCITEMIDLIST* apidlItems) noexcept
{
    SIZE_T cb = 8 + ListSize(pidlFolder);
    for (UINT i = 0; i < cItems; ++i)
        cb += ListSize(apidlItems[i]) + 4;
    return cb;
}

bool WriteRegKeyPayload(BYTE* pBlock, SIZE_T cb, LPCITEMIDLIST pidlFolder, UINT cItems,
                        const LPCITEMIDLIST* apidlItems) noexcept
{
    if (!pBlock || cb < RegKeyPayloadSize(pidlFolder, cItems, apidlItems))
        return false;
    const DWORD dwZero = 0;
    memcpy(pBlock, &cItems, 4);
    SIZE_T pos = 4;
    const SIZE_T cbFolder = ListSize(pidlFolder);
    if (cbFolder)
        memcpy(pBlock + pos, pidlFolder, cbFolder);
    pos += cbFolder;
    memcpy(pBlock + pos, &dwZero, 4);
    pos += 4;
    for (UINT i = 0; i < cItems; ++i)
    {
        const SIZE_T cbItem = ListSize(apidlItems[i]);
        if (cbItem)
            memcpy(pBlock + pos, apidlItems[i], cbItem);
        pos += cbItem;
        memcpy(pBlock + pos, &dwZero, 4);
        pos += 4;
    }
    return true;
}

bool ReadRegKeyPayload(const BYTE* pBlock, SIZE_T cb, RegKeyPayload& payload) noexcept
{
    payload = {};
    if (!pBlock || cb < 8)
        return false;
    DWORD cItems = 0;
    memcpy(&cItems, pBlock, 4);
    // Each item takes at least its end mark and the zero word behind it.
    if (cItems > (cb - 8) / 6)
        return false;
    try
    {
        RegKeyPayload read;
        SIZE_T pos = 4;
        // A block with no items may carry no folder list at all: 8 bytes in all.
        if (!(cItems == 0 && cb == 8))
        {
            const SIZE_T cbFolder = IdListSizeInBlock(pBlock, cb, pos);
            if (cbFolder == 0)
                return false;
            read.pidlFolder = reinterpret_cast<LPCITEMIDLIST>(pBlock + pos);
            pos += cbFolder;
        }
        if (cb - pos < 4)
            return false;
        pos += 4;
        read.items.reserve(cItems);
        for (DWORD i = 0; i < cItems; ++i)
        {
            const SIZE_T cbItem = IdListSizeInBlock(pBlock, cb, pos);
            if (cbItem == 0 || cb - pos - cbItem < 4)
                return false;
            read.items.push_back(reinterpret_cast<LPCITEMIDLIST>(pBlock + pos));
            pos += cbItem + 4;
        }
        payload = std::move(read);
        return true;
    }
    CATCH_RETURN(false)
}

} // namespace corvasin
