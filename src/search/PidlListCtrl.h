// CPidlListCtrl: a list-view control whose items carry absolute item id lists of the shell
// namespace. It opens an item in the shell by click or double click (as the shell's click
// setting says) and shows the item's own shell context menu, with "Open folder" first.
#pragma once

#include "core/ComPtr.h"
#include "core/Handles.h"
#include "core/ListCtrl.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

namespace corvasin
{

namespace detail
{
inline void DestroyImageList(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
} // namespace detail
using UniqueImageList = UniqueAny<HIMAGELIST, detail::DestroyImageList>;

// Owns the id list of every item (freed when the control is destroyed) and its two image lists
// (the control only borrows them). Lives on the thread that owns the control's window.
class CPidlListCtrl : public CListCtrl
{
public:
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

    ComPtr<IContextMenu> m_pActiveMenu; // the shell menu being shown, for its drawing messages
    UniqueImageList m_imageListLarge;
    UniqueImageList m_imageListSmall;
};

} // namespace corvasin
