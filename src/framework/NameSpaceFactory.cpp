// The generic class factories: reference counting that feeds the module lock count, and
// creation of the folder (falling back to a UI object for interfaces a folder lacks).
#include "framework/NameSpaceFactory.h"

#include "framework/NameSpaceExtension.h"
#include "framework/ShellUIObject.h"
#include "core/Module.h"

#include <new>
#include <utility>

namespace corvasin
{

namespace
{
// Hands out the interface riid of a new object and gives up the creation reference: on success
// the caller holds the only reference, on failure the object is gone.
HRESULT HandOver(CCmdTarget* pObject, REFIID riid, void** ppv) noexcept
{
    const auto pOwned = CmdTargetPtr<CCmdTarget>::Attach(pObject);
    return pOwned->ExternalQueryInterface(riid, ppv);
}

} // namespace

CNameSpaceFactory::~CNameSpaceFactory()
{
    // The folder made last stays alive to the end: when a static factory goes, the process is
    // ending or nothing that could need it is left, and releasing a folder then would run its
    // destructor against libraries that may already be gone.
    (void)m_pLastCreated.detach();
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

    auto pFolder = CmdTargetPtr<CNameSpaceExtension>::Attach(CreateFolder());
    if (!pFolder)
        return E_FAIL;
    if (SUCCEEDED(pFolder->ExternalQueryInterface(riid, ppv)))
    {
        // The caller has the reference of the query; the creation reference stays with us.
        SetLastCreated(pFolder.detach());
        return S_OK;
    }
    pFolder.reset();

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

BOOL CNameSpaceFactory::Register() noexcept { return FALSE; }

BOOL CNameSpaceFactory::Unregister() noexcept { return FALSE; }

// ---- the folder created last --------------------------------------------------------------------

CNameSpaceExtension* CNameSpaceFactory::GetLastCreated() noexcept
{
    std::lock_guard lock(m_lastCreatedLock);
    // The caller's reference leaves with the pointer.
    return CmdTargetPtr<CNameSpaceExtension>(m_pLastCreated).detach();
}

CNameSpaceExtension* CNameSpaceFactory::PeekLastCreated() noexcept
{
    std::lock_guard lock(m_lastCreatedLock);
    return m_pLastCreated.get();
}

void CNameSpaceFactory::ResetLastCreated() noexcept
{
    SetLastCreated(nullptr);
}

void CNameSpaceFactory::SetLastCreated(CNameSpaceExtension* pFolder) noexcept
{
    auto pOld = CmdTargetPtr<CNameSpaceExtension>::Attach(pFolder);
    {
        std::lock_guard lock(m_lastCreatedLock);
        std::swap(m_pLastCreated, pOld);
    }
    // pOld lets the old folder go outside the lock: the last release runs its destructor.
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
