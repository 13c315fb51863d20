// A rename through SetNameOf announces itself to the shell with two events, item first.
#include "registry/FolderTestUtil.h"
#include "support/ScratchKey.h"

#include <cstring>

using namespace corvasin;
using namespace corvasin::test;

namespace
{
// A key folder whose renames always succeed without touching the registry.
class CRenamingFolder : public CRegkeyExtension
{
public:
    using CRegkeyExtension::CRegkeyExtension;
    BOOL SetItemName(void* pItem, const CString& strName) noexcept override
    {
        auto* pRecord = static_cast<REGITEM*>(pItem);
        strncpy(pRecord->szName, strName.c_str(), kRegItemNameSize - 1);
        return TRUE;
    }
};

constexpr UINT WM_SHELLNOTIFY = WM_APP + 1;

struct Notifications
{
    std::vector<LONG> events;
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_SHELLNOTIFY)
        {
            auto* self = reinterpret_cast<Notifications*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            LPITEMIDLIST* ppidl = nullptr;
            LONG event = 0;
            HANDLE hLock = ::SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam),
                                                       static_cast<DWORD>(lParam), &ppidl, &event);
            if (self)
                self->events.push_back(event);
            if (hLock)
                ::SHChangeNotification_Unlock(hLock);
            return 0;
        }
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
};
} // namespace

TEST(RenameNotify, ASuccessfulRenameSendsItemThenFolderEvents)
{
    ScratchKey scratch;
    Notifications notifications;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &Notifications::WndProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "CorvasinNotifyTest";
    ::RegisterClassA(&wc);
    UniqueHwnd hwnd(::CreateWindowA("CorvasinNotifyTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr));
    ASSERT_TRUE(hwnd);
    ::SetWindowLongPtrA(hwnd.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&notifications));

    auto* pFolder = new CRenamingFolder(nullptr, HKEY_CURRENT_USER, scratch.path().c_str(), nullptr);
    ComPtr<IShellFolder2> psf = ComPtr<IShellFolder2>::Attach(
        static_cast<IShellFolder2*>(pFolder->GetInterface(IID_IShellFolder2)));
    UniquePidl location = HkcuPidl(scratch.path());
    ComPtr<IPersistFolder> persist;
    ASSERT_EQ(psf.As(persist), S_OK);
    persist->Initialize(location.get());

    SHChangeNotifyEntry entry = {location.get(), TRUE};
    const ULONG registration = ::SHChangeNotifyRegister(
        hwnd.get(), SHCNRF_ShellLevel | SHCNRF_NewDelivery, SHCNE_ALLEVENTS, WM_SHELLNOTIFY, 1, &entry);
    ASSERT_NE(registration, 0u);

    UniquePidl old = ItemId(REGITEM_VALUE, "Old", 0, REG_SZ);
    LPITEMIDLIST pidlNew = nullptr;
    ASSERT_EQ(psf->SetNameOf(nullptr, old.get(), L"New", SHGDN_NORMAL, &pidlNew), S_OK);
    UniquePidl ownedNew(pidlNew);
    EXPECT_STREQ(RecordOf(pidlNew).szName, "New");
    EXPECT_EQ(RecordOf(pidlNew).dwKind, REGITEM_VALUE);

    const DWORD deadline = ::GetTickCount() + 2000;
    MSG msg;
    while (notifications.events.size() < 2 && ::GetTickCount() < deadline)
    {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::Sleep(10);
    }
    ::SHChangeNotifyDeregister(registration);
    ASSERT_EQ(notifications.events.size(), 2u);
    EXPECT_EQ(notifications.events[0], SHCNE_RENAMEITEM);
    EXPECT_EQ(notifications.events[1], SHCNE_RENAMEFOLDER);
}

TEST(RenameNotify, ARefusedRenameFailsAndHandsOutNothing)
{
    ScratchKey scratch;
    ComPtr<IShellFolder2> psf = KeyFolder(scratch.path());
    UniquePidl old = ItemId(REGITEM_VALUE, "Old", 0, REG_SZ);
    LPITEMIDLIST pidlNew = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_EQ(psf->SetNameOf(nullptr, old.get(), L"New", SHGDN_NORMAL, &pidlNew), E_FAIL);
    EXPECT_EQ(pidlNew, nullptr);
}
