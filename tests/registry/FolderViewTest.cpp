// What the folder gives the shell's view: the default view and its release, the view messages
// called directly (Wine's view never sends them), the folder menu, renaming and the drop target.
#include "registry/FolderTestUtil.h"

using namespace corvasin;
using namespace corvasin::test;

namespace
{
using FolderView = ScratchFolder;

std::vector<std::pair<std::string, UINT>> MenuEntries(HMENU hmenu)
{
    std::vector<std::pair<std::string, UINT>> entries;
    for (int i = 0; i < ::GetMenuItemCount(hmenu); ++i)
    {
        char sz[64] = {};
        MENUITEMINFOA mii = {sizeof(mii), MIIM_STATE | MIIM_ID | MIIM_TYPE};
        mii.dwTypeData = sz;
        mii.cch = sizeof(sz);
        ::GetMenuItemInfoA(hmenu, i, TRUE, &mii);
        std::string text = (mii.fType & MFT_SEPARATOR) ? "-" : sz;
        if (mii.fState & MFS_DEFAULT)
            text += "*";
        entries.emplace_back(text, mii.wID);
    }
    return entries;
}
} // namespace

TEST_F(FolderView, TheDefaultViewIsReusedUntilItIsReleased)
{
    CNameSpaceExtension* pFolder = Object();
    ComPtr<IShellView> view;
    ASSERT_EQ(Folder()->CreateViewObject(nullptr, IID_IShellView, view.put_void()), S_OK);
    EXPECT_EQ(pFolder->GetRecordedView(), view.get());
    ComPtr<IShellView> again;
    ASSERT_EQ(Folder()->CreateViewObject(nullptr, IID_IShellView, again.put_void()), S_OK);
    EXPECT_EQ(again.get(), view.get());
    again.reset();

    // While the view lives, what the folder lacks is asked of the view.
    ComPtr<IUnknown> unk;
    EXPECT_EQ(Folder()->QueryInterface(IID_IShellView, unk.put_void()), S_OK);
    unk.reset();

    // The view reaches the folder through what it was given, as any of the folder interfaces.
    ComPtr<IFolderView> folderView;
    ASSERT_EQ(view.As(folderView), S_OK);
    ComPtr<IShellFolder> viewFolder;
    ASSERT_EQ(folderView->GetFolder(IID_IShellFolder, viewFolder.put_void()), S_OK);
    ComPtr<IShellFolder2> viewFolder2;
    EXPECT_EQ(viewFolder.As(viewFolder2), S_OK);
    UniquePidl item = ItemId(REGITEM_KEY, "k");
    LPCITEMIDLIST pidl = item.get();
    SFGAOF flags = SFGAO_FOLDER;
    EXPECT_EQ(viewFolder->GetAttributesOf(1, &pidl, &flags), S_OK);
    EXPECT_TRUE(flags & SFGAO_FOLDER);
    folderView.reset();
    viewFolder.reset();
    viewFolder2.reset();

    view.reset();
    EXPECT_EQ(pFolder->GetRecordedView(), nullptr);
    EXPECT_EQ(Folder()->QueryInterface(IID_IShellView, unk.put_void()), E_NOINTERFACE);
    EXPECT_FALSE(unk);
    ASSERT_EQ(Folder()->CreateViewObject(nullptr, IID_IShellView, view.put_void()), S_OK);
    EXPECT_EQ(pFolder->GetRecordedView(), view.get());
}

TEST_F(FolderView, ViewObjectsTheFolderHasComeFromTheFolder)
{
    ComPtr<IShellDetails> details;
    EXPECT_EQ(Folder()->CreateViewObject(nullptr, IID_IShellDetails, details.put_void()), S_OK);
    SHELLDETAILS sd = {};
    EXPECT_EQ(details->GetDetailsOf(nullptr, 0, &sd), S_OK);
    EXPECT_EQ(StrRetText(sd.str), "Name");
    // Wine's view sizes its header from the width given with the title.
    EXPECT_GT(sd.cxChar, 0);
    EXPECT_EQ(sd.fmt, LVCFMT_LEFT);
}

