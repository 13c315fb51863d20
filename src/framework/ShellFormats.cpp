// Registration of the shell's item id array format.
#include "framework/ShellFormats.h"



namespace corvasin
{

CLIPFORMAT ShellIdListFormat() noexcept
{
    // A function-local static is initialised once even when two threads ask at once.
    static const CLIPFORMAT s_cf = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("Shell IDList Array"));
    return s_cf;
}

} // namespace corvasin
