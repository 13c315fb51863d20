// The class objects of the built DLL, loaded in-process and reached through DllGetClassObject as
// COM reaches them: which class ids and interfaces are served, and what the factories make.
#include "install/DllUnderTest.h"
#include "support/TableRow.h"

#include "app/Guids.h"

#include <shlobj.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

// {0F3A5C7E-1B2D-4E6F-8A9B-C0D1E2F30415}: served by nobody.
constexpr GUID c_unknownClass = {0x0f3a5c7e, 0x1b2d, 0x4e6f, {0x8a, 0x9b, 0xc0, 0xd1, 0xe2, 0xf3, 0x04, 0x15}};

// Sentinel that a failing call must overwrite with null.
void* const c_pvGarbage = reinterpret_cast<void*>(0x1234);

// The DLL, kept loaded for the whole program: objects of the DLL may outlive a test.
const CDllExports& Dll()
{
    static const CDllExports* s_pDll = new CDllExports(CorvasinDllPath());
    return *s_pDll;
}

void ExpectNoInterface(IUnknown* pUnknown, REFIID riid)
{
    void* pv = c_pvGarbage;
    EXPECT_EQ(pUnknown->QueryInterface(riid, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
}

class ClassObjects : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(Dll().m_pfnGetClassObject, nullptr) << "cannot load " << CorvasinDllPath(); }
};

// A call that must fail: DllGetClassObject, or CreateInstance of a class's factory (aggregated
// under the factory itself when asked).
struct Call
{
    bool bCreate;
    CLSID clsid;
    IID iid;
    bool bAggregate;
    HRESULT hr;
};
struct Refusal : test::Row
{
    std::vector<Call> calls;
};
class ClassObjectRefusals : public ClassObjects, public testing::WithParamInterface<Refusal>
{
};

TEST_P(ClassObjectRefusals, FailWithNull)
{
    for (const Call& call : GetParam().calls)
    {
        void* pv = c_pvGarbage;
        const ComPtr<IClassFactory> factory = call.bCreate ? Dll().Factory(call.clsid) : nullptr;
        ASSERT_TRUE(factory || !call.bCreate);
        EXPECT_EQ(factory ? factory->CreateInstance(call.bAggregate ? factory.get() : nullptr, call.iid, &pv)
                          : Dll().m_pfnGetClassObject(call.clsid, call.iid, &pv),
                  call.hr);
        EXPECT_EQ(pv, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ClassObjects, ClassObjectRefusals,
    testing::Values(
        Refusal{"RejectAnUnknownClassId",
                {{false, c_unknownClass, IID_IClassFactory, false, CLASS_E_CLASSNOTAVAILABLE}}},
        Refusal{"RefuseEveryInterfaceButIClassFactoryAndIUnknown",
                {{false, CLSID_CorvasinFolder, IID_IShellFolder, false, E_NOINTERFACE},
                 {false, CLSID_CorvasinUIObject, IID_IContextMenu, false, E_NOINTERFACE}}},
        // The UI object factory makes UI objects only: a folder interface is not there.
        Refusal{"UIObjectFactoryMakesNoFolder",
                {{true, CLSID_CorvasinUIObject, IID_IShellFolder, false, E_NOINTERFACE}}},
        Refusal{"RefuseAnInterfaceNeitherTheFolderNorTheUIObjectHas",
                {{true, CLSID_CorvasinFolder, IID_IStream, false, E_NOINTERFACE},
                 {true, CLSID_CorvasinUIObject, IID_IStream, false, E_NOINTERFACE}}},
        Refusal{"RefuseAggregation", {{true, CLSID_CorvasinFolder, IID_IUnknown, true, CLASS_E_NOAGGREGATION}}}),
    test::RowName());

} // namespace

TEST_F(ClassObjects, RefuseEveryInterfaceButIClassFactoryAndIUnknown)
{
    EXPECT_EQ(Dll().m_pfnGetClassObject(CLSID_CorvasinFolder, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ClassObjects, HandOutOneStaticFactoryPerClassAsIUnknownOrIClassFactory)
{
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(Dll().m_pfnGetClassObject(CLSID_CorvasinFolder, IID_IUnknown, unknown.put_void()), S_OK);
    const ComPtr<IClassFactory> folderFactory = Dll().Factory(CLSID_CorvasinFolder);
    const ComPtr<IClassFactory> uiFactory = Dll().Factory(CLSID_CorvasinUIObject);
    ASSERT_TRUE(folderFactory && uiFactory);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(folderFactory.get()));
    EXPECT_NE(folderFactory.get(), uiFactory.get());

    ComPtr<IClassFactory> again;
    EXPECT_EQ(unknown.As(again), S_OK);
    EXPECT_EQ(again.get(), folderFactory.get());
    ExpectNoInterface(unknown.get(), IID_IShellFolder);
}

TEST_F(ClassObjects, FolderFactoryMakesAUIObjectForAContextMenu)
{
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(Dll().Factory(CLSID_CorvasinFolder)->CreateInstance(nullptr, IID_IContextMenu, menu.put_void()), S_OK);
    ASSERT_TRUE(menu);
    // A UI object: also a data object, and no folder.
    ComPtr<IDataObject> data;
    EXPECT_EQ(menu.As(data), S_OK);
    ExpectNoInterface(menu.get(), IID_IShellFolder);
}

TEST_F(ClassObjects, DoNotImplementLockServer)
{
    for (const CLSID* pClass : {&CLSID_CorvasinFolder, &CLSID_CorvasinUIObject})
    {
        const ComPtr<IClassFactory> factory = Dll().Factory(*pClass);
        ASSERT_TRUE(factory);
        EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);
        EXPECT_EQ(factory->LockServer(FALSE), E_NOTIMPL);
    }
}
