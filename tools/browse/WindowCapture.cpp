// Waiting for a window to paint and writing a picture of it as a BMP file.
#include "WindowCapture.h"

#include "framework/core/Handles.h"

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

HRESULT CaptureWindowToBmp(HWND hwnd, const wchar_t* pszPath) noexcept
{
    RECT rc = {};
    if (!::GetWindowRect(hwnd, &rc))
        return HRESULT_FROM_WIN32(::GetLastError());
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0)
        return E_FAIL;

    const HDC hdcWindow = ::GetWindowDC(hwnd);
    if (!hdcWindow)
        return E_FAIL;
    UniqueHdc hdcMem(::CreateCompatibleDC(hdcWindow));
    UniqueGdiObject hbm(::CreateCompatibleBitmap(hdcWindow, cx, cy));
    if (!hdcMem || !hbm)
    {
        ::ReleaseDC(hwnd, hdcWindow);
        return E_OUTOFMEMORY;
    }
    const HGDIOBJ hbmOld = ::SelectObject(hdcMem.get(), hbm.get());
    // The window DC covers the frame and every child, which draw into the same surface.
    const BOOL fCopied = ::BitBlt(hdcMem.get(), 0, 0, cx, cy, hdcWindow, 0, 0, SRCCOPY | CAPTUREBLT);
    ::SelectObject(hdcMem.get(), hbmOld);
    ::ReleaseDC(hwnd, hdcWindow);
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

} // namespace corvasin
