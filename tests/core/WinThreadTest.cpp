// The thread base: InitInstance decides whether the loop runs, ExitInstance always runs last
// and gives the exit code, the object deletes itself, and the priority can be set before start.
#include "core/WinThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <tuple>

using namespace corvasin;

namespace
{

constexpr UINT WM_TEST_COUNT = WM_APP + 7;

struct ThreadLog
{
    std::atomic<int> nInit{0}, nPreTranslated{0}, nExit{0}, nDeleted{0};
};

class CTestThread : public CWinThread
{
public:
    CTestThread(ThreadLog* pLog, bool bRunLoop) : m_pLog(pLog), m_bRunLoop(bRunLoop) {}
    ~CTestThread() override { ++m_pLog->nDeleted; }

protected:
    BOOL InitInstance() noexcept override
    {
        ++m_pLog->nInit;
        if (!m_bRunLoop)
            return FALSE;
        // Messages posted to the thread reach the loop; the last one ends it with code 7.
        ::PostThreadMessageA(::GetCurrentThreadId(), WM_TEST_COUNT, 0, 0);
        ::PostThreadMessageA(::GetCurrentThreadId(), WM_TEST_COUNT, 0, 0);
        ::PostQuitMessage(7);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) noexcept override
    {
        if (pMsg->message == WM_TEST_COUNT)
            ++m_pLog->nPreTranslated;
        return FALSE;
    }
    int ExitInstance() noexcept override
    {
        ++m_pLog->nExit;
        return m_bRunLoop ? CWinThread::ExitInstance() : 3;
    }

private:
    ThreadLog* m_pLog;
    bool m_bRunLoop;
};

} // namespace

TEST(WinThread, RunsInitLoopAndExitThenDeletesItself)
{
    const struct
    {
        bool bRunLoop;
        int nPreTranslated;
        DWORD dwExitCode;
    } rows[] = {{false, 0, 3}, {true, 2, 7}};
    for (const auto& row : rows)
    {
        ThreadLog log;
        auto* pThread = new CTestThread(&log, row.bRunLoop);
        ASSERT_TRUE(pThread->CreateThread(CREATE_SUSPENDED));
        // The object closes its handle when it goes: the test waits on a handle of its own.
        HANDLE hThread = nullptr;
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), pThread->GetThreadHandle(),
                                      ::GetCurrentProcess(), &hThread, 0, FALSE, DUPLICATE_SAME_ACCESS));
        UniqueHandle thread(hThread);
        ASSERT_TRUE(pThread->SetThreadPriority(THREAD_PRIORITY_BELOW_NORMAL));
        EXPECT_EQ(pThread->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
        EXPECT_EQ(log.nInit.load(), 0) << "started before ResumeThread";
        pThread->ResumeThread();

        ASSERT_EQ(::WaitForSingleObject(thread.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
        DWORD dwExitCode = 0;
        ::GetExitCodeThread(thread.get(), &dwExitCode);
        EXPECT_EQ(std::tuple(dwExitCode, log.nInit.load(), log.nPreTranslated.load(), log.nExit.load(),
                             log.nDeleted.load()),
                  std::tuple(row.dwExitCode, 1, row.nPreTranslated, 1, 1));
    }
}
