// The one-text data object and the clipboard helper built on it.
#include "framework/TextDataObject.h"

#include "core/ComPtr.h"

#include <ole2.h>
#include <shlobj.h>
#include <cstring>
#include <new>

namespace corvasin
{

namespace
{
FORMATETC TextFormat() noexcept { return FORMATETC{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }
} // namespace

STDMETHODIMP CTextDataObject::QueryGetData(FORMATETC* pFormat)
{
    if (!pFormat)
        return E_INVALIDARG;
    if (pFormat->cfFormat != CF_TEXT)
        return DV_E_FORMATETC;
    return (pFormat->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
}

STDMETHODIMP CTextDataObject::GetData(FORMATETC* pFormat, STGMEDIUM* pMedium)
{
    if (!pMedium)
        return E_INVALIDARG;
    ZeroMemory(pMedium, sizeof(*pMedium));
    const HRESULT hr = QueryGetData(pFormat);
    if (FAILED(hr))
        return hr;
    // Every caller gets a copy of its own to free.
    const SIZE_T cb = ::GlobalSize(m_hText.get());
    UniqueHGlobal hCopy(::GlobalAlloc(GMEM_FIXED, cb));
    if (!hCopy)
        return E_OUTOFMEMORY;
    {
        const GlobalLock source(m_hText.get());
        const GlobalLock target(hCopy.get());
        if (!source.get() || !target.get())
            return E_OUTOFMEMORY;
        memcpy(target.get(), source.get(), cb);
    }
    pMedium->tymed = TYMED_HGLOBAL;
    pMedium->hGlobal = hCopy.release(); // the caller releases the medium
    return S_OK;
}

STDMETHODIMP CTextDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut)
{
    if (pOut)
        pOut->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP CTextDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum)
{
    if (!ppEnum)
        return E_INVALIDARG;
    *ppEnum = nullptr;
    if (dwDirection != DATADIR_GET)
        return E_NOTIMPL;
    FORMATETC fe = TextFormat();
    return ::SHCreateStdEnumFmtEtc(1, &fe, ppEnum);
}

bool PutTextOnClipboard(const CString& text) noexcept
{
    UniqueHGlobal hText(::GlobalAlloc(GMEM_FIXED, text.size() + 1));
    if (!hText)
        return false;
    {
        const GlobalLock block(hText.get());
        if (!block.get())
            return false;
        memcpy(block.get(), text.c_str(), text.size() + 1);
    }
    const auto pData = ComPtr<IDataObject>::Attach(new (std::nothrow) CTextDataObject(hText.get()));
    if (!pData)
        return false;
    (void)hText.release(); // the object owns the block now
    // The clipboard takes a reference of its own.
    return SUCCEEDED(::OleSetClipboard(pData.get()));
}

} // namespace corvasin
