// The registry UI object as a data object: "CORVASIN_CLIPFORMAT_REGKEY" first, then the base's
// "Shell IDList Array", then the .reg file for file-system targets ("FileGroupDescriptorW",
// "FileContents", CF_HDROP), then the formats stored on the object.
#include "commands/RegUIObject.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "framework/ShellFormats.h"
#include "registry/RegKeyPayload.h"
#include "registry/RegServices.h"
#include "registry/RegkeyExtension.h"

#include <vector>

namespace corvasin
{

UINT CRegUIObject::RegKeyFormat() const noexcept
{
    // Only a selection in a registry folder carries registry items.
    return RegFolder() ? m_services.RegKeyFormat() : 0;
}

namespace
{
// The file formats in the order they are offered, with the media each comes in.
struct DragFormat
{
    CLIPFORMAT (*pfnFormat)() noexcept;
    DWORD tymed;
    LONG lindex;
};
CLIPFORMAT HdropFormat() noexcept { return CF_HDROP; }
constexpr DragFormat c_aDragFormats[] = {
    {FileDescriptorFormat, TYMED_HGLOBAL, -1},
    {FileContentsFormat, TYMED_ISTREAM | TYMED_HGLOBAL, 0},
    {HdropFormat, TYMED_HGLOBAL, -1},
};
constexpr int kDragFormatCount = static_cast<int>(sizeof(c_aDragFormats) / sizeof(c_aDragFormats[0]));

const DragFormat* FindDragFormat(CLIPFORMAT cf) noexcept
{
    for (const DragFormat& format : c_aDragFormats)
    {
        if (cf != 0 && cf == format.pfnFormat())
            return &format;
    }
    return nullptr;
}
} // namespace

bool CRegUIObject::OffersDragFile() const noexcept { return RegFolder() && GetItemCount() > 0; }

BOOL CRegUIObject::GetFormatEtc(int nIndex, FORMATETC* pFormatEtc) noexcept
{
    if (!pFormatEtc || nIndex < 0)
        return FALSE;
    const UINT cf = RegKeyFormat();
    if (cf == 0)
        return CShellUIObject::GetFormatEtc(nIndex, pFormatEtc);
    if (nIndex == 0)
    {
        *pFormatEtc = FORMATETC{static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return TRUE;
    }
    // The item id array stays second, where drops between registry windows have found it.
    if (nIndex == 1 || !OffersDragFile())
        return CShellUIObject::GetFormatEtc(nIndex - 1, pFormatEtc);
    if (nIndex - 2 < kDragFormatCount)
    {
        const DragFormat& format = c_aDragFormats[nIndex - 2];
        *pFormatEtc = FORMATETC{format.pfnFormat(), nullptr, DVASPECT_CONTENT, format.lindex, format.tymed};
        return TRUE;
    }
    return CShellUIObject::GetFormatEtc(nIndex - 1 - kDragFormatCount, pFormatEtc);
}

HRESULT CRegUIObject::GetOwnData(const FORMATETC& fe, STGMEDIUM* pmedium) noexcept
{
    const DragFormat* pFormat = FindDragFormat(fe.cfFormat);
    if (!pFormat)
        return S_FALSE;
    RETURN_HR_IF(DV_E_FORMATETC, !OffersDragFile());
    RETURN_HR_IF(DV_E_DVASPECT, fe.dwAspect != DVASPECT_CONTENT);
    RETURN_HR_IF(DV_E_TYMED, !(fe.tymed & pFormat->tymed));
    // One file: its contents are item 0.
    RETURN_HR_IF(DV_E_LINDEX, pFormat->lindex == 0 && fe.lindex != 0);
    if (!pmedium)
        return S_OK;
    try
    {
        std::vector<LPCITEMIDLIST> items = ItemLists();
        RETURN_IF_FAILED(m_dragFile.Render(*RegFolder(), GetItemCount(), items.data()));
    }
    CATCH_RETURN(E_OUTOFMEMORY)
    if (fe.cfFormat == FileDescriptorFormat())
        return m_dragFile.GetDescriptor(pmedium);
    if (fe.cfFormat == FileContentsFormat())
        return m_dragFile.GetContents(fe.tymed, pmedium);
    return m_dragFile.GetDropFiles(pmedium);
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
