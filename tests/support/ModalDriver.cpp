// The modal driver of the installation tests.
#include "support/ModalDriver.h"

#include <shlobj.h>

#include <algorithm>

namespace corvasin::test
{

namespace
{
CModalDriver* g_pDriver = nullptr;
// Ticks (10 ms) to wait for a dialog to show before it is answered anyway.
constexpr int c_nMaxWaitTicks = 200;

std::string ClassOf(HWND hWnd)
{
    char sz[64] = "";
    ::GetClassNameA(hWnd, sz, sizeof(sz));
    return sz;
}

std::string TextOf(HWND hWnd)
{
    char sz[1024] = "";
    if (hWnd)
        ::GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}
} // namespace

CModalDriver::CModalDriver(std::vector<Answer> answers) : m_answers(std::move(answers))
{
    g_pDriver = this;
    m_hHook = ::SetWindowsHookExA(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
    m_idTimer = ::SetTimer(nullptr, 0, 10, TimerProc);
}

CModalDriver::~CModalDriver()
{
    if (m_hHook)
        ::UnhookWindowsHookEx(m_hHook);
    if (m_idTimer)
        ::KillTimer(nullptr, m_idTimer);
    g_pDriver = nullptr;
}

LRESULT CALLBACK CModalDriver::CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    CModalDriver* pThis = g_pDriver;
    // Wine activates once more with a NULL window after a box closes: only dialogs count.
    if (pThis && nCode == HCBT_ACTIVATE && wParam)
    {
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        // Each window once: a dialog is activated again when a box it opened has closed.
        if (hWnd != pThis->m_hPending && ClassOf(hWnd) == "#32770" &&
            std::find(pThis->m_windows.begin(), pThis->m_windows.end(), hWnd) == pThis->m_windows.end())
        {
            try
            {
                pThis->m_windows.push_back(hWnd);
                pThis->m_seen.push_back({TextOf(hWnd), TextOf(::GetDlgItem(hWnd, 0xFFFF))});
            }
            catch (...)
            {
            }
            pThis->m_hPending = hWnd;
            pThis->m_nWaitTicks = 0;
        }
    }
    return ::CallNextHookEx(pThis ? pThis->m_hHook : nullptr, nCode, wParam, lParam);
}

void CALLBACK CModalDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    if (g_pDriver)
        g_pDriver->Tick();
}

void CModalDriver::Tick() noexcept
{
    const HWND hDlg = m_hPending;
    if (!hDlg || !::IsWindow(hDlg))
        return;
    // Answer what the user sees: the modal loop shows the window once its queue is empty.
    if (!::IsWindowVisible(hDlg) && ++m_nWaitTicks < c_nMaxWaitTicks)
        return;
    m_hPending = nullptr;
    const size_t iAnswer = m_seen.size() - 1;
    try
    {
        if (iAnswer < m_answers.size())
            m_answers[iAnswer](hDlg);
        else
            ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    catch (...)
    {
    }
}

void PressButton(HWND hDlg, int nID)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}

std::vector<std::string> ChildTexts(HWND hDlg)
{
    std::vector<std::string> texts;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
    {
        char sz[512] = {};
        ::GetWindowTextA(h, sz, sizeof(sz));
        texts.push_back(sz);
    }
    return texts;
}

CModalDriver::Answer Press(int nID)
{
    return [nID](HWND hDlg) {
        ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
    };
}

CModalDriver::Answer TypeAndPress(int nIDControl, std::string text, int nID)
{
    return [nIDControl, text, nID](HWND hDlg) {
        ::SetDlgItemTextA(hDlg, nIDControl, text.c_str());
        Press(nID)(hDlg);
    };
}

CModalDriver::Answer PickFolder(const std::string& path)
{
    return [path](HWND hDlg) {
        // The picker fills its tree while it opens and may select its start again: the
        // selection is made, the picker left to settle, and the selection made once more.
        ::SendMessageA(hDlg, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
        const DWORD dwStart = ::GetTickCount();
        MSG msg;
        while (::GetTickCount() - dwStart < 300)
        {
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            ::Sleep(10);
        }
        if (::IsWindow(hDlg))
        {
            ::SendMessageA(hDlg, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
            ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, IDOK)));
        }
    };
}

} // namespace corvasin::test
