// Arithmetic of the hex edit control: layout, scrolling, caret moves, selection, hit testing and
// the clipboard forms. Positions are byte indexes; pixel values are client coordinates.
#include "editors/HexEditModel.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace corvasin
{

namespace
{

constexpr char c_szHexDigits[] = "0123456789ABCDEF";

// Printable in the "C" locale, the control's default; independent of the caller's locale.
bool IsPrintableByte(BYTE b) noexcept
{
    return b >= 0x20 && b < 0x7F;
}

void AppendHexByte(std::string& text, BYTE b)
{
    text += c_szHexDigits[b >> 4];
    text += c_szHexDigits[b & 0x0F];
}

} // namespace

// ---- data ----

bool CHexEditModel::SetData(const BYTE* pData, UINT nLength) noexcept
{
    m_nSelBegin = m_nSelEnd = c_nHexNone;
    m_nDragAnchor = m_nDragEnd = c_nHexNone;
    m_pData.reset();
    m_nLength = 0;
    m_bLayoutStale = true;
    m_nCaretPos = 0;
    m_bHighNibble = true;
    if (!pData)
        return true;
    // One byte more than asked so that an empty block is still "data" (a non-null buffer).
    m_pData.reset(new (std::nothrow) BYTE[static_cast<size_t>(nLength) + 1]);
    if (!m_pData)
        return false;
    if (nLength)
        std::memcpy(m_pData.get(), pData, nLength);
    m_nLength = nLength;
    return true;
}

UINT CHexEditModel::GetData(BYTE* pBuffer, UINT nCapacity) const noexcept
{
    if (!m_pData)
        return 0;
    if (pBuffer && nCapacity)
        std::memcpy(pBuffer, m_pData.get(), std::min(nCapacity, m_nLength));
    return m_nLength;
}

// ---- settings ----

void CHexEditModel::SetMultiLine(bool bMultiLine) noexcept
{
    if (m_bMultiLine != bMultiLine)
    {
        m_bMultiLine = bMultiLine;
        m_bLayoutStale = true;
    }
}

bool CHexEditModel::SetBytesPerRowSetting(UINT nBytesPerRow, bool bAutomatic) noexcept
{
    if (nBytesPerRow == m_nFixedBytesPerRow && bAutomatic == m_bAutoBytesPerRow)
        return false;
    m_nFixedBytesPerRow = nBytesPerRow;
    m_bAutoBytesPerRow = bAutomatic;
    m_bLayoutStale = true;
    return true;
}

bool CHexEditModel::SetShowAscii(bool bShow) noexcept
{
    if (bShow == m_bShowAscii)
        return false;
    m_bShowAscii = bShow;
    m_bLayoutStale = true;
    return true;
}

// ---- layout ----

UINT CHexEditModel::GetHexWidth() const noexcept
{
    return m_nBytesPerRow ? (3 * m_nBytesPerRow - 1) * m_cxChar : 0;
}

UINT CHexEditModel::GetRowCount() const noexcept
{
    if (!m_nBytesPerRow)
        return 0;
    return static_cast<UINT>((static_cast<unsigned long long>(m_nLength) + m_nBytesPerRow - 1) / m_nBytesPerRow);
}

void CHexEditModel::CalculateLayout(const RECT& rcClient, UINT cxChar, UINT cyLine) noexcept
{
    m_bLayoutStale = false;
    // A font without extent would divide by zero everywhere below.
    m_cxChar = std::max<UINT>(cxChar, 1);
    m_cyLine = std::max<UINT>(cyLine, 1);

    m_rcInner = rcClient;
    if (m_bMultiLine)
    {
        InflateRect(&m_rcInner, -c_nHexMargin, -c_nHexMargin);
        if (m_rcInner.right < m_rcInner.left)
            m_rcInner.right = m_rcInner.left;
        if (m_rcInner.bottom < m_rcInner.top)
            m_rcInner.bottom = m_rcInner.top;
    }
    const int cxInner = m_rcInner.right - m_rcInner.left;
    const UINT cyInner = static_cast<UINT>(std::max<LONG>(m_rcInner.bottom - m_rcInner.top, 0));

    m_nFullRows = cyInner / m_cyLine;
    m_nLastRowHeight = cyInner % m_cyLine;
    if (m_nLastRowHeight)
    {
        m_nVisibleRows = m_nFullRows + 1;
    }
    else
    {
        m_nVisibleRows = m_nFullRows;
        m_nLastRowHeight = m_cyLine;
    }

    const int cx = static_cast<int>(m_cxChar);
    UINT nBytesPerRow;
    if (!m_bMultiLine)
    {
        nBytesPerRow = m_nLength;
    }
    else if (m_bAutoBytesPerRow)
    {
        if (m_bShowAscii)
        {
            // n bytes take (3n - 1) + n character widths plus the gap.
            const int nAvailable = cxInner - c_nHexMargin;
            if (nAvailable < 0)
                nBytesPerRow = 1;
            else
                nBytesPerRow = nAvailable / (4 * cx) + (nAvailable % (4 * cx) >= 3 * cx ? 1 : 0);
        }
        else
        {
            if (cxInner < 0)
                nBytesPerRow = 1;
            else
                nBytesPerRow = cxInner / (3 * cx) + (cxInner % (3 * cx) >= 2 * cx ? 1 : 0);
        }
    }
    else
    {
        nBytesPerRow = m_nFixedBytesPerRow;
    }
    m_nBytesPerRow = std::max<UINT>(nBytesPerRow, 1);

    m_nHexSpan = GetHexWidth() + c_nHexMargin;
    UINT nContentWidth;
    if (m_bShowAscii)
    {
        m_nAsciiX = m_nHexSpan;
        m_nAsciiWidth = m_nBytesPerRow * m_cxChar;
        nContentWidth = m_nAsciiX + m_nAsciiWidth;
    }
    else
    {
        m_nAsciiX = 0;
        m_nAsciiWidth = 0;
        nContentWidth = GetHexWidth();
    }

    const UINT nRows = GetRowCount();
    m_nMaxTopRow = nRows > m_nFullRows ? nRows - m_nFullRows : 0;
    // One line never scrolls vertically.
    if (!m_bMultiLine)
        m_nMaxTopRow = 0;
    m_nTopRow = std::min(m_nTopRow, m_nMaxTopRow);

    m_nMaxScrollOffset = nContentWidth > static_cast<UINT>(cxInner) ? nContentWidth - cxInner : 0;
    m_nScrollOffset = std::min(m_nScrollOffset, m_nMaxScrollOffset);
}

// ---- scrolling ----

bool CHexEditModel::SetTopRow(UINT nRow) noexcept
{
    nRow = std::min(nRow, m_nMaxTopRow);
    if (nRow == m_nTopRow)
        return false;
    m_nTopRow = nRow;
    return true;
}

bool CHexEditModel::SetScrollOffset(UINT nOffset) noexcept
{
    nOffset = std::min(nOffset, m_nMaxScrollOffset);
    if (nOffset == m_nScrollOffset)
        return false;
    m_nScrollOffset = nOffset;
    return true;
}

bool CHexEditModel::ScrollRows(int nRows) noexcept
{
    const long long nRow = static_cast<long long>(m_nTopRow) + nRows;
    return SetTopRow(nRow < 0 ? 0 : static_cast<UINT>(std::min<long long>(nRow, 0xFFFFFFFFll)));
}

bool CHexEditModel::ScrollPixels(int nPixels) noexcept
{
    const long long nOffset = static_cast<long long>(m_nScrollOffset) + nPixels;
    return SetScrollOffset(nOffset < 0 ? 0 : static_cast<UINT>(std::min<long long>(nOffset, 0xFFFFFFFFll)));
}

void CHexEditModel::MakeVisible(UINT nBegin, UINT nEnd) noexcept
{
    if (!m_nBytesPerRow || nBegin == c_nHexNone || nEnd == c_nHexNone)
        return;
    if (nBegin > nEnd)
        std::swap(nBegin, nEnd);

    // Vertical. A window lower than one line still shows its partial row: count it as one.
    if (m_bMultiLine)
    {
        const long long nPerRow = m_nBytesPerRow;
        const long long nFirst = static_cast<long long>(m_nTopRow) * nPerRow;
        const long long nSpan = static_cast<long long>(std::max<UINT>(m_nFullRows, 1)) * nPerRow;
        const long long b = nBegin;
        const long long e = nEnd;
        long long nNewFirst = nFirst;
        if (b <= nFirst && e >= nFirst + nSpan)
        {
            // The range covers the whole view.
        }
        else if (e - b <= nSpan)
        {
            // first + span is the first byte below the view, so it needs scrolling too.
            if (b >= nFirst && e < nFirst + nSpan)
                nNewFirst = nFirst;
            else if (b >= nFirst)
                nNewFirst = e + nPerRow - nSpan;
            else
                nNewFirst = b;
        }
        else if (b <= nFirst)
        {
            nNewFirst = e + nPerRow - nSpan;
        }
        else
        {
            nNewFirst = b;
        }
        nNewFirst = std::max<long long>(nNewFirst, 0);
        m_nTopRow = std::min(static_cast<UINT>(nNewFirst / nPerRow), m_nMaxTopRow);
    }

    // Horizontal.
    const int cx = static_cast<int>(m_cxChar);
    // Ends on different rows: order the two columns on screen.
    const UINT nColumnBegin = nBegin % m_nBytesPerRow;
    const UINT nColumnEnd = nEnd % m_nBytesPerRow;
    const int x1 = HexLeft() + static_cast<int>(std::min(nColumnBegin, nColumnEnd)) * 3 * cx;
    const int x2 = HexLeft() + (static_cast<int>(std::max(nColumnBegin, nColumnEnd)) * 3 + 2) * cx;
    const int nLeft = m_rcInner.left;
    const int nRight = m_rcInner.right;
    long long nOffset = m_nScrollOffset;
    if (x2 - x1 > nRight - nLeft)
    {
        // Wider than the view: leave it.
    }
    else if (x1 > nLeft && x2 > nRight)
    {
        nOffset += x2 - nRight;
    }
    else if (x2 < nRight && x1 < nLeft)
    {
        nOffset -= nLeft - x1;
    }
    nOffset = std::clamp<long long>(nOffset, 0, m_nMaxScrollOffset);
    m_nScrollOffset = static_cast<UINT>(nOffset);
}

// ---- caret ----

void CHexEditModel::SetCaret(UINT nPos, bool bHighNibble) noexcept
{
    // A caller's position past the end would leave typing and drawing pointing nowhere.
    if (m_nLength && nPos >= m_nLength)
        nPos = m_nLength - 1;
    m_nCaretPos = nPos;
    m_bHighNibble = bHighNibble;
}

int CHexEditModel::HexLeft() const noexcept
{
    return m_rcInner.left - static_cast<int>(m_nScrollOffset);
}

bool CHexEditModel::GetCaretRect(RECT* prc) const noexcept
{
    if (!HasData() || !m_nBytesPerRow || m_nCaretPos >= m_nLength)
        return false;
    const UINT nRow = m_nCaretPos / m_nBytesPerRow;
    if (nRow < m_nTopRow || nRow - m_nTopRow >= m_nVisibleRows)
        return false;
    const UINT nVisibleRow = nRow - m_nTopRow;
    const UINT nColumn = m_nCaretPos % m_nBytesPerRow;
    const int cx = static_cast<int>(m_cxChar);
    int x = HexLeft() + static_cast<int>(3 * nColumn + (m_bHighNibble ? 0 : 1)) * cx;
    const int y = m_rcInner.top + static_cast<int>(nVisibleRow * m_cyLine) + 1;
    const UINT cyRow = (nVisibleRow + 1 == m_nVisibleRows) ? m_nLastRowHeight : m_cyLine;
    const int cy = static_cast<int>(cyRow) - 1;
    if (!(x + cx > m_rcInner.left - 2 && x <= m_rcInner.right) || cy <= 0)
        return false;
    int xRight = std::min(x + cx, static_cast<int>(m_rcInner.right) + 2);
    x = std::max(x, static_cast<int>(m_rcInner.left) - 2);
    if (xRight <= x)
        return false;
    SetRect(prc, x, y, xRight, y + cy);
    return true;
}

void CHexEditModel::MoveCaret(int nOffset, bool bHighNibble, bool bShift) noexcept
{
    if (!HasData())
        return;
    if (!bShift)
    {
        ClearSelection();
        ForgetDrag();
    }
    long long nPos = static_cast<long long>(m_nCaretPos) + nOffset;
    if (nOffset >= 1)
    {
        if (nPos >= m_nLength)
        {
            nPos = m_nLength - 1;
            bHighNibble = false;
        }
    }
    else if (nPos < 0)
    {
        nPos = 0;
        bHighNibble = true;
    }
    // A caret left past the end by a shrinking SetData never indexes outside the data.
    if (nPos >= m_nLength)
        nPos = m_nLength - 1;
    const UINT nNewPos = static_cast<UINT>(nPos);
    if (bShift && m_nDragAnchor != c_nHexNone)
    {
        m_nDragEnd = nNewPos;
        m_nSelBegin = std::min(m_nDragAnchor, nNewPos);
        m_nSelEnd = std::max(m_nDragAnchor, nNewPos);
    }
    MakeVisible(nNewPos, nNewPos);
    SetCaret(nNewPos, bHighNibble);
}

bool CHexEditModel::KeyDown(UINT nVirtKey, bool bShift) noexcept
{
    const int nRow = static_cast<int>(m_nBytesPerRow);
    const int nPage = static_cast<int>(m_nVisibleRows > 0 ? m_nVisibleRows - 1 : 0) * nRow;
    // Any key pressed with Shift (Shift's own press included) anchors a selection at the caret.
    if (bShift && m_nDragAnchor == c_nHexNone && HasData())
        m_nDragAnchor = m_nCaretPos;
    switch (nVirtKey)
    {
    case VK_LEFT:
        if (m_bHighNibble)
            MoveCaret(-1, false, bShift);
        else
            MoveCaret(0, true, bShift);
        break;
    case VK_RIGHT:
        if (m_bHighNibble)
            MoveCaret(0, false, bShift);
        else
            MoveCaret(1, true, bShift);
        break;
    case VK_UP:
        MoveCaret(-nRow, m_bHighNibble, bShift);
        break;
    case VK_DOWN:
        MoveCaret(nRow, m_bHighNibble, bShift);
        break;
    case VK_PRIOR:
        MoveCaret(-nPage, m_bHighNibble, bShift);
        break;
    case VK_NEXT:
        MoveCaret(nPage, m_bHighNibble, bShift);
        break;
    case VK_HOME:
        MoveCaret(-0x8000000, true, bShift);
        break;
    case VK_END:
        MoveCaret(0x7FFFFFF, false, bShift);
        break;
    default:
        return false;
    }
    return true;
}

bool CHexEditModel::TypeChar(UINT nChar, bool bShift) noexcept
{
    if (nChar >= 256 || !HasData() || m_bReadOnly || m_nCaretPos >= m_nLength)
        return false;
    BYTE nNibble;
    if (nChar >= '0' && nChar <= '9')
        nNibble = static_cast<BYTE>(nChar - '0');
    else if (nChar >= 'a' && nChar <= 'f')
        nNibble = static_cast<BYTE>(nChar - 'a' + 10);
    else if (nChar >= 'A' && nChar <= 'F')
        nNibble = static_cast<BYTE>(nChar - 'A' + 10);
    else
        return false;

    BYTE& b = m_pData[m_nCaretPos];
    if (m_bHighNibble)
    {
        b = static_cast<BYTE>((b & 0x0F) | (nNibble << 4));
        MoveCaret(0, false, bShift);
    }
    else
    {
        b = static_cast<BYTE>((b & 0xF0) | nNibble);
        MoveCaret(1, true, bShift);
    }
    return true;
}

// ---- selection and dragging ----

bool CHexEditModel::SetSelection(UINT nBegin, UINT nEnd) noexcept
{
    if (nBegin == m_nSelBegin && nEnd == m_nSelEnd)
        return false;
    // With no data there is no last byte: nothing can be selected.
    const UINT nLast = m_nLength ? m_nLength - 1 : c_nHexNone;
    if (nBegin != c_nHexNone && nBegin >= m_nLength)
        nBegin = nLast;
    if (nEnd != c_nHexNone && nEnd >= m_nLength)
        nEnd = nLast;
    m_nSelBegin = nBegin;
    m_nSelEnd = nEnd;
    return true;
}

bool CHexEditModel::SelectAll() noexcept
{
    if (!m_nLength)
        return false;
    m_nSelBegin = 0;
    m_nSelEnd = m_nLength - 1;
    return true;
}

bool CHexEditModel::IsSelected(UINT nPos) const noexcept
{
    if (!HasSelection())
        return false;
    const UINT nLow = std::min(m_nSelBegin, m_nSelEnd);
    const UINT nHigh = std::max(m_nSelBegin, m_nSelEnd);
    return nPos >= nLow && nPos <= nHigh;
}

void CHexEditModel::BeginDrag() noexcept
{
    m_nSelBegin = c_nHexNone;
    m_nDragEnd = c_nHexNone;
    m_nDragAnchor = m_nCaretPos;
}

void CHexEditModel::ExtendDrag() noexcept
{
    if (m_nDragAnchor == c_nHexNone)
        return;
    m_nDragEnd = m_nCaretPos;
    m_nSelBegin = std::min(m_nDragAnchor, m_nCaretPos);
    m_nSelEnd = std::max(m_nDragAnchor, m_nCaretPos);
}

HexHit CHexEditModel::HitTest(POINT pt) const noexcept
{
    if (!m_nLength || !m_nBytesPerRow)
        return {0, true};
    const int cx = static_cast<int>(m_cxChar);
    long long x = static_cast<long long>(pt.x) + m_nScrollOffset + cx / 2;
    if (m_bMultiLine)
        x -= c_nHexMargin;
    long long y = static_cast<long long>(pt.y) - m_rcInner.top;
    y = std::clamp<long long>(y, 0, static_cast<long long>(m_cyLine) * m_nVisibleRows);
    x = std::clamp<long long>(x, 0, static_cast<long long>(m_nHexSpan) - c_nHexMargin);

    const long long nRow = y / m_cyLine;
    const long long nChar = x / cx;
    bool bHigh = nChar % 3 == 0;
    long long nPos = nChar / 3 + (static_cast<long long>(m_nTopRow) + nRow) * m_nBytesPerRow;
    if (nPos >= m_nLength)
    {
        nPos = m_nLength - 1;
        bHigh = false;
    }
    return {static_cast<UINT>(nPos), bHigh};
}

// ---- painting helpers ----

std::string CHexEditModel::RowHexText(UINT nRow) const
{
    std::string text;
    if (!HasData() || !m_nBytesPerRow)
        return text;
    const unsigned long long nStart = static_cast<unsigned long long>(nRow) * m_nBytesPerRow;
    if (nStart >= m_nLength)
        return text;
    const UINT nEnd = static_cast<UINT>(std::min<unsigned long long>(nStart + m_nBytesPerRow, m_nLength));
    text.reserve(static_cast<size_t>(nEnd - nStart) * 3);
    for (UINT i = static_cast<UINT>(nStart); i < nEnd; ++i)
    {
        if (i != nStart)
            text += ' ';
        AppendHexByte(text, m_pData[i]);
    }
    return text;
}

std::string CHexEditModel::RowAsciiText(UINT nRow) const
{
    std::string text;
    if (!HasData() || !m_nBytesPerRow)
        return text;
    const unsigned long long nStart = static_cast<unsigned long long>(nRow) * m_nBytesPerRow;
    if (nStart >= m_nLength)
        return text;
    const UINT nEnd = static_cast<UINT>(std::min<unsigned long long>(nStart + m_nBytesPerRow, m_nLength));
    for (UINT i = static_cast<UINT>(nStart); i < nEnd; ++i)
        text += IsPrintableByte(m_pData[i]) ? static_cast<char>(m_pData[i]) : '.';
    return text;
}

bool CHexEditModel::RowSelectionRect(UINT nRow, RECT* prc, UINT* pnFirstChar, UINT* pnLastChar) const noexcept
{
    if (!HasSelection() || !HasData() || !m_nBytesPerRow || nRow < m_nTopRow)
        return false;
    const unsigned long long nStart = static_cast<unsigned long long>(nRow) * m_nBytesPerRow;
    if (nStart >= m_nLength)
        return false;
    const unsigned long long nRowEnd = std::min<unsigned long long>(nStart + m_nBytesPerRow, m_nLength) - 1;
    const UINT nLow = std::min(m_nSelBegin, m_nSelEnd);
    const UINT nHigh = std::max(m_nSelBegin, m_nSelEnd);
    if (nHigh < nStart || nLow > nRowEnd)
        return false;
    const UINT nFirstColumn = static_cast<UINT>(std::max<unsigned long long>(nLow, nStart) - nStart);
    const UINT nLastColumn = static_cast<UINT>(std::min<unsigned long long>(nHigh, nRowEnd) - nStart);
    const int cx = static_cast<int>(m_cxChar);
    const int y = m_rcInner.top + static_cast<int>((nRow - m_nTopRow) * m_cyLine);
    *pnFirstChar = 3 * nFirstColumn;
    *pnLastChar = 3 * nLastColumn + 1;
    // One pixel down at the top and one wider at the right keep clear of the row above and
    // cover the last digit's right edge.
    SetRect(prc, HexLeft() + static_cast<int>(3 * nFirstColumn) * cx, y + 1,
            HexLeft() + static_cast<int>(3 * nLastColumn + 2) * cx + 1, y + static_cast<int>(m_cyLine));
    return true;
}

// ---- clipboard ----

std::string CHexEditModel::CopyText() const
{
    std::string text;
    if (!HasSelection() || !HasData() || !m_nBytesPerRow)
        return text;
    const UINT nLow = std::min(m_nSelBegin, m_nSelEnd);
    const UINT nHigh = std::min(std::max(m_nSelBegin, m_nSelEnd), m_nLength - 1);
    const unsigned long long nCount = static_cast<unsigned long long>(nHigh) - nLow + 1;
    // A selection longer than a row keeps the rows' columns; a short one starts the text at
    // column 0 and wraps every row width from there.
    UINT nColumn = 0;
    if (nCount > static_cast<unsigned long long>(m_nBytesPerRow) + 1)
    {
        nColumn = nLow % m_nBytesPerRow;
        text.append(static_cast<size_t>(nColumn) * 3, ' ');
    }
    text.reserve(text.size() + static_cast<size_t>(nCount) * 3 + 1);
    for (UINT i = nLow;; ++i)
    {
        AppendHexByte(text, m_pData[i]);
        ++nColumn;
        if (i == nHigh)
        {
            text += '\n';
            break;
        }
        if (nColumn == m_nBytesPerRow)
        {
            text += '\n';
            nColumn = 0;
        }
        else
        {
            text += ' ';
        }
    }
    return text;
}

std::vector<BYTE> CHexEditModel::CopyBinary() const
{
    std::vector<BYTE> bytes;
    if (!HasSelection() || !HasData())
        return bytes;
    const UINT nLow = std::min(m_nSelBegin, m_nSelEnd);
    const UINT nHigh = std::min(std::max(m_nSelBegin, m_nSelEnd), m_nLength - 1);
    const UINT nCount = nHigh - nLow + 1;
    bytes.resize(4 + static_cast<size_t>(nCount));
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<BYTE>(nCount >> (8 * i));
    std::memcpy(bytes.data() + 4, m_pData.get() + nLow, nCount);
    return bytes;
}

UINT CHexEditModel::Paste(const BYTE* pBytes, UINT nCount) noexcept
{
    if (!HasData() || m_bReadOnly || !pBytes)
        return 0;
    UINT nDest = HasSelection() ? std::min(m_nSelBegin, m_nSelEnd) : m_nCaretPos;
    if (nDest >= m_nLength)
        return 0;
    const UINT nWrite = std::min(nCount, m_nLength - nDest);
    if (!nWrite)
        return 0;
    std::memcpy(m_pData.get() + nDest, pBytes, nWrite);
    const UINT nLast = nDest + nWrite - 1;
    m_nSelBegin = nDest;
    m_nSelEnd = nLast;
    MakeVisible(nDest, nLast);
    SetCaret(nLast, false);
    return nWrite;
}

WORD CHexEditModel::AutoScrollInterval(int nDistance) noexcept
{
    const int nSpeed = std::clamp(nDistance / 5, 0, 6);
    return static_cast<WORD>(7 - nSpeed);
}

} // namespace corvasin
