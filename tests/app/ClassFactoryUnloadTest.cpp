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

// A copy of a file in the temporary folder, deleted at the end.
struct TempCopy
{
    TempCopy(const std::string& from, const std::string& name) : m_path(TempFile(name.c_str()))
    {
        ::CopyFileA(from.c_str(), m_path.c_str(), FALSE);
    }
    ~TempCopy() { ::DeleteFileA(m_path.c_str()); }
    const std::string m_path;
};

// A private copy of the DLL, loaded under its own name.
struct FreshDllCopy : TempCopy, CDllExports
{
    FreshDllCopy()
        : TempCopy(CorvasinDllPath(), "corvasin-unload-" + std::to_string(::GetCurrentProcessId()) + ".dll"),
          CDllExports(m_path)
    {
    }
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

    // A UI object keeps it while it lives, and no longer.
    ComPtr<IContextMenu> menu;
    ASSERT_TRUE(factory = dll.Factory(CLSID_CorvasinUIObject));
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, menu.put_void()), S_OK);
    factory.reset();
    EXPECT_EQ(dll.m_pfnCanUnloadNow(), S_FALSE);
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
