// The top-level window of corvasin-browse: it hosts the shell's explorer browser (tree pane and
// folder view) and browses it to item id lists.
#pragma once

#include <windows.h>
#include <shobjidl.h>
#include <string>

#include "BrowserSite.h"
#include "core/ComPtr.h"
#include "core/Handles.h"

namespace corvasin
{

// Owns the window, the explorer browser and its site; UI thread only. The window's procedure
// finds the object through the pointer stored at WM_NCCREATE and forgets it at WM_NCDESTROY.
class CBrowserHost
{
public:
    CBrowserHost() = default;
    CBrowserHost(const CBrowserHost&) = delete;
    CBrowserHost& operator=(const CBrowserHost&) = delete;
    ~CBrowserHost();

    // Creates the hidden window (cx by cy pixels) and the explorer browser in it.
    HRESULT Create(HINSTANCE hInstance, int cx, int cy) noexcept;

    // Shows the folder named by an absolute item id list.
    HRESULT BrowseTo(LPCITEMIDLIST pidl) noexcept;

    // Double-clicks item iItem of the current folder view, as a user would (test aid).
    HRESULT DoubleClickItem(int iItem) noexcept;

    // Expands the tree pane's nodes from the desktop down to the folder shown, that folder
    // included, and selects it, matching nodes by display name as a user reads them.
    HRESULT ExpandTreeToCurrent() noexcept;

    // Drags the splitter between the tree pane and the view so that the tree pane is cx
    // pixels wide, as a user would.
    HRESULT DragTreeSplitter(int cx) noexcept;

    // Moves the mouse onto item iItem and posts the right button's press and release; the
    // view opens the item's context menu when the messages are dispatched.
    // iItem -1: the list's background.
    HRESULT PostRightClickItem(int iItem) noexcept;

    // Moves the mouse onto item iItem and posts the move the list control hears, as a user
    // resting the mouse there; any tip shows once the messages are dispatched.
    HRESULT PostHoverItem(int iItem) noexcept;

    // The info tip the folder gives for item iItem through IQueryInfo, asked for as a view that
    // shows tips would ask (GetUIObjectOf, then GetInfoTip).
    HRESULT ItemInfoTip(int iItem, std::wstring& tip) noexcept;

    // Goes where a text typed into the address bar leads: a registry location in any form the
    // registry root takes (reg://HKLM\SOFTWARE, HKLM:\SOFTWARE, [HKEY_...], ...) or, failing
    // that, anything the desktop parses. The address bar shows the text meanwhile.
    HRESULT NavigateToAddress(const std::wstring& text) noexcept;

    // Runs command offset nOffset of the context menu of the folder shown, asked of its parent
    // folder as the tree pane asks when the user right-clicks the folder's node.
    HRESULT InvokeFolderCommand(UINT nOffset) noexcept;

    HWND Window() const noexcept { return m_hwnd; }
    // The parsing name of the folder shown last ("" before the first navigation).
    const std::wstring& CurrentLocation() const noexcept { return m_strLocation; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    HRESULT CreateBrowser() noexcept;
    void DestroyBrowser() noexcept;
    void OnNavigated(LPCITEMIDLIST pidl) noexcept;
    HWND CurrentListControl() const noexcept;
    void LayOut(int cx, int cy) noexcept;
    static LRESULT CALLBACK AddressProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    HWND m_hwndAddress = nullptr; // the address bar: an edit control across the top
    WNDPROC m_pfnAddressProc = nullptr;
    ComPtr<IExplorerBrowser> m_pBrowser;
    ComPtr<CBrowserSite> m_pSite;
    DWORD m_dwEventsCookie = 0;
    std::wstring m_strLocation;
    UniquePidl m_pidlCurrent; // the absolute id list shown last
};

} // namespace corvasin
