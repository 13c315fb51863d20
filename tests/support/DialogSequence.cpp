// The dialog sequence of the UI tests: CBT hook, show timer and the scripts.
#include "support/DialogSequence.h"

#include <algorithm>

namespace corvasin::test
{

namespace
{
CDialogSequence* g_pSequence = nullptr;

std::string TextOf(HWND hWnd)
{
    char sz[512] = "";
    ::GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}
} // namespace

CDialogSequence::CDialogSequence(std::vector<Script> scripts) : m_scripts(std::move(scripts))
{
    std::reverse(m_scripts.begin(), m_scripts.end());
    g_pSequence = this;
    m_hHook = ::SetWindowsHookExA(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
}

CDialogSequence::~CDialogSequence()
{
    if (m_hHook)
        ::UnhookWindowsHookEx(m_hHook);
    if (m_idTimer)
        ::KillTimer(nullptr, m_idTimer);
    g_pSequence = nullptr;
}

LRESULT CALLBACK CDialogSequence::CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    CDialogSequence* pThis = g_pSequence;
    // Wine activates once more with a NULL window after a box closes: only real dialog
    // windows count, each once.
    if (pThis && nCode == HCBT_ACTIVATE && wParam)
    {
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        char szClass[16] = "";
        ::GetClassNameA(hWnd, szClass, sizeof(szClass));
        if (!lstrcmpA(szClass, "#32770") &&
            std::find(pThis->m_seen.begin(), pThis->m_seen.end(), hWnd) == pThis->m_seen.end())
        {
            try
            {
                pThis->m_seen.push_back(hWnd);
            }
            catch (...)
            {
            }
            pThis->m_hPending = hWnd;
            pThis->m_nWaitTicks = 0;
            if (!pThis->m_idTimer)
                pThis->m_idTimer = ::SetTimer(nullptr, 0, 20, TimerProc);
        }
    }
    return ::CallNextHookEx(pThis ? pThis->m_hHook : nullptr, nCode, wParam, lParam);
}

void CALLBACK CDialogSequence::TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    if (g_pSequence)
        g_pSequence->Tick();
}

void CDialogSequence::Tick() noexcept
{
    const HWND hDlg = m_hPending;
    if (!hDlg)
        return;
    if (!::IsWindow(hDlg))
    {
        m_hPending = nullptr;
        return;
    }
    // The script acts on what the user sees: the modal loop shows the dialog once its queue
    // is empty (a few more ticks let its controls fill in).
    if (!::IsWindowVisible(hDlg) || ++m_nWaitTicks < 5)
        return;
    m_hPending = nullptr;
    try
    {
        m_captions.push_back(TextOf(hDlg));
        if (m_scripts.empty())
        {
            PressButton(hDlg, IDCANCEL);
            return;
        }
        Script script = std::move(m_scripts.back());
        m_scripts.pop_back();
        // A failed gtest ASSERT returns; nothing may unwind through the timer dispatch.
        script(hDlg);
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
        texts.push_back(TextOf(h));
    return texts;
}

} // namespace corvasin::test
