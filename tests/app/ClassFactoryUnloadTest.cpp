// DllCanUnloadNow of a fresh copy of the DLL, so that no earlier test has touched its counts.
#include "install/DllUnderTest.h"

#include "app/Guids.h"
#include "core/ComPtr.h"
#include "core/Handles.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

using namespace corvasin;
using namespace corvasin::test;

namespace
{

using PfnGetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using PfnCanUnloadNow = HRESULT(STDAPICALLTYPE*)();

// A private copy of the DLL, loaded under its own name and deleted at the end.
class FreshDllCopy
{
public:
    FreshDllCopy()
    {
        char szTemp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, szTemp);
        m_path = std::string(szTemp) + "corvasin-unload-" + std::to_string(::GetCurrentProcessId()) + ".dll";
        if (::CopyFileA(CorvasinDllPath().c_str(), m_path.c_str(), FALSE))
            m_dll.reset(::LoadLibraryA(m_path.c_str()));
        m_pfnGetClassObject = reinterpret_cast<PfnGetClassObject>(Export("DllGetClassObject"));
        m_pfnCanUnloadNow = reinterpret_cast<PfnCanUnloadNow>(Export("DllCanUnloadNow"));
    }
    ~FreshDllCopy()
    {
        m_dll.reset();
        ::DeleteFileA(m_path.c_str());
    }

    bool loaded() const { return m_pfnGetClassObject && m_pfnCanUnloadNow; }
    HRESULT CanUnloadNow() const { return m_pfnCanUnloadNow(); }
    ComPtr<IClassFactory> Factory(REFCLSID rclsid) const
    {
        ComPtr<IClassFactory> factory;
        m_pfnGetClassObject(rclsid, IID_IClassFactory, factory.put_void());
        return factory;
    }

private:
    FARPROC Export(const char* pszName) const { return m_dll ? ::GetProcAddress(m_dll.get(), pszName) : nullptr; }

    std::string m_path;
    UniqueHmodule m_dll;
    PfnGetClassObject m_pfnGetClassObject = nullptr;
    PfnCanUnloadNow m_pfnCanUnloadNow = nullptr;
};

} // namespace

TEST(DllCanUnloadNow, AllowsUnloadingUntilAFolderIsCreatedAndNotAfter)
{
    FreshDllCopy dll;
    ASSERT_TRUE(dll.loaded());

    EXPECT_EQ(dll.CanUnloadNow(), S_OK);

    // A factory reference keeps the module.
    ComPtr<IClassFactory> factory = dll.Factory(CLSID_CorvasinFolder);
    ASSERT_TRUE(factory);
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
    factory.reset();
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);

    // A UI object alone does not: the UI object factory's reference goes with it.
    {
        factory = dll.Factory(CLSID_CorvasinUIObject);
        ASSERT_TRUE(factory);
        ComPtr<IContextMenu> menu;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, menu.put_void()), S_OK);
        factory.reset();
    }
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);

    // The folder factory keeps the folder it created last, and with it the module.
    {
        factory = dll.Factory(CLSID_CorvasinFolder);
        ASSERT_TRUE(factory);
        ComPtr<IShellFolder> folder;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellFolder, folder.put_void()), S_OK);
        factory.reset();
    }
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
}
