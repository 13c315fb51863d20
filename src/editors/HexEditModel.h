// The window-free part of the hex edit control: the data block, the layout in pixels, the caret,
// the selection, hit testing, scrolling arithmetic and the clipboard texts. The control feeds it
// font metrics and the client rectangle and draws what it describes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace corvasin
{

// "No position": an unset selection end or drag anchor.
inline constexpr UINT c_nHexNone = 0xFFFFFFFFu;
// Multi-line margin around the columns and gap between the hex and character columns, pixels.
inline constexpr int c_nHexMargin = 5;

struct HexHit
{
    UINT nPos;
    bool bHighNibble;
};

// A plain value type; single-threaded like its control.
class CHexEditModel
{
public:
    // ---- data ----
    // Copies the bytes; nullptr means no data at all. False when the copy cannot be allocated
    // (the model is then left without data).
    bool SetData(const BYTE* pData, UINT nLength) noexcept;
    UINT GetData(BYTE* pBuffer, UINT nCapacity) const noexcept;
    const BYTE* GetDataPtr() const noexcept { return m_pData.get(); }
    UINT GetLength() const noexcept { return m_nLength; }
    // Input, caret and drawing all need at least one byte.
    bool HasData() const noexcept { return m_pData && m_nLength > 0; }

    // ---- settings ----
    void SetMultiLine(bool bMultiLine) noexcept;
    bool IsMultiLine() const noexcept { return m_bMultiLine; }
    // Both return whether anything changed (the layout is then stale).
    bool SetBytesPerRowSetting(UINT nBytesPerRow, bool bAutomatic) noexcept;
    bool SetShowAscii(bool bShow) noexcept;
    bool IsShowingAscii() const noexcept { return m_bShowAscii; }
    void SetReadOnly(bool bReadOnly) noexcept { m_bReadOnly = bReadOnly; }
    bool IsReadOnly() const noexcept { return m_bReadOnly; }

    // ---- layout ----
    void InvalidateLayout() noexcept { m_bLayoutStale = true; }
    bool IsLayoutStale() const noexcept { return m_bLayoutStale; }
    void CalculateLayout(const RECT& rcClient, UINT cxChar, UINT cyLine) noexcept;

    UINT GetCharWidth() const noexcept { return m_cxChar; }
    UINT GetLineHeight() const noexcept { return m_cyLine; }
    UINT GetFullRows() const noexcept { return m_nFullRows; }
    UINT GetVisibleRows() const noexcept { return m_nVisibleRows; }
    UINT GetLastRowHeight() const noexcept { return m_nLastRowHeight; }
    UINT GetBytesPerRow() const noexcept { return m_nBytesPerRow; }
    UINT GetHexColumnSpan() const noexcept { return m_nHexSpan; }
    UINT GetAsciiX() const noexcept { return m_nAsciiX; }
    UINT GetAsciiWidth() const noexcept { return m_nAsciiWidth; }
    // Width of the hex digits of one full row, without the gap.
    UINT GetHexWidth() const noexcept;
    const RECT& GetInnerRect() const noexcept { return m_rcInner; }
    UINT GetRowCount() const noexcept;

    // ---- scrolling ----
    UINT GetTopRow() const noexcept { return m_nTopRow; }
    UINT GetMaxTopRow() const noexcept { return m_nMaxTopRow; }
    UINT GetScrollOffset() const noexcept { return m_nScrollOffset; }
    UINT GetMaxScrollOffset() const noexcept { return m_nMaxScrollOffset; }
    // Clamp to the maximum; return whether the value changed.
    bool SetTopRow(UINT nRow) noexcept;
    bool SetScrollOffset(UINT nOffset) noexcept;
    // Steps that would pass row 0 or offset 0 stop there.
    bool ScrollRows(int nRows) noexcept;
    bool ScrollPixels(int nPixels) noexcept;
    // Scrolls so that bytes nBegin..nEnd show as far as the view allows.
    void MakeVisible(UINT nBegin, UINT nEnd) noexcept;

    // ---- caret ----
    void SetCaret(UINT nPos, bool bHighNibble) noexcept;
    UINT GetCaretPos() const noexcept { return m_nCaretPos; }
    bool IsHighNibble() const noexcept { return m_bHighNibble; }
    // The system caret's rectangle (already clipped to the inner rectangle widened by 2 pixels),
    // or false when the caret byte is scrolled away and no caret should exist.
    bool GetCaretRect(RECT* prc) const noexcept;
    // Moves by a signed byte offset; without Shift the selection is dropped, with Shift and an
    // anchor it runs from the anchor to the new position. Scrolls the caret into view.
    void MoveCaret(int nOffset, bool bHighNibble, bool bShift) noexcept;
    // Caret keys; false for keys the control ignores. With Shift any key sets the anchor.
    bool KeyDown(UINT nVirtKey, bool bShift) noexcept;
    // A typed hex digit overwrites the caret nibble; true when the data changed.
    bool TypeChar(UINT nChar, bool bShift) noexcept;

    // ---- selection and dragging ----
    // Clamps ends at or past the length to the last byte; true when anything changed.
    bool SetSelection(UINT nBegin, UINT nEnd) noexcept;
    bool SelectAll() noexcept;
    void ClearSelection() noexcept { m_nSelBegin = m_nSelEnd = c_nHexNone; }
    bool HasSelection() const noexcept { return m_nSelBegin != c_nHexNone && m_nSelEnd != c_nHexNone; }
    bool IsSelected(UINT nPos) const noexcept;
    UINT GetSelectionBegin() const noexcept { return m_nSelBegin; }
    UINT GetSelectionEnd() const noexcept { return m_nSelEnd; }
    UINT GetDragAnchor() const noexcept { return m_nDragAnchor; }
    UINT GetDragEnd() const noexcept { return m_nDragEnd; }
    // Button down: the anchor is the caret, no selection yet.
    void BeginDrag() noexcept;
    // The caret went to nPos while dragging: the selection runs from the anchor to it.
    void ExtendDrag() noexcept;
    void ForgetDrag() noexcept { m_nDragAnchor = m_nDragEnd = c_nHexNone; }

    HexHit HitTest(POINT pt) const noexcept;

    // ---- painting helpers ----
    // Two upper-case digits per byte, one space between bytes.
    std::string RowHexText(UINT nRow) const;
    // Printable bytes as themselves, others as '.'.
    std::string RowAsciiText(UINT nRow) const;
    // The part of a visible row that is selected, in client pixels; false when none.
    bool RowSelectionRect(UINT nRow, RECT* prc, UINT* pnFirstChar, UINT* pnLastChar) const noexcept;
    // Left edge of the hex column on screen (scroll offset applied).
    int HexLeft() const noexcept;

    // ---- clipboard ----
    // The selection as lines of hex digits in the row layout, each ended by LF.
    std::string CopyText() const;
    // The selection as a 4-byte little-endian count followed by the bytes.
    std::vector<BYTE> CopyBinary() const;
    // Overwrites from the selection begin (or the caret) with at most the bytes that remain;
    // selects the pasted range. Returns the number of bytes written.
    UINT Paste(const BYTE* pBytes, UINT nCount) noexcept;

    // Auto-scroll pace: timer ticks between two row steps for a pointer nDistance pixels beyond
    // the edge.
    static WORD AutoScrollInterval(int nDistance) noexcept;

private:
    std::unique_ptr<BYTE[]> m_pData;
    UINT m_nLength = 0;

    bool m_bMultiLine = true;
    bool m_bAutoBytesPerRow = false;
    bool m_bShowAscii = false;
    bool m_bReadOnly = false;
    bool m_bLayoutStale = true;
    UINT m_nFixedBytesPerRow = 16;

    UINT m_cxChar = 0;
    UINT m_cyLine = 0;
    UINT m_nFullRows = 0;
    UINT m_nLastRowHeight = 0;
    UINT m_nVisibleRows = 0;
    UINT m_nBytesPerRow = 0;
    UINT m_nHexSpan = 0;
    UINT m_nAsciiX = 0;
    UINT m_nAsciiWidth = 0;
    RECT m_rcInner{};

    UINT m_nTopRow = 0;
    UINT m_nMaxTopRow = 0;
    UINT m_nScrollOffset = 0;
    UINT m_nMaxScrollOffset = 0;

    UINT m_nCaretPos = 0;
    bool m_bHighNibble = true;
    UINT m_nSelBegin = c_nHexNone;
    UINT m_nSelEnd = c_nHexNone;
    UINT m_nDragAnchor = c_nHexNone;
    UINT m_nDragEnd = c_nHexNone;
};

} // namespace corvasin
