// The product's clipboard formats, registered by name.
#include "app/ClipboardFormats.h"

#include <gtest/gtest.h>

using namespace corvasin;

TEST(ClipboardFormats, RegistersTheThreeNamesOnce)
{
    RegisterClipboardFormats();
    EXPECT_EQ(GetClipboardFormat(kCfShellIdList), ::RegisterClipboardFormatA("Shell IDList Array"));
    EXPECT_EQ(GetClipboardFormat(kCfRegPidl), ::RegisterClipboardFormatA("CORVASIN_REG_PIDL"));
    EXPECT_EQ(g_cfRegKey, ::RegisterClipboardFormatA("CORVASIN_CLIPFORMAT_REGKEY"));
    EXPECT_EQ(GetClipboardFormat(kCfCount), 0u);
    EXPECT_EQ(GetClipboardFormat(-1), 0u);
}

