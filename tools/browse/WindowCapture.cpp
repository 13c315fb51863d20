// Waiting for a window to paint and writing a picture of it as a BMP file.
#include "WindowCapture.h"

#include "core/Handles.h"

#include <vector>

namespace corvasin
{

namespace
{

BOOL CALLBACK FindPendingUpdate(HWND hwnd, LPARAM lParam)
{
    if (::IsWindowVisible(hwnd) && ::GetUpdateRect(hwnd, nullptr, FALSE))
    {
        *reinterpret_cast<bool*>(lParam) = true;
        return FALSE;
    }
    return TRUE;
}

bool HasPendingPaint(HWND hwnd) noexcept
{
    bool fPending = ::GetUpdateRect(hwnd, nullptr, FALSE) != FALSE;
    if (!fPending)
        ::EnumChildWindows(hwnd, FindPendingUpdate, reinterpret_cast<LPARAM>(&fPending));
    return fPending;
}

} // namespace

bool PumpUntilPainted(HWND hwnd, DWORD dwTimeoutMs, DWORD dwSettleMs) noexcept
{
    const DWORD dwStart = ::GetTickCount();
    DWORD dwLastActivity = dwStart;
    for (;;)
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            if (msg.message != WM_TIMER)
                dwLastActivity = ::GetTickCount();
        }

