// The format enumerator: walks the owner's GetFormatEtc indices one by one.
#include "framework/EnumFormatEtc.h"

#include "framework/ShellUIObject.h"

#include <new>

namespace corvasin
{

CEnumFormatEtc::CEnumFormatEtc(CShellUIObject* pOwner, int nCurrent) noexcept
    : m_pOwner(pOwner), m_nCurrent(nCurrent)
{
}

CEnumFormatEtc::~CEnumFormatEtc() = default;

STDMETHODIMP CEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched)
{
    if (pceltFetched)
        *pceltFetched = 0;
    if (celt > 0 && !rgelt)
        return E_INVALIDARG;
    // The enumerator contract lets the fetched count be omitted only when one entry is asked for.
    if (celt > 1 && !pceltFetched)
        return E_INVALIDARG;

    ULONG cFetched = 0;
    while (m_pOwner && cFetched < celt)
    {
        FORMATETC fe = {};
        if (!m_pOwner->GetFormatEtc(m_nCurrent + 1, &fe))
            break;
        ++m_nCurrent;
        rgelt[cFetched++] = fe;
    }
    if (pceltFetched)
        *pceltFetched = cFetched;
    return cFetched == celt ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumFormatEtc::Skip(ULONG celt)
{
    // Skipped one by one so that the position never runs past the last format.
    ULONG cSkipped = 0;
    FORMATETC fe = {};
    while (m_pOwner && cSkipped < celt && m_pOwner->GetFormatEtc(m_nCurrent + 1, &fe))
    {
        ++m_nCurrent;
        ++cSkipped;
    }
    return S_OK;
}

STDMETHODIMP CEnumFormatEtc::Reset()
{
    m_nCurrent = -1;
    return S_OK;
}

STDMETHODIMP CEnumFormatEtc::Clone(IEnumFORMATETC** ppenum)
{
    if (!ppenum)
        return E_POINTER;
    *ppenum = nullptr;
    return E_NOTIMPL;
}

IEnumFORMATETC* CreateEnumFormatEtc(CShellUIObject* pOwner) noexcept
{
    if (!pOwner)
        return nullptr;
    return new (std::nothrow) CEnumFormatEtc(pOwner);
}

} // namespace corvasin
