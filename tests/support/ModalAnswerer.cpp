#include "support/ModalAnswerer.h"

#include <algorithm>

namespace corvasin::test
{

namespace
{
CModalAnswerer* g_pAnswerer = nullptr;

std::string TextOf(HWND hwnd)
{
    char sz[1024] = {};
    if (hwnd)
        ::GetWindowTextA(hwnd, sz, sizeof(sz));
    return sz;
}
} // namespace

CModalAnswerer::CModalAnswerer(std::vector<Answer> answers) : m_answers(std::move(answers))
{
    g_pAnswerer = this;
    m_hHook = ::SetWindowsHookExA(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
}

CModalAnswerer::~CModalAnswerer()
{
    ::UnhookWindowsHookEx(m_hHook);
    g_pAnswerer = nullptr;
}

LRESULT CALLBACK CModalAnswerer::CbtProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    CModalAnswerer* pThis = g_pAnswerer;
    const auto hwnd = reinterpret_cast<HWND>(wParam);
    char szClass[16] = {};
    // Wine activates a NULL window once a box has closed; each window is answered once.
    if (pThis && nCode == HCBT_ACTIVATE && hwnd && ::GetClassNameA(hwnd, szClass, sizeof(szClass)) &&
        strcmp(szClass, "#32770") == 0 &&
        std::find(pThis->m_answered.begin(), pThis->m_answered.end(), hwnd) == pThis->m_answered.end())
    {
        pThis->m_answered.push_back(hwnd);
        pThis->m_seen.push_back({TextOf(hwnd), TextOf(::GetDlgItem(hwnd, 0xFFFF))});
        const size_t n = pThis->m_seen.size() - 1;
        if (n < pThis->m_answers.size())
            pThis->m_answers[n](hwnd);
        else
            ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

CModalAnswerer::Answer Press(int idButton)
{
    return [idButton](HWND hwnd) { ::PostMessageA(hwnd, WM_COMMAND, idButton, 0); };
}

CModalAnswerer::Answer TypeAndPress(int idControl, std::string text, int idButton)
{
    return [idControl, text, idButton](HWND hwnd) {
        ::SetDlgItemTextA(hwnd, idControl, text.c_str());
        ::PostMessageA(hwnd, WM_COMMAND, idButton, 0);
    };
}

} // namespace corvasin::test
