// The class objects of the built DLL, loaded in-process and reached through DllGetClassObject as
// COM reaches them: which class ids and interfaces are served, and what the factories make.
#include "install/DllUnderTest.h"

#include "app/Guids.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

using PfnGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// {0F3A5C7E-1B2D-4E6F-8A9B-C0D1E2F30415}: served by nobody.
constexpr GUID c_unknownClass = {
    0x0f3a5c7e, 0x1b2d, 0x4e6f, {0x8a, 0x9b, 0xc0, 0xd1, 0xe2, 0xf3, 0x04, 0x15}};

// Sentinel that a failing call must overwrite with null.
void* const c_pvGarbage = reinterpret_cast<void*>(0x1234);

class ClassObjects : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // Kept loaded for the whole program: objects of the DLL may outlive a test.
        s_hDll = ::LoadLibraryA(CorvasinDllPath().c_str());
        if (s_hDll)
            s_pfnGetClassObject =
                reinterpret_cast<PfnGetClassObject>(::GetProcAddress(s_hDll, "DllGetClassObject"));
    }

    void SetUp() override
    {
        ASSERT_NE(s_hDll, nullptr) << "cannot load " << CorvasinDllPath();
        ASSERT_NE(s_pfnGetClassObject, nullptr);
    }

    static IClassFactory* Factory(REFCLSID rclsid)
    {
        IClassFactory* pFactory = nullptr;
        EXPECT_EQ(
            s_pfnGetClassObject(rclsid, IID_IClassFactory, reinterpret_cast<void**>(&pFactory)),
            S_OK);
        return pFactory;
    }

    static HMODULE s_hDll;
    static PfnGetClassObject s_pfnGetClassObject;
};

HMODULE ClassObjects::s_hDll = nullptr;
PfnGetClassObject ClassObjects::s_pfnGetClassObject = nullptr;

} // namespace

