// The class factories: reference counting that feeds the module lock count, creation of the
// folder (falling back to a UI object for interfaces a folder lacks), and the static objects.
#include "framework/NameSpaceFactory.h"

#include "commands/RegUIObject.h"
#include "framework/NameSpaceExtension.h"
#include "framework/ShellUIObject.h"
#include "framework/core/Module.h"
#include "install/Registration.h"
#include "registry/RegRootExtension.h"

#include <new>

namespace corvasin
{

namespace
{
CCorvasinFactory g_folderFactory;
CUIObjectFactory g_uiObjectFactory;

// Hands out the interface riid of a new object and gives up the creation reference: on success
// the caller holds the only reference, on failure the object is gone.
HRESULT HandOver(CCmdTarget* pObject, REFIID riid, void** ppv) noexcept
{
    const HRESULT hr = pObject->ExternalQueryInterface(riid, ppv);
    pObject->ExternalRelease();
    return hr;
}

// The registry UI objects' fall-back folder: what the module's folder factory made last.
CNameSpaceExtension* PeekFolderFactoryLastCreated()
{
    return g_folderFactory.PeekLastCreated();
}
} // namespace

CCorvasinFactory& FolderFactory() noexcept
{
    return g_folderFactory;
}

CUIObjectFactory& UIObjectFactory() noexcept
{
    return g_uiObjectFactory;
}

// ---- IUnknown -----------------------------------------------------------------------------------

STDMETHODIMP CNameSpaceFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IClassFactory)
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CNameSpaceFactory::AddRef()
{
    ++g_nLockCount;
    return ++m_cRef;
}

STDMETHODIMP_(ULONG) CNameSpaceFactory::Release()
{
    // A Release without a matching AddRef must not drive the module's lock count below zero.
    ULONG cRef = m_cRef.load();
    do
    {
        if (cRef == 0)
            return 0;
    } while (!m_cRef.compare_exchange_weak(cRef, cRef - 1));
    --g_nLockCount;
    return cRef - 1;
}

// ---- IClassFactory ------------------------------------------------------------------------------

STDMETHODIMP CNameSpaceFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // Neither the folders nor the UI objects can be aggregated.
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;

    CNameSpaceExtension* pFolder = CreateFolder();
    if (!pFolder)
        return E_FAIL;
    if (SUCCEEDED(pFolder->ExternalQueryInterface(riid, ppv)))
    {
        // The caller has the reference of the query; the creation reference stays with us.
        SetLastCreated(pFolder);
        return S_OK;
    }
    pFolder->ExternalRelease();

    // The folder class id also serves menu-handler requests: the UI object answers them.
    CShellUIObject* pUIObject = CreateDefaultUIObject();
    if (!pUIObject)
        return E_FAIL;
    return HandOver(pUIObject, riid, ppv);
}

STDMETHODIMP CNameSpaceFactory::LockServer(BOOL)
{
    return E_NOTIMPL;
}

// ---- what the factories make --------------------------------------------------------------------

CNameSpaceExtension* CNameSpaceFactory::CreateFolder() noexcept
{
    return nullptr;
}

CShellUIObject* CNameSpaceFactory::CreateDefaultUIObject() noexcept
{
    return nullptr;
}

BOOL CNameSpaceFactory::Register() noexcept
{
    return RegisterClasses(*this);
}

BOOL CNameSpaceFactory::Unregister() noexcept
{
    return UnregisterClasses(*this);
}

// ---- the folder created last --------------------------------------------------------------------

CNameSpaceExtension* CNameSpaceFactory::GetLastCreated() noexcept
{
    std::lock_guard lock(m_lastCreatedLock);
    if (m_pLastCreated)
        m_pLastCreated->ExternalAddRef();
    return m_pLastCreated;
}

CNameSpaceExtension* CNameSpaceFactory::PeekLastCreated() noexcept
{
    std::lock_guard lock(m_lastCreatedLock);
    return m_pLastCreated;
}

void CNameSpaceFactory::ResetLastCreated() noexcept
{
    SetLastCreated(nullptr);
}

void CNameSpaceFactory::SetLastCreated(CNameSpaceExtension* pFolder) noexcept
{
    CNameSpaceExtension* pOld = nullptr;
    {
        std::lock_guard lock(m_lastCreatedLock);
        pOld = m_pLastCreated;
        m_pLastCreated = pFolder;
    }
    // Outside the lock: the last release runs the folder's destructor.
    if (pOld)
        pOld->ExternalRelease();
}

// ---- the folder factory -------------------------------------------------------------------------

CCorvasinFactory::CCorvasinFactory() noexcept
{
    SetDefaultFolderSource(&PeekFolderFactoryLastCreated);
}

CNameSpaceExtension* CCorvasinFactory::CreateFolder() noexcept
{
    return new (std::nothrow) CRegRootExtension();
}

CShellUIObject* CCorvasinFactory::CreateDefaultUIObject() noexcept
{
    return new (std::nothrow) CRegUIObject(nullptr, 0, nullptr, nullptr, nullptr);
}

// ---- the UI object factory ----------------------------------------------------------------------

STDMETHODIMP CUIObjectFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    CNameSpaceFactory* pFolderFactory = m_pFolderFactory.load();
    if (!pFolderFactory)
        return E_FAIL;
    CShellUIObject* pUIObject = pFolderFactory->CreateDefaultUIObject();
    if (!pUIObject)
        return E_FAIL;
    return HandOver(pUIObject, riid, ppv);
}

} // namespace corvasin
