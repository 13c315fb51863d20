// The find dialog answered by a CBT hook, the results window found on the search's thread.
#include "FindCapture.h"

#include "WindowCapture.h"
#include "core/Strings.h"
#include "commands/RegUIObject.h"
#include "resource.h"

#include <commctrl.h>
#include <shlobj.h>

namespace corvasin
{

namespace
{
struct FindAnswer
{
    HWND hwndFrame;
    std::string text;
    bool fDialogOnly;
    const wchar_t* pszPath;
    HRESULT hr = S_FALSE;
    HHOOK hHook = nullptr;
    bool fAnswered = false;
};
FindAnswer* g_pAnswer = nullptr;

void CALLBACK CaptureDialogLater(HWND hwnd, UINT, UINT_PTR idTimer, DWORD) noexcept
{
    ::KillTimer(hwnd, idTimer);
    FindAnswer* pAnswer = g_pAnswer;
    if (!pAnswer)
        return;
    RECT rc = {};
    RECT rcDialog = {};
    ::GetWindowRect(pAnswer->hwndFrame, &rc);
    ::GetWindowRect(hwnd, &rcDialog);
    ::UnionRect(&rc, &rc, &rcDialog);
    pAnswer->hr = CaptureScreenRectToBmp(rc, pAnswer->pszPath);
    ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
}

LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    FindAnswer* pAnswer = g_pAnswer;
    const auto hwnd = reinterpret_cast<HWND>(wParam);
    char szClass[16] = {};
    if (pAnswer && !pAnswer->fAnswered && nCode == HCBT_ACTIVATE && hwnd &&
        ::GetClassNameA(hwnd, szClass, sizeof(szClass)) && lstrcmpA(szClass, "#32770") == 0 &&
        ::GetDlgItem(hwnd, IDC_FIND_TEXT))
    {
        pAnswer->fAnswered = true;
        ::SetDlgItemTextA(hwnd, IDC_FIND_TEXT, pAnswer->text.c_str());
        if (pAnswer->fDialogOnly)
            ::SetTimer(hwnd, 1, 700, CaptureDialogLater); // once it has painted
        else
            ::PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

// The results window, made on the search's own thread.
HWND FindResultsWindow() noexcept
{
    return ::FindWindowA("#32770", "Search results");
}

bool IsDone(HWND hwndResults) noexcept
{
    char sz[32] = {};
    ::GetDlgItemTextA(hwndResults, IDC_RESULTS_STATUS, sz, sizeof(sz));
    return lstrcmpA(sz, "Done!") == 0;
}
} // namespace

HRESULT CaptureFind(CBrowserHost& host, const std::wstring& text, bool fDialogOnly,
                    bool fOpenFirst, const wchar_t* pszPath, DWORD dwTimeoutMs,
                    DWORD dwSettleMs) noexcept
{
    FindAnswer answer{host.Window(), WideToAnsi(text.c_str()), fDialogOnly, pszPath};
    g_pAnswer = &answer;
    answer.hHook = ::SetWindowsHookExA(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
    const HRESULT hrInvoke = host.InvokeFolderCommand(CRegUIObject::kRegFind);
    ::UnhookWindowsHookEx(answer.hHook);
    g_pAnswer = nullptr;
    if (FAILED(hrInvoke) || fDialogOnly)
        return FAILED(hrInvoke) ? hrInvoke : answer.hr;

    // The search runs on its own thread; this one keeps its windows painted meanwhile.
    const DWORD dwStart = ::GetTickCount();
    HWND hwndResults = nullptr;
    while (::GetTickCount() - dwStart < dwTimeoutMs * 4)
    {
        PumpUntilPainted(host.Window(), 50, 50);
        hwndResults = FindResultsWindow();
        if (hwndResults && IsDone(hwndResults))
            break;
    }
    if (!hwndResults)
        return S_FALSE;
    PumpUntilPainted(host.Window(), dwTimeoutMs, dwSettleMs);
    RECT rc = {};
    RECT rcResults = {};
    ::GetWindowRect(host.Window(), &rc);
    ::GetWindowRect(hwndResults, &rcResults);
    ::UnionRect(&rc, &rc, &rcResults);
    if (fOpenFirst)
    {
        // A double click on the first result, as the user makes it (the list is the search
        // thread's: the messages are posted).
        const HWND hwndList = ::GetDlgItem(hwndResults, IDC_RESULTS_LIST);
        RECT rcItem = {LVIR_LABEL};
        ::SendMessageA(hwndList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rcItem));
        const LPARAM lParamPoint = MAKELPARAM(rcItem.left + 4, (rcItem.top + rcItem.bottom) / 2);
        ::SendMessageA(hwndList, WM_LBUTTONDOWN, MK_LBUTTON, lParamPoint);
        ::SendMessageA(hwndList, WM_LBUTTONUP, 0, lParamPoint);
        ::SendMessageA(hwndList, WM_LBUTTONDBLCLK, MK_LBUTTON, lParamPoint);
        ::SendMessageA(hwndList, WM_LBUTTONUP, 0, lParamPoint);
        HWND hwndOpened = nullptr;
        const DWORD dwOpen = ::GetTickCount();
        while (!hwndOpened && ::GetTickCount() - dwOpen < dwTimeoutMs)
        {
            PumpUntilPainted(host.Window(), 50, 50);
            hwndOpened = ::FindWindowA("CorvasinShellWindow", nullptr);
        }
        if (!hwndOpened)
            return S_FALSE;
        ::Sleep(dwSettleMs * 2);
        PumpUntilPainted(host.Window(), dwTimeoutMs, dwSettleMs);
        RECT rcOpened = {};
        ::GetWindowRect(hwndOpened, &rcOpened);
        ::UnionRect(&rc, &rc, &rcOpened);
        const HRESULT hr = CaptureScreenRectToBmp(rc, pszPath);
        ::PostMessageA(hwndOpened, WM_CLOSE, 0, 0);
        ::PostMessageA(hwndResults, WM_CLOSE, 0, 0);
        return hr;
    }
    const HRESULT hr = CaptureScreenRectToBmp(rc, pszPath);
    ::PostMessageA(hwndResults, WM_CLOSE, 0, 0);
    return hr;
}

} // namespace corvasin
