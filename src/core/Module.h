// Module-wide state: the instance handle of the module that holds this code (the DLL, or the
// test program that links the same library) and the lock count that DllCanUnloadNow reads.
#pragma once

#include <windows.h>
#include <atomic>

namespace corvasin
{

extern std::atomic<LONG> g_nLockCount;

// The module this code lives in; resources (icons, dialogs, bitmaps) are loaded from it.
HINSTANCE ModuleInstance() noexcept;

} // namespace corvasin
