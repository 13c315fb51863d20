// CListCtrl: a list-view control seen through a window object, with the few calls the
// component makes on one spelt out as methods.
#pragma once

#include "core/Window.h"

#include <windows.h>
#include <commctrl.h>

namespace corvasin
{

// Usually a control of a dialog template taken over with SubclassDlgItem; same threading and
// lifetime rules as CWnd.
class CListCtrl : public CWnd
{
public:
    int GetItemCount() const noexcept
    {
        return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0));
    }
    int InsertItem(const LVITEMA& item) noexcept
    {
        return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    BOOL SetItemText(int iItem, int iSubItem, const char* pszText) noexcept
    {
        LVITEMA item = {};
        item.iSubItem = iSubItem;
        item.pszText = const_cast<char*>(pszText);
        return static_cast<BOOL>(Send(LVM_SETITEMTEXTA, iItem, reinterpret_cast<LPARAM>(&item)));
    }
    // The item's data value, or 0 when there is no such item.
    LPARAM GetItemData(int iItem) const noexcept
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = iItem;
        return Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
    }
    BOOL SetItemData(int iItem, LPARAM lParam) noexcept
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = iItem;
        item.lParam = lParam;
        return static_cast<BOOL>(Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    int GetNextItem(int iStart, UINT uFlags) const noexcept
    {
        return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(iStart), MAKELPARAM(uFlags, 0)));
    }
    // The item under a point in client coordinates, or -1.
    int HitTest(POINT pt) const noexcept
    {
        LVHITTESTINFO info = {};
        info.pt = pt;
        return static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    }
    int InsertColumn(int iColumn, const char* pszHeading, int cx) noexcept
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(pszHeading);
        column.cx = cx;
        column.iSubItem = iColumn;
        return static_cast<int>(Send(LVM_INSERTCOLUMNA, iColumn, reinterpret_cast<LPARAM>(&column)));
    }
    void SetImageList(HIMAGELIST hImageList, int nKind) noexcept
    {
        Send(LVM_SETIMAGELIST, nKind, reinterpret_cast<LPARAM>(hImageList));
    }
    void SetExtendedStyle(DWORD dwMask, DWORD dwStyle) noexcept
    {
        Send(LVM_SETEXTENDEDLISTVIEWSTYLE, dwMask, dwStyle);
    }
    // The number of items of a list whose owner keeps the data (LVS_OWNERDATA).
    void SetItemCount(int cItems, DWORD dwFlags) noexcept
    {
        Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(cItems), static_cast<LPARAM>(dwFlags));
    }
    UINT GetItemState(int iItem, UINT uMask) const noexcept
    {
        return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(iItem), uMask));
    }
    BOOL SetItemState(int iItem, UINT uState, UINT uMask) noexcept
    {
        LVITEMA item = {};
        item.state = uState;
        item.stateMask = uMask;
        return static_cast<BOOL>(Send(LVM_SETITEMSTATE, static_cast<WPARAM>(iItem), reinterpret_cast<LPARAM>(&item)));
    }

private:
    LRESULT Send(UINT uMsg, WPARAM wParam, LPARAM lParam) const noexcept
    {
        return m_hWnd ? ::SendMessageA(m_hWnd, uMsg, wParam, lParam) : 0;
    }
};

} // namespace corvasin