TEST_F(FolderView, ViewMessagesCalledDirectly)
{
    CNameSpaceExtension* pFolder = Object();
    auto* psvOuter = reinterpret_cast<IShellView*>(pFolder);

    DWORD pane = 7;
    EXPECT_EQ(CNameSpaceExtension::ViewCallback(psvOuter, nullptr, nullptr, SFVM_GETPANE, 1,
                                                reinterpret_cast<LPARAM>(&pane)),
              S_OK);
    EXPECT_EQ(pane, 2u);
    pane = 7;
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, SFVM_GETPANE, 0, reinterpret_cast<LPARAM>(&pane)), 1);
    EXPECT_EQ(pane, 7u);

    HWND hwndFake = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, SFVM_WINDOWCREATED, reinterpret_cast<WPARAM>(hwndFake), 0), 1);
    EXPECT_EQ(pFolder->GetViewWindow(), hwndFake);

    DETAILSINFO di = {};
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, SFVM_GETDETAILSOF, 0, reinterpret_cast<LPARAM>(&di)), 1);
    EXPECT_EQ(StrRetText(di.str), "Name");
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, SFVM_GETDETAILSOF, 1, reinterpret_cast<LPARAM>(&di)), 0);

    TBINFO info = {};
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, SFVM_GETBUTTONINFO, 0, reinterpret_cast<LPARAM>(&info)), 1);
    EXPECT_EQ(info.cbuttons, 2u);

    // The tool tip arrives wide on Windows NT platforms, cut to the buffer.
    WCHAR tip[64] = {};
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, SFVM_GETTOOLTIPTEXT, MAKEWPARAM(2, sizeof(tip)),
                                     reinterpret_cast<LPARAM>(tip)),
              1);
    EXPECT_STREQ(tip, L"Export to disk");
    WCHAR small[8];
    memset(small, 0x55, sizeof(small));
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, SFVM_GETTOOLTIPTEXT, MAKEWPARAM(2, 10), reinterpret_cast<LPARAM>(small)),
              1);
    EXPECT_STREQ(small, L"Expo");

    // Unhandled messages let the view do its own thing.
    EXPECT_EQ(CNameSpaceExtension::ViewCallback(psvOuter, nullptr, nullptr, 1000, 0, 0), E_NOTIMPL);
}

TEST_F(FolderView, ViewReleaseMessageForgetsTheView)
{
    CNameSpaceExtension* pFolder = Object();
    ComPtr<IShellView> view;
    ASSERT_EQ(Folder()->CreateViewObject(nullptr, IID_IShellView, view.put_void()), S_OK);
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, 12, 0, 0), 1);
    EXPECT_EQ(pFolder->GetRecordedView(), nullptr);
    view.reset(); // the proxy's release must not touch a newer record
    EXPECT_EQ(pFolder->GetRecordedView(), nullptr);
}

TEST_F(FolderView, ANewItemIsArmedForRenamingWhenTheViewAddsIt)
{
    CNameSpaceExtension* pFolder = Object();
    UniquePidl newKey = ItemId(REGITEM_KEY, "New Key");
    UniquePidl other = ItemId(REGITEM_KEY, "Other");
    pFolder->SetRenameItem(newKey.get());
    struct
    {
        BYTE header[8];
        LPCITEMIDLIST pidl;
    } block = {{}, other.get()};
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, 29, 0, reinterpret_cast<LPARAM>(&block)), 0);
    EXPECT_FALSE(pFolder->IsRenamePending());
    block.pidl = newKey.get();
    pFolder->OnViewMessage(nullptr, 29, 0, reinterpret_cast<LPARAM>(&block));
    EXPECT_TRUE(pFolder->IsRenamePending());
    // The status bar update consumes it even without a browser to select in.
    EXPECT_EQ(pFolder->OnViewMessage(nullptr, SFVM_UPDATESTATUSBAR, 0, 0), 0);
    EXPECT_FALSE(pFolder->IsRenamePending());
}

