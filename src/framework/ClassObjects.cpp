// The class objects the module serves: a fixed table from class id to static factory.
#include "framework/ClassObjects.h"

#include "framework/Guids.h"
#include "framework/NameSpaceFactory.h"
#include "framework/core/Module.h"

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

} // namespace corvasin
