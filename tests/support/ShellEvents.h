// Records the shell change notifications sent for a place of the namespace and below it, the
// way an open folder window receives them.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace corvasin::test
{

class CShellEvents
{
public:
    struct Event
    {
        LONG lEvent;
        std::string first;  // the szName of the first list's last registry id
        std::string second; // the same of the second list, or empty
        bool operator==(const Event&) const = default;
    };

    // Listens below pidl (an absolute list), recursively.
    explicit CShellEvents(LPCITEMIDLIST pidl);
    ~CShellEvents();
    CShellEvents(const CShellEvents&) = delete;
    CShellEvents& operator=(const CShellEvents&) = delete;

    // Serves the thread's messages until n events came or a while passed; the events so far.
    const std::vector<Event>& WaitFor(size_t n, DWORD dwTimeoutMs = 2000);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    ULONG m_uRegistration = 0;
    std::vector<Event> m_events;
};

} // namespace corvasin::test
