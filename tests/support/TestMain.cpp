// Entry of every test program: OLE is initialised on the test thread, as the shell's thread is.
#include <gtest/gtest.h>
#include <ole2.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const HRESULT hr = ::OleInitialize(nullptr);
    const int result = RUN_ALL_TESTS();
    if (SUCCEEDED(hr))
        ::OleUninitialize();
    return result;
}
