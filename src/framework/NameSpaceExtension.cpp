// Construction, the interface map, the child list and the base behaviour of the folder's
// virtual operations.
#include "framework/NameSpaceExtension.h"

#include "framework/ItemIdList.h"
#include "framework/ViewFolderProxy.h"
#include "core/Module.h"

#include <algorithm>

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

void CNameSpaceExtension::OnDefaultViewReleased(CViewFolderProxy* pProxy) noexcept
{
    if (m_pViewProxy != pProxy)
        return;
    m_pViewProxy = nullptr;
    m_pShellView = nullptr;
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

} // namespace corvasin
