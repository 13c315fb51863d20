// The hex edit control: a child window that shows bytes as rows of hex digits (and optionally
// as characters), lets the user overwrite nibbles, select, copy and paste. The arithmetic lives
// in CHexEditModel; this class turns messages into model calls and draws the result.
#pragma once

#include "editors/HexEditModel.h"
#include "core/Handles.h"
#include "core/Window.h"

#include <windows.h>

namespace corvasin
{

inline constexpr char c_szHexEditClass[] = "CHexEditBase";
// Windows of this class build their own control object and delete it when they are destroyed.
inline constexpr char c_szHexEditSelfCreatingClass[] = "CHexEditBase_SC";

inline constexpr UINT c_idEditCopy = 57634;      // ID_EDIT_COPY
inline constexpr UINT c_idEditPaste = 57637;     // ID_EDIT_PASTE
inline constexpr UINT c_idEditSelectAll = 57642; // ID_EDIT_SELECT_ALL

// Posted by the layout to itself so that scroll bars change outside the painting code.
inline constexpr UINT c_msgUpdateScrollBars = WM_USER + 0x5000;
inline constexpr UINT_PTR c_idAutoScrollTimer = 1024;

// Owns its data copy and its font; used only on the thread that owns its window. An object made
// for a "CHexEditBase_SC" window deletes itself after the window is gone.
class CHexEditBase : public CWnd
{
public:
    CHexEditBase() noexcept;
    ~CHexEditBase() override;

    // Registers both window classes once per module; constructors call it.
    static bool RegisterWindowClasses() noexcept;
    // For the module's unload: a class left registered would keep a procedure that no longer
    // exists once the DLL is gone.
    static void UnregisterWindowClasses() noexcept;
    // The clipboard format of copied bytes: a 4-byte little-endian count, then the bytes.
    static UINT BinaryClipboardFormat() noexcept;

    // ES_MULTILINE in dwStyle gives rows, margins and scroll bars; without it one line.
    BOOL Create(LPCSTR pszWindowName, DWORD dwStyle, const RECT& rect, HWND hwndParent, UINT nID) noexcept;
    BOOL SubclassDlgItem(UINT nID, HWND hwndParent) noexcept;

    void SetData(const BYTE* pData, UINT nLength, bool bRedraw) noexcept;
    // Copies up to nCapacity bytes and returns the full data length.
    UINT GetData(BYTE* pBuffer, UINT nCapacity) const noexcept;
    UINT GetDataLength() const noexcept { return m_model.GetLength(); }

    void SetBytesPerRow(UINT nBytesPerRow, bool bAutomatic, bool bRedraw) noexcept;
    void SetShowAscii(bool bShow, bool bRedraw) noexcept;
    void SetSelection(UINT nBegin, UINT nEnd, bool bMakeVisible, bool bRedraw) noexcept;
    void SelectAll() noexcept;
    bool HasSelection() const noexcept { return m_model.HasSelection(); }
    UINT GetSelectionBegin() const noexcept { return m_model.GetSelectionBegin(); }
    UINT GetSelectionEnd() const noexcept { return m_model.GetSelectionEnd(); }
    UINT GetCaretPos() const noexcept { return m_model.GetCaretPos(); }
    bool IsCaretHighNibble() const noexcept { return m_model.IsHighNibble(); }
    UINT GetTopRow() const noexcept { return m_model.GetTopRow(); }
    bool IsReadOnly() const noexcept { return m_model.IsReadOnly(); }

    virtual void SetReadOnly(bool bReadOnly, bool bRedraw) noexcept;

    void SetEditCaretPos(UINT nPos, bool bHighNibble) noexcept;
    void SetTopRow(UINT nRow, bool bRedraw) noexcept;
    void SetScrollOffset(UINT nOffset, bool bRedraw) noexcept;
    void MakeVisible(UINT nBegin, UINT nEnd, bool bRedraw) noexcept;

    // Clipboard: copy writes text and "BinaryData"; paste reads "BinaryData" only.
    void Copy() noexcept;
    void Paste() noexcept;

    // The window-free state, for tests and for owners that need the layout numbers.
    const CHexEditModel& Model() const noexcept { return m_model; }

protected:
    // Given the popup menu after Copy and Paste are added, before it is shown.
    virtual void OnExtendContextMenu(HMENU hMenu) noexcept;

    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept override;
    void PostNcDestroy() noexcept override;

private:
    static LRESULT CALLBACK SelfCreatingWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam,
                                                   LPARAM lParam) noexcept;

    bool IsMultiLine() const noexcept;
    bool HasFocus() const noexcept;
    void Redraw() noexcept;
    void EnsureLayout() noexcept;
    void CalculateLayout(HDC hdc) noexcept;
    void UpdateScrollBars() noexcept;
    void SyncScrollPositions() noexcept;
    void DestroyEditCaret() noexcept;
    void NotifyParent(WORD wCode) noexcept;
    void Paint(HDC hdcTarget) noexcept;
    void PaintHexColumn(HDC hdc) noexcept;
    void PaintAsciiColumn(HDC hdc) noexcept;
    void PlaceCaretAt(POINT pt) noexcept;
    void StartAutoScroll(int nDirection, int nDistance, POINT pt) noexcept;
    void StopAutoScroll() noexcept;

    void OnKeyDown(UINT nVirtKey) noexcept;
    void OnChar(UINT nChar) noexcept;
    void OnLButtonDown(POINT pt) noexcept;
    void OnLButtonDblClk(POINT pt) noexcept;
    void OnMouseMove(UINT nFlags, POINT pt) noexcept;
    void OnLButtonUp() noexcept;
    void OnTimer(UINT_PTR nIDEvent) noexcept;
    void OnVScroll(UINT nCode) noexcept;
    void OnHScroll(UINT nCode, UINT nPos) noexcept;
    void OnMouseWheel(short nDelta) noexcept;
    void OnSetFocus() noexcept;
    void OnSize() noexcept;
    void OnSetFont(HFONT hFont, bool bRedraw) noexcept;
    void OnContextMenu(POINT ptScreen) noexcept;

    bool m_bAutoDelete = false;
    CHexEditModel m_model;

    bool m_bCaretCreated = false;
    UINT m_nCaretWidth = 0;
    UINT m_nCaretHeight = 0;
    bool m_bScrollUpdatePending = false;

    COLORREF m_crAsciiBk = RGB(0, 20, 0);
    COLORREF m_crAsciiText = RGB(0, 255, 0);
    COLORREF m_crHexText = RGB(0, 0, 255);
    COLORREF m_crHexBk = RGB(180, 210, 190);
    COLORREF m_crBackground = RGB(210, 210, 210);
    COLORREF m_crInactiveSelText;
    COLORREF m_crInactiveSelBk;
    COLORREF m_crActiveSelText;
    COLORREF m_crActiveSelBk;

    // m_hFont is either a stock font (never deleted) or the one m_ownedFont holds.
    HFONT m_hFont = nullptr;
    UniqueGdiObject m_ownedFont;

    RECT m_rcDragThreshold{};
    POINT m_ptAutoScroll{};
    int m_nAutoScrollDirection = 0;
    WORD m_wAutoScrollInterval = 0;
    WORD m_wAutoScrollCountdown = 0;
    bool m_bAutoScrolling = false;
};

} // namespace corvasin
