// The shell's own clipboard formats: "Shell IDList Array", which every selection offers, and the
// two that carry a file made for a target ("FileGroupDescriptorW" and "FileContents").
#pragma once

#include <windows.h>

namespace corvasin
{

// The registered numbers, each registered on first use; the same on every thread.
// "Shell IDList Array" (CFSTR_SHELLIDLIST).
CLIPFORMAT ShellIdListFormat() noexcept;
// "FileGroupDescriptorW" (CFSTR_FILEDESCRIPTORW).
CLIPFORMAT FileDescriptorFormat() noexcept;
// "FileContents" (CFSTR_FILECONTENTS).
CLIPFORMAT FileContentsFormat() noexcept;

} // namespace corvasin
