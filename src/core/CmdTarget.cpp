// Reference counting and interface look-up of the command-target base.
#include "core/CmdTarget.h"

namespace corvasin
{

HRESULT CCmdTarget::ExternalQueryInterface(REFIID riid, void** ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    void* p = GetInterface(riid);
    *ppv = p;
    if (!p)
        return E_NOINTERFACE;
    static_cast<IUnknown*>(p)->AddRef();
    return S_OK;
}

ULONG CCmdTarget::ExternalRelease() noexcept
{
    const ULONG cRef = --m_dwRef;
    if (cRef == 0)
        OnFinalRelease();
    return cRef;
}

} // namespace corvasin
