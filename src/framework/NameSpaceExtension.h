// CNameSpaceExtension: the generic shell folder. It implements the shell's folder interfaces
// once, as nested parts, and turns every call into virtual operations that a concrete folder
// class fills in. It knows nothing of the registry.
//
// Ownership: a child folder holds a counted reference on its parent; the parent keeps an
// uncounted list of its live children, guarded by a lock because the search thread looks up
// sub-folders of folders that the shell's thread uses. All else runs on the shell's thread.
#pragma once

#include "core/CmdTarget.h"
#include "core/CmdTargetPtr.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/Result.h"
#include "core/Strings.h"
#include "framework/StrRet.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <mutex>
#include <vector>

namespace corvasin
{

class CNameSpaceExtension;
class CViewFolderProxy;

// The framework's own interface: reaches the folder object behind an IShellFolder.
struct IGetNameSpaceExtensionPointer : public IUnknown
{
    // Writes the address of the folder object itself; no reference is added.
    virtual HRESULT STDMETHODCALLTYPE GetNameSpaceExtension(CNameSpaceExtension** ppFolder) = 0;
};

} // namespace corvasin

__CRT_UUID_DECL(corvasin::IGetNameSpaceExtensionPointer, 0xf2f90018, 0x9ca5, 0x4160, 0xa0, 0xe2, 0x40,
                0x32, 0xf8, 0x78, 0x27, 0x59)

namespace corvasin
{

// {F2F90018-9CA5-4160-A0E2-4032F8782759}
inline constexpr GUID IID_IGetNameSpaceExtensionPointer = {
    0xf2f90018, 0x9ca5, 0x4160, {0xa0, 0xe2, 0x40, 0x32, 0xf8, 0x78, 0x27, 0x59}};

class CNameSpaceExtension : public CCmdTarget
{
public:
    explicit CNameSpaceExtension(CNameSpaceExtension* pParent) noexcept;

    void* GetInterface(REFIID riid) noexcept override;

