// The view window around the hex edit control: it creates the control over its whole client
// area, keeps it that size and draws nothing itself.
#include "editors/HexEditBaseView.h"

#include "core/Module.h"

namespace corvasin
{

CHexEditBaseView::~CHexEditBaseView()
{
    // The control's window is a child of ours: destroy ours while the member still lives.
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

bool CHexEditBaseView::RegisterWindowClass() noexcept
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExA(ModuleInstance(), c_szHexEditViewClass, &wc))
        return true;
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW;
    wc.lpfnWndProc = &CWnd::StaticWindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = c_szHexEditViewClass;
    return ::RegisterClassExA(&wc) != 0;
}

void CHexEditBaseView::UnregisterWindowClass() noexcept
{
    ::UnregisterClassA(c_szHexEditViewClass, ModuleInstance());
}

BOOL CHexEditBaseView::Create(DWORD dwStyle, const RECT& rect, HWND hwndParent, UINT nID) noexcept
{
    if (!RegisterWindowClass())
        return FALSE;
    return CreateEx(0, c_szHexEditViewClass, "", dwStyle | WS_CLIPCHILDREN, rect, hwndParent, nID);
}

LRESULT CHexEditBaseView::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (uMsg)
    {
    case WM_CREATE:
    {
        RECT rcClient{};
        ::GetClientRect(m_hWnd, &rcClient);
        if (!m_hexEdit.Create("", WS_CHILD | WS_VISIBLE | ES_MULTILINE, rcClient, m_hWnd, c_idHexEditViewControl))
            return -1;
        return 0;
    }
    case WM_SIZE:
    {
        const LRESULT lResult = Default(uMsg, wParam, lParam);
        if (HWND hwndEdit = m_hexEdit.GetSafeHwnd())
            ::MoveWindow(hwndEdit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return lResult;
    }
    case WM_SETFOCUS:
        // The view itself takes no input: the keys belong to the control.
        if (HWND hwndEdit = m_hexEdit.GetSafeHwnd())
            ::SetFocus(hwndEdit);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        ::BeginPaint(m_hWnd, &ps);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    default:
        return Default(uMsg, wParam, lParam);
    }
}

} // namespace corvasin