TEST_F(ClassObjects, RejectAnUnknownClassId)
{
    void* pv = c_pvGarbage;
    EXPECT_EQ(s_pfnGetClassObject(c_unknownClass, IID_IClassFactory, &pv),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
}

TEST_F(ClassObjects, RefuseEveryInterfaceButIClassFactoryAndIUnknown)
{
    void* pv = c_pvGarbage;
    EXPECT_EQ(s_pfnGetClassObject(CLSID_CorvasinFolder, IID_IShellFolder, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    pv = c_pvGarbage;
    EXPECT_EQ(s_pfnGetClassObject(CLSID_CorvasinUIObject, IID_IContextMenu, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(s_pfnGetClassObject(CLSID_CorvasinFolder, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ClassObjects, HandOutOneStaticFactoryPerClassAsIUnknownOrIClassFactory)
{
    IUnknown* pUnknown = nullptr;
    ASSERT_EQ(s_pfnGetClassObject(CLSID_CorvasinFolder, IID_IUnknown,
                                  reinterpret_cast<void**>(&pUnknown)),
              S_OK);
    IClassFactory* pFolderFactory = Factory(CLSID_CorvasinFolder);
    IClassFactory* pUIFactory = Factory(CLSID_CorvasinUIObject);
    ASSERT_NE(pFolderFactory, nullptr);
    ASSERT_NE(pUIFactory, nullptr);

    EXPECT_EQ(static_cast<void*>(pUnknown), static_cast<void*>(pFolderFactory));
    EXPECT_NE(pFolderFactory, pUIFactory);

    IClassFactory* pAgain = nullptr;
    EXPECT_EQ(pUnknown->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&pAgain)), S_OK);
    EXPECT_EQ(pAgain, pFolderFactory);
    void* pv = c_pvGarbage;
    EXPECT_EQ(pUnknown->QueryInterface(IID_IShellFolder, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);

    pAgain->Release();
    pUIFactory->Release();
    pFolderFactory->Release();
    pUnknown->Release();
}

TEST_F(ClassObjects, FolderFactoryMakesTheRegistryRootFolder)
{
    IClassFactory* pFactory = Factory(CLSID_CorvasinFolder);
    ASSERT_NE(pFactory, nullptr);
    IShellFolder* pFolder = nullptr;
    ASSERT_EQ(
        pFactory->CreateInstance(nullptr, IID_IShellFolder, reinterpret_cast<void**>(&pFolder)),
        S_OK);
    ASSERT_NE(pFolder, nullptr);

    IPersistFolder* pPersist = nullptr;
    ASSERT_EQ(pFolder->QueryInterface(IID_IPersistFolder, reinterpret_cast<void**>(&pPersist)),
              S_OK);
    CLSID clsid = {};
    EXPECT_EQ(pPersist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_CorvasinFolder);
    pPersist->Release();

    IEnumIDList* pEnum = nullptr;
    ASSERT_EQ(pFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &pEnum), S_OK);
    int cItems = 0;
    LPITEMIDLIST pidl = nullptr;
    while (pEnum->Next(1, &pidl, nullptr) == S_OK)
    {
        ++cItems;
        ::CoTaskMemFree(pidl);
    }
    pEnum->Release();
    EXPECT_EQ(cItems, 6);

    pFolder->Release();
    pFactory->Release();
}

TEST_F(ClassObjects, FolderFactoryMakesAUIObjectForAContextMenu)
{
    IClassFactory* pFactory = Factory(CLSID_CorvasinFolder);
    ASSERT_NE(pFactory, nullptr);
    IContextMenu* pMenu = nullptr;
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&pMenu)),
              S_OK);
    ASSERT_NE(pMenu, nullptr);

    // A UI object: also a data object, and no folder.
    IDataObject* pData = nullptr;
    EXPECT_EQ(pMenu->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&pData)), S_OK);
    if (pData)
        pData->Release();
    void* pv = c_pvGarbage;
    EXPECT_EQ(pMenu->QueryInterface(IID_IShellFolder, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);

    pMenu->Release();
    pFactory->Release();
}

TEST_F(ClassObjects, UIObjectFactoryMakesAContextMenuHandler)
{
    IClassFactory* pFactory = Factory(CLSID_CorvasinUIObject);
    ASSERT_NE(pFactory, nullptr);
    IShellExtInit* pInit = nullptr;
    ASSERT_EQ(
        pFactory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&pInit)),
        S_OK);
    IContextMenu* pMenu = nullptr;
    EXPECT_EQ(pInit->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&pMenu)), S_OK);
    if (pMenu)
        pMenu->Release();
    pInit->Release();

    // It makes UI objects only: a folder interface is not there.
    void* pv = c_pvGarbage;
    EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IShellFolder, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    pFactory->Release();
}

TEST_F(ClassObjects, RefuseAnInterfaceNeitherTheFolderNorTheUIObjectHas)
{
    for (const CLSID* pClass : {&CLSID_CorvasinFolder, &CLSID_CorvasinUIObject})
    {
        IClassFactory* pFactory = Factory(*pClass);
        ASSERT_NE(pFactory, nullptr);
        void* pv = c_pvGarbage;
        EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IStream, &pv), E_NOINTERFACE);
        EXPECT_EQ(pv, nullptr);
        pFactory->Release();
    }
}

TEST_F(ClassObjects, RefuseAggregation)
{
    IClassFactory* pFactory = Factory(CLSID_CorvasinFolder);
    ASSERT_NE(pFactory, nullptr);
    void* pv = c_pvGarbage;
    EXPECT_EQ(pFactory->CreateInstance(pFactory, IID_IUnknown, &pv), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(pv, nullptr);
    pFactory->Release();
}

TEST_F(ClassObjects, DoNotImplementLockServer)
{
    for (const CLSID* pClass : {&CLSID_CorvasinFolder, &CLSID_CorvasinUIObject})
    {
        IClassFactory* pFactory = Factory(*pClass);
        ASSERT_NE(pFactory, nullptr);
        EXPECT_EQ(pFactory->LockServer(TRUE), E_NOTIMPL);
        EXPECT_EQ(pFactory->LockServer(FALSE), E_NOTIMPL);
        pFactory->Release();
    }
}
