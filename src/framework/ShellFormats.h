// The shell's own clipboard format that every selection offers: "Shell IDList Array".
#pragma once

#include <windows.h>

namespace corvasin
{

// The registered number of "Shell IDList Array" (CFSTR_SHELLIDLIST), registered on first use;
// the same on every thread.
CLIPFORMAT ShellIdListFormat() noexcept;

} // namespace corvasin
