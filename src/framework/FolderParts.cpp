// The small interface parts of the folder base: persistence, shell extension initialisation,
// the delegate allocator, property sheets and the framework's own pointer interface.
#include "framework/NameSpaceExtension.h"

#include "framework/ItemIdList.h"

#include <shellapi.h>

namespace corvasin
{

// ---- IDelegateFolder ---------------------------------------------------------------------

STDMETHODIMP CNameSpaceExtension::XDelegateFolder::QueryInterface(REFIID riid, void** ppv)
{
    return m_pThis->QueryInterfaceWithView(riid, ppv);
}

STDMETHODIMP CNameSpaceExtension::XDelegateFolder::SetItemAlloc(IMalloc* pMalloc)
{
    m_pThis->m_pItemMalloc = ComPtr<IMalloc>(pMalloc);
    return S_OK;
}

// ---- IPersistFolder2 ---------------------------------------------------------------------

STDMETHODIMP CNameSpaceExtension::XPersistFolder::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = m_pThis->GetCLSID();
    return S_OK;
}

STDMETHODIMP CNameSpaceExtension::XPersistFolder::Initialize(LPCITEMIDLIST pidl)
{
    m_pThis->SetPidl(pidl);
    m_pThis->OnInitialize();
    return S_OK;
}

STDMETHODIMP CNameSpaceExtension::XPersistFolder::GetCurFolder(LPITEMIDLIST* ppidl)
{
    if (!ppidl)
        return E_POINTER;
    *ppidl = nullptr;
    if (!m_pThis->m_pidl)
        return E_FAIL;
    *ppidl = ::ILClone(m_pThis->m_pidl.get());
    return *ppidl ? S_OK : E_OUTOFMEMORY;
}

// ---- IShellExtInit -----------------------------------------------------------------------

STDMETHODIMP CNameSpaceExtension::XShellExtInit::Initialize(LPCITEMIDLIST pidlFolder,
                                                            IDataObject* pdtobj, HKEY)
{
    m_pThis->m_pDataObject = ComPtr<IDataObject>(pdtobj);
    m_pThis->SetPidl(pidlFolder);
    return S_OK;
}

// ---- IShellPropSheetExt ------------------------------------------------------------------

STDMETHODIMP CNameSpaceExtension::XShellPropSheetExt::AddPages(LPFNADDPROPSHEETPAGE pfnAddPage,
                                                               LPARAM lParam)
{
    return HrFromBool(m_pThis->AddPages(pfnAddPage, lParam));
}

STDMETHODIMP CNameSpaceExtension::XShellPropSheetExt::ReplacePage(UINT, LPFNADDPROPSHEETPAGE,
                                                                  LPARAM)
{
    return S_OK;
}

// ---- IShellExecuteHookW -------------------------------------------------------------------

STDMETHODIMP CNameSpaceExtension::XShellExecuteHook::Execute(LPSHELLEXECUTEINFOW pei)
{
    // S_FALSE lets the shell carry on with its own handling.
    if (!pei || pei->cbSize < sizeof(*pei) || !(pei->fMask & SEE_MASK_IDLIST) || !pei->lpIDList)
        return S_FALSE;
    const auto pidl = static_cast<LPCITEMIDLIST>(pei->lpIDList);
    const BYTE* pData = m_pThis->OwnItemData(LastItemId(pidl), true);
    if (!pData)
        return S_FALSE;
    return m_pThis->ExecuteItem(pData, pei->hwnd, pei->lpVerb) ? S_OK : S_FALSE;
}

// ---- IGetNameSpaceExtensionPointer -------------------------------------------------------

STDMETHODIMP
CNameSpaceExtension::XGetNameSpaceExtensionPointer::GetNameSpaceExtension(
    CNameSpaceExtension** ppFolder)
{
    if (!ppFolder)
        return E_POINTER;
    *ppFolder = m_pThis;
    return S_OK;
}

} // namespace corvasin
