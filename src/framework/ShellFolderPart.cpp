// IShellFolder2 of the folder base: binding, comparison, attributes, UI objects, names and
// views, each turned into the folder's virtual operations. Every incoming id is checked for
// size and signature before its data is read.
#include "framework/NameSpaceExtension.h"

#include "framework/EnumIDList.h"
#include "framework/ExtractIcon.h"
#include "framework/ItemIdList.h"
#include "framework/ShellConstants.h"
#include "framework/ViewFolderProxy.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/Result.h"

#include <oleauto.h>
#include <climits>
#include <vector>

namespace corvasin
{

using XShellFolder = CNameSpaceExtension::XShellFolder;

namespace
{
// The shell reads a comparison from the low 16 bits of a success code, as a signed number, so
// a caller that tests SUCCEEDED first never takes "sorts first" for a failure.
HRESULT CompareResult(int nResult) noexcept
{
    // A difference too large for 16 bits keeps only its sign.
    if (nResult < SHRT_MIN || nResult > SHRT_MAX)
        nResult = nResult < 0 ? -1 : 1;
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(nResult));
}

ComPtr<IShellFolder> ShellFolderOf(CNameSpaceExtension* pFolder) noexcept
{
    if (!pFolder)
        return nullptr;
    return ComPtr<IShellFolder>(static_cast<IShellFolder*>(pFolder->GetInterface(IID_IShellFolder)));
}
} // namespace

STDMETHODIMP XShellFolder::QueryInterface(REFIID riid, void** ppv)
{
    return m_pThis->QueryInterfaceWithView(riid, ppv);
}

STDMETHODIMP XShellFolder::ParseDisplayName(HWND hwnd, LPBC pbc, LPOLESTR pszDisplayName,
                                            ULONG* pchEaten, LPITEMIDLIST* ppidl,
                                            ULONG* pdwAttributes)
{
    return m_pThis->ParseDisplayName(hwnd, pbc, pszDisplayName, pchEaten, ppidl, pdwAttributes);
}

STDMETHODIMP XShellFolder::EnumObjects(HWND, SHCONTF grfFlags, IEnumIDList** ppenum)
{
    if (!ppenum)
        return E_POINTER;
    *ppenum = nullptr;
    return CreateComObject<CEnumIDList>(IID_IEnumIDList, reinterpret_cast<void**>(ppenum), m_pThis,
                                        m_pThis->m_pidl.get(), grfFlags);
}

STDMETHODIMP XShellFolder::BindToObject(LPCITEMIDLIST pidl, LPBC, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    const BYTE* pData = m_pThis->OwnItemData(pidl, true);
    if (!pData)
        return E_INVALIDARG;
    // A new folder object for every bind, initialised with the id exactly as received.
    const auto pFolder = CmdTargetPtr<CNameSpaceExtension>::Attach(m_pThis->CreateSubFolder(pData));
    if (!pFolder)
        return E_FAIL;
    if (auto* pPersist = static_cast<IPersistFolder*>(pFolder->GetInterface(IID_IPersistFolder)))
    {
        UniquePidl pidlFull(AppendFirstItemId(m_pThis->m_pidl.get(), pidl));
        if (pidlFull)
            pPersist->Initialize(pidlFull.get());
    }

    if (LPCITEMIDLIST pidlRest = NextItemId(pidl))
    {
        const ComPtr<IShellFolder> psf = ShellFolderOf(pFolder.get());
        return psf ? psf->BindToObject(pidlRest, nullptr, riid, ppv) : E_NOINTERFACE;
    }
    return pFolder->ExternalQueryInterface(riid, ppv);
}

