// Reading a view's selection out of its "Shell IDList Array".
#include "framework/ViewSelection.h"

#include "framework/ItemIdList.h"

#include "core/ComPtr.h"
#include "core/Result.h"
#include "framework/ShellFormats.h"

#include <cstring>

namespace corvasin
{

namespace
{
UINT ReadUint(const BYTE* p) noexcept
{
    UINT u;
    std::memcpy(&u, p, sizeof(u));
    return u;
}

} // namespace

bool ReadIdListArray(const BYTE* pBlock, SIZE_T cb, std::vector<UniquePidl>& items) noexcept
{
    items.clear();
    if (!pBlock || cb < sizeof(UINT))
        return false;
    const UINT cidl = ReadUint(pBlock);
    // The count and its cidl + 1 offsets must fit before anything is read from them.
    if (cidl >= (cb / sizeof(UINT)) - 1)
        return false;
    try
    {
        for (UINT i = 1; i <= cidl; ++i)
        {
            const SIZE_T offset = ReadUint(pBlock + sizeof(UINT) * (1 + static_cast<SIZE_T>(i)));
            const SIZE_T cbList = IdListSizeInBlock(pBlock, cb, offset);
            if (cbList == 0)
            {
                items.clear();
                return false;
            }
            UniquePidl pidl(static_cast<LPITEMIDLIST>(::SHAlloc(static_cast<UINT>(cbList))));
            if (!pidl)
            {
                items.clear();
                return false;
            }
            std::memcpy(pidl.get(), pBlock + offset, cbList);
            items.push_back(std::move(pidl));
        }
        return true;
    }
    catch (...)
    {
        items.clear();
        return false;
    }
}

bool GetViewSelection(IShellView* pView, std::vector<UniquePidl>& items) noexcept
{
    items.clear();
    if (!pView)
        return false;
    ComPtr<IDataObject> pData;
    if (FAILED(pView->GetItemObject(SVGIO_SELECTION, IID_IDataObject, pData.put_void())) || !pData)
        return false;
    FORMATETC fmt = {ShellIdListFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    UniqueStgMedium medium;
    if (FAILED(pData->GetData(&fmt, medium.put())) || medium.get().tymed != TYMED_HGLOBAL)
        return false;
    const HGLOBAL hGlobal = medium.get().hGlobal;
    const GlobalLock lock(hGlobal);
    if (!lock.get())
        return false;
    return ReadIdListArray(lock.as<BYTE>(), ::GlobalSize(hGlobal), items) && !items.empty();
}

} // namespace corvasin
