// The dialog watch and the modal driver of the command, installation and shell tests.
#include "support/ModalDriver.h"

#include <shlobj.h>

#include <algorithm>

namespace corvasin::test
{

namespace
{
CDialogWatch* g_pWatch = nullptr;
// Ticks (10 ms) to wait for a dialog to show before it is answered anyway.
constexpr int c_nMaxWaitTicks = 200;
} // namespace

CDialogWatch::CDialogWatch()
{
    g_pWatch = this;
    m_hHook = ::SetWindowsHookExA(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
    m_idTimer = ::SetTimer(nullptr, 0, 10, TimerProc);
}

CDialogWatch::~CDialogWatch()
{
    if (m_hHook)
        ::UnhookWindowsHookEx(m_hHook);
    if (m_idTimer)
        ::KillTimer(nullptr, m_idTimer);
    g_pWatch = nullptr;
}

LRESULT CALLBACK CDialogWatch::CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    CDialogWatch* pThis = g_pWatch;
    const HWND hWnd = reinterpret_cast<HWND>(wParam);
    // Wine activates once more with a NULL window after a box closes, and a dialog is activated
    // again when a box it opened has closed: each dialog window counts once.
    if (pThis && nCode == HCBT_ACTIVATE && hWnd && WindowClass(hWnd) == "#32770" &&
        std::find(pThis->m_windows.begin(), pThis->m_windows.end(), hWnd) == pThis->m_windows.end())
    {
        // Nothing may unwind through the system's hook or timer dispatch (a failed gtest ASSERT
        // does not throw).
        try
        {
            pThis->m_windows.push_back(hWnd);
            pThis->OnDialog(hWnd);
        }
        catch (...)
        {
        }
    }
    return ::CallNextHookEx(pThis ? pThis->m_hHook : nullptr, nCode, wParam, lParam);
}

void CALLBACK CDialogWatch::TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    try
    {
        if (g_pWatch)
            g_pWatch->OnTick();
    }
    catch (...)
    {
    }
}

void CModalDriver::OnDialog(HWND hDlg)
{
    m_hPending = hDlg;
    m_nWaitTicks = 0;
    m_seen.push_back({WindowText(hDlg), WindowText(::GetDlgItem(hDlg, 0xFFFF))});
}

void CModalDriver::OnTick()
{
    const HWND hDlg = m_hPending;
    if (!hDlg || !::IsWindow(hDlg))
        return;
    // Answer what the user sees: the modal loop shows the window once its queue is empty.
    if (!::IsWindowVisible(hDlg) && ++m_nWaitTicks < c_nMaxWaitTicks)
        return;
    m_hPending = nullptr;
    const size_t iAnswer = m_seen.size() - 1;
    if (iAnswer < m_answers.size())
        m_answers[iAnswer](hDlg);
    else
        PressButton(hDlg, IDCANCEL);
}

std::string WindowClass(HWND hWnd)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return szClass;
}

std::string WindowText(HWND hWnd)
{
    std::string text(hWnd ? static_cast<size_t>(::GetWindowTextLengthA(hWnd)) : 0, '\0');
    if (!text.empty())
        text.resize(static_cast<size_t>(::GetWindowTextA(hWnd, text.data(), static_cast<int>(text.size()) + 1)));
    return text;
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
        texts.push_back(WindowText(h));
    return texts;
}

CModalDriver::Answer Press(int nID)
{
    return [nID](HWND hDlg) { PressButton(hDlg, nID); };
}

CModalDriver::Answer TypeAndPress(int nIDControl, std::string text, int nID)
{
    return [nIDControl, text, nID](HWND hDlg) {
        ::SetDlgItemTextA(hDlg, nIDControl, text.c_str());
        PressButton(hDlg, nID);
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
            PressButton(hDlg, IDOK);
        }
    };
}

} // namespace corvasin::test
