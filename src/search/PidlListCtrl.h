// CPidlListCtrl: a list-view control whose items carry absolute item id lists of the shell
// namespace, newest on top. It opens an item in the shell by click or double click (as the
// shell's click setting says) and shows the item's own shell context menu, with "Open folder"
// first.
#pragma once

#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/ListCtrl.h"
#include "core/Strings.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace corvasin
{

namespace detail
{
inline void DestroyImageList(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
} // namespace detail
using UniqueImageList = UniqueAny<HIMAGELIST, detail::DestroyImageList>;

// Owns the id list of every item (freed when the control is destroyed) and its two image lists
// (the control only borrows them). Lives on the thread that owns the control's window.
//
// The control keeps no items of its own (LVS_OWNERDATA): the rows are kept here in the order they
// came, and the control's item i is the i-th newest. Adding a row costs the same however many
// there are (inserting at the top of an ordinary list moves every item below).
class CPidlListCtrl : public CListCtrl
{
public:
    // Keeps a row for the list; the id list passes to the control (freed at once on failure).
    // It shows with the rows added before it at the next ShowAddedItems.
    bool AddItem(LPITEMIDLIST pidl, const char* pszName, int iImage, CString location) noexcept;
    // A row with columns beyond the second (texts[0] is column 2); its id list may be empty
    // (a row that names nothing the shell can open).
    bool AddRow(UniquePidl pidl, const char* pszName, int iImage, CString location,
                std::vector<CString> texts) noexcept;
    // Rows show in the order they came (the default is newest on top); before the first row.
    void SetOldestFirst() noexcept { m_bOldestFirst = true; }
    // Puts the rows added since the last call on top; the selected and focused rows stay so.
    void ShowAddedItems() noexcept;
    // The id list of the control's item, or null.
    LPCITEMIDLIST GetItemPidl(int iItem) const noexcept;

    // Makes both image lists (16 and 32 pixels) from the icon resources, in order, and gives
    // them to the control; FALSE when one could not be made.
    BOOL CreateImageLists(const UINT* pnIconIds, UINT cIcons) noexcept;

    // The shell's click setting: web style on and double-click in web view off. Read afresh
    // each time; a shell without SHGetSettings counts as double-click mode.
    static bool IsSingleClickMode() noexcept;
    static bool IsSingleClickMode(const SHELLFLAGSTATE& state) noexcept;

    // The control's own notifications, passed on by its parent; TRUE when handled.
    BOOL OnReflectedNotify(const NMHDR* pnmh, LRESULT* pResult) noexcept;

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    // Opens the selected item: a key in its own place, a value in its key's.
    void OpenSelectedItem() noexcept;
    void ShowContextMenu(LPARAM lParamPoint) noexcept;
    void FreeItemIdLists() noexcept;
    // The row an item of the control shows, or -1.
    int RowOf(int iItem) const noexcept;
    int ItemOf(int iRow) const noexcept { return iRow < 0 ? -1 : m_bOldestFirst ? iRow : m_cShown - 1 - iRow; }
    void OnGetDispInfo(NMLVDISPINFOA* pInfo, bool bWide) noexcept;
    int FindItem(int iStart, const LVFINDINFOA& find, const char* pszText) const noexcept;
    void OnItemChanged(const NMLISTVIEW* pChange) noexcept;

    struct Row
    {
        UniquePidl pidl;
        CString strName;
        CString strLocation;
        std::vector<CString> texts; // columns 2 and on
        int iImage = 0;
    };
    bool m_bOldestFirst = false;
    std::vector<Row> m_rows;
    int m_cShown = 0; // the rows the control has been told of
    // The rows selected and focused (at most one of each), followed through the control's notices.
    int m_iSelectedRow = -1;
    int m_iFocusedRow = -1;
    bool m_bMovingState = false;

    ComPtr<IContextMenu> m_pActiveMenu; // the shell menu being shown, for its drawing messages
    UniqueImageList m_imageListLarge;
    UniqueImageList m_imageListSmall;
};

} // namespace corvasin
