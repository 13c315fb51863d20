// DllCanUnloadNow of a fresh copy of the DLL, so that no earlier test has touched its counts.
#include "install/DllUnderTest.h"

#include "app/Guids.h"

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
        m_path = std::string(szTemp) + "corvasin-unload-" +
                 std::to_string(::GetCurrentProcessId()) + ".dll";
        if (::CopyFileA(CorvasinDllPath().c_str(), m_path.c_str(), FALSE))
            m_hDll = ::LoadLibraryA(m_path.c_str());
        if (m_hDll)
        {
            m_pfnGetClassObject =
                reinterpret_cast<PfnGetClassObject>(::GetProcAddress(m_hDll, "DllGetClassObject"));
            m_pfnCanUnloadNow =
                reinterpret_cast<PfnCanUnloadNow>(::GetProcAddress(m_hDll, "DllCanUnloadNow"));
        }
    }
    ~FreshDllCopy()
    {
        if (m_hDll)
            ::FreeLibrary(m_hDll);
        ::DeleteFileA(m_path.c_str());
    }
    FreshDllCopy(const FreshDllCopy&) = delete;
    FreshDllCopy& operator=(const FreshDllCopy&) = delete;

    bool loaded() const { return m_pfnGetClassObject && m_pfnCanUnloadNow; }
    HRESULT CanUnloadNow() const { return m_pfnCanUnloadNow(); }
    IClassFactory* Factory(REFCLSID rclsid) const
    {
        IClassFactory* pFactory = nullptr;
        m_pfnGetClassObject(rclsid, IID_IClassFactory, reinterpret_cast<void**>(&pFactory));
        return pFactory;
    }

private:
    std::string m_path;
    HMODULE m_hDll = nullptr;
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
    IClassFactory* pFactory = dll.Factory(CLSID_CorvasinFolder);
    ASSERT_NE(pFactory, nullptr);
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
    pFactory->Release();
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);

    // A UI object alone does not: the UI object factory's reference goes with it.
    pFactory = dll.Factory(CLSID_CorvasinUIObject);
    ASSERT_NE(pFactory, nullptr);
    IContextMenu* pMenu = nullptr;
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&pMenu)),
              S_OK);
    pFactory->Release();
    pMenu->Release();
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);

    // The folder factory keeps the folder it created last, and with it the module.
    pFactory = dll.Factory(CLSID_CorvasinFolder);
    ASSERT_NE(pFactory, nullptr);
    IShellFolder* pFolder = nullptr;
    ASSERT_EQ(
        pFactory->CreateInstance(nullptr, IID_IShellFolder, reinterpret_cast<void**>(&pFolder)),
        S_OK);
    pFolder->Release();
    pFactory->Release();
    EXPECT_EQ(dll.CanUnloadNow(), S_FALSE);
}