TEST_F(FolderView, BackgroundMenuFollowsTheFlags)
{
    CNameSpaceExtension* pFolder = Object();
    using Entries = std::vector<std::pair<std::string, UINT>>;

    UniqueHmenu menu(::CreatePopupMenu());
    EXPECT_TRUE(pFolder->QueryBackgroundMenu(menu.get(), 0, 100, 200, CMF_NORMAL));
    EXPECT_EQ(MenuEntries(menu.get()), (Entries{{"&Open*", 102}, {"&Explore", 101}, {"&Find...", 106},
                                               {"-", 0}, {"&Properties", 103}}));
    menu.reset(::CreatePopupMenu());
    pFolder->QueryBackgroundMenu(menu.get(), 0, 100, 200, CMF_EXPLORE);
    EXPECT_EQ(MenuEntries(menu.get())[0], (std::pair<std::string, UINT>{"&Explore*", 101}));
    menu.reset(::CreatePopupMenu());
    pFolder->QueryBackgroundMenu(menu.get(), 0, 100, 200, CMF_DEFAULTONLY);
    EXPECT_EQ(MenuEntries(menu.get()), (Entries{{"&Open*", 102}}));

    CMINVOKECOMMANDINFO ici = {};
    ici.cbSize = sizeof(ici);
    ici.lpVerb = MAKEINTRESOURCEA(6);
    EXPECT_FALSE(pFolder->InvokeBackgroundCommand(&ici));
    ici.lpVerb = "delete";
    EXPECT_FALSE(pFolder->InvokeBackgroundCommand(&ici)); // the base deletes nothing
}

TEST_F(FolderView, DropTargetAsksTheFolderAndForgetsTheDrag)
{
    CNameSpaceExtension* pFolder = Object();
    ComPtr<IDropTarget> drop;
    ASSERT_EQ(Folder()->QueryInterface(IID_IDropTarget, drop.put_void()), S_OK);
    ComPtr<IDataObject> data;
    ASSERT_EQ(::OleGetClipboard(data.put()), S_OK);
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(drop->DragEnter(data.get(), 0, POINTL{0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, 0u);
    EXPECT_EQ(pFolder->GetDragDataObject(), data.get());
    EXPECT_EQ(drop->DragLeave(), S_OK);
    EXPECT_EQ(pFolder->GetDragDataObject(), nullptr);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(drop->Drop(data.get(), 0, POINTL{0, 0}, &effect), E_FAIL);
}

TEST_F(FolderView, PersistAndShellExtInitRecordTheLocation)
{
    ComPtr<IShellFolder2> psf = RootFolder();
    ComPtr<IPersistFolder2> persist;
    ASSERT_EQ(psf.As(persist), S_OK);
    LPITEMIDLIST pidl = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_EQ(persist->GetCurFolder(&pidl), E_FAIL);
    EXPECT_EQ(pidl, nullptr);

    ComPtr<IShellExtInit> init;
    ASSERT_EQ(psf.As(init), S_OK);
    UniquePidl location = ItemId(REGITEM_KEY, "HKEY_USERS", 0x80000003);
    EXPECT_EQ(init->Initialize(location.get(), nullptr, nullptr), S_OK);
    UniquePidl current;
    ASSERT_EQ(persist->GetCurFolder(current.put()), S_OK);
    EXPECT_EQ(::ILGetSize(current.get()), ::ILGetSize(location.get()));

    ComPtr<IDelegateFolder> delegate;
    ASSERT_EQ(psf.As(delegate), S_OK);
    EXPECT_EQ(delegate->SetItemAlloc(nullptr), S_OK);
    ComPtr<IShellPropSheetExt> sheet;
    ASSERT_EQ(psf.As(sheet), S_OK);
    EXPECT_EQ(sheet->AddPages(nullptr, 0), E_FAIL);
    EXPECT_EQ(sheet->ReplacePage(0, nullptr, 0), S_OK);
}
