// DllCanUnloadNow of a fresh copy of the DLL, so that no earlier test has touched its counts.
#include "install/DllUnderTest.h"

#include "app/Guids.h"
#include "core/ComPtr.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

using PfnGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using PfnCanUnloadNow = HRESULT(STDAPICALLTYPE*)();

// A private copy of the DLL, loaded under its own name and deleted at the end.
struct FreshDllCopy
{
    FreshDllCopy()
    {
        if (::CopyFileA(CorvasinDllPath().c_str(), m_path.c_str(), FALSE))
            m_dll.reset(::LoadLibraryA(m_path.c_str()));
        m_pfnGetClassObject = Export<PfnGetClassObject>("DllGetClassObject");
        m_pfnCanUnloadNow = Export<PfnCanUnloadNow>("DllCanUnloadNow");
    }
    ~FreshDllCopy()
    {
        m_dll.reset();
        ::DeleteFileA(m_path.c_str());
    }

    template <typename Pfn>
    Pfn Export(const char* pszName) const
    {
        return m_dll ? reinterpret_cast<Pfn>(::GetProcAddress(m_dll.get(), pszName)) : nullptr;
    }
    ComPtr<IClassFactory> Factory(REFCLSID rclsid) const
    {
        ComPtr<IClassFactory> factory;
        m_pfnGetClassObject(rclsid, IID_IClassFactory, factory.put_void());
        return factory;
    }

    const std::string m_path = TempFile("corvasin-unload-") + std::to_string(::GetCurrentProcessId()) + ".dll";
    UniqueHmodule m_dll;
    PfnGetClassObject m_pfnGetClassObject = nullptr;
    PfnCanUnloadNow m_pfnCanUnloadNow = nullptr;
};

} // namespace

TEST(DllCanUnloadNow, AllowsUnloadingUntilAFolderIsCreatedAndNotAfter)
{
    FreshDllCopy dll;
    ASSERT_TRUE(dll.m_pfnGetClassObject && dll.m_pfnCanUnloadNow);
    EXPECT_EQ(dll.m_pfnCanUnloadNow(), S_OK);

    // A factory reference keeps the module.
    ComPtr<IClassFactory> factory = dll.Factory(CLSID_CorvasinFolder);
    ASSERT_TRUE(factory);
    EXPECT_EQ(dll.m_pfnCanUnloadNow(), S_FALSE);
    factory.reset();
    EXPECT_EQ(dll.m_pfnCanUnloadNow(), S_OK);

    // A UI object alone does not: the UI object factory's reference goes with it.
    ComPtr<IContextMenu> menu;
    ASSERT_TRUE(factory = dll.Factory(CLSID_CorvasinUIObject));
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, menu.put_void()), S_OK);
    factory.reset();
    menu.reset();
    EXPECT_EQ(dll.m_pfnCanUnloadNow(), S_OK);

    // The folder factory keeps the folder it created last, and with it the module.
    ComPtr<IShellFolder> folder;
    ASSERT_TRUE(factory = dll.Factory(CLSID_CorvasinFolder));
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellFolder, folder.put_void()), S_OK);
    factory.reset();
    folder.reset();
    EXPECT_EQ(dll.m_pfnCanUnloadNow(), S_FALSE);
}
