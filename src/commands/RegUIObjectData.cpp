// The registry UI object as a data object: "CORVASIN_CLIPFORMAT_REGKEY" first, then the base's
// formats ("Shell IDList Array" and the stored ones).
#include "commands/RegUIObject.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/RegKeyPayload.h"
#include "registry/RegServices.h"

#include <vector>

namespace corvasin
{

UINT CRegUIObject::RegKeyFormat() const noexcept
{
    // Only a selection in a registry folder carries registry items.
    return RegFolder() ? m_services.RegKeyFormat() : 0;
}

BOOL CRegUIObject::GetFormatEtc(int nIndex, FORMATETC* pFormatEtc) noexcept
{
    if (!pFormatEtc || nIndex < 0)
        return FALSE;
    const UINT cf = RegKeyFormat();
    if (cf == 0)
        return CShellUIObject::GetFormatEtc(nIndex, pFormatEtc);
    if (nIndex > 0)
        return CShellUIObject::GetFormatEtc(nIndex - 1, pFormatEtc);
    *pFormatEtc = FORMATETC{static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return TRUE;
}

BOOL CRegUIObject::IsFormatAvailable(CLIPFORMAT cf) noexcept
{
    return (cf != 0 && cf == RegKeyFormat()) || CShellUIObject::IsFormatAvailable(cf);
}

SIZE_T CRegUIObject::GetDataSize(CLIPFORMAT cf) noexcept
{
    if (cf == 0 || cf != RegKeyFormat())
        return CShellUIObject::GetDataSize(cf);
    try
    {
        const std::vector<LPCITEMIDLIST> items = ItemLists();
        // An object without items (the namespace's icon) carries no folder list.
        return RegKeyPayloadSize(GetItemCount() ? FolderIdList() : nullptr, GetItemCount(),
                                 items.data());
    }
    CATCH_RETURN(0)
}

BOOL CRegUIObject::RenderData(CLIPFORMAT cf, HGLOBAL hGlobal) noexcept
{
    if (cf == 0 || cf != RegKeyFormat())
        return CShellUIObject::RenderData(cf, hGlobal);
    if (!hGlobal)
        return FALSE;
    try
    {
        const std::vector<LPCITEMIDLIST> items = ItemLists();
        GlobalLock block(hGlobal);
        return block.get() &&
               WriteRegKeyPayload(block.as<BYTE>(), ::GlobalSize(hGlobal),
                                  GetItemCount() ? FolderIdList() : nullptr, GetItemCount(),
                                  items.data());
    }
    CATCH_RETURN(FALSE)
}

} // namespace corvasin
