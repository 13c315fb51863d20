// The data object of a selection: the offered formats, the item id array ("Shell IDList Array"),
// the formats others store on it, and the IDataObject part with its medium rules.
#include "framework/EnumFormatEtc.h"
#include "framework/NameSpaceExtension.h"
#include "framework/ShellFormats.h"
#include "framework/ShellUIObject.h"

#include <cstring>

namespace corvasin
{

namespace
{
constexpr BYTE c_abEmptyIdList[2] = {0, 0};

// Size of an id list with its terminator; a missing list counts as the empty one (the desktop).
SIZE_T IdListSize(LPCITEMIDLIST pidl) noexcept
{
    return pidl ? ::ILGetSize(pidl) : sizeof(c_abEmptyIdList);
}

const void* IdListBytes(LPCITEMIDLIST pidl) noexcept
{
    return pidl ? static_cast<const void*>(pidl) : c_abEmptyIdList;
}

CLIPFORMAT IdListFormat() noexcept { return ShellIdListFormat(); }
} // namespace

// ---- offered formats -------------------------------------------------------------------------

BOOL CShellUIObject::GetFormatEtc(int nIndex, FORMATETC* pFormatEtc) noexcept
{
    if (!pFormatEtc || nIndex < 0 || nIndex > m_nStoredFormats)
        return FALSE;
    FORMATETC fe = {};
    fe.ptd = nullptr;
    fe.dwAspect = DVASPECT_CONTENT;
    fe.lindex = -1;
    if (nIndex == 0)
    {
        fe.cfFormat = IdListFormat();
        fe.tymed = TYMED_HGLOBAL;
    }
    else
    {
        const StoredFormat& entry = m_storedFormats[nIndex - 1];
        fe.cfFormat = entry.cfFormat;
        fe.tymed = entry.tymed;
    }
    *pFormatEtc = fe;
    return TRUE;
}

int CShellUIObject::FindStoredFormat(CLIPFORMAT cf) const noexcept
{
    for (int i = 0; i < m_nStoredFormats; ++i)
    {
        if (m_storedFormats[i].bUsed && m_storedFormats[i].cfFormat == cf)
            return i;
    }
    return -1;
}

BOOL CShellUIObject::IsFormatAvailable(CLIPFORMAT cf) noexcept
{
    if (FindStoredFormat(cf) >= 0)
        return TRUE;
    return cf != 0 && cf == IdListFormat();
}

// A stored format wins over the built one, here and in RenderData, so that size and payload
// always come from the same source.
SIZE_T CShellUIObject::GetDataSize(CLIPFORMAT cf) noexcept
{
    const int iStored = FindStoredFormat(cf);
    if (iStored >= 0)
        return ::GlobalSize(m_storedFormats[iStored].medium.get().hGlobal);
    if (cf != 0 && cf == IdListFormat())
        return IdListArraySize();
    return 0;
}

BOOL CShellUIObject::RenderData(CLIPFORMAT cf, HGLOBAL hGlobal) noexcept
{
    if (!hGlobal)
        return FALSE;
    const SIZE_T cbNeeded = GetDataSize(cf);
    const SIZE_T cbBlock = ::GlobalSize(hGlobal);
    if (cbBlock < cbNeeded)
        return FALSE;

    const int iStored = FindStoredFormat(cf);
    if (iStored >= 0)
    {
        GlobalLock source(m_storedFormats[iStored].medium.get().hGlobal);
        GlobalLock target(hGlobal);
        if (cbNeeded > 0 && (!source.get() || !target.get()))
            return FALSE;
        if (cbNeeded > 0)
            memcpy(target.get(), source.get(), cbNeeded);
        return TRUE;
    }
    if (cf == 0 || cf != IdListFormat())
        return FALSE;
    GlobalLock target(hGlobal);
    return target.get() && RenderIdListArray(target.as<BYTE>(), cbBlock);
}

IEnumFORMATETC* CShellUIObject::CreateFormatEnumerator(DWORD) noexcept
{
    return CreateEnumFormatEtc(this);
}

HRESULT CShellUIObject::GetOwnData(const FORMATETC&, STGMEDIUM*) noexcept { return S_FALSE; }

// ---- the item id array -----------------------------------------------------------------------
// The shell's CIDA: the count, count + 1 offsets from the block's start (the folder's absolute
// id list first, then each item's relative one), then the lists themselves, each with its
// terminator.

SIZE_T CShellUIObject::IdListArraySize() const noexcept
{
    SIZE_T cb = 4 * static_cast<SIZE_T>(m_nItems) + 8 + IdListSize(FolderIdList());
    for (UINT i = 0; i < m_nItems; ++i)
        cb += IdListSize(m_apidlItems[i].get());
    return cb;
}

BOOL CShellUIObject::RenderIdListArray(BYTE* pBlock, SIZE_T cb) const noexcept
{
    if (!pBlock || cb < IdListArraySize())
        return FALSE;
    const UINT cItems = m_nItems;
    memcpy(pBlock, &cItems, sizeof(cItems));
    SIZE_T offset = 4 * static_cast<SIZE_T>(cItems) + 8;
    for (UINT i = 0; i <= cItems; ++i)
    {
        LPCITEMIDLIST pidl = i == 0 ? FolderIdList() : m_apidlItems[i - 1].get();
        const UINT uOffset = static_cast<UINT>(offset);
        memcpy(pBlock + 4 + 4 * static_cast<SIZE_T>(i), &uOffset, sizeof(uOffset));
        const SIZE_T cbList = IdListSize(pidl);
        memcpy(pBlock + offset, IdListBytes(pidl), cbList);
        offset += cbList;
    }
    return TRUE;
}

// ---- IDataObject -----------------------------------------------------------------------------

STDMETHODIMP CShellUIObject::XDataObject::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium)
{
    if (!pformatetcIn || !pmedium)
        return E_INVALIDARG;
    ZeroMemory(pmedium, sizeof(*pmedium));
    const HRESULT hrOwn = m_pThis->GetOwnData(*pformatetcIn, pmedium);
    if (hrOwn != S_FALSE)
        return hrOwn;
    const HRESULT hr = QueryGetData(pformatetcIn);
    if (FAILED(hr))
        return hr;

    const SIZE_T cb = m_pThis->GetDataSize(pformatetcIn->cfFormat);
    UniqueHGlobal block(::GlobalAlloc(GMEM_SHARE | GMEM_ZEROINIT, cb));
    if (!block)
        return E_OUTOFMEMORY;
    STGMEDIUM medium = {};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block.get();
    medium.pUnkForRelease = nullptr;
    const HRESULT hrHere = GetDataHere(pformatetcIn, &medium);
    if (FAILED(hrHere))
        return hrHere;
    // The block now belongs to the caller, who frees it with ReleaseStgMedium.
    medium.hGlobal = block.release();
    *pmedium = medium;
    return S_OK;
}

