// The explorer browser's site in corvasin-browse: default command and navigation events.
#include "BrowserSite.h"

#include "core/ComPtr.h"
#include "core/Handles.h"

#include <shlobj.h>

namespace corvasin
{

namespace
{

// The first item of the selection, as the view's data object lists it ("Shell IDList Array"),
// cloned; null when there is no usable selection. Every offset is checked against the block:
// the array comes from the folder's data object.
LPITEMIDLIST CloneFirstSelectedItem(IShellView* psv) noexcept
{
    ComPtr<IDataObject> pdo;
    if (FAILED(psv->GetItemObject(SVGIO_SELECTION, IID_IDataObject, pdo.put_void())))
        return nullptr;

    FORMATETC fmt = {static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"Shell IDList Array")),
                     nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    UniqueStgMedium medium;
    if (FAILED(pdo->GetData(&fmt, medium.put())) || medium.get().tymed != TYMED_HGLOBAL)
        return nullptr;

    const HGLOBAL hGlobal = medium.get().hGlobal;
    const SIZE_T cbBlock = ::GlobalSize(hGlobal);
    const auto* pb = static_cast<const BYTE*>(::GlobalLock(hGlobal));
    if (!pb)
        return nullptr;

    LPITEMIDLIST pidlClone = nullptr;
    UINT cidl = 0;
    UINT offChild = 0;
    if (cbBlock >= 3 * sizeof(UINT))
    {
        memcpy(&cidl, pb, sizeof(UINT));
        memcpy(&offChild, pb + 2 * sizeof(UINT), sizeof(UINT));
    }
    if (cidl >= 1 && offChild >= 3 * sizeof(UINT) && offChild + sizeof(USHORT) <= cbBlock)
    {
        // Walk the child list within the block before cloning it.
        SIZE_T off = offChild;
        bool fTerminated = false;
        while (off + sizeof(USHORT) <= cbBlock)
        {
            USHORT cb = 0;
            memcpy(&cb, pb + off, sizeof(cb));
            if (cb == 0)
            {
                fTerminated = true;
                break;
            }
            off += cb;
        }
        if (fTerminated && off > offChild)
            pidlClone = ::ILClone(reinterpret_cast<LPCITEMIDLIST>(pb + offChild));
    }
    ::GlobalUnlock(hGlobal);
    return pidlClone;
}

} // namespace

HRESULT CBrowserSite::QueryService(REFGUID guidService, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // The explorer browser asks its site for the frame's ICommDlgBrowser under this service id.
    if (guidService == SID_SExplorerBrowserFrame)
        return QueryInterface(riid, ppv);
    return E_NOINTERFACE;
}

HRESULT CBrowserSite::OnDefaultCommand(IShellView* psv)
{
    // Wine's explorer browser enters a selected item by itself only when it recognises the first
    // byte of the item id as one of its own folder kinds; other folders' items arrive here.
    if (!psv)
        return S_FALSE;

    UniquePidl pidlChild(CloneFirstSelectedItem(psv));
    if (!pidlChild)
        return S_FALSE;

    ComPtr<IFolderView> pfv;
    ComPtr<IShellFolder> psf;
    if (FAILED(psv->QueryInterface(IID_IFolderView, pfv.put_void())) ||
        FAILED(pfv->GetFolder(IID_IShellFolder, psf.put_void())))
        return S_FALSE;

    SFGAOF attributes = SFGAO_FOLDER;
    LPCITEMIDLIST apidl[1] = {pidlChild.get()};
    if (FAILED(psf->GetAttributesOf(1, apidl, &attributes)) || !(attributes & SFGAO_FOLDER))
        return S_FALSE; // the view carries on with its own handling (the item's verb)

    // Browse after the view's notification has returned: browsing replaces the view whose
    // list control is sending it.
    if (!::PostMessageW(m_hwndHost, WM_BROWSE_CHILD, 0,
                        reinterpret_cast<LPARAM>(pidlChild.get())))
        return S_FALSE;
    (void)pidlChild.release(); // the host window frees it
    return S_OK;
}

HRESULT CBrowserSite::OnStateChange(IShellView*, ULONG) { return S_OK; }

HRESULT CBrowserSite::IncludeObject(IShellView*, PCUITEMID_CHILD)
{
    return S_OK; // show every item the folder enumerates
}

HRESULT CBrowserSite::OnNavigationPending(PCIDLIST_ABSOLUTE) { return S_OK; }

HRESULT CBrowserSite::OnViewCreated(IShellView*) { return S_OK; }

HRESULT CBrowserSite::OnNavigationComplete(PCIDLIST_ABSOLUTE pidlFolder)
{
    ::SendMessageW(m_hwndHost, WM_NAVIGATED, 0, reinterpret_cast<LPARAM>(pidlFolder));
    return S_OK;
}

HRESULT CBrowserSite::OnNavigationFailed(PCIDLIST_ABSOLUTE) { return S_OK; }

} // namespace corvasin
