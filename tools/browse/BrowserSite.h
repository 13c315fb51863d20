// The site that corvasin-browse gives its explorer browser: it answers the browser's request for
// the frame's ICommDlgBrowser (so that opening a folder item in the list enters it) and hears
// the browser's navigation events.
#pragma once

#include <windows.h>
#include <shobjidl.h>
#include <servprov.h>

#include "core/ComObject.h"

namespace corvasin
{

// Messages the site sends or posts to the host window.
// WM_BROWSE_CHILD: lParam is a child item id list (ILClone) the host browses into and frees.
inline constexpr UINT WM_BROWSE_CHILD = WM_APP + 1;
// WM_NAVIGATED: lParam is the absolute id list the browser now shows, valid during the send.
inline constexpr UINT WM_NAVIGATED = WM_APP + 2;

// Lives as long as the browser holds it as its site and event sink; knows the host only by its
// window, so the browser and the site never hold each other. UI thread only.
class CBrowserSite : public CComObject<CBrowserSite, IServiceProvider, ICommDlgBrowser,
                                       IExplorerBrowserEvents>
{
public:
    explicit CBrowserSite(HWND hwndHost) noexcept : m_hwndHost(hwndHost) {}

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppv) override;

    // ICommDlgBrowser
    STDMETHODIMP OnDefaultCommand(IShellView* psv) override;
    STDMETHODIMP OnStateChange(IShellView* psv, ULONG uChange) override;
    STDMETHODIMP IncludeObject(IShellView* psv, PCUITEMID_CHILD pidl) override;

    // IExplorerBrowserEvents
    STDMETHODIMP OnNavigationPending(PCIDLIST_ABSOLUTE pidlFolder) override;
    STDMETHODIMP OnViewCreated(IShellView* psv) override;
    STDMETHODIMP OnNavigationComplete(PCIDLIST_ABSOLUTE pidlFolder) override;
    STDMETHODIMP OnNavigationFailed(PCIDLIST_ABSOLUTE pidlFolder) override;

private:
    HWND m_hwndHost;
};

} // namespace corvasin
