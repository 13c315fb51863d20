// The factory classes of the library driven directly: the folder made last, the fall-back to a
// UI object, the counts that feed the module lock, and the application object's formats.
#include "registry/FolderTestUtil.h"

#include "app/ClassObjects.h"
#include "app/CorvasinApp.h"
#include "core/CmdTargetPtr.h"
#include "core/Module.h"
#include "framework/NameSpaceFactory.h"
#include "framework/ShellUIObject.h"

using namespace corvasin;
using namespace corvasin::test;

namespace
{

// A folder factory of the test's own; it lets go of its last folder at the end.
struct LocalFolderFactory : CCorvasinFactory
{
    ~LocalFolderFactory() override { ResetLastCreated(); }

    // A new folder with the caller's reference (the test checks what its Release answers).
    IShellFolder* NewFolder()
    {
        void* pv = nullptr;
        EXPECT_EQ(CreateInstance(nullptr, IID_IShellFolder, &pv), S_OK);
        return static_cast<IShellFolder*>(pv);
    }
};

// The factory's last folder, without a reference.
CNameSpaceExtension* LastCreatedOf(CNameSpaceFactory& factory)
{
    return CmdTargetPtr<CNameSpaceExtension>::Attach(factory.GetLastCreated()).get();
}

} // namespace

TEST(FolderFactory, RemembersTheFolderItCreated)
{
    LocalFolderFactory factory;
    EXPECT_EQ(LastCreatedOf(factory), nullptr);

    IShellFolder* pFolder = factory.NewFolder();
    ASSERT_NE(pFolder, nullptr);
    EXPECT_EQ(LastCreatedOf(factory), FolderObject(pFolder));
    EXPECT_EQ(factory.PeekLastCreated(), FolderObject(pFolder));

    // The factory's own reference keeps the folder after the caller lets go.
    EXPECT_EQ(pFolder->Release(), 1u);
}

TEST(FolderFactory, KeepsOnlyTheSecondOfTwoFolders)
{
    LocalFolderFactory factory;
    IShellFolder* pFirst = factory.NewFolder();
    IShellFolder* pSecond = factory.NewFolder();
    ASSERT_NE(pFirst, nullptr);
    ASSERT_NE(pSecond, nullptr);

    EXPECT_EQ(LastCreatedOf(factory), FolderObject(pSecond));
    // The first lost the factory's reference: the caller's is the last one.
    EXPECT_EQ(pFirst->Release(), 0u);
    EXPECT_EQ(pSecond->Release(), 1u);
}

TEST(FolderFactory, MakesAUIObjectForAContextMenuAndKeepsTheFolderItHad)
{
    LocalFolderFactory factory;
    IShellFolder* pFolder = factory.NewFolder();
    ASSERT_NE(pFolder, nullptr);
    CNameSpaceExtension* pBefore = LastCreatedOf(factory);

    IContextMenu* pMenu = nullptr;
    ASSERT_EQ(factory.CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&pMenu)), S_OK);
    ASSERT_NE(pMenu, nullptr);
    EXPECT_EQ(LastCreatedOf(factory), pBefore);
    EXPECT_EQ(pMenu->Release(), 0u);
    pFolder->Release();
}

TEST(FolderFactory, GivesTheUIObjectsTheFolderTheModuleFactoryMadeLast)
{
    ComPtr<IShellFolder> folder;
    ASSERT_EQ(FolderFactory().CreateInstance(nullptr, IID_IShellFolder, folder.put_void()), S_OK);
    const auto uiObject = CmdTargetPtr<CShellUIObject>::Attach(FolderFactory().CreateDefaultUIObject());
    ASSERT_TRUE(uiObject);
    EXPECT_EQ(uiObject->GetClassID(), CLSID_CorvasinUIObject);
    EXPECT_EQ(uiObject->GetDefaultFolder(), FolderObject(folder.get()));
    EXPECT_EQ(uiObject->GetItemCount(), 0u);
    FolderFactory().ResetLastCreated();
}

TEST(FolderFactory, CountsEveryReferenceInTheModuleLock)
{
    LocalFolderFactory factory;
    const LONG nBefore = g_nLockCount.load();

    EXPECT_EQ(factory.AddRef(), 1u);
    EXPECT_EQ(factory.AddRef(), 2u);
    EXPECT_EQ(g_nLockCount.load(), nBefore + 2);
    EXPECT_EQ(factory.Release(), 1u);
    EXPECT_EQ(factory.Release(), 0u);
    EXPECT_EQ(g_nLockCount.load(), nBefore);

    // An unmatched Release neither wraps the count nor lowers the module lock.
    EXPECT_EQ(factory.Release(), 0u);
    EXPECT_EQ(factory.GetRefCount(), 0u);
    EXPECT_EQ(g_nLockCount.load(), nBefore);
}

TEST(FolderFactory, RefusesANullOutPointer)
{
    LocalFolderFactory factory;
    EXPECT_EQ(factory.CreateInstance(nullptr, IID_IShellFolder, nullptr), E_POINTER);
    EXPECT_EQ(LastCreatedOf(factory), nullptr);
}

TEST(UIObjectFactory, FailsWithoutAFolderFactory)
{
    CUIObjectFactory factory;
    void* pv = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(factory.CreateInstance(nullptr, IID_IContextMenu, &pv), E_FAIL);
    EXPECT_EQ(pv, nullptr);
}

TEST(UIObjectFactory, MakesItsObjectsThroughTheFolderFactory)
{
    LocalFolderFactory folderFactory;
    CUIObjectFactory factory;
    factory.m_pFolderFactory = &folderFactory;

    IContextMenu* pMenu = nullptr;
    ASSERT_EQ(factory.CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&pMenu)), S_OK);
    EXPECT_EQ(pMenu->Release(), 0u);
    // No folder was made on the way.
    EXPECT_EQ(LastCreatedOf(folderFactory), nullptr);
}

TEST(ClassObject, ConnectsTheUIObjectFactoryToTheFolderFactory)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(CLSID_CorvasinUIObject, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(factory.get(), static_cast<IClassFactory*>(&UIObjectFactory()));
    EXPECT_EQ(UIObjectFactory().m_pFolderFactory.load(), &FolderFactory());
}

TEST(CorvasinApp, AnswersTheRegisteredNumbersOfItsTwoFormats)
{
    EXPECT_EQ(TheApp().GetClipboardFormat(0), ::RegisterClipboardFormatA("CORVASIN_REG_PIDL"));
    EXPECT_EQ(TheApp().GetClipboardFormat(1), ::RegisterClipboardFormatA("Shell IDList Array"));
    EXPECT_EQ(TheApp().GetClipboardFormat(2), 0u);
    EXPECT_EQ(TheApp().GetClipboardFormat(-1), 0u);
}
