// Registration of the component's clipboard formats.
#include "app/ClipboardFormats.h"

#include <atomic>

namespace corvasin
{

UINT g_cfRegKey = 0;

namespace
{
constexpr const char* c_apszFormatNames[kCfCount] = {
    "CORVASIN_REG_PIDL",
    "Shell IDList Array",
    "CORVASIN_CLIPFORMAT_REGKEY",
};

// Atomic because the search thread may ask for a format while the shell's thread registers.
std::atomic<UINT> g_aFormats[kCfCount];
} // namespace

void RegisterClipboardFormats() noexcept
{
    for (int i = 0; i < kCfCount; ++i)
    {
        if (g_aFormats[i].load() == 0)
            g_aFormats[i].store(::RegisterClipboardFormatA(c_apszFormatNames[i]));
    }
    g_cfRegKey = g_aFormats[kCfRegKey].load();
}

UINT GetClipboardFormat(int which) noexcept
{
    if (which < 0 || which >= kCfCount)
        return 0;
    UINT cf = g_aFormats[which].load();
    if (cf == 0)
    {
        RegisterClipboardFormats();
        cf = g_aFormats[which].load();
    }
    return cf;
}

} // namespace corvasin
