// The top-level window of corvasin-browse: it hosts the shell's explorer browser (tree pane and
// folder view) and browses it to item id lists.
#pragma once

#include <windows.h>
#include <shobjidl.h>
#include <string>

#include "BrowserSite.h"
#include "framework/core/ComPtr.h"

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

    HWND Window() const noexcept { return m_hwnd; }
    // The parsing name of the folder shown last ("" before the first navigation).
    const std::wstring& CurrentLocation() const noexcept { return m_strLocation; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    HRESULT CreateBrowser() noexcept;
    void DestroyBrowser() noexcept;
    void OnNavigated(LPCITEMIDLIST pidl) noexcept;

    HWND m_hwnd = nullptr;
    ComPtr<IExplorerBrowser> m_pBrowser;
    ComPtr<CBrowserSite> m_pSite;
    DWORD m_dwEventsCookie = 0;
    std::wstring m_strLocation;
};

} // namespace corvasin
