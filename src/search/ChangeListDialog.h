// CChangeListDialog: a window in the style of the search results that lists changes (what a
// compare of two keys found, or what a registration file would write), made by a piece of work
// that runs on a thread of its own while the window shows, with an action button ("Export
// differences...", "Apply") and a close button.
#pragma once

#include "core/Dialog.h"
#include "core/Handles.h"
#include "core/Window.h"
#include "search/PidlListCtrl.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace corvasin
{

struct ChangeRow
{
    enum Image
    {
        kKey,
        kTextValue,
        kOtherValue,
        kNoImage = -1,
    };
    // The image of a value of the type: text or other data.
    static int ValueImage(DWORD dwType) noexcept
    {
        return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ ? kTextValue : kOtherValue;
    }

    UniquePidl pidl; // may be empty: the row names nothing the shell can open
    int iImage = kNoImage;
    CString name;
    CString location;
    std::vector<CString> texts; // the columns after the second
};

struct ChangeList
{
    std::vector<ChangeRow> rows;
    CString status;
    bool bCanAccept = true; // the action button is enabled
};

struct ChangeColumn
{
    const char* pszTitle;
    int cxWidth; // pixels
};

class CChangeListDialog : public CDialog
{
public:
    // Runs on the work thread; it looks at the flag now and then and ends soon once it is set.
    using Work = std::function<ChangeList(const std::atomic<bool>& cancelled)>;
    // Runs on the window's thread when the action button is pressed; true closes the window
    // with IDOK.
    using Action = std::function<bool(HWND hwndOwner)>;

    CChangeListDialog(CString title, std::vector<ChangeColumn> columns, CString actionText, CString closeText,
                      Work work, Action action) noexcept;
    ~CChangeListDialog() override;

    static constexpr UINT kWorkDone = WM_APP + 1;

protected:
    BOOL OnInitDialog() noexcept override;
    void OnOK() noexcept override;
    void OnCancel() noexcept override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) noexcept override;
    INT_PTR DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void Layout() noexcept;
    void ShowResult() noexcept;
    void StopWork() noexcept;

    CString m_title;
    std::vector<ChangeColumn> m_columns;
    CString m_actionText;
    CString m_closeText;
    Work m_work;
    Action m_action;

    std::thread m_worker;
    std::atomic<bool> m_bCancelled{false};
    std::atomic<bool> m_bDone{false};
    ChangeList m_result; // the worker's until m_bDone
    bool m_bWorkFailed = false;

    CPidlListCtrl m_list;
    CWnd m_status;
};

} // namespace corvasin
