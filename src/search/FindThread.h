// CFindThread: one search of the registry, on a thread of its own with its own results window.
// It walks the keys below its starting point through the folders' SearchKey, reporting each
// match to the window at once, and keeps serving the window after "Done!" until it is closed.
// FindRegistryItems is the Find... command: the dialog, then such a thread.
#pragma once

#include "core/CmdTargetPtr.h"
#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/WinThread.h"
#include "registry/SearchWalk.h"
#include "search/SearchResultsDialog.h"
#include "search/SearchText.h"

#include <memory>
#include <vector>

namespace corvasin
{

class CFindDialog;
class CRegkeyExtension;

// Made and set up by the thread that runs the command, then owned by the search thread, which
// deletes it at its end. It holds one reference on the folder and clones of the selected ids,
// and gives them back when the thread exits, whether the search finished or was cancelled.
class CFindThread : public CWinThread, public CSearchWalk
{
public:
    // Starts a search with the dialog's choices: below each selected key (non-key items are
    // skipped), or the whole folder when cidl is 0. FALSE when no thread could be started.
    static BOOL Start(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                      const CFindDialog& choices) noexcept;
    ~CFindThread() override;

    // ---- CSearchWalk ---------------------------------------------------------------------------
    bool SearchKeyNames() const noexcept override { return m_bKeys != 0; }
    bool SearchValueNames() const noexcept override { return m_bValues != 0; }
    bool SearchValueData() const noexcept override { return m_bData != 0; }
    bool SearchesDataOfType(DWORD dwType) const noexcept override;
    bool ServeAndCheckCancelled() noexcept override;
    bool IsCancelled() const noexcept override;
    void SetStatusText(const CString& text) noexcept override;
    void AddResult(LPITEMIDLIST pidlAbsolute) noexcept override;
    void AddResultBelow(LPITEMIDLIST pidlAbsolute, const std::wstring& parentRealPath) noexcept override;
    bool MatchesName(const char* pszName) const noexcept override;
    bool MatchesData(DWORD dwType, const BYTE* pData, size_t cbData) const noexcept override;

protected:
    // The whole search; TRUE keeps the loop serving the window, FALSE (closed) ends the thread.
    BOOL InitInstance() noexcept override;
    // Destroys the window object and gives back the folder, the ids and the shell's reference.
    int ExitInstance() noexcept override;
    // Keyboard navigation of the results window.
    BOOL PreTranslateMessage(MSG* pMsg) noexcept override;

private:
    CFindThread(CRegkeyExtension* pFolder, const CString& strSearch, const CFindDialog& choices);

    int m_nItems = 0;
    std::vector<UniquePidl> m_items;
    CSearchText m_text;
    int m_bKeys;
    int m_bValues;
    int m_bData;
    int m_bIgnoreCase;
    std::unique_ptr<CSearchResultsDialog> m_pResults;
    CmdTargetPtr<CRegkeyExtension> m_pFolder;
    ComPtr<IUnknown> m_pShellProcess;
    bool m_bOleInitialized = false;
    // Serving the queue costs a round trip to the window server (Wine's costs more than a
    // registry read), so the walk serves it, and shows the key being searched, at most every
    // kServeIntervalMs: far more often than a user can see, far less often than every value.
    static constexpr DWORD kServeIntervalMs = 25;
    DWORD m_dwLastServed = 0;
    // New results go on top of the list less often: each time the list's item count changes, the
    // list view redraws its scroll bar and every row it shows (about 10 ms under Wine), whatever
    // the number of new rows. "Done!" shows the last ones.
    static constexpr DWORD kShowResultsIntervalMs = 200;
    DWORD m_dwLastShown = 0;
    bool m_bServedOnce = false;
    CString m_strPendingStatus;
    bool m_bStatusPending = false;
};

// The Find... command of a folder's items (the whole folder when cidl is 0): runs the find
// dialog and, unless it is cancelled, starts the search thread and returns at once. TRUE
// whether or not the user cancelled; FALSE when the search could not be started. The function
// the Find... command runs.
BOOL FindRegistryItems(CRegkeyExtension* pFolder, UINT cidl, LPCITEMIDLIST* apidl,
                       HWND hwndOwner) noexcept;

} // namespace corvasin
