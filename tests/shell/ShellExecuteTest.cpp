// The shell running registry items as a double click or Enter does: ShellExecuteEx of a value's
// id list opens the value's editor through the registered DLL; a key is left to the shell.
#include "install/DllUnderTest.h"

#include "core/ComPtr.h"
#include "core/Handles.h"
#include "resource.h"
#include "support/ModalDriver.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace corvasin::test
{
namespace
{

// A value item id as the key folder lists it: kind 2, the name, the type.
UniquePidl ValueId(const char* pszName, DWORD dwType)
{
    BYTE record[216] = {'C', 'O', 'R', 'V', 2};
    strncpy(reinterpret_cast<char*>(record + 12), pszName, 199);
    memcpy(record + 212, &dwType, 4);
    auto* p = static_cast<BYTE*>(::CoTaskMemAlloc(sizeof(record) + 4));
    const USHORT cb = sizeof(record) + 2;
    memcpy(p, &cb, 2);
    memcpy(p + 2, record, sizeof(record));
    memset(p + 2 + sizeof(record), 0, 2);
    return UniquePidl(reinterpret_cast<LPITEMIDLIST>(p));
}

TEST(ShellOpen, OpeningAValueRunsItsEditor)
{
    ASSERT_EQ(RegisterDll(), 0u);
    ScratchKey key;
    key.SetString("Greeting", "hello");
    ComPtr<IShellFolder> desktop;
    ASSERT_EQ(::SHGetDesktopFolder(desktop.put()), S_OK);
    std::wstring text = L"::{BBC22D43-FF1C-4948-B6DA-04BEFBDA2E92}\\HKCU\\" +
                        std::wstring(key.path().begin(), key.path().end());
    UniquePidl pidlKey;
    ASSERT_EQ(desktop->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, pidlKey.put(), nullptr), S_OK);
    UniquePidl value = ValueId("Greeting", REG_SZ);
    UniquePidl full(::ILCombine(pidlKey.get(), value.get()));

    SHELLEXECUTEINFOA sei = {};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
    sei.lpIDList = full.get();
    sei.nShow = SW_SHOWNORMAL;
    {
        CModalDriver answers({TypeAndPress(IDC_VALUE_EDIT, "changed", IDOK)});
        EXPECT_TRUE(::ShellExecuteExA(&sei));
        ASSERT_EQ(answers.Seen().size(), 1u);
        EXPECT_EQ(answers.Seen()[0].caption, "Edit Text");
    }
    char sz[32] = {};
    DWORD cb = sizeof(sz);
    ASSERT_EQ(::RegGetValueA(key.get(), nullptr, "Greeting", RRF_RT_REG_SZ, nullptr, sz, &cb), ERROR_SUCCESS);
    EXPECT_STREQ(sz, "changed");
}

} // namespace
} // namespace corvasin::test
