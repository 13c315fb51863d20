// Item id list helpers; sizes are read with memcpy because ids carry no alignment.
#include "framework/ItemIdList.h"

#include "core/Handles.h"

#include <cstring>

namespace corvasin
{

namespace
{
USHORT ReadWord(const void* p) noexcept
{
    USHORT w;
    memcpy(&w, p, sizeof(w));
    return w;
}
} // namespace

LPITEMIDLIST MakeItemIdList(const void* pData, UINT cbData) noexcept
{
    if (cbData > 0xFFFF - 2)
        return nullptr;
    auto* p = static_cast<BYTE*>(::SHAlloc(cbData + 5));
    if (!p)
        return nullptr;
    const USHORT cb = static_cast<USHORT>(cbData + 2);
    memcpy(p, &cb, sizeof(cb));
    if (pData)
        memcpy(p + 2, pData, cbData);
    else
        memset(p + 2, 0, cbData);
    memset(p + 2 + cbData, 0, 3);
    return reinterpret_cast<LPITEMIDLIST>(p);
}

UINT CountItemIds(LPCITEMIDLIST pidl) noexcept
{
    UINT n = 0;
    for (LPCITEMIDLIST p = pidl; p && ReadWord(p) != 0; p = NextItemId(p))
        ++n;
    return n;
}

bool IsDelegateItemId(LPCITEMIDLIST pidl) noexcept
{
    if (!pidl)
        return false;
    const auto* p = reinterpret_cast<const BYTE*>(pidl);
    const USHORT cb = ReadWord(p);
    return cb >= 6 && p[2] == 0x61 && p[3] == 0x03;
}

const BYTE* ItemIdData(LPCITEMIDLIST pidl, UINT cbData, bool bUnwrap) noexcept
{
    if (!pidl)
        return nullptr;
    const auto* p = reinterpret_cast<const BYTE*>(pidl);
    const USHORT cb = ReadWord(p);
    if (bUnwrap && IsDelegateItemId(pidl))
    {
        const USHORT cbInner = ReadWord(p + 4);
        if (cbInner < cbData || static_cast<UINT>(cb) < 6u + cbData)
            return nullptr;
        return p + 6;
    }
    if (static_cast<UINT>(cb) < 2u + cbData)
        return nullptr;
    return p + 2;
}

SIZE_T IdListSizeInBlock(const BYTE* pBlock, SIZE_T cb, SIZE_T offset) noexcept
{
    SIZE_T pos = offset;
    for (;;)
    {
        if (pos > cb || cb - pos < sizeof(USHORT))
            return 0;
        const USHORT cbId = ReadWord(pBlock + pos);
        if (cbId == 0)
            return pos + sizeof(USHORT) - offset;
        if (cbId < sizeof(USHORT))
            return 0;
        pos += cbId;
    }
}

LPCITEMIDLIST NextItemId(LPCITEMIDLIST pidl) noexcept
{
    if (!pidl)
        return nullptr;
    const USHORT cb = ReadWord(pidl);
    if (cb == 0)
        return nullptr;
    auto next = reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(pidl) + cb);
    return ReadWord(next) == 0 ? nullptr : next;
}

LPCITEMIDLIST LastItemId(LPCITEMIDLIST pidl) noexcept
{
    LPCITEMIDLIST last = pidl;
    for (LPCITEMIDLIST p = pidl; p; p = NextItemId(p))
        last = p;
    return last;
}

LPITEMIDLIST AppendFirstItemId(LPCITEMIDLIST pidlFolder, LPCITEMIDLIST pidlItem) noexcept
{
    const UniquePidl pidlFirst(::ILCloneFirst(pidlItem));
    if (!pidlFirst)
        return nullptr;
    return ::ILCombine(pidlFolder, pidlFirst.get());
}

} // namespace corvasin
