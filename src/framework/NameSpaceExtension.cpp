// Construction, the interface map, the child list and the base behaviour of the folder's
// virtual operations.
#include "framework/NameSpaceExtension.h"

#include "framework/ItemIdList.h"
#include "framework/ViewFolderProxy.h"
#include "core/MessagePump.h"
#include "core/Module.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace corvasin
{

CNameSpaceExtension::CNameSpaceExtension(CNameSpaceExtension* pParent) noexcept
    : m_pParent(pParent)
{
    ++g_nLockCount;
    if (pParent)
        pParent->AddChild(this);
}

CNameSpaceExtension::~CNameSpaceExtension()
{
    ForgetView();
    --g_nLockCount;
    // Leave the parent's list before its reference goes: the parent may go with it.
    if (m_pParent)
    {
        m_pParent->RemoveChild(this);
        m_pParent.reset();
    }
}

void* CNameSpaceExtension::GetInterface(REFIID riid) noexcept
{
    if (riid == IID_IUnknown || riid == IID_IShellFolder || riid == IID_IShellFolder2)
        return static_cast<IShellFolder2*>(&m_xShellFolder);
    if (riid == IID_IDelegateFolder)
        return static_cast<IDelegateFolder*>(&m_xDelegateFolder);
    if (riid == IID_IPersist || riid == IID_IPersistFolder || riid == IID_IPersistFolder2)
        return static_cast<IPersistFolder2*>(&m_xPersistFolder);
    if (riid == IID_IShellPropSheetExt)
        return static_cast<IShellPropSheetExt*>(&m_xShellPropSheetExt);
    if (riid == IID_IShellExtInit)
        return static_cast<IShellExtInit*>(&m_xShellExtInit);
    if (riid == IID_IDropTarget)
        return static_cast<IDropTarget*>(&m_xDropTarget);
    if (riid == IID_IShellDetails)
        return static_cast<IShellDetails*>(&m_xShellDetails);
    if (riid == IID_IShellExecuteHookW)
        return static_cast<IShellExecuteHookW*>(&m_xShellExecuteHook);
    if (riid == IID_IGetNameSpaceExtensionPointer)
        return static_cast<IGetNameSpaceExtensionPointer*>(&m_xGetNameSpaceExtensionPointer);
    return nullptr;
}

HRESULT CNameSpaceExtension::QueryInterfaceWithView(REFIID riid, void** ppv) noexcept
{
    const HRESULT hr = ExternalQueryInterface(riid, ppv);
    if (SUCCEEDED(hr) || !m_pShellView || !ppv)
        return hr;
    return m_pShellView->QueryInterface(riid, ppv);
}

namespace
{
// The folder objects that hold a default view; not counted (each leaves before it goes).
std::mutex g_viewFoldersLock;
std::vector<CNameSpaceExtension*> g_viewFolders;
} // namespace

void CNameSpaceExtension::RecordView(IShellView* pView, CViewFolderProxy* pProxy,
                                     HWND hwndOwner) noexcept
{
    m_pShellView = pView;
    m_pViewProxy = pProxy;
    m_hwndOwner = hwndOwner;
    try
    {
        std::lock_guard lock(g_viewFoldersLock);
        if (std::find(g_viewFolders.begin(), g_viewFolders.end(), this) == g_viewFolders.end())
            g_viewFolders.push_back(this);
    }
    catch (...)
    {
        // Unknown to the others, the view still serves this object's own renames.
    }
}

void CNameSpaceExtension::ForgetView() noexcept
{
    m_pShellView = nullptr;
    m_pViewProxy = nullptr;
    std::lock_guard lock(g_viewFoldersLock);
    g_viewFolders.erase(std::remove(g_viewFolders.begin(), g_viewFolders.end(), this),
                        g_viewFolders.end());
}

void CNameSpaceExtension::OnDefaultViewReleased(CViewFolderProxy* pProxy) noexcept
{
    if (m_pViewProxy == pProxy)
        ForgetView();
}

bool CNameSpaceExtension::IsSamePlace(LPCITEMIDLIST pidlOther) noexcept
{
    // The shell's ids must match byte for byte; ours may be wrapped by a host's allocator in
    // one list and plain in the other, so they are compared by their records.
    const UINT cbItem = GetItemDataSize();
    LPCITEMIDLIST p1 = m_pidl.get();
    LPCITEMIDLIST p2 = pidlOther;
    for (; p1 && p2; p1 = NextItemId(p1), p2 = NextItemId(p2))
    {
        const BYTE* pData1 = ItemIdData(p1, cbItem, true);
        const BYTE* pData2 = ItemIdData(p2, cbItem, true);
        if (pData1 && pData2 && IsOwnItem(pData1) && IsOwnItem(pData2))
        {
            if (CompareItems(0, pData1, pData2) != 0)
                return false;
            continue;
        }
        if (p1->mkid.cb != p2->mkid.cb || memcmp(p1, p2, p1->mkid.cb) != 0)
            return false;
    }
    return !p1 && !p2;
}

CmdTargetPtr<CNameSpaceExtension> CNameSpaceExtension::FolderShowingThisPlace() noexcept
{
    if (!m_pidl)
        return nullptr;
    const CLSID& clsid = GetCLSID();
    std::lock_guard lock(g_viewFoldersLock);
    for (CNameSpaceExtension* pFolder : g_viewFolders)
    {
        if (pFolder == this || !pFolder->m_pidl || pFolder->GetCLSID() != clsid ||
            !IsSamePlace(pFolder->m_pidl.get()))
            continue;
        // A folder whose last reference is going away on another thread is not taken.
        ULONG cRef = pFolder->m_dwRef.load();
        while (cRef != 0 && !pFolder->m_dwRef.compare_exchange_weak(cRef, cRef + 1))
        {
        }
        if (cRef != 0)
            return CmdTargetPtr<CNameSpaceExtension>::Attach(pFolder);
    }
    return nullptr;
}

const BYTE* CNameSpaceExtension::OwnItemData(LPCITEMIDLIST pidl, bool bUnwrap) noexcept
{
    const BYTE* pData = ItemIdData(pidl, GetItemDataSize(), bUnwrap);
    if (!pData || !IsOwnItem(pData))
        return nullptr;
    return pData;
}

// ---- children --------------------------------------------------------------------------------

BOOL CNameSpaceExtension::AddChild(CNameSpaceExtension* pChild) noexcept
{
    if (!pChild)
        return FALSE;
    try
    {
        std::lock_guard lock(m_childrenLock);
        m_children.push_back(pChild);
        return TRUE;
    }
    CATCH_RETURN(FALSE)
}

BOOL CNameSpaceExtension::RemoveChild(CNameSpaceExtension* pChild) noexcept
{
    if (!pChild)
        return FALSE;
    std::lock_guard lock(m_childrenLock);
    if (m_children.empty())
        return FALSE;
    m_children.erase(std::remove(m_children.begin(), m_children.end(), pChild), m_children.end());
    return TRUE;
}

void CNameSpaceExtension::SetPidl(LPCITEMIDLIST pidl) noexcept
{
    UniquePidl pidlNew(pidl ? ::ILClone(pidl) : nullptr);
    if (!m_pParent)
    {
        m_pidl = std::move(pidlNew);
        return;
    }
    // The old list is freed only after the lock, once no look-up can be reading it.
    {
        std::lock_guard lock(m_pParent->m_childrenLock);
        std::swap(m_pidl, pidlNew);
    }
}

CmdTargetPtr<CNameSpaceExtension> CNameSpaceExtension::GetSubFolder(const void* pItem) noexcept
{
    using Folder = CmdTargetPtr<CNameSpaceExtension>;
    if (!pItem)
        return nullptr;
    const UINT cbItem = GetItemDataSize();
    {
        std::lock_guard lock(m_childrenLock);
        for (CNameSpaceExtension* pChild : m_children)
        {
            const BYTE* pChildData = ItemIdData(LastItemId(pChild->m_pidl.get()), cbItem, true);
            if (!pChildData || CompareItems(0, pItem, pChildData) != 0)
                continue;
            // A child whose last reference is going away on another thread is not reused.
            ULONG cRef = pChild->m_dwRef.load();
            while (cRef != 0 && !pChild->m_dwRef.compare_exchange_weak(cRef, cRef + 1))
            {
            }
            if (cRef != 0)
                return Folder::Attach(pChild); // the reference just added
        }
    }

    Folder pFolder = Folder::Attach(CreateSubFolder(pItem));
    if (!pFolder || !m_pidl)
        return pFolder;
    UniquePidl pidlItem(MakeItemIdList(pItem, cbItem));
    UniquePidl pidlFull(pidlItem ? ::ILCombine(m_pidl.get(), pidlItem.get()) : nullptr);
    if (pidlFull)
    {
        if (auto* pPersist = static_cast<IPersistFolder*>(pFolder->GetInterface(IID_IPersistFolder)))
            pPersist->Initialize(pidlFull.get());
    }
    return pFolder;
}

ComPtr<IShellFolder> CNameSpaceExtension::GetSubFolderInterface(const void* pItem) noexcept
{
    const CmdTargetPtr<CNameSpaceExtension> pFolder = GetSubFolder(pItem);
    if (!pFolder)
        return nullptr;
    // The part lives as long as the folder; the ComPtr holds a reference of its own.
    return ComPtr<IShellFolder>(static_cast<IShellFolder*>(pFolder->GetInterface(IID_IShellFolder)));
}

void CNameSpaceExtension::SetRenameItem(LPCITEMIDLIST pidl) noexcept
{
    m_pidlRename.reset(pidl ? ::ILClone(pidl) : nullptr);
    m_bRenamePending = FALSE;
    if (!m_pidlRename || m_pShellView)
    {
        StartPendingRename();
        return;
    }
    // The view of this place may belong to another object of it (the shell's tree and its
    // view bind separately): the rename goes there.
    if (const CmdTargetPtr<CNameSpaceExtension> pShowing = FolderShowingThisPlace())
    {
        pShowing->m_pidlRename = std::move(m_pidlRename);
        pShowing->m_bRenamePending = FALSE;
        pShowing->StartPendingRename();
    }
}

namespace
{
// Retries of a pending rename in a view that adds items later than it is told of them: the
// timer's folder keeps a reference until the edit has started or the retries ran out.
struct RenameRetry
{
    UINT_PTR idTimer;
    CmdTargetPtr<CNameSpaceExtension> pFolder;
    int cLeft;
};
std::vector<RenameRetry> g_renameRetries; // the shell's thread only
constexpr UINT kRenameRetryMs = 100;
constexpr int kRenameRetries = 30;

// Whether the view's list has its label editor open.
bool IsEditingInView(IShellView* pView) noexcept
{
    HWND hwndView = nullptr;
    if (!pView || FAILED(pView->GetWindow(&hwndView)) || !hwndView)
        return false;
    const HWND hwndList = ::FindWindowExA(hwndView, nullptr, WC_LISTVIEWA, nullptr);
    return hwndList && ::SendMessageA(hwndList, LVM_GETEDITCONTROL, 0, 0) != 0;
}

void CALLBACK OnRenameRetry(HWND, UINT, UINT_PTR idTimer, DWORD) noexcept
{
    for (auto it = g_renameRetries.begin(); it != g_renameRetries.end(); ++it)
    {
        if (it->idTimer != idTimer)
            continue;
        const bool bDone = it->pFolder->TryPendingRename() || --it->cLeft <= 0;
        if (bDone)
        {
            ::KillTimer(nullptr, idTimer);
            g_renameRetries.erase(it); // releases the folder
        }
        return;
    }
    ::KillTimer(nullptr, idTimer);
}
} // namespace

bool CNameSpaceExtension::TryPendingRename() noexcept
{
    if (!m_pidlRename || !m_pShellView)
        return true; // nothing (more) to do
    m_pShellView->SelectItem(m_pidlRename.get(), SVSI_EDIT | SVSI_SELECT | SVSI_DESELECTOTHERS |
                                                     SVSI_ENSUREVISIBLE | SVSI_FOCUSED);
    if (!IsEditingInView(m_pShellView))
        return false;
    m_pidlRename.reset();
    return true;
}

void CNameSpaceExtension::StartPendingRename() noexcept
{
    // Views that never call back (Wine's) are asked directly: once the view has added the item
    // it was told of, its own SelectItem starts the edit. A view that calls back starts it from
    // OnAddingItem as well.
    if (!m_pidlRename || !m_pShellView)
        return;
    DispatchWaitingMessages();
    if (TryPendingRename())
        return;
    try
    {
        const UINT_PTR idTimer = ::SetTimer(nullptr, 0, kRenameRetryMs, OnRenameRetry);
        if (idTimer)
            g_renameRetries.push_back({idTimer, CmdTargetPtr<CNameSpaceExtension>(this), kRenameRetries});
    }
    catch (...)
    {
        // Without memory for the retry the item is only created, not opened for renaming.
    }
}

// ---- base behaviour of the virtual operations -----------------------------------------------

BOOL CNameSpaceExtension::GetFirstItem(void*, DWORD*, DWORD) noexcept { return FALSE; }
BOOL CNameSpaceExtension::GetNextItem(const void*, void*, DWORD*, DWORD) noexcept { return FALSE; }
void CNameSpaceExtension::EndEnumeration(DWORD) noexcept {}
UINT CNameSpaceExtension::GetItemDataSize() noexcept { return 1; }
CString CNameSpaceExtension::GetItemName(const void*, DWORD) noexcept { return {}; }
CNameSpaceExtension* CNameSpaceExtension::CreateSubFolder(const void*) noexcept { return nullptr; }
CCmdTarget* CNameSpaceExtension::CreateUIObject(UINT, LPCITEMIDLIST*, HWND) noexcept
{
    return nullptr;
}
int CNameSpaceExtension::GetIconIndex(const void*, UINT, UINT*) noexcept { return 0; }
ULONG CNameSpaceExtension::GetItemAttributes(const void*) noexcept { return 0; }
int CNameSpaceExtension::CompareItems(LPARAM, const void*, const void*) noexcept { return 0; }
BOOL CNameSpaceExtension::AddPages(LPFNADDPROPSHEETPAGE, LPARAM) noexcept { return FALSE; }
CString CNameSpaceExtension::GetColumnTitle(int iColumn) noexcept
{
    return iColumn == 0 ? CString("Name") : CString();
}
CString CNameSpaceExtension::GetColumnText(const void*, int) noexcept { return {}; }
BOOL CNameSpaceExtension::SetItemName(void*, const CString&) noexcept { return FALSE; }
BOOL CNameSpaceExtension::DeleteFolder() noexcept { return FALSE; }
BOOL CNameSpaceExtension::GetButtonInfo(TBINFO*) noexcept { return FALSE; }
BOOL CNameSpaceExtension::Drop(IDataObject*, DWORD, POINTL, DWORD*) noexcept { return FALSE; }
DWORD CNameSpaceExtension::QueryDrop(IDataObject*, DWORD, POINTL, BOOL) noexcept { return 0; }
BOOL CNameSpaceExtension::GetButtons(HWND, UINT, TBBUTTON*) noexcept { return FALSE; }
HRESULT CNameSpaceExtension::CreateViewObjectEx(HWND, REFIID, void**) noexcept { return E_NOTIMPL; }
BOOL CNameSpaceExtension::InvokeViewCommand(HWND, UINT) noexcept { return FALSE; }
BOOL CNameSpaceExtension::OnSelectionChanged(HWND, LPARAM) noexcept { return FALSE; }
const void* CNameSpaceExtension::GetToolTipText(UINT) noexcept { return nullptr; }
BOOL CNameSpaceExtension::IsFileSystemFolder() noexcept { return FALSE; }
void CNameSpaceExtension::OnInitialize() noexcept {}
HRESULT CNameSpaceExtension::ParseDisplayName(HWND, LPBC, LPOLESTR, ULONG*, LPITEMIDLIST* ppidl,
                                              ULONG*) noexcept
{
    if (ppidl)
        *ppidl = nullptr;
    return E_NOTIMPL;
}
BOOL CNameSpaceExtension::GetFindData(const void*, WIN32_FIND_DATAW*) noexcept { return FALSE; }
BOOL CNameSpaceExtension::GetDefaultColumn(ULONG*, ULONG*) noexcept { return FALSE; }
BOOL CNameSpaceExtension::GetDefaultColumnState(UINT, DWORD*) noexcept { return FALSE; }
LPCSTR CNameSpaceExtension::GetWebViewTemplate() noexcept { return nullptr; }
CString CNameSpaceExtension::GetUrlProtocol() noexcept { return {}; }
BOOL CNameSpaceExtension::ExecuteItem(const void*, HWND, LPCWSTR) noexcept { return FALSE; }

} // namespace corvasin
