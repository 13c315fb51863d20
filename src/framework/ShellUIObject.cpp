// Construction, the interface map and the small parts of the UI object base: external
// connections, the site, info tips and shell extension initialisation.
#include "framework/ShellUIObject.h"

#include "core/Module.h"

#include "framework/ItemIdList.h"
#include "framework/MenuPopupWatch.h"
#include "framework/NameSpaceExtension.h"
#include "core/ComPtr.h"
#include "core/Module.h"

#include <utility>

namespace corvasin
{

CShellUIObject::CShellUIObject(CNameSpaceExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                               LPCITEMIDLIST pidlFolder, HWND hwndOwner) noexcept
    : m_hwndOwner(hwndOwner)
{
    // Held while it lives: the clipboard keeps a copied selection's object after the call.
    ++g_nLockCount;
    SetFolder(pFolder);
    if (pidlFolder)
        m_pidlFolder.reset(::ILClone(pidlFolder));

    if (cidl == 0 || !apidl)
        return;
    try
    {
        m_apidlItems.reserve(cidl);
        for (UINT i = 0; i < cidl; ++i)
        {
            m_apidlItems.emplace_back(apidl[i] ? ::ILClone(apidl[i]) : nullptr);
            if (!m_apidlItems.back())
                break;
        }
    }
    catch (...)
    {
    }
    // A selection that could not be copied whole is no selection: acting on part of it would
    // delete or copy something other than what the user chose.
    if (m_apidlItems.size() == cidl && m_apidlItems.back())
        m_nItems = cidl;
    else
        m_apidlItems.clear();
}

CShellUIObject::~CShellUIObject()
{
    StopWatchingMenuPopups(this);
    --g_nLockCount;
}

void* CShellUIObject::GetInterface(REFIID riid) noexcept
{
    if (riid == IID_IUnknown || riid == IID_IDataObject)
        return static_cast<IDataObject*>(&m_xDataObject);
    if (riid == IID_IExternalConnection)
        return static_cast<IExternalConnection*>(&m_xExternalConnection);
    if (riid == IID_IContextMenu || riid == IID_IContextMenu2 || riid == IID_IContextMenu3)
        return static_cast<IContextMenu3*>(&m_xContextMenu);
    if (riid == IID_IObjectWithSite)
        return static_cast<IObjectWithSite*>(&m_xObjectWithSite);
    if (riid == IID_IQueryInfo)
        return static_cast<IQueryInfo*>(&m_xQueryInfo);
    if (riid == IID_IShellExtInit)
        return static_cast<IShellExtInit*>(&m_xShellExtInit);
    return nullptr;
}

void CShellUIObject::SetFolder(CNameSpaceExtension* pFolder) noexcept
{
    m_pFolder = CmdTargetPtr<CNameSpaceExtension>(pFolder);
}

void CShellUIObject::ForgetItems() noexcept
{
    m_nItems = 0;
    m_apidlItems.clear();
}

const BYTE* CShellUIObject::ItemData(UINT i) const noexcept
{
    if (!m_pFolder || i >= m_nItems)
        return nullptr;
    return ItemIdData(m_apidlItems[i].get(), m_pFolder->GetItemDataSize(), true);
}

ULONG CShellUIObject::FirstItemAttributes() const noexcept
{
    const BYTE* pData = ItemData(0);
    return pData ? m_pFolder->GetItemAttributes(pData) : 0;
}

LPCITEMIDLIST CShellUIObject::FolderIdList() const noexcept
{
    if (m_pFolder && m_pFolder->GetPidl())
        return m_pFolder->GetPidl();
    return m_pidlFolder.get();
}

CNameSpaceExtension* CShellUIObject::GetDefaultFolder() noexcept { return nullptr; }

// ---- IExternalConnection ---------------------------------------------------------------------

STDMETHODIMP_(DWORD) CShellUIObject::XExternalConnection::AddConnection(DWORD extconn, DWORD)
{
    m_pThis->ExternalAddRef();
    if (extconn & EXTCONN_STRONG)
        return static_cast<DWORD>(++m_pThis->m_nStrongConnections);
    ++m_pThis->m_nWeakConnections;
    return 0;
}

STDMETHODIMP_(DWORD) CShellUIObject::XExternalConnection::ReleaseConnection(
    DWORD extconn, DWORD, BOOL fLastReleaseCloses)
{
    // A release without a matching AddConnection must not drop a reference someone else holds.
    CShellUIObject* const pThis = m_pThis;
    DWORD dwResult = 0;
    if (extconn & EXTCONN_STRONG)
    {
        if (pThis->m_nStrongConnections <= 0)
            return 0;
        dwResult = static_cast<DWORD>(--pThis->m_nStrongConnections);
        if (dwResult == 0 && fLastReleaseCloses)
            ::CoDisconnectObject(static_cast<IDataObject*>(&pThis->m_xDataObject), 0);
    }
    else
    {
        if (pThis->m_nWeakConnections <= 0)
            return 0;
        --pThis->m_nWeakConnections;
    }
    // May destroy the object: nothing touches it afterwards.
    pThis->ExternalRelease();
    return dwResult;
}

// ---- IObjectWithSite -------------------------------------------------------------------------

STDMETHODIMP CShellUIObject::XObjectWithSite::SetSite(IUnknown* pUnkSite)
{
    // The old site is released after the new one is in place: its release may call back.
    ComPtr<IUnknown> pOld = std::exchange(m_pThis->m_pSite, ComPtr<IUnknown>(pUnkSite));
    return S_OK;
}

STDMETHODIMP CShellUIObject::XObjectWithSite::GetSite(REFIID riid, void** ppvSite)
{
    if (!ppvSite)
        return E_POINTER;
    *ppvSite = nullptr;
    if (!m_pThis->m_pSite)
        return E_FAIL;
    return m_pThis->m_pSite->QueryInterface(riid, ppvSite);
}

// ---- IQueryInfo ------------------------------------------------------------------------------

STDMETHODIMP CShellUIObject::XQueryInfo::GetInfoTip(DWORD, LPWSTR* ppwszTip)
{
    if (!ppwszTip)
        return E_POINTER;
    *ppwszTip = nullptr;
    if (m_pThis->m_nItems != 1)
        return E_FAIL;
    const BYTE* pData = m_pThis->ItemData(0);
    if (!pData)
        return E_FAIL;

    // Column -1 is the folder's info tip column; without a tip the item's name serves.
    CString text = m_pThis->m_pFolder->GetColumnText(pData, -1);
    if (text.empty())
        text = m_pThis->m_pFolder->GetColumnText(pData, 0);
    if (text.empty())
        return E_FAIL;

    // Every ANSI byte becomes at most one UTF-16 unit, so 2 bytes per byte and the zero suffice.
    const int cb = static_cast<int>(text.size());
    auto* pszTip = static_cast<LPWSTR>(::SHAlloc(2 * static_cast<SIZE_T>(cb) + 2));
    if (!pszTip)
        return E_OUTOFMEMORY;
    const int cch = ::MultiByteToWideChar(CP_ACP, 0, text.data(), cb, pszTip, cb);
    pszTip[cch > 0 ? cch : 0] = L'\0';
    *ppwszTip = pszTip; // the shell frees it with its allocator
    return S_OK;
}

STDMETHODIMP CShellUIObject::XQueryInfo::GetInfoFlags(DWORD* pdwFlags)
{
    if (pdwFlags)
        *pdwFlags = 0;
    return E_NOTIMPL;
}

// ---- IShellExtInit ---------------------------------------------------------------------------

STDMETHODIMP CShellUIObject::XShellExtInit::Initialize(LPCITEMIDLIST pidlFolder, IDataObject*,
                                                       HKEY)
{
    CShellUIObject* const pThis = m_pThis;
    // As the handler of the namespace's own icon the object has no items, only a folder.
    pThis->ForgetItems();

    CNameSpaceExtension* pFolder = nullptr;
    ComPtr<IShellFolder> desktop;
    ComPtr<IGetNameSpaceExtensionPointer> pointer;
    if (pidlFolder && SUCCEEDED(::SHGetDesktopFolder(desktop.put())) && desktop &&
        SUCCEEDED(desktop->BindToObject(pidlFolder, nullptr, IID_IGetNameSpaceExtensionPointer,
                                        pointer.put_void())) &&
        pointer)
    {
        if (FAILED(pointer->GetNameSpaceExtension(&pFolder)))
            pFolder = nullptr;
    }
    if (!pFolder)
        pFolder = pThis->GetDefaultFolder();
    // SetFolder takes a reference of the object's own; the bound interface's goes with pointer.
    pThis->SetFolder(pFolder);
    return S_OK;
}

} // namespace corvasin
