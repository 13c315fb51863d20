// The class objects the module serves: a fixed table from class id to static factory.
#include "app/ClassObjects.h"

#include "app/CorvasinFactory.h"
#include "app/Guids.h"
#include "core/Module.h"
#include "install/Registration.h"

namespace corvasin
{

HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;

    CNameSpaceFactory* pFactory = nullptr;
    if (rclsid == CLSID_CorvasinFolder)
    {
        pFactory = &FolderFactory();
    }
    else if (rclsid == CLSID_CorvasinUIObject)
    {
        UIObjectFactory().m_pFolderFactory = &FolderFactory();
        pFactory = &UIObjectFactory();
    }
    else
    {
        return CLASS_E_CLASSNOTAVAILABLE;
    }

    if (riid != IID_IClassFactory && riid != IID_IUnknown)
        return E_NOINTERFACE;
    pFactory->AddRef();
    *ppv = static_cast<IClassFactory*>(pFactory);
    return S_OK;
}

HRESULT CanUnloadNow() noexcept
{
    return g_nLockCount.load() == 0 ? S_OK : S_FALSE;
}

HRESULT RegisterServer() noexcept
{
    if (!FolderFactory().Register())
        return E_FAIL;
    return InstallShellEntries(CLSID_CorvasinFolder);
}

HRESULT UnregisterServer() noexcept
{
    if (!FolderFactory().Unregister())
        return E_FAIL;
    return RemoveShellEntries(CLSID_CorvasinFolder);
}

} // namespace corvasin
