// The dialog driver of the editor and search tests: the step timer and the user's actions.
#include "editors/DialogDriver.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace corvasin::test
{

namespace
{
// Ticks to wait after the last step for the dialog to close before giving up.
constexpr int c_nMaxIdleTicks = 300;
} // namespace

void CDialogDriver::OnDialog(HWND hDlg)
{
    if (!m_hDlg)
        m_hDlg = hDlg;
}

void CDialogDriver::OnTick()
{
    // Steps act on what the user sees: the modal loop shows the dialog once its queue is empty.
    if (!::IsWindow(m_hDlg) || !::IsWindowVisible(m_hDlg))
        return;
    if (m_nNextStep < m_steps.size())
        m_steps[m_nNextStep++](m_hDlg);
    else if (++m_nIdleTicks > c_nMaxIdleTicks)
    {
        m_bTimedOut = true;
        ::EndDialog(m_hDlg, -2);
    }
}

std::string ItemText(HWND hDlg, int nID)
{
    return WindowText(::GetDlgItem(hDlg, nID));
}

bool IsChecked(HWND hDlg, int nID)
{
    return ::IsDlgButtonChecked(hDlg, nID) == BST_CHECKED;
}

void PostKey(HWND hWnd, UINT vk)
{
    const LPARAM lScan = static_cast<LPARAM>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageA(hWnd, WM_KEYDOWN, vk, 1 | lScan);
    ::PostMessageA(hWnd, WM_KEYUP, vk, 1 | lScan | 0xC0000000u);
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
    return [=](HWND) { PostKey(::GetFocus(), vk); };
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
