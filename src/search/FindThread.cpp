// The search thread: its start from the Find... command, the search on the thread, what the
// folders' walk reports to it, and its clean-up.
#include "search/FindThread.h"

#include "registry/RegkeyExtension.h"
#include "search/FindDialog.h"

#include <ole2.h>
#include <shlobj.h>

#include <new>

namespace corvasin
{

CFindThread::CFindThread(CRegkeyExtension* pFolder, const CString& strSearch,
                         const CFindDialog& choices)
    : m_text(strSearch, choices.m_bIgnoreCase != 0), m_bKeys(choices.m_bKeys),
      m_bValues(choices.m_bValues), m_bData(choices.m_bData),
      m_bIgnoreCase(choices.m_bIgnoreCase), m_pFolder(pFolder)
{
}

CFindThread::~CFindThread() = default;

BOOL CFindThread::Start(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                        const CFindDialog& choices) noexcept
{
    if (!pFolder)
        return FALSE;
    std::unique_ptr<CFindThread> pThread;
    try
    {
        pThread.reset(new CFindThread(pFolder, choices.m_strSearch, choices));
        if (apidl)
        {
            for (UINT i = 0; i < cidl; ++i)
            {
                UniquePidl pidl(apidl[i] ? ::ILClone(apidl[i]) : nullptr);
                if (!pidl)
                    return FALSE;
                pThread->m_items.push_back(std::move(pidl));
            }
        }
        pThread->m_nItems = static_cast<int>(pThread->m_items.size());
    }
    catch (...)
    {
        return FALSE;
    }
    if (!pThread->CreateThread(CREATE_SUSPENDED))
        return FALSE;
    pThread->SetThreadPriority(choices.m_bLowPriority ? THREAD_PRIORITY_BELOW_NORMAL
                                                      : THREAD_PRIORITY_NORMAL);
    // From here on the thread owns itself; it may be gone as soon as it runs.
    const HANDLE hThread = pThread->GetThreadHandle();
    (void)pThread.release();
    ::ResumeThread(hThread);
    return TRUE;
}

BOOL CFindThread::InitInstance() noexcept
{
    m_bOleInitialized = SUCCEEDED(::OleInitialize(nullptr));
    // The shell's process stays alive while the window is open (none outside a shell).
    ::SHGetInstanceExplorer(m_pShellProcess.put());

    m_pResults.reset(new (std::nothrow) CSearchResultsDialog());
    if (!m_pResults || !m_pResults->Create(nullptr))
        return FALSE;
    ::ShowWindow(m_pResults->GetSafeHwnd(), SW_SHOW);

    if (m_nItems == 0)
    {
        m_pFolder->SearchKey(this);
    }
    else
    {
        for (const UniquePidl& item : m_items)
        {
            // Only keys are searched: a value yields no sub-folder.
            const BYTE* pData = m_pFolder->OwnItemData(item.get(), true);
            const CmdTargetPtr<CNameSpaceExtension> pSubFolder =
                pData ? m_pFolder->GetSubFolder(pData) : nullptr;
            if (!pSubFolder || !pSubFolder->GetInterface(IID_IRegFolder))
                continue;
            if (!static_cast<CRegkeyExtension*>(pSubFolder.get())->SearchKey(this))
                break;
        }
    }

    if (IsCancelled())
        return FALSE;
    m_pResults->ShowNewResults();
    m_pResults->SetStatusText("Done!");
    return TRUE;
}

int CFindThread::ExitInstance() noexcept
{
    m_pResults.reset();
    m_pShellProcess.reset();
    m_pFolder.reset();
    m_items.clear();
    if (m_bOleInitialized)
        ::OleUninitialize();
    m_bOleInitialized = false;
    return CWinThread::ExitInstance();
}

BOOL CFindThread::PreTranslateMessage(MSG* pMsg) noexcept
{
    const HWND hwndResults = m_pResults ? m_pResults->GetSafeHwnd() : nullptr;
    return hwndResults && ::IsDialogMessageA(hwndResults, pMsg);
}

bool CFindThread::SearchesDataOfType(DWORD dwType) const noexcept
{
    return CSearchText::IsSearchedType(dwType);
}

bool CFindThread::ServeAndCheckCancelled() noexcept
{
    const DWORD dwNow = ::GetTickCount();
    if (!m_bServedOnce || dwNow - m_dwLastServed >= kServeIntervalMs)
    {
        m_bServedOnce = true;
        m_dwLastServed = dwNow;
        if (!IsCancelled())
        {
            if (dwNow - m_dwLastShown >= kShowResultsIntervalMs)
            {
                m_dwLastShown = dwNow;
                m_pResults->ShowNewResults();
            }
            if (m_bStatusPending)
                m_pResults->SetStatusText(m_strPendingStatus);
        }
        m_bStatusPending = false;
        PumpWaitingMessages();
    }
    return IsCancelled();
}

bool CFindThread::IsCancelled() const noexcept
{
    return !m_pResults || m_pResults->IsClosed();
}

void CFindThread::SetStatusText(const CString& text) noexcept
{
    // Shown the next time the queue is served.
    try
    {
        m_strPendingStatus = text;
        m_bStatusPending = true;
    }
    catch (...)
    {
    }
}

void CFindThread::AddResult(LPITEMIDLIST pidlAbsolute) noexcept
{
    if (IsCancelled())
    {
        ::ILFree(pidlAbsolute);
        return;
    }
    m_pResults->AddResult(pidlAbsolute);
}

void CFindThread::AddResultBelow(LPITEMIDLIST pidlAbsolute, const std::wstring& parentRealPath) noexcept
{
    if (IsCancelled())
    {
        ::ILFree(pidlAbsolute);
        return;
    }
    // The Location column as the parent's folder gives it (its real path in the code page),
    // without a bind through the desktop for every key that holds a result.
    const CString location = WideToAnsi(parentRealPath.c_str(), static_cast<int>(parentRealPath.size()));
    m_pResults->AddResult(pidlAbsolute, &location);
}

bool CFindThread::MatchesName(const char* pszName) const noexcept
{
    return pszName && m_text.MatchesText(pszName, strlen(pszName));
}

bool CFindThread::MatchesData(DWORD dwType, const BYTE* pData, size_t cbData) const noexcept
{
    return m_text.MatchesData(dwType, pData, cbData);
}

BOOL FindRegistryItems(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl, HWND) noexcept
{
    if (!pFolder)
        return FALSE;
    CFindDialog dialog;
    const INT_PTR nResult = dialog.DoModal();
    if (nResult == IDCANCEL)
        return TRUE;
    if (nResult != IDOK)
        return FALSE; // the dialog could not be shown
    return CFindThread::Start(pFolder, cidl, apidl, dialog);
}

} // namespace corvasin
