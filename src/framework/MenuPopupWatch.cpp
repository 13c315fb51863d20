// One WH_CALLWNDPROC hook per thread that has watched UI objects.
#include "framework/MenuPopupWatch.h"

#include "core/CmdTargetPtr.h"
#include "core/Handles.h"
#include "core/Result.h"
#include "framework/ShellUIObject.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace corvasin
{

namespace
{
struct Watch
{
    DWORD dwThread;
    UniqueHhook hHook; // goes with the watch
    std::vector<CShellUIObject*> objects; // not counted: each leaves before it goes
};

std::mutex g_lock;
std::vector<Watch> g_watches;

Watch* FindWatch(DWORD dwThread) noexcept
{
    for (Watch& watch : g_watches)
    {
        if (watch.dwThread == dwThread)
            return &watch;
    }
    return nullptr;
}

LRESULT CALLBACK CallWndProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept
{
    const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pMsg && pMsg->message == WM_INITMENUPOPUP)
    {
        std::vector<CmdTargetPtr<CShellUIObject>> objects;
        try
        {
            std::lock_guard lock(g_lock);
            if (const Watch* pWatch = FindWatch(::GetCurrentThreadId()))
            {
                for (CShellUIObject* pObject : pWatch->objects)
                    objects.emplace_back(pObject);
            }
        }
        catch (...)
        {
            objects.clear(); // no memory: the popup stays as the host built it
        }
        // Outside the lock: a handler may build menus and watch again.
        for (const auto& pObject : objects)
            pObject->OnMenuMessage(WM_INITMENUPOPUP, pMsg->wParam, pMsg->lParam);
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
} // namespace

void WatchMenuPopups(CShellUIObject* pObject) noexcept
{
    if (!pObject)
        return;
    try
    {
        std::lock_guard lock(g_lock);
        const DWORD dwThread = ::GetCurrentThreadId();
        Watch* pWatch = FindWatch(dwThread);
        if (!pWatch)
        {
            UniqueHhook hHook(::SetWindowsHookExA(WH_CALLWNDPROC, CallWndProc, nullptr, dwThread));
            if (!hHook)
                return;
            g_watches.push_back({dwThread, std::move(hHook), {}});
            pWatch = &g_watches.back();
        }
        if (std::find(pWatch->objects.begin(), pWatch->objects.end(), pObject) == pWatch->objects.end())
            pWatch->objects.push_back(pObject);
    }
    catch (...)
    {
        // Without memory the submenus fill only where the host passes the message on.
    }
}

void StopWatchingMenuPopups(CShellUIObject* pObject) noexcept
{
    std::lock_guard lock(g_lock);
    for (auto it = g_watches.begin(); it != g_watches.end(); ++it)
    {
        auto& objects = it->objects;
        objects.erase(std::remove(objects.begin(), objects.end(), pObject), objects.end());
        if (objects.empty())
        {
            g_watches.erase(it); // and its hook
            return;
        }
    }
}

} // namespace corvasin
