// The waiting-message pump.
#include "core/MessagePump.h"

#include <windows.h>

namespace corvasin
{

void DispatchWaitingMessages() noexcept
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

} // namespace corvasin
