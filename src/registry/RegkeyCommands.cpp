// The key folder's command entry points: what the shell and the menus ask of the folder that
// changes something or opens a window. Each hands its work to the commands through the
// services record and turns the answer into what the shell is told.
#include "registry/RegkeyExtension.h"

#include "core/Module.h"
#include "core/Result.h"
#include "core/WindowsVersion.h"
#include "framework/DroppedFiles.h"
#include "framework/ShellConstants.h"
#include "framework/ViewSelection.h"

#include "resource.h"

#include <vector>

namespace corvasin
{

HWND CRegkeyExtension::LiveOwnerWindow() noexcept
{
    return ::IsWindow(GetOwnerWindow()) ? GetOwnerWindow() : nullptr;
}

BOOL CRegkeyExtension::DeleteItems(UINT cidl, LPCITEMIDLIST* apidl) noexcept
{
    // The shell is told the delete ran whatever became of each item: a failure is not shown,
    // and every item that was deleted has been notified on its own.
    if (apidl)
        (void)m_pServices->DeleteItems(*this, cidl, apidl, LiveOwnerWindow());
    return TRUE;
}

BOOL CRegkeyExtension::SetItemName(void* pItem, const CString& strName) noexcept
{
    if (!pItem)
        return FALSE;
    REGITEM item = ReadRegItem(pItem);
    if (FAILED(m_pServices->RenameItem(*this, item, strName)))
        return FALSE;
    memcpy(pItem, &item, sizeof(item));
    return TRUE;
}

DWORD CRegkeyExtension::QueryDrop(IDataObject* pDataObject, DWORD, POINTL, BOOL) noexcept
{
    const UINT cf = m_pServices->RegKeyFormat();
    if (!pDataObject || cf == 0)
        return DROPEFFECT_NONE;
    FORMATETC fe = {static_cast<CLIPFORMAT>(cf), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (pDataObject->QueryGetData(&fe) == S_OK)
        return DROPEFFECT_COPY;
    // Registration files are merged, after a preview, wherever they are dropped.
    return DroppedFilesNamed(pDataObject, L".reg").empty() ? DROPEFFECT_NONE : DROPEFFECT_COPY;
}

BOOL CRegkeyExtension::Drop(IDataObject* pDataObject, DWORD, POINTL, DWORD*) noexcept
{
    // The shell hears of a failed drop only when nothing could be taken from the data object
    // (no registry data, no memory to read it); a registry error on the way leaves that item
    // out quietly, the others copied.
    const HRESULT hr = m_pServices->Drop(*this, pDataObject);
    return SUCCEEDED(hr) || HRESULT_FACILITY(hr) == FACILITY_WIN32;
}

BOOL CRegkeyExtension::FindItems(UINT cidl, LPCITEMIDLIST* apidl, HWND hwndOwner) noexcept
{
    return SUCCEEDED(m_pServices->FindItems(*this, cidl, apidl, hwndOwner));
}

BOOL CRegkeyExtension::EditKeySecurity(HWND hwndOwner) noexcept
{
    return m_pServices->EditKeySecurity(*this, hwndOwner) == S_OK;
}

// ---- the view's toolbar: the commands the services offer there -------------------------------

BOOL CRegkeyExtension::GetButtonInfo(TBINFO* pInfo) noexcept
{
    if (!pInfo || m_pServices->ViewButtonCount() == 0)
        return FALSE;
    pInfo->cbuttons = m_pServices->ViewButtonCount();
    pInfo->uFlags = 0;
    return TRUE;
}

BOOL CRegkeyExtension::GetButtons(HWND hwndMain, UINT idCmdFirst, TBBUTTON* pButtons) noexcept
{
    const UINT cButtons = m_pServices->ViewButtonCount();
    if (!pButtons || cButtons == 0)
        return FALSE;
    // The toolbar bitmap holds one image per button after the separator, in their order.
    int iFirstImage = 0;
    auto* pBrowser =
        reinterpret_cast<IShellBrowser*>(::SendMessageA(hwndMain, kCwmGetIShellBrowser, 0, 0));
    if (pBrowser)
    {
        TBADDBITMAP tbab = {ModuleInstance(), IDB_TOOLBAR};
        LRESULT lResult = 0;
        if (SUCCEEDED(pBrowser->SendControlMsg(FCW_TOOLBAR, TB_ADDBITMAP, cButtons - 1,
                                               reinterpret_cast<LPARAM>(&tbab), &lResult)))
            iFirstImage = static_cast<int>(lResult);
    }
    pButtons[0] = {};
    pButtons[0].fsState = TBSTATE_ENABLED;
    pButtons[0].fsStyle = BTNS_SEP;
    for (UINT i = 1; i < cButtons; ++i)
    {
        pButtons[i] = {};
        pButtons[i].iBitmap = iFirstImage + static_cast<int>(i - 1);
        pButtons[i].idCommand = static_cast<int>(idCmdFirst + m_pServices->ViewButtonCommand(i));
        pButtons[i].fsState = TBSTATE_ENABLED;
        pButtons[i].fsStyle = BTNS_BUTTON;
    }
    return TRUE;
}

BOOL CRegkeyExtension::InvokeViewCommand(HWND hwndMain, UINT idCmd) noexcept
{
    if (!m_pServices->ViewCommandHelp(idCmd))
        return FALSE;
    // The selection of the view showing this folder; without one the whole key.
    std::vector<UniquePidl> selection;
    GetViewSelection(ComPtr<IShellView>(GetRecordedView()).get(), selection);
    std::vector<LPCITEMIDLIST> items;
    try
    {
        for (const UniquePidl& pidl : selection)
            items.push_back(pidl.get());
    }
    CATCH_RETURN(FALSE)
    return SUCCEEDED(m_pServices->RunViewCommand(*this, idCmd, static_cast<UINT>(items.size()),
                                                 items.empty() ? nullptr : items.data(), hwndMain));
}

const void* CRegkeyExtension::GetToolTipText(UINT idCmd) noexcept
{
    const char* pszHelp = m_pServices->ViewCommandHelp(idCmd);
    if (!pszHelp || !IsWindowsNtPlatform())
        return pszHelp;
    // The NT shell asks for wide text; it is kept until the next tip.
    try
    {
        m_strToolTip = AnsiToWide(pszHelp);
        return m_strToolTip.c_str();
    }
    CATCH_RETURN(nullptr)
}

} // namespace corvasin
