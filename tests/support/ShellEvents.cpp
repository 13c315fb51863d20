#include "support/ShellEvents.h"

#include <cstring>

namespace corvasin::test
{

namespace
{
constexpr UINT WM_SHELLEVENT = WM_APP + 7;

// Read by hand, so that every test program can link this file: a registry id holds "CORV" at
// offset 2 and its name at offset 14.
std::string LastName(LPCITEMIDLIST pidl)
{
    if (!pidl)
        return {};
    const auto* pLast = reinterpret_cast<const BYTE*>(::ILFindLastID(pidl));
    USHORT cb = 0;
    memcpy(&cb, pLast, 2);
    if (cb < 218 || memcmp(pLast + 2, "CORV", 4) != 0)
        return "<foreign>";
    const char* pszName = reinterpret_cast<const char*>(pLast + 14);
    return std::string(pszName, strnlen(pszName, 200));
}
} // namespace

CShellEvents::CShellEvents(LPCITEMIDLIST pidl)
{
    const WNDCLASSA wc = {0, &CShellEvents::WndProc, 0, 0, ::GetModuleHandleA(nullptr), nullptr, nullptr, nullptr,
                          nullptr, "CorvasinShellEvents"};
    ::RegisterClassA(&wc);
    m_hwnd = ::CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SHChangeNotifyEntry entry = {pidl, TRUE};
    m_uRegistration = ::SHChangeNotifyRegister(m_hwnd, SHCNRF_ShellLevel | SHCNRF_NewDelivery,
                                               SHCNE_ALLEVENTS, WM_SHELLEVENT, 1, &entry);
}

CShellEvents::~CShellEvents()
{
    if (m_uRegistration)
        ::SHChangeNotifyDeregister(m_uRegistration);
    ::DestroyWindow(m_hwnd);
}

const std::vector<CShellEvents::Event>& CShellEvents::WaitFor(size_t n, DWORD dwTimeoutMs)
{
    const DWORD dwStart = ::GetTickCount();
    MSG msg;
    while (m_events.size() < n && ::GetTickCount() - dwStart < dwTimeoutMs)
    {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::Sleep(5);
    }
    return m_events;
}

LRESULT CALLBACK CShellEvents::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_SHELLEVENT)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    auto* pThis = reinterpret_cast<CShellEvents*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    LPITEMIDLIST* ppidl = nullptr;
    LONG lEvent = 0;
    HANDLE hLock = ::SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam),
                                               static_cast<DWORD>(lParam), &ppidl, &lEvent);
    if (pThis && ppidl)
        pThis->m_events.push_back({lEvent, LastName(ppidl[0]), LastName(ppidl[1])});
    if (hLock)
        ::SHChangeNotification_Unlock(hLock);
    return 0;
}

} // namespace corvasin::test