STDMETHODIMP XShellFolder::BindToStorage(LPCITEMIDLIST, LPBC, REFIID, void** ppv)
{
    if (ppv)
        *ppv = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP XShellFolder::CompareIDs(LPARAM lParam, LPCITEMIDLIST pidl1, LPCITEMIDLIST pidl2)
{
    const UINT n1 = CountItemIds(pidl1);
    const UINT n2 = CountItemIds(pidl2);
    // Lists of different depth are ordered by depth alone, the shorter first.
    if (n1 != n2)
        return CompareResult(n1 < n2 ? -1 : 1);

    const UINT cbItem = m_pThis->GetItemDataSize();
    const BYTE* pData1 = ItemIdData(pidl1, cbItem, true);
    const BYTE* pData2 = ItemIdData(pidl2, cbItem, true);
    if (n1 == 0)
        return CompareResult(0);
    if (!pData1 || !pData2 || !m_pThis->IsOwnItem(pData1) || !m_pThis->IsOwnItem(pData2))
        return E_INVALIDARG;

    const int nResult = m_pThis->CompareItems(lParam, pData1, pData2);
    if (nResult != 0 || n1 == 1)
        return CompareResult(nResult);

    const ComPtr<IShellFolder> psf = m_pThis->GetSubFolderInterface(pData1);
    return psf ? psf->CompareIDs(lParam, NextItemId(pidl1), NextItemId(pidl2)) : CompareResult(0);
}

STDMETHODIMP XShellFolder::CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // The folder's own interfaces first (drop target, details...), and a view still alive.
    if (SUCCEEDED(m_pThis->QueryInterfaceWithView(riid, ppv)))
        return S_OK;

    // What the folder does not answer itself, its parent's UI object for it may (a menu).
    if (m_pThis->m_pParent && m_pThis->m_pidl)
    {
        LPCITEMIDLIST pidlLast = LastItemId(m_pThis->m_pidl.get());
        const auto pUI = CmdTargetPtr<CCmdTarget>::Attach(
            m_pThis->m_pParent->CreateUIObject(1, &pidlLast, hwndOwner));
        if (pUI && SUCCEEDED(pUI->ExternalQueryInterface(riid, ppv)))
            return S_OK;
        *ppv = nullptr;
    }

    HRESULT hr = m_pThis->CreateViewObjectEx(hwndOwner, riid, ppv);
    if (SUCCEEDED(hr))
        return hr;
    *ppv = nullptr;

    // The default view gets a forwarding folder whose final release tells us the view is gone.
    // The view takes a reference of its own; ours goes when the call returns.
    const auto pProxy = ComPtr<CViewFolderProxy>::Attach(new (std::nothrow) CViewFolderProxy(m_pThis));
    if (!pProxy)
        return E_OUTOFMEMORY;
    UniquePidl pidlClone(m_pThis->m_pidl ? ::ILClone(m_pThis->m_pidl.get()) : nullptr);
    CSFV csfv = {};
    csfv.cbSize = sizeof(csfv);
    csfv.pshf = pProxy.get();
    csfv.psvOuter = reinterpret_cast<IShellView*>(m_pThis); // handed back to ViewCallback
    csfv.pidl = pidlClone.get();
    csfv.lEvents = kViewChangeEvents;
    csfv.pfnCallback = &CNameSpaceExtension::ViewCallback;
    csfv.fvm = static_cast<FOLDERVIEWMODE>(0);
    ComPtr<IShellView> pView;
    hr = ::SHCreateShellFolderViewEx(&csfv, pView.put());
    if (FAILED(hr) || !pView)
        return FAILED(hr) ? hr : E_FAIL;

    hr = pView->QueryInterface(riid, ppv);
    if (SUCCEEDED(hr) && riid == IID_IShellView)
    {
        // Only a proxy still held by the view can tell us when the view goes away.
        m_pThis->RecordView(pView.get(), pProxy.get(), hwndOwner);
    }
    return hr;
}

STDMETHODIMP XShellFolder::GetAttributesOf(UINT cidl, LPCITEMIDLIST* apidl, SFGAOF* rgfInOut)
{
    if (!rgfInOut)
        return E_POINTER;
    // A caller that asks only for the attributes no folder item carries learns nothing.
    if ((*rgfInOut & kItemAttributeMask) == 0)
    {
        if (!m_pThis->IsFileSystemFolder())
            *rgfInOut = 0;
        return S_OK;
    }
    if (apidl && cidl > 0)
    {
        // What every item shares, masked to what was asked: a key selected with a value is
        // no folder. Nothing changes until every id has been checked.
        SFGAOF shared = *rgfInOut;
        for (UINT i = 0; i < cidl; ++i)
        {
            const BYTE* pData = apidl[i] ? m_pThis->OwnItemData(LastItemId(apidl[i]), false) : nullptr;
            if (!pData)
                return E_INVALIDARG;
            shared &= m_pThis->GetItemAttributes(pData);
        }
        *rgfInOut = shared;
        return S_OK;
    }
    *rgfInOut = m_pThis->GetItemAttributes(nullptr);
    return S_OK;
}

