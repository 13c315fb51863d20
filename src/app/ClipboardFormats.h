// The clipboard formats the product registers by name: the registry item marker, the shell's
// item id array and the registry key payload. Registered once, at start-up or on first use.
#pragma once

#include <windows.h>

namespace corvasin
{

// Which registered format GetClipboardFormat answers for.
enum ClipboardFormatIndex : int
{
    kCfRegPidl = 0,      // "CORVASIN_REG_PIDL" (registered, carries nothing)
    kCfShellIdList = 1,  // "Shell IDList Array" (the shell's CIDA)
    kCfRegKey = 2,       // "CORVASIN_CLIPFORMAT_REGKEY"
    kCfCount
};

// Registers every format; the application object calls it at start-up. Calling it again, or
// from two threads at once, is harmless: the system hands back the same numbers.
void RegisterClipboardFormats() noexcept;

// The registered number of a format (registering first if needed); 0 for an unknown index or
// when registration failed.
UINT GetClipboardFormat(int which) noexcept;

// The number of "CORVASIN_CLIPFORMAT_REGKEY"; 0 until RegisterClipboardFormats has run.
extern UINT g_cfRegKey;

} // namespace corvasin