        const DWORD dwNow = ::GetTickCount();
        if (HasPendingPaint(hwnd))
            dwLastActivity = dwNow;
        else if (dwNow - dwLastActivity >= dwSettleMs)
            return true;
        if (dwNow - dwStart >= dwTimeoutMs + dwSettleMs)
            return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

namespace
{

// Writes cx by cy pixels of hdcSource from (x, y) into a 24-bit BMP file.
HRESULT WriteDcToBmp(HDC hdcSource, int x, int y, int cx, int cy, const wchar_t* pszPath) noexcept
{
    if (cx <= 0 || cy <= 0)
        return E_FAIL;
    UniqueHdc hdcMem(::CreateCompatibleDC(hdcSource));
    UniqueGdiObject hbm(::CreateCompatibleBitmap(hdcSource, cx, cy));
    if (!hdcMem || !hbm)
        return E_OUTOFMEMORY;
    const HGDIOBJ hbmOld = ::SelectObject(hdcMem.get(), hbm.get());
    const BOOL fCopied =
        ::BitBlt(hdcMem.get(), 0, 0, cx, cy, hdcSource, x, y, SRCCOPY | CAPTUREBLT);
    ::SelectObject(hdcMem.get(), hbmOld);
    if (!fCopied)
        return E_FAIL;

    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = cx;
    bih.biHeight = cy; // bottom-up, as BMP files store rows
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    const DWORD cbRow = ((static_cast<DWORD>(cx) * 3 + 3) & ~3u);
    bih.biSizeImage = cbRow * static_cast<DWORD>(cy);

    std::vector<BYTE> bits(bih.biSizeImage);
    if (!::GetDIBits(hdcMem.get(), static_cast<HBITMAP>(hbm.get()), 0, static_cast<UINT>(cy),
                     bits.data(), reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS))
        return E_FAIL;

    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42; // "BM"
    bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
    bfh.bfSize = bfh.bfOffBits + bih.biSizeImage;

    UniqueHandle hFile(::CreateFileW(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (hFile.get() == INVALID_HANDLE_VALUE)
    {
        (void)hFile.release(); // not a handle to close
        return HRESULT_FROM_WIN32(::GetLastError());
    }
    DWORD cbWritten = 0;
    const bool fWritten =
        ::WriteFile(hFile.get(), &bfh, sizeof(bfh), &cbWritten, nullptr) &&
        ::WriteFile(hFile.get(), &bih, sizeof(bih), &cbWritten, nullptr) &&
        ::WriteFile(hFile.get(), bits.data(), bih.biSizeImage, &cbWritten, nullptr);
    return fWritten ? S_OK : HRESULT_FROM_WIN32(::GetLastError());
}

// What the popup timer works on; one capture at a time, UI thread only.
struct PopupCapture
{
    HWND hwndFrame;
    const wchar_t* pszPopupClass;
    const wchar_t* pszPath;
    DWORD dwSettleMs;
    const wchar_t* pszKeys; // still to play; null or empty for none
    DWORD dwFirstSeen = 0; // tick count when the popup was first seen up, 0 before
    HRESULT hr = S_FALSE;
    bool fDone = false;
};

PopupCapture* g_pPopupCapture = nullptr;

struct PopupSearch
{
    const wchar_t* pszClass;
    HWND hwndFound = nullptr;
};

BOOL CALLBACK FindVisiblePopup(HWND hwnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<PopupSearch*>(lParam);
    wchar_t szClass[64] = {};
    if (::IsWindowVisible(hwnd) && ::GetClassNameW(hwnd, szClass, ARRAYSIZE(szClass)) &&
        ::lstrcmpiW(szClass, pSearch->pszClass) == 0)
    {
        pSearch->hwndFound = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct RectUnion
{
    const wchar_t* pszClass;
    RECT rc;
};

BOOL CALLBACK AddVisiblePopups(HWND hwnd, LPARAM lParam)
{
    auto* pUnion = reinterpret_cast<RectUnion*>(lParam);
    wchar_t szClass[64] = {};
    RECT rc = {};
    if (::IsWindowVisible(hwnd) && ::GetClassNameW(hwnd, szClass, ARRAYSIZE(szClass)) &&
        ::lstrcmpiW(szClass, pUnion->pszClass) == 0 && ::GetWindowRect(hwnd, &rc))
        ::UnionRect(&pUnion->rc, &pUnion->rc, &rc);
    return TRUE;
}

UINT VirtualKeyOf(wchar_t ch) noexcept
{
    switch (ch)
    {
    case L'd': return VK_DOWN;
    case L'u': return VK_UP;
    case L'r': return VK_RIGHT;
    case L'l': return VK_LEFT;
    case L'e': return VK_RETURN;
    case L'x': return VK_ESCAPE;
    default: return 0;
    }
}

void CALLBACK OnPopupTimer(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    PopupCapture* pCapture = g_pPopupCapture;
    if (!pCapture || pCapture->fDone)
        return;
    PopupSearch search{pCapture->pszPopupClass};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindVisiblePopup,
                        reinterpret_cast<LPARAM>(&search));
    if (!search.hwndFound)
    {
        pCapture->dwFirstSeen = 0;
        return;
    }
    const DWORD dwNow = ::GetTickCount() | 1; // 0 means "not seen yet"
    if (!pCapture->dwFirstSeen)
        pCapture->dwFirstSeen = dwNow;
    if (dwNow - pCapture->dwFirstSeen < pCapture->dwSettleMs)
        return;

    if (pCapture->pszKeys && *pCapture->pszKeys)
    {
        // The menu loop reads keys from the thread's queue, whichever window they name.
        const wchar_t ch = *pCapture->pszKeys++;
        const UINT vk = VirtualKeyOf(ch);
        ::PostMessageW(search.hwndFound, WM_KEYDOWN, vk, 1);
        ::PostMessageW(search.hwndFound, WM_KEYUP, vk, 0xC0000001);
        pCapture->dwFirstSeen = 0;
        if (ch == L'e')
            pCapture->pszPopupClass = L"#32770"; // now the window the command opens
        return;
    }

    // The frame and the popups, which may stick out of it.
    RectUnion all = {pCapture->pszPopupClass, {}};
    ::GetWindowRect(pCapture->hwndFrame, &all.rc);
    ::EnumThreadWindows(::GetCurrentThreadId(), AddVisiblePopups, reinterpret_cast<LPARAM>(&all));
    pCapture->hr = CaptureScreenRectToBmp(all.rc, pCapture->pszPath);
    pCapture->fDone = true;
    if (::lstrcmpiW(pCapture->pszPopupClass, L"#32770") == 0)
    {
        ::PostMessageW(search.hwndFound, WM_COMMAND, IDNO, 0);
        ::PostMessageW(search.hwndFound, WM_COMMAND, IDCANCEL, 0);
    }
    ::EndMenu(); // leaves a modal menu loop without choosing a command; no-op otherwise
}

} // namespace

HRESULT CaptureWindowToBmp(HWND hwnd, const wchar_t* pszPath) noexcept
{
    RECT rc = {};
    if (!::GetWindowRect(hwnd, &rc))
        return HRESULT_FROM_WIN32(::GetLastError());
    const HDC hdcWindow = ::GetWindowDC(hwnd);
    if (!hdcWindow)
        return E_FAIL;
    // The window DC covers the frame and every child, which draw into the same surface.
    const HRESULT hr =
        WriteDcToBmp(hdcWindow, 0, 0, rc.right - rc.left, rc.bottom - rc.top, pszPath);
    ::ReleaseDC(hwnd, hdcWindow);
    return hr;
}

HRESULT CaptureScreenRectToBmp(const RECT& rc, const wchar_t* pszPath) noexcept
{
    const HDC hdcScreen = ::GetDC(nullptr);
    if (!hdcScreen)
        return E_FAIL;
    const HRESULT hr =
        WriteDcToBmp(hdcScreen, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, pszPath);
    ::ReleaseDC(nullptr, hdcScreen);
    return hr;
}

HRESULT CapturePopup(HWND hwndFrame, const wchar_t* pszPopupClass, const wchar_t* pszPath,
                     DWORD dwTimeoutMs, DWORD dwSettleMs, const wchar_t* pszKeys) noexcept
{
    if (g_pPopupCapture)
        return E_UNEXPECTED;
    PopupCapture capture{hwndFrame, pszPopupClass, pszPath, dwSettleMs, pszKeys};
    const UINT_PTR idTimer = ::SetTimer(nullptr, 0, 50, OnPopupTimer);
    if (!idTimer)
        return HRESULT_FROM_WIN32(::GetLastError());
    g_pPopupCapture = &capture;

    const DWORD dwStart = ::GetTickCount();
    const DWORD dwKeysMs = pszKeys ? static_cast<DWORD>(wcslen(pszKeys)) * (dwSettleMs + 100) : 0;
    while (!capture.fDone && ::GetTickCount() - dwStart < dwTimeoutMs + dwSettleMs + dwKeysMs)
    {
        MSG msg;
        while (!capture.fDone && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                capture.fDone = true;
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!capture.fDone)
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }

    ::KillTimer(nullptr, idTimer);
    g_pPopupCapture = nullptr;
    return capture.hr;
}

} // namespace corvasin