STDMETHODIMP XShellFolder::GetUIObjectOf(HWND hwndOwner, UINT cidl, LPCITEMIDLIST* apidl,
                                         REFIID riid, UINT*, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (cidl > 0 && !apidl)
        return E_INVALIDARG;

    // Ids made by a host's allocator are unwrapped into plain copies for the call.
    std::vector<UniquePidl> unwrapped;
    std::vector<LPCITEMIDLIST> lists;
    try
    {
        lists.assign(apidl, apidl + cidl);
        if (cidl > 0 && IsDelegateItemId(apidl[0]))
        {
            for (UINT i = 0; i < cidl; ++i)
            {
                // The copy holds the whole inner data: a copy taken at the inner size word
                // would be two bytes short of it.
                const UINT cbItem = m_pThis->GetItemDataSize();
                const BYTE* pData = IsDelegateItemId(apidl[i]) ? ItemIdData(apidl[i], cbItem, true)
                                                               : nullptr;
                if (!pData)
                    return E_INVALIDARG;
                unwrapped.emplace_back(MakeItemIdList(pData, cbItem));
                if (!unwrapped.back())
                    return E_OUTOFMEMORY;
                lists[i] = unwrapped.back().get();
            }
        }
    }
    CATCH_RETURN(E_OUTOFMEMORY)

    for (UINT i = 0; i < cidl; ++i)
    {
        if (!lists[i] || !m_pThis->OwnItemData(lists[i], false))
            return E_INVALIDARG;
    }

    if (riid == IID_IExtractIconW || riid == IID_IExtractIconA)
    {
        // An icon belongs to an item: with none there is no object to make.
        if (cidl == 0)
            return E_NOINTERFACE;
        if (riid == IID_IExtractIconW)
            return CreateComObject<CExtractIconW>(riid, ppv, lists[0], m_pThis);
        return CreateComObject<CExtractIconA>(riid, ppv, lists[0], m_pThis);
    }

    {
        const auto pUI = CmdTargetPtr<CCmdTarget>::Attach(
            m_pThis->CreateUIObject(cidl, lists.data(), hwndOwner));
        if (pUI && SUCCEEDED(pUI->ExternalQueryInterface(riid, ppv)))
            return S_OK;
        *ppv = nullptr;
    }

    // What the UI object does not answer, the item's own folder object (or this one) may.
    CmdTargetPtr<CNameSpaceExtension> pObject(m_pThis);
    if (cidl > 0)
    {
        pObject = CmdTargetPtr<CNameSpaceExtension>::Attach(
            m_pThis->CreateSubFolder(ItemIdData(lists[0], m_pThis->GetItemDataSize(), false)));
        if (!pObject)
            return E_FAIL;
        if (auto* pInit = static_cast<IShellExtInit*>(pObject->GetInterface(IID_IShellExtInit)))
        {
            UniquePidl pidlFull(::ILCombine(m_pThis->m_pidl.get(), lists[0]));
            pInit->Initialize(pidlFull.get(), nullptr, nullptr);
        }
    }
    return pObject->ExternalQueryInterface(riid, ppv);
}

STDMETHODIMP XShellFolder::GetDisplayNameOf(LPCITEMIDLIST pidl, SHGDNF uFlags, STRRET* pName)
{
    if (!pName)
        return E_POINTER;
    try
    {
        return DisplayNameOf(pidl, uFlags, pName);
    }
    CATCH_RETURN(E_OUTOFMEMORY)
}

HRESULT XShellFolder::DisplayNameOf(LPCITEMIDLIST pidl, SHGDNF uFlags, STRRET* pName)
{
    const bool bWrapped = IsDelegateItemId(pidl);
    const BYTE* pData = m_pThis->OwnItemData(pidl, true);
    if (!pData)
        return E_INVALIDARG;

    CString name;
    if (LPCITEMIDLIST pidlRest = NextItemId(pidl))
    {
        const ComPtr<IShellFolder> psf = m_pThis->GetSubFolderInterface(pData);
        if (!psf)
            return E_FAIL;
        STRRET inner = {};
        const HRESULT hr = psf->GetDisplayNameOf(pidlRest, uFlags, &inner);
        if (SUCCEEDED(hr))
            name = m_pThis->GetItemName(pData, uFlags) + "\\" + TakeStrRetText(inner, pidlRest);
        if (!(uFlags & SHGDN_FORPARSING) && FAILED(hr))
            return hr;
    }
    if (name.empty())
        name = m_pThis->GetItemName(pData, uFlags);
    if (bWrapped && (uFlags & SHGDN_FORPARSING))
        name = m_pThis->GetUrlProtocol() + "://" + name;

    LPWSTR psz = CoTaskMemWideString(name);
    if (!psz)
        return E_OUTOFMEMORY;
    pName->uType = STRRET_WSTR;
    pName->pOleStr = psz;
    return S_OK;
}

