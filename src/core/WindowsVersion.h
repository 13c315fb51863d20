// Which family of Windows the module runs on; a few texts and listings differ between them.
#pragma once

#include <windows.h>

namespace corvasin
{

// True on Windows NT platforms (every system Wine imitates), false on Windows 9x. Asked afresh
// on every call.
inline bool IsWindowsNtPlatform() noexcept
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace corvasin
