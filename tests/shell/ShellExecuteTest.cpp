// The shell running registry items as a double click or Enter does: ShellExecuteEx of a value's
// id list opens the value's editor through the registered DLL; a key is left to the shell.
#include "install/DllUnderTest.h"
#include "registry/FolderTestUtil.h"
#include "support/ModalDriver.h"
#include "support/ScratchKey.h"

#include "resource.h"

#include <shellapi.h>

namespace corvasin::test
{

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
    const UniquePidl full = Combine(pidlKey.get(), ItemId(REGITEM_VALUE, "Greeting", 0, REG_SZ).get());

    SHELLEXECUTEINFOA sei = {sizeof(sei)};
    sei.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
    sei.lpIDList = full.get();
    sei.nShow = SW_SHOWNORMAL;
    CModalDriver answers({TypeAndPress(IDC_VALUE_EDIT, "changed", IDOK)});
    EXPECT_TRUE(::ShellExecuteExA(&sei));
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].caption, "Edit Text");
    const RegValue value = ReadValue(HKEY_CURRENT_USER, key.path(), "Greeting");
    EXPECT_EQ(std::tie(value.dwType, value.data), std::tuple(static_cast<DWORD>(REG_SZ), std::string("changed", 8)));
}

} // namespace corvasin::test