STDMETHODIMP XShellFolder::SetNameOf(HWND hwnd, LPCITEMIDLIST pidl, LPCOLESTR pszName,
                                     SHGDNF uFlags, LPITEMIDLIST* ppidlOut)
{
    if (ppidlOut)
        *ppidlOut = nullptr;
    const BYTE* pData = m_pThis->OwnItemData(pidl, false);
    if (!pData || !pszName)
        return E_INVALIDARG;

    if (LPCITEMIDLIST pidlRest = NextItemId(pidl))
    {
        UniquePidl pidlFirst(::ILCloneFirst(pidl));
        const ComPtr<IShellFolder> psf = m_pThis->GetSubFolderInterface(pData);
        if (!psf || !pidlFirst)
            return E_FAIL;
        const HRESULT hr = psf->SetNameOf(hwnd, pidlRest, pszName, uFlags, ppidlOut);
        if (SUCCEEDED(hr) && ppidlOut && *ppidlOut)
        {
            UniquePidl pidlInner(*ppidlOut);
            *ppidlOut = ::ILCombine(pidlFirst.get(), pidlInner.get());
        }
        return hr;
    }

    const CString name = WideToAnsi(pszName);
    const UINT cbItem = m_pThis->GetItemDataSize();
    std::vector<BYTE> copy;
    try
    {
        copy.assign(pData, pData + cbItem);
    }
    CATCH_RETURN(E_OUTOFMEMORY)
    if (!m_pThis->SetItemName(copy.data(), name))
        return E_FAIL;

    UniquePidl pidlNew(MakeItemIdList(copy.data(), cbItem));
    if (ppidlOut)
        *ppidlOut = MakeItemIdList(copy.data(), cbItem);
    UniquePidl pidlOldFull(::ILCombine(m_pThis->m_pidl.get(), pidl));
    UniquePidl pidlNewFull(::ILCombine(m_pThis->m_pidl.get(), pidlNew.get()));
    // Items and folders alike are announced with both events.
    ::SHChangeNotify(SHCNE_RENAMEITEM, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, pidlOldFull.get(),
                     pidlNewFull.get());
    ::SHChangeNotify(SHCNE_RENAMEFOLDER, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, pidlOldFull.get(),
                     pidlNewFull.get());
    return S_OK;
}

STDMETHODIMP XShellFolder::GetDefaultSearchGUID(GUID* pguid)
{
    if (pguid)
        *pguid = m_pThis->GetCLSID();
    return S_OK;
}

STDMETHODIMP XShellFolder::EnumSearches(IEnumExtraSearch** ppenum)
{
    if (ppenum)
        *ppenum = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP XShellFolder::GetDefaultColumn(DWORD, ULONG* pSort, ULONG* pDisplay)
{
    return HrFromBool(m_pThis->GetDefaultColumn(pSort, pDisplay));
}

STDMETHODIMP XShellFolder::GetDefaultColumnState(UINT iColumn, SHCOLSTATEF* pcsFlags)
{
    if (!pcsFlags)
        return E_POINTER;
    return HrFromBool(m_pThis->GetDefaultColumnState(iColumn, pcsFlags));
}

STDMETHODIMP XShellFolder::GetDetailsEx(LPCITEMIDLIST pidl, const SHCOLUMNID* pscid, VARIANT* pv)
{
    if (!pscid || !pv || pscid->pid != 0)
        return E_FAIL;
    const BYTE* pData = m_pThis->OwnItemData(pidl, false);
    if (!pData)
        return E_INVALIDARG;
    WIN32_FIND_DATAW findData = {};
    if (!m_pThis->GetFindData(pData, &findData))
        return E_FAIL;
    UniqueSafeArray psa(::SafeArrayCreateVector(VT_UI1, 0, sizeof(findData)));
    if (!psa)
        return E_OUTOFMEMORY;
    void* pBytes = nullptr;
    if (FAILED(::SafeArrayAccessData(psa.get(), &pBytes)))
        return E_FAIL;
    memcpy(pBytes, &findData, sizeof(findData));
    ::SafeArrayUnaccessData(psa.get());
    pv->vt = VT_ARRAY | VT_UI1;
    pv->parray = psa.release(); // the caller clears the variant
    return S_OK;
}

STDMETHODIMP XShellFolder::GetDetailsOf(LPCITEMIDLIST pidl, UINT iColumn, SHELLDETAILS* pDetails)
{
    return m_pThis->m_xShellDetails.GetDetailsOf(pidl, iColumn, pDetails);
}

STDMETHODIMP XShellFolder::MapColumnToSCID(UINT, SHCOLUMNID*) { return E_NOTIMPL; }

} // namespace corvasin