    // ---- virtual operations, filled in by the folder classes --------------------------------
    virtual const CLSID& GetCLSID() noexcept = 0;
    virtual BOOL GetFirstItem(void* pItem, DWORD* pdwContext, DWORD grfFlags) noexcept;
    virtual BOOL GetNextItem(const void* pPrevious, void* pItem, DWORD* pdwContext,
                             DWORD grfFlags) noexcept;
    virtual BOOL IsOwnItem(const void* pItem) noexcept = 0;
    virtual void EndEnumeration(DWORD dwContext) noexcept;
    virtual UINT GetItemDataSize() noexcept;
    virtual CString GetItemName(const void* pItem, DWORD uFlags) noexcept;
    virtual CNameSpaceExtension* CreateSubFolder(const void* pItem) noexcept;
    virtual CCmdTarget* CreateUIObject(UINT cidl, LPCITEMIDLIST* apidl, HWND hwndOwner) noexcept;
    virtual int GetIconIndex(const void* pItem, UINT uFlags, UINT* pwFlags) noexcept;
    virtual ULONG GetItemAttributes(const void* pItem) noexcept;
    virtual int CompareItems(LPARAM lParam, const void* pItem1, const void* pItem2) noexcept;
    virtual BOOL QueryBackgroundMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                     UINT uFlags) noexcept;
    virtual BOOL InvokeBackgroundCommand(LPCMINVOKECOMMANDINFO pici) noexcept;
    virtual BOOL AddChild(CNameSpaceExtension* pChild) noexcept;
    virtual BOOL RemoveChild(CNameSpaceExtension* pChild) noexcept;
    virtual BOOL AddPages(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) noexcept;
    virtual CString GetColumnTitle(int iColumn) noexcept;
    virtual CString GetColumnText(const void* pItem, int iColumn) noexcept;
    virtual int OnViewMessage(HWND hwndMain, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    virtual BOOL SetItemName(void* pItem, const CString& strName) noexcept;
    virtual BOOL DeleteFolder() noexcept;
    virtual BOOL GetButtonInfo(TBINFO* pInfo) noexcept;
    virtual BOOL Drop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                      DWORD* pdwEffect) noexcept;
    virtual DWORD QueryDrop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                            BOOL bEntering) noexcept;
    virtual BOOL GetButtons(HWND hwndMain, UINT idCmdFirst, TBBUTTON* pButtons) noexcept;
    virtual HRESULT CreateViewObjectEx(HWND hwndOwner, REFIID riid, void** ppv) noexcept;
    virtual BOOL InvokeViewCommand(HWND hwndMain, UINT idCmd) noexcept;
    virtual BOOL OnSelectionChanged(HWND hwndMain, LPARAM lParam) noexcept;
    // A wide text on Windows NT platforms, an ANSI text elsewhere; null for none.
    virtual const void* GetToolTipText(UINT idCmd) noexcept;
    virtual LRESULT SelectItem(LPCITEMIDLIST pidl) noexcept;
    virtual BOOL IsFileSystemFolder() noexcept;
    virtual void OnInitialize() noexcept;
    virtual int OnAddingItem(LPCITEMIDLIST pidl) noexcept;
    virtual HRESULT ParseDisplayName(HWND hwnd, LPBC pbc, LPOLESTR pszDisplayName,
                                     ULONG* pchEaten, LPITEMIDLIST* ppidl,
                                     ULONG* pdwAttributes) noexcept;
    virtual BOOL GetFindData(const void* pItem, WIN32_FIND_DATAW* pFindData) noexcept;
    virtual BOOL GetDefaultColumn(ULONG* pSort, ULONG* pDisplay) noexcept;
    virtual BOOL GetDefaultColumnState(UINT iColumn, DWORD* pcsFlags) noexcept;
    virtual LPCSTR GetWebViewTemplate() noexcept;
    virtual CString GetUrlProtocol() noexcept;
    // The shell runs an item of this folder (a double click, Enter, ShellExecuteEx of its id
    // list); TRUE when the folder did it, FALSE to let the shell go on as it would.
    virtual BOOL ExecuteItem(const void* pItem, HWND hwnd, LPCWSTR pszVerb) noexcept;

    // ---- operations that other objects call directly -----------------------------------------
    // A folder object for an item of this folder, with one reference for the caller; a live
    // sub-folder for the same item is shared. Safe to call from the search thread.
    CmdTargetPtr<CNameSpaceExtension> GetSubFolder(const void* pItem) noexcept;
    // The same sub-folder seen as the shell sees it; null when there is none.
    ComPtr<IShellFolder> GetSubFolderInterface(const void* pItem) noexcept;
    // Remembers an item (relative id) to open for in-place renaming once the view adds it.
    void SetRenameItem(LPCITEMIDLIST pidl) noexcept;

    // The shell view's callback; the folder object comes back as psvOuter.
    static HRESULT CALLBACK ViewCallback(IShellView* psvOuter, IShellFolder* psf, HWND hwndMain,
                                         UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;

    // Data of the first id of pidl when it is an item of this folder class, else null.
    const BYTE* OwnItemData(LPCITEMIDLIST pidl, bool bUnwrap) noexcept;

    // The folder's absolute id list (given by IPersistFolder or IShellExtInit), or null.
    LPCITEMIDLIST GetPidl() const noexcept { return m_pidl.get(); }
    CNameSpaceExtension* GetParent() const noexcept { return m_pParent.get(); }
    // The default view made by CreateViewObject while it lives; not counted.
    IShellView* GetRecordedView() const noexcept { return m_pShellView; }
    // The host's item allocator (the folder then runs as a delegate folder), or null.
    IMalloc* GetItemMalloc() const noexcept { return m_pItemMalloc.get(); }
    HWND GetOwnerWindow() const noexcept { return m_hwndOwner; }
    HWND GetViewWindow() const noexcept { return m_hwndView; }
    // The data object of the drag that is over the folder now, or null.
    IDataObject* GetDragDataObject() const noexcept { return m_pDragDataObject.get(); }
    // Whether the view has added the item waiting to be renamed and has yet to start the edit.
    bool IsRenamePending() const noexcept { return m_bRenamePending != FALSE; }

    // The view made by CreateViewObject has let go of its folder: forget it.
    void OnDefaultViewReleased(CViewFolderProxy* pProxy) noexcept;

protected:
    ~CNameSpaceExtension() override;

private:
    UniquePidl m_pidl;
    ComPtr<IDataObject> m_pDataObject; // from IShellExtInit
    CmdTargetPtr<CNameSpaceExtension> m_pParent;
    HWND m_hwndView = nullptr;
    IShellView* m_pShellView = nullptr; // not counted; cleared when the view lets go
    ComPtr<IDataObject> m_pDragDataObject;
    ComPtr<IMalloc> m_pItemMalloc;
    HWND m_hwndOwner = nullptr;
    UniquePidl m_pidlRename;
    BOOL m_bRenamePending = FALSE;

    // The live children, for sharing them; not counted (each holds its parent instead).
    std::vector<CNameSpaceExtension*> m_children; // guarded by m_childrenLock
    std::mutex m_childrenLock;

public:
    // The interface parts.
    class XShellFolder : public CInterfacePart<CNameSpaceExtension, IShellFolder2>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP ParseDisplayName(HWND, LPBC, LPOLESTR, ULONG*, LPITEMIDLIST*, ULONG*) override;
        STDMETHODIMP EnumObjects(HWND, SHCONTF, IEnumIDList**) override;
        STDMETHODIMP BindToObject(LPCITEMIDLIST, LPBC, REFIID, void**) override;
        STDMETHODIMP BindToStorage(LPCITEMIDLIST, LPBC, REFIID, void**) override;
        STDMETHODIMP CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override;
        STDMETHODIMP CreateViewObject(HWND, REFIID, void**) override;
        STDMETHODIMP GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override;
        STDMETHODIMP GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override;
        STDMETHODIMP GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET*) override;
        STDMETHODIMP SetNameOf(HWND, LPCITEMIDLIST, LPCOLESTR, SHGDNF, LPITEMIDLIST*) override;
        STDMETHODIMP GetDefaultSearchGUID(GUID*) override;
        STDMETHODIMP EnumSearches(IEnumExtraSearch**) override;
        STDMETHODIMP GetDefaultColumn(DWORD, ULONG*, ULONG*) override;
        STDMETHODIMP GetDefaultColumnState(UINT, SHCOLSTATEF*) override;
        STDMETHODIMP GetDetailsEx(LPCITEMIDLIST, const SHCOLUMNID*, VARIANT*) override;
        STDMETHODIMP GetDetailsOf(LPCITEMIDLIST, UINT, SHELLDETAILS*) override;
        STDMETHODIMP MapColumnToSCID(UINT, SHCOLUMNID*) override;

    private:
        // GetDisplayNameOf without its guard: the names are built as strings.
        HRESULT DisplayNameOf(LPCITEMIDLIST pidl, SHGDNF uFlags, STRRET* pName);
    } m_xShellFolder{this};

    class XDelegateFolder : public CInterfacePart<CNameSpaceExtension, IDelegateFolder>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP SetItemAlloc(IMalloc* pMalloc) override;
    } m_xDelegateFolder{this};

    class XPersistFolder : public CInterfacePart<CNameSpaceExtension, IPersistFolder2>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetClassID(CLSID* pClassID) override;
        STDMETHODIMP Initialize(LPCITEMIDLIST pidl) override;
        STDMETHODIMP GetCurFolder(LPITEMIDLIST* ppidl) override;
    } m_xPersistFolder{this};

    class XShellPropSheetExt : public CInterfacePart<CNameSpaceExtension, IShellPropSheetExt>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP AddPages(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) override;
        STDMETHODIMP ReplacePage(UINT, LPFNADDPROPSHEETPAGE, LPARAM) override;
    } m_xShellPropSheetExt{this};

    class XShellExtInit : public CInterfacePart<CNameSpaceExtension, IShellExtInit>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP Initialize(LPCITEMIDLIST pidlFolder, IDataObject* pdtobj, HKEY) override;
    } m_xShellExtInit{this};

    class XDropTarget : public CInterfacePart<CNameSpaceExtension, IDropTarget>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override;
        STDMETHODIMP DragOver(DWORD, POINTL, DWORD*) override;
        STDMETHODIMP DragLeave() override;
        STDMETHODIMP Drop(IDataObject*, DWORD, POINTL, DWORD*) override;
    } m_xDropTarget{this};

    class XShellDetails : public CInterfacePart<CNameSpaceExtension, IShellDetails>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetDetailsOf(LPCITEMIDLIST pidl, UINT iColumn, SHELLDETAILS* pDetails) override;
        STDMETHODIMP ColumnClick(UINT iColumn) override;
    } m_xShellDetails{this};

    // Asked by ShellExecuteEx of an item's id list, from the item's parent folder.
    class XShellExecuteHook : public CInterfacePart<CNameSpaceExtension, IShellExecuteHookW>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP Execute(LPSHELLEXECUTEINFOW pei) override;
    } m_xShellExecuteHook{this};

    class XGetNameSpaceExtensionPointer
        : public CInterfacePart<CNameSpaceExtension, IGetNameSpaceExtensionPointer>
    {
    public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetNameSpaceExtension(CNameSpaceExtension** ppFolder) override;
    } m_xGetNameSpaceExtensionPointer{this};

