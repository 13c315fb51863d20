// CTextDataObject: a data object that carries one text as CF_TEXT, for putting a text on the
// OLE clipboard (which then owns the object).
#pragma once

#include "core/ComObject.h"
#include "core/Handles.h"
#include "core/Strings.h"

#include <objidl.h>

namespace corvasin
{

class CTextDataObject final : public CComObject<CTextDataObject, IDataObject>
{
public:
    // Takes over a fixed global block holding the text and its terminating zero.
    explicit CTextDataObject(HGLOBAL hText) noexcept : m_hText(hText) {}

    STDMETHODIMP GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* pFormat) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut) override;
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum) override;
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~CTextDataObject() override = default;
    friend class CComObject<CTextDataObject, IDataObject>;

    UniqueHGlobal m_hText;
};

// Puts the text on the OLE clipboard as CF_TEXT; false when the clipboard refused it.
bool PutTextOnClipboard(const CString& text) noexcept;

} // namespace corvasin
