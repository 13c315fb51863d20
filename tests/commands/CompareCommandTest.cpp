// The Compare command on two selected keys: its window, on a thread of its own, lists what
// differs and closes without touching the registry.
#include "commands/RegistryCommandFixture.h"
#include "support/RegistrySnapshot.h"

#include <commctrl.h>

#include "resource.h"

namespace corvasin::test
{

TEST_F(RegistryCommands, CompareListsTheDifferencesOfTwoSelectedKeys)
{
    key.CreateSubkey("First\\Shared");
    key.CreateSubkey("First\\Gone");
    key.CreateSubkey("Second\\Shared");
    ::RegSetKeyValueA(key.get(), "First", "size", REG_DWORD, "\x01\0\0\0", 4);
    ::RegSetKeyValueA(key.get(), "Second", "size", REG_DWORD, "\x02\0\0\0", 4);
    ::RegSetKeyValueA(key.get(), "Second\\Shared", "new", REG_SZ, "text", 5);
    const Snapshot before = SnapKey(key.path());
    UniquePidl first = ItemId(REGITEM_KEY, "First"), second = ItemId(REGITEM_KEY, "Second");

    ASSERT_EQ(Invoke({first.get(), second.get()}, "compare"), S_OK);
    HWND hwnd = nullptr;
    char szStatus[128] = "";
    for (int i = 0; i < 1000 && (!hwnd || strstr(szStatus, "Working")); ++i)
    {
        ::Sleep(10);
        hwnd = ::FindWindowA(nullptr, "Compare First with Second");
        if (hwnd)
            ::GetDlgItemTextA(hwnd, IDC_CHANGES_STATUS, szStatus, sizeof(szStatus));
    }
    ASSERT_TRUE(hwnd);
    EXPECT_STREQ(szStatus, "3 differences.");
    EXPECT_EQ(::SendDlgItemMessageA(hwnd, IDC_CHANGES_LIST, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hwnd, IDOK)));

    // The window's thread ends when it is closed; the registry is as it was.
    const DWORD dwThread = ::GetWindowThreadProcessId(hwnd, nullptr);
    UniqueHandle thread(::OpenThread(SYNCHRONIZE, FALSE, dwThread));
    ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
    ExpectSameTree(SnapKey(key.path()), before);
    // Two keys only.
    EXPECT_NE(Invoke({first.get()}, "compare"), S_OK);
}

} // namespace corvasin::test
