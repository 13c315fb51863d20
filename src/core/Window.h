// The window base: one object per window, found again from the handle through a window property,
// every message dispatched through one virtual WindowProc. A window is either created by the
// object (which claims it at its first message, WM_NCCREATE for a child) or an existing one is
// taken over; the object lets go at WM_NCDESTROY.
#pragma once

#include <windows.h>

namespace corvasin
{

// Owns no handle but its own window's association; lives on the thread that owns the window.
// The object must outlive its window unless PostNcDestroy arranges otherwise.
class CWnd
{
public:
    CWnd() noexcept = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Destroys a window that is still attached.
    virtual ~CWnd();

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    operator HWND() const noexcept { return GetSafeHwnd(); }

    // Creates a window of a class whose window procedure is StaticWindowProc (or forwards to it).
    BOOL CreateEx(DWORD dwExStyle, LPCSTR pszClassName, LPCSTR pszWindowName, DWORD dwStyle,
                  const RECT& rect, HWND hwndParent, UINT nID) noexcept;

    // Takes over an existing window: its messages reach WindowProc first, Default() passes them
    // on to the window's original procedure.
    BOOL SubclassWindow(HWND hWnd) noexcept;
    BOOL SubclassDlgItem(UINT nID, HWND hwndParent) noexcept;
    // Gives the window its original procedure back and forgets it.
    HWND UnsubclassWindow() noexcept;

    BOOL DestroyWindow() noexcept;

    // The object attached to a window by this base, or nullptr.
    static CWnd* FromHandle(HWND hWnd) noexcept;

    // Window procedure for classes whose windows are created through CreateEx.
    static LRESULT CALLBACK StaticWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam,
                                             LPARAM lParam) noexcept;

protected:
    // The one message handler; the base passes everything to Default().
    virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    // The window's previous procedure when subclassed, else DefWindowProcA.
    LRESULT Default(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    // Called after WM_NCDESTROY, once the object has let go of the window.
    virtual void PostNcDestroy() noexcept {}

    // Associates the object with a window that has just started to exist (WM_NCCREATE).
    BOOL Attach(HWND hWnd) noexcept;

    HWND m_hWnd = nullptr;
    WNDPROC m_pfnSuper = nullptr;

private:
    static LRESULT Dispatch(CWnd* pWnd, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;
    void Detach() noexcept;
};

} // namespace corvasin
