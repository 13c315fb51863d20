// Headless runs of corvasin-browse: waiting until a window has painted, and writing a picture
// of it, or of the screen around it while a popup (menu, tip) is open, to a BMP file.
#pragma once

#include <windows.h>

namespace corvasin
{

// Dispatches messages until the window and its children have nothing left to paint and no
// message but timers has arrived for dwSettleMs, or at most dwTimeoutMs plus dwSettleMs.
// False when WM_QUIT arrived (it is posted again for the caller's loop).
bool PumpUntilPainted(HWND hwnd, DWORD dwTimeoutMs, DWORD dwSettleMs) noexcept;

// Copies the window, frame included, as it is on the screen into a 24-bit BMP file.
HRESULT CaptureWindowToBmp(HWND hwnd, const wchar_t* pszPath) noexcept;

// Copies a rectangle of the screen (every window on it) into a 24-bit BMP file.
HRESULT CaptureScreenRectToBmp(const RECT& rc, const wchar_t* pszPath) noexcept;

// Dispatches messages until a visible window of class pszPopupClass ("#32768" for a popup
// menu, TOOLTIPS_CLASSW for a tip) belonging to this thread has been up for dwSettleMs, then
// writes the screen around hwndFrame and the popup to pszPath and closes any open menu. A
// modal menu loop started meanwhile keeps dispatching the timer that does this. S_FALSE when
// no such popup showed within dwTimeoutMs (nothing is written).
//
// pszKeys, when given, is played to the popup once it has settled, one key per settle time:
// 'd' down, 'u' up, 'r' right, 'l' left, 'e' enter, 'x' escape. The capture then shows the
// frame and every open menu; after an 'e' it waits instead for the dialog or message box the
// command opens, captures the frame and that window, and closes it (No, then Cancel).
HRESULT CapturePopup(HWND hwndFrame, const wchar_t* pszPopupClass, const wchar_t* pszPath,
                     DWORD dwTimeoutMs, DWORD dwSettleMs, const wchar_t* pszKeys = nullptr) noexcept;

} // namespace corvasin