STDMETHODIMP CShellUIObject::XDataObject::GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium)
{
    if (!pformatetc || !pmedium)
        return E_INVALIDARG;
    // The derived object's own formats are made in media it allocates.
    if (m_pThis->GetOwnData(*pformatetc, nullptr) != S_FALSE)
        return DV_E_TYMED;
    if (!(pformatetc->tymed & TYMED_HGLOBAL) || pmedium->tymed != TYMED_HGLOBAL)
        return DV_E_TYMED;
    if (!pmedium->hGlobal)
        return E_INVALIDARG;
    if (::GlobalSize(pmedium->hGlobal) < m_pThis->GetDataSize(pformatetc->cfFormat))
        return STG_E_MEDIUMFULL;
    return m_pThis->RenderData(pformatetc->cfFormat, pmedium->hGlobal) ? S_OK : E_FAIL;
}

STDMETHODIMP CShellUIObject::XDataObject::QueryGetData(FORMATETC* pformatetc)
{
    if (!pformatetc)
        return E_INVALIDARG;
    const HRESULT hrOwn = m_pThis->GetOwnData(*pformatetc, nullptr);
    if (hrOwn != S_FALSE)
        return hrOwn;
    if (!m_pThis->IsFormatAvailable(pformatetc->cfFormat))
        return DV_E_FORMATETC;
    if (pformatetc->tymed != TYMED_HGLOBAL)
        return DV_E_TYMED;
    return S_OK;
}

STDMETHODIMP CShellUIObject::XDataObject::GetCanonicalFormatEtc(FORMATETC*,
                                                                FORMATETC* pformatetcOut)
{
    if (pformatetcOut)
        pformatetcOut->ptd = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CShellUIObject::XDataObject::SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium,
                                                  BOOL fRelease)
{
    if (!pformatetc || !pmedium)
        return E_INVALIDARG;
    CShellUIObject* const pThis = m_pThis;
    const int iExisting = pThis->FindStoredFormat(pformatetc->cfFormat);
    // A full table takes nothing more, not even a replacement of a stored format.
    if (pThis->m_nStoredFormats >= kMaxStoredFormats)
        return E_OUTOFMEMORY;
    // Only media we may keep and free are stored.
    if (!fRelease)
        return E_NOTIMPL;
    if (pmedium->tymed != TYMED_HGLOBAL)
        return E_NOTIMPL;
    if (!pmedium->hGlobal)
        return E_INVALIDARG;

    StoredFormat& entry =
        pThis->m_storedFormats[iExisting >= 0 ? iExisting : pThis->m_nStoredFormats];
    // Handing back the block we already hold must not free it under ourselves.
    if (iExisting >= 0 && entry.medium.get().hGlobal == pmedium->hGlobal)
        return S_OK;
    // The medium is ours from here on; put() releases what the entry held before.
    *entry.medium.put() = *pmedium;
    entry.cfFormat = pformatetc->cfFormat;
    entry.tymed = TYMED_HGLOBAL;
    if (iExisting < 0)
    {
        entry.bUsed = TRUE;
        ++pThis->m_nStoredFormats;
    }
    return S_OK;
}

STDMETHODIMP CShellUIObject::XDataObject::EnumFormatEtc(DWORD dwDirection,
                                                        IEnumFORMATETC** ppenumFormatEtc)
{
    if (!ppenumFormatEtc)
        return E_INVALIDARG;
    *ppenumFormatEtc = m_pThis->CreateFormatEnumerator(dwDirection);
    return *ppenumFormatEtc ? S_OK : E_NOTIMPL;
}

STDMETHODIMP CShellUIObject::XDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*,
                                                  DWORD* pdwConnection)
{
    if (pdwConnection)
        *pdwConnection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CShellUIObject::XDataObject::DUnadvise(DWORD)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CShellUIObject::XDataObject::EnumDAdvise(IEnumSTATDATA** ppenumAdvise)
{
    if (ppenumAdvise)
        *ppenumAdvise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

} // namespace corvasin
