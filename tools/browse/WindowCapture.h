// Headless runs of corvasin-browse: waiting until a window has painted, and writing a picture
// of it to a BMP file.
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

} // namespace corvasin
