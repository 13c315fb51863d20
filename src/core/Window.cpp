// The window base: association of objects with windows through a window property, creation
// with the object handed over through a per-thread slot, and taking over existing windows.
#include "core/Window.h"

#include "core/Module.h"

namespace corvasin
{

namespace
{

constexpr char c_szWindowProp[] = "Corvasin.CWnd";

// The object whose window CreateEx is creating on this thread. A slot instead of the creation
// parameters: a window of our class made by someone else (a dialog template) carries arbitrary
// parameters that must never be taken for an object.
thread_local CWnd* t_pWndInit = nullptr;

} // namespace

CWnd::~CWnd()
{
    if (m_hWnd)
        DestroyWindow();
}

CWnd* CWnd::FromHandle(HWND hWnd) noexcept
{
    if (!hWnd)
        return nullptr;
    return static_cast<CWnd*>(::GetPropA(hWnd, c_szWindowProp));
}

BOOL CWnd::Attach(HWND hWnd) noexcept
{
    if (!hWnd || m_hWnd || FromHandle(hWnd))
        return FALSE;
    if (!::SetPropA(hWnd, c_szWindowProp, this))
        return FALSE;
    m_hWnd = hWnd;
    return TRUE;
}

void CWnd::Detach() noexcept
{
    if (!m_hWnd)
        return;
    ::RemovePropA(m_hWnd, c_szWindowProp);
    m_hWnd = nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR pszClassName, LPCSTR pszWindowName, DWORD dwStyle,
                    const RECT& rect, HWND hwndParent, UINT nID) noexcept
{
    if (m_hWnd)
        return FALSE;
    CWnd* pPrevious = t_pWndInit;
    t_pWndInit = this;
    HMENU hMenuOrId = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)) : nullptr;
    HWND hWnd = ::CreateWindowExA(dwExStyle, pszClassName, pszWindowName, dwStyle, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, hwndParent, hMenuOrId,
                                  ModuleInstance(), nullptr);
    t_pWndInit = pPrevious;
    if (!hWnd)
        return FALSE;
    // A class with a foreign window procedure never saw the slot: take the window over instead.
    if (!m_hWnd && !SubclassWindow(hWnd))
    {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND hWnd) noexcept
{
    if (!::IsWindow(hWnd) || !Attach(hWnd))
        return FALSE;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    if (!m_pfnSuper)
    {
        Detach();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, HWND hwndParent) noexcept
{
    return SubclassWindow(::GetDlgItem(hwndParent, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow() noexcept
{
    if (!m_hWnd || !m_pfnSuper)
        return nullptr;
    // Someone subclassed the window after us: putting our predecessor back would cut them off.
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) != &CWnd::StaticWindowProc)
        return nullptr;
    HWND hWnd = m_hWnd;
    ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    return hWnd;
}

BOOL CWnd::DestroyWindow() noexcept
{
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    return Default(uMsg, wParam, lParam);
}

LRESULT CWnd::Default(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, uMsg, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWnd::Dispatch(CWnd* pWnd, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (uMsg != WM_NCDESTROY)
        return pWnd->WindowProc(uMsg, wParam, lParam);

    LRESULT lResult = pWnd->WindowProc(uMsg, wParam, lParam);
    // The window is gone after this message: give a taken-over window its procedure back and
    // let the object go its own way (it may delete itself).
    if (pWnd->m_pfnSuper)
    {
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) == &CWnd::StaticWindowProc)
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pWnd->m_pfnSuper));
        pWnd->m_pfnSuper = nullptr;
    }
    pWnd->Detach();
    pWnd->PostNcDestroy();
    return lResult;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    CWnd* pWnd = FromHandle(hWnd);
    if (!pWnd && t_pWndInit)
    {
        // The first message of a window that CreateEx is making (WM_GETMINMAXINFO or
        // WM_NCCREATE): the pending object takes it.
        CWnd* pInit = t_pWndInit;
        t_pWndInit = nullptr;
        if (pInit->Attach(hWnd))
            pWnd = pInit;
    }
    if (!pWnd)
        return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    return Dispatch(pWnd, hWnd, uMsg, wParam, lParam);
}

} // namespace corvasin
