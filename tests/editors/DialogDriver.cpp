// The dialog driver of the editor tests: CBT hook, step timer and the user's actions.
#include "editors/DialogDriver.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace corvasin::test
{

namespace
{
CDialogDriver* g_pDriver = nullptr;
// Ticks to wait after the last step for the dialog to close before giving up.
constexpr int c_nMaxIdleTicks = 300;
} // namespace

CDialogDriver::CDialogDriver(std::vector<Step> steps) : m_steps(std::move(steps))
{
    g_pDriver = this;
    m_hHook = ::SetWindowsHookExA(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
}

CDialogDriver::~CDialogDriver()
{
    if (m_hHook)
        ::UnhookWindowsHookEx(m_hHook);
    if (m_idTimer)
        ::KillTimer(nullptr, m_idTimer);
    g_pDriver = nullptr;
}

LRESULT CALLBACK CDialogDriver::CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    CDialogDriver* pThis = g_pDriver;
    // Wine activates once more with a NULL window after the box closes: only a real dialog
    // window counts, and only the first one.
    if (pThis && nCode == HCBT_ACTIVATE && wParam && !pThis->m_hDlg)
    {
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (WindowClass(hWnd) == "#32770")
        {
            pThis->m_hDlg = hWnd;
            pThis->m_idTimer = ::SetTimer(nullptr, 0, 10, TimerProc);
        }
    }
    return ::CallNextHookEx(pThis ? pThis->m_hHook : nullptr, nCode, wParam, lParam);
}

void CALLBACK CDialogDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    if (g_pDriver)
        g_pDriver->Tick();
}

void CDialogDriver::Tick() noexcept
{
    if (!::IsWindow(m_hDlg))
    {
        ::KillTimer(nullptr, m_idTimer);
        m_idTimer = 0;
        return;
    }
    // Steps act on what the user sees: the modal loop shows the dialog once its queue is empty.
    if (!::IsWindowVisible(m_hDlg))
        return;
    if (m_nNextStep < m_steps.size())
    {
        // A step that throws (a failed gtest ASSERT does not) must not unwind through the
        // system's timer dispatch.
        try
        {
            m_steps[m_nNextStep++](m_hDlg);
        }
        catch (...)
        {
        }
        return;
    }
    if (++m_nIdleTicks > c_nMaxIdleTicks)
    {
        m_bTimedOut = true;
        ::EndDialog(m_hDlg, -2);
    }
}

std::string WindowClass(HWND hWnd)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return szClass;
}

std::string WindowText(HWND hWnd)
{
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(hWnd)), '\0');
    if (!text.empty())
        text.resize(static_cast<size_t>(::GetWindowTextA(hWnd, text.data(), static_cast<int>(text.size()) + 1)));
    return text;
}

std::string ItemText(HWND hDlg, int nID)
{
    return WindowText(::GetDlgItem(hDlg, nID));
}

bool IsChecked(HWND hDlg, int nID)
{
    return ::IsDlgButtonChecked(hDlg, nID) == BST_CHECKED;
}

namespace step
{
CDialogDriver::Step Click(int nID)
{
    return [=](HWND hDlg) { ::SendMessageA(::GetDlgItem(hDlg, nID), BM_CLICK, 0, 0); };
}

CDialogDriver::Step SetText(const char* pszText)
{
    return [=](HWND hDlg) { ::SetDlgItemTextA(hDlg, IDC_VALUE_EDIT, pszText); };
}

CDialogDriver::Step Focus()
{
    return [](HWND hDlg) { ::SetFocus(::GetDlgItem(hDlg, IDC_VALUE_EDIT)); };
}

CDialogDriver::Step Type(const char* pszText)
{
    return [=](HWND) {
        for (const char* p = pszText; *p; ++p)
            ::PostMessageA(::GetFocus(), WM_CHAR, static_cast<BYTE>(*p), 1);
    };
}

CDialogDriver::Step Press(UINT vk)
{
    return [=](HWND) {
        const LPARAM lScan = static_cast<LPARAM>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, vk, 1 | lScan);
        ::PostMessageA(::GetFocus(), WM_KEYUP, vk, 1 | lScan | 0xC0000000u);
    };
}

CDialogDriver::Step Look(ValueDialogView& view)
{
    return [&view](HWND hDlg) {
        view.caption = WindowText(hDlg);
        view.label = ItemText(hDlg, IDC_VALUE_LABEL);
        view.text = ItemText(hDlg, IDC_VALUE_EDIT);
        view.hwndField = ::GetDlgItem(hDlg, IDC_VALUE_EDIT);
        view.hwndFocus = ::GetFocus();
        ::SendMessageA(view.hwndField, EM_GETSEL, reinterpret_cast<WPARAM>(&view.dwSelStart),
                       reinterpret_cast<LPARAM>(&view.dwSelEnd));
    };
}
} // namespace step

INT_PTR RunModal(CDialog& dlg, std::vector<CDialogDriver::Step> steps)
{
    const size_t cSteps = steps.size();
    CDialogDriver driver(std::move(steps));
    const INT_PTR nResult = dlg.DoModal();
    // A step runs only while the dialog is open: one left over means it closed too early.
    EXPECT_EQ(cSteps, driver.StepsRun()) << "the dialog closed before its last step";
    EXPECT_FALSE(driver.TimedOut()) << "the steps left the dialog open";
    return nResult;
}

} // namespace corvasin::test
