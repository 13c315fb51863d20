// Registration of the shell's clipboard formats.
#include "framework/ShellFormats.h"

namespace corvasin
{

// A function-local static is initialised once even when two threads ask at once.

CLIPFORMAT ShellIdListFormat() noexcept
{
    static const CLIPFORMAT s_cf = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("Shell IDList Array"));
    return s_cf;
}

CLIPFORMAT FileDescriptorFormat() noexcept
{
    static const CLIPFORMAT s_cf = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("FileGroupDescriptorW"));
    return s_cf;
}

CLIPFORMAT FileContentsFormat() noexcept
{
    static const CLIPFORMAT s_cf = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("FileContents"));
    return s_cf;
}

} // namespace corvasin
