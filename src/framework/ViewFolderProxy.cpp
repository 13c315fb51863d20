// Forwarding folder handed to the default view.
#include "framework/ViewFolderProxy.h"

#include "framework/NameSpaceExtension.h"

namespace corvasin
{

CViewFolderProxy::CViewFolderProxy(CNameSpaceExtension* pFolder) noexcept
    : m_pFolder(pFolder), m_psf(static_cast<IShellFolder2*>(pFolder->GetInterface(IID_IShellFolder2)))
{
}

CViewFolderProxy::~CViewFolderProxy()
{
    m_pFolder->OnDefaultViewReleased(this);
}

STDMETHODIMP CViewFolderProxy::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IShellFolder || riid == IID_IShellFolder2)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = static_cast<IShellFolder2*>(this);
        AddRef();
        return S_OK;
    }
    // Everything else (drop target, details...) is the folder's own; the view's requests must
    // not come back to the view itself.
    return m_pFolder->ExternalQueryInterface(riid, ppv);
}

STDMETHODIMP CViewFolderProxy::ParseDisplayName(HWND a, LPBC b, LPOLESTR c, ULONG* d,
                                                LPITEMIDLIST* e, ULONG* f)
{
    return m_psf->ParseDisplayName(a, b, c, d, e, f);
}
STDMETHODIMP CViewFolderProxy::EnumObjects(HWND a, SHCONTF b, IEnumIDList** c)
{
    return m_psf->EnumObjects(a, b, c);
}
STDMETHODIMP CViewFolderProxy::BindToObject(LPCITEMIDLIST a, LPBC b, REFIID c, void** d)
{
    return m_psf->BindToObject(a, b, c, d);
}
STDMETHODIMP CViewFolderProxy::BindToStorage(LPCITEMIDLIST a, LPBC b, REFIID c, void** d)
{
    return m_psf->BindToStorage(a, b, c, d);
}
STDMETHODIMP CViewFolderProxy::CompareIDs(LPARAM a, LPCITEMIDLIST b, LPCITEMIDLIST c)
{
    return m_psf->CompareIDs(a, b, c);
}
STDMETHODIMP CViewFolderProxy::CreateViewObject(HWND a, REFIID b, void** c)
{
    return m_psf->CreateViewObject(a, b, c);
}
STDMETHODIMP CViewFolderProxy::GetAttributesOf(UINT a, LPCITEMIDLIST* b, SFGAOF* c)
{
    return m_psf->GetAttributesOf(a, b, c);
}
STDMETHODIMP CViewFolderProxy::GetUIObjectOf(HWND a, UINT b, LPCITEMIDLIST* c, REFIID d, UINT* e,
                                             void** f)
{
    return m_psf->GetUIObjectOf(a, b, c, d, e, f);
}
STDMETHODIMP CViewFolderProxy::GetDisplayNameOf(LPCITEMIDLIST a, SHGDNF b, STRRET* c)
{
    return m_psf->GetDisplayNameOf(a, b, c);
}
STDMETHODIMP CViewFolderProxy::SetNameOf(HWND a, LPCITEMIDLIST b, LPCOLESTR c, SHGDNF d,
                                         LPITEMIDLIST* e)
{
    return m_psf->SetNameOf(a, b, c, d, e);
}
STDMETHODIMP CViewFolderProxy::GetDefaultSearchGUID(GUID* a) { return m_psf->GetDefaultSearchGUID(a); }
STDMETHODIMP CViewFolderProxy::EnumSearches(IEnumExtraSearch** a) { return m_psf->EnumSearches(a); }
STDMETHODIMP CViewFolderProxy::GetDefaultColumn(DWORD a, ULONG* b, ULONG* c)
{
    return m_psf->GetDefaultColumn(a, b, c);
}
STDMETHODIMP CViewFolderProxy::GetDefaultColumnState(UINT a, SHCOLSTATEF* b)
{
    return m_psf->GetDefaultColumnState(a, b);
}
STDMETHODIMP CViewFolderProxy::GetDetailsEx(LPCITEMIDLIST a, const SHCOLUMNID* b, VARIANT* c)
{
    return m_psf->GetDetailsEx(a, b, c);
}
STDMETHODIMP CViewFolderProxy::GetDetailsOf(LPCITEMIDLIST a, UINT b, SHELLDETAILS* c)
{
    return m_psf->GetDetailsOf(a, b, c);
}
STDMETHODIMP CViewFolderProxy::MapColumnToSCID(UINT a, SHCOLUMNID* b)
{
    return m_psf->MapColumnToSCID(a, b);
}

} // namespace corvasin
