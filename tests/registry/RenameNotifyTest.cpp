// A rename through SetNameOf announces itself to the shell with two events, item first.
#include "registry/FolderTestUtil.h"
#include "support/ShellEvents.h"

#include <cstring>

using namespace corvasin;
using namespace corvasin::test;

namespace
{
// A key folder whose renames always succeed without touching the registry.
class CRenamingFolder : public CRegkeyExtension
{
public:
    using CRegkeyExtension::CRegkeyExtension;
    BOOL SetItemName(void* pItem, const CString& strName) noexcept override
    {
        strncpy(static_cast<REGITEM*>(pItem)->szName, strName.c_str(), kRegItemNameSize - 1);
        return TRUE;
    }
};
} // namespace

TEST(RenameNotify, ASuccessfulRenameSendsItemThenFolderEvents)
{
    ScratchKey scratch;
    auto* pFolder = new CRenamingFolder(nullptr, HKEY_CURRENT_USER, scratch.path().c_str(), nullptr);
    ComPtr<IShellFolder2> psf = ComPtr<IShellFolder2>::Attach(
        static_cast<IShellFolder2*>(pFolder->GetInterface(IID_IShellFolder2)));
    UniquePidl location = HkcuPidl(scratch.path());
    ComPtr<IPersistFolder> persist;
    ASSERT_EQ(psf.As(persist), S_OK);
    persist->Initialize(location.get());
    CShellEvents events(location.get());

    UniquePidl pidlNew;
    ASSERT_EQ(psf->SetNameOf(nullptr, ItemId(REGITEM_VALUE, "Old", 0, REG_SZ).get(), L"New", SHGDN_NORMAL,
                             pidlNew.put()),
              S_OK);
    const auto& seen = events.WaitFor(2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].lEvent, SHCNE_RENAMEITEM);
    EXPECT_EQ(seen[1].lEvent, SHCNE_RENAMEFOLDER);
}

TEST(RenameNotify, ARefusedRenameFailsAndHandsOutNothing)
{
    ScratchKey scratch;
    LPITEMIDLIST pidlNew = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_EQ(KeyFolder(scratch.path())->SetNameOf(nullptr, ItemId(REGITEM_VALUE, "Old", 0, REG_SZ).get(), L"New",
                                                   SHGDN_NORMAL, &pidlNew),
              E_FAIL);
    EXPECT_EQ(pidlNew, nullptr);
}
