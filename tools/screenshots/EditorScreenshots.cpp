// Opens each value dialog modelessly with sample data, lets it paint, and saves what the screen
// shows of it as a 24-bit BMP named after the dialog in the current directory.
#include "editors/EditBinaryDialog.h"
#include "editors/EditDwordDialog.h"
#include "editors/EditMultiTextDialog.h"
#include "editors/EditTextDialog.h"
#include "core/Handles.h"
#include "resource.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

using namespace corvasin;

namespace
{

// Dispatches what is queued for a while, so the dialog and its controls are fully painted.
void PumpMessages(HWND hDlg, DWORD dwMilliseconds)
{
    const DWORD dwEnd = ::GetTickCount() + dwMilliseconds;
    while (static_cast<LONG>(dwEnd - ::GetTickCount()) > 0)
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (!::IsDialogMessageA(hDlg, &msg))
            {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        ::Sleep(10);
    }
}

bool WriteBitmap(const char* pszPath, HDC hdcScreen, const RECT& rc)
{
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    UniqueHdc hdcMem(::CreateCompatibleDC(hdcScreen));
    UniqueGdiObject hbm(::CreateDIBSection(hdcScreen, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!hdcMem || !hbm || !pBits)
        return false;
    const HGDIOBJ hbmOld = ::SelectObject(hdcMem.get(), hbm.get());
    ::BitBlt(hdcMem.get(), 0, 0, cx, cy, hdcScreen, rc.left, rc.top, SRCCOPY);
    ::GdiFlush();
    ::SelectObject(hdcMem.get(), hbmOld);

    const DWORD cbRow = (static_cast<DWORD>(cx) * 3 + 3) & ~3u;
    const DWORD cbBits = cbRow * static_cast<DWORD>(cy);
    BITMAPFILEHEADER bfh{};
    bfh.bfType = 0x4D42; // "BM"
    bfh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    bfh.bfSize = bfh.bfOffBits + cbBits;

    FILE* pFile = std::fopen(pszPath, "wb");
    if (!pFile)
        return false;
    const bool bOk = std::fwrite(&bfh, sizeof(bfh), 1, pFile) == 1 &&
                     std::fwrite(&bmi.bmiHeader, sizeof(bmi.bmiHeader), 1, pFile) == 1 &&
                     std::fwrite(pBits, cbBits, 1, pFile) == 1;
    return std::fclose(pFile) == 0 && bOk;
}

// Shows the dialog, waits for it to paint, saves its window as pszFile and closes it.
bool Capture(CDialog& dlg, const char* pszFile)
{
    if (!dlg.Create())
    {
        std::fprintf(stderr, "cannot create the dialog for %s\n", pszFile);
        return false;
    }
    const HWND hDlg = dlg.GetSafeHwnd();
    ::SetWindowPos(hDlg, HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(hDlg);
    PumpMessages(hDlg, 500);
    // A blinking caret would be caught at a random phase, half over a character.
    ::HideCaret(nullptr);
    PumpMessages(hDlg, 100);

    RECT rc;
    ::GetWindowRect(hDlg, &rc);
    const HDC hdcScreen = ::GetDC(nullptr);
    const bool bOk = WriteBitmap(pszFile, hdcScreen, rc);
    ::ReleaseDC(nullptr, hdcScreen);
    dlg.EndDialog(IDCANCEL);
    PumpMessages(nullptr, 100);
    if (!bOk)
        std::fprintf(stderr, "cannot write %s\n", pszFile);
    return bOk;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int nFailures = 0;

    {
        // Without a window manager the process's first window never shows an active
        // caption; a first dialog that is thrown away takes that part.
        CEditTextDialog dlg;
        Capture(dlg, "warm-up.bmp");
        std::remove("warm-up.bmp");
    }

    {
        CEditTextDialog dlg;
        dlg.m_strLabel = "ProgramFilesDir";
        dlg.m_strText = "C:\\Program Files";
        nFailures += !Capture(dlg, "edit-text.bmp");
    }
    {
        CEditMultiTextDialog dlg;
        dlg.m_strLabel = "FontSearchPath";
        static const char c_list[] = "C:\\Windows\\Fonts\0D:\\Shared\\Fonts\0\\\\server\\fonts\0";
        dlg.AppendMultiSz(reinterpret_cast<const BYTE*>(c_list), sizeof(c_list));
        nFailures += !Capture(dlg, "edit-multi-text.bmp");
    }
    {
        CEditDwordDialog dlg;
        dlg.m_strLabel = "CacheTimeout";
        dlg.m_dwValue = 3600;
        nFailures += !Capture(dlg, "edit-dword.bmp");
    }
    {
        CEditBinaryDialog dlg;
        dlg.m_strLabel = "WindowPlacement";
        static const BYTE c_bytes[] = {
            0x2C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'C',  'o',  'r',  'v',
            'a',  's',  'i',  'n',  0x64, 0x00, 0x00, 0x00, 0x48, 0x00, 0x00, 0x00,
            0x20, 0x03, 0x00, 0x00, 0x58, 0x02, 0x00, 0x00};
        std::memcpy(dlg.m_data, c_bytes, sizeof(c_bytes));
        dlg.m_nDataLength = sizeof(c_bytes);
        nFailures += !Capture(dlg, "edit-binary.bmp");
    }
    return nFailures;
}