private:
    friend class CViewFolderProxy;

    // The default view made by CreateViewObject, and its forgetting; folders with a view are
    // known process-wide, so that a rename started through another object of the same place
    // reaches the view that shows it.
    void RecordView(IShellView* pView, CViewFolderProxy* pProxy, HWND hwndOwner) noexcept;
    void ForgetView() noexcept;
    // Whether an absolute list names this folder's place, whatever form our ids have in it.
    bool IsSamePlace(LPCITEMIDLIST pidlOther) noexcept;
    // A live folder object of this class and location that has a view, with a reference; null.
    CmdTargetPtr<CNameSpaceExtension> FolderShowingThisPlace() noexcept;
    // Starts the in-place edit of the item waiting to be renamed in the view, once it shows it.
    void StartPendingRename() noexcept;

public:
    // One attempt of StartPendingRename; true when nothing is left to do.
    bool TryPendingRename() noexcept;

private:

    // The object's own interfaces, then the recorded view's.
    HRESULT QueryInterfaceWithView(REFIID riid, void** ppv) noexcept;
    // Gives the folder its place (a clone of pidl). The parent's look-up of live children reads
    // the list on the search thread, so it changes under the parent's lock.
    void SetPidl(LPCITEMIDLIST pidl) noexcept;
    CViewFolderProxy* m_pViewProxy = nullptr; // not counted; the proxy tells us when it goes
};

} // namespace corvasin
