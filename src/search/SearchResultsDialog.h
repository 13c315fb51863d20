// CSearchResultsDialog: the modeless "Search results" window of one search: the found keys and
// values (newest on top, with their Location) above a status line naming the key being
// searched. Closing it stops the search and ends the search thread's loop.
#pragma once

#include "core/Dialog.h"
#include "core/Handles.h"
#include "core/Window.h"
#include "search/PidlListCtrl.h"

namespace corvasin
{

namespace detail
{
inline void DestroyIconHandle(HICON h) noexcept { ::DestroyIcon(h); }
} // namespace detail
using UniqueHicon = UniqueAny<HICON, detail::DestroyIconHandle>;

// Created, fed and destroyed by the search thread, on which its window lives. The list owns
// the id list of every result.
class CSearchResultsDialog : public CDialog
{
public:
    CSearchResultsDialog() noexcept;

    // Stores the text and shows it in the status line. The results list keeps its own, slower
    // rhythm (ShowNewResults): showing rows repaints the list.
    void SetStatusText(const CString& strText) noexcept;
    // Adds a found key or value; the absolute id list passes to the window (it is freed at once
    // when it cannot be listed). It shows on top of the list at the next ShowNewResults.
    // pLocation: its Location text when the caller knows it (else it is asked of the shell).
    void AddResult(LPITEMIDLIST pidl, const CString* pLocation = nullptr) noexcept;
    // Shows the results added since the last call, newest on top. Each one costs the same
    // however many the list holds.
    void ShowNewResults() noexcept;
    // Set once the user has closed the window; the search reads it to stop.
    bool IsClosed() const noexcept { return m_bClosed != 0; }

    // The pixels the status line keeps at the bottom of the client area.
    static constexpr int kStatusHeight = 50;

protected:
    BOOL OnInitDialog() noexcept override;
    bool DoDataExchange(bool bSave) noexcept override;
    // Enter and Escape reach a modeless dialog as OK and Cancel: Escape closes the window the
    // way its close box does, Enter does nothing.
    void OnOK() noexcept override;
    void OnCancel() noexcept override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) noexcept override;
    INT_PTR DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void Layout() noexcept;
    // Column 1 of a result: its parent key's path (empty below a predefined key, or when the
    // parent cannot be reached through the desktop).
    CString LocationOf(LPCITEMIDLIST pidl) noexcept;

    CWnd m_status;
    CPidlListCtrl m_list;
    CString m_strStatus;
    int m_bClosed = 0;
    UniqueHicon m_hIconLarge;
    UniqueHicon m_hIconSmall;
    // The last parent looked up: consecutive results usually share it.
    UniquePidl m_pidlLastParent;
    CString m_strLastLocation;
};

} // namespace corvasin
