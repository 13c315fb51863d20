// The hex edit control's window: class registration, the message switch, painting through an
// off-screen bitmap, the system caret, scroll bars, auto-scrolling and the clipboard.
#include "editors/HexEditBase.h"

#include "core/Module.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace corvasin
{

namespace
{

constexpr char c_szBinaryFormat[] = "BinaryData";

// A DC from GetDC, given back with ReleaseDC.
class WindowDc
{
public:
    explicit WindowDc(HWND hWnd) noexcept : m_hWnd(hWnd), m_hdc(::GetDC(hWnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (m_hdc)
            ::ReleaseDC(m_hWnd, m_hdc);
    }
    HDC get() const noexcept { return m_hdc; }

private:
    HWND m_hWnd;
    HDC m_hdc;
};

// Selects an object into a DC for the scope.
class SelectGuard
{
public:
    SelectGuard(HDC hdc, HGDIOBJ hObject) noexcept : m_hdc(hdc), m_hOld(::SelectObject(hdc, hObject)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hdc, m_hOld);
    }

private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};

// The clipboard, open for the scope.
class ClipboardSession
{
public:
    explicit ClipboardSession(HWND hWnd) noexcept : m_bOpen(::OpenClipboard(hWnd) != FALSE) {}
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession()
    {
        if (m_bOpen)
            ::CloseClipboard();
    }
    explicit operator bool() const noexcept { return m_bOpen; }

private:
    bool m_bOpen;
};

void FillSolid(HDC hdc, const RECT& rc, COLORREF cr) noexcept
{
    UniqueGdiObject brush(::CreateSolidBrush(cr));
    if (brush)
        ::FillRect(hdc, &rc, static_cast<HBRUSH>(brush.get()));
}

UniqueHGlobal CopyToGlobal(const void* pData, size_t cb) noexcept
{
    UniqueHGlobal hGlobal(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, cb));
    if (!hGlobal)
        return hGlobal;
    GlobalLock lock(hGlobal.get());
    if (!lock.get())
        return UniqueHGlobal();
    std::memcpy(lock.get(), pData, cb);
    return hGlobal;
}

// Steps by rows from a top row, stopping at row 0.
UINT RowAfterStep(UINT nTop, long long nStep) noexcept
{
    const long long nRow = static_cast<long long>(nTop) + nStep;
    return nRow < 0 ? 0 : static_cast<UINT>(std::min<long long>(nRow, 0xFFFFFFFFll));
}

bool IsKeyDown(int nVirtKey) noexcept
{
    return ::GetKeyState(nVirtKey) < 0;
}

} // namespace

// ---- construction and classes ----

CHexEditBase::CHexEditBase() noexcept
    : m_crInactiveSelText(::GetSysColor(COLOR_WINDOWTEXT)),
      m_crInactiveSelBk(::GetSysColor(COLOR_BTNFACE)),
      m_crActiveSelText(::GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_crActiveSelBk(::GetSysColor(COLOR_HIGHLIGHT))
{
    m_hFont = static_cast<HFONT>(::GetStockObject(ANSI_FIXED_FONT));
    if (!m_hFont)
        m_hFont = static_cast<HFONT>(::GetStockObject(SYSTEM_FIXED_FONT));
    BinaryClipboardFormat();
    // A failure shows later as a failing Create; a constructor cannot report it otherwise.
    RegisterWindowClasses();
}

CHexEditBase::~CHexEditBase()
{
    // The window goes first, while the data and font it draws with still exist; an object that
    // is being deleted must not delete itself again from PostNcDestroy.
    m_bAutoDelete = false;
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

UINT CHexEditBase::BinaryClipboardFormat() noexcept
{
    static const UINT s_cf = ::RegisterClipboardFormatA(c_szBinaryFormat);
    return s_cf;
}

bool CHexEditBase::RegisterWindowClasses() noexcept
{
    const HINSTANCE hInstance = ModuleInstance();
    struct ClassRow
    {
        LPCSTR pszName;
        WNDPROC pfnProc;
    };
    const ClassRow c_rows[] = {
        {c_szHexEditClass, &CWnd::StaticWindowProc},
        {c_szHexEditSelfCreatingClass, &CHexEditBase::SelfCreatingWindowProc},
    };
    bool bOk = true;
    for (const ClassRow& row : c_rows)
    {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        if (::GetClassInfoExA(hInstance, row.pszName, &wc))
            continue;
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = row.pfnProc;
        wc.hInstance = hInstance;
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_IBEAM));
        wc.lpszClassName = row.pszName;
        if (!::RegisterClassExA(&wc))
            bOk = false;
    }
    return bOk;
}

void CHexEditBase::UnregisterWindowClasses() noexcept
{
    ::UnregisterClassA(c_szHexEditClass, ModuleInstance());
    ::UnregisterClassA(c_szHexEditSelfCreatingClass, ModuleInstance());
}

LRESULT CALLBACK CHexEditBase::SelfCreatingWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam,
                                                      LPARAM lParam) noexcept
{
    if (!FromHandle(hWnd))
    {
        if (uMsg != WM_NCCREATE)
            return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
        std::unique_ptr<CHexEditBase> pEdit(new (std::nothrow) CHexEditBase);
        if (!pEdit || !pEdit->Attach(hWnd))
            return FALSE;
        // The window owns it from here: PostNcDestroy deletes it.
        pEdit.release()->m_bAutoDelete = true;
    }
    return CWnd::StaticWindowProc(hWnd, uMsg, wParam, lParam);
}

void CHexEditBase::PostNcDestroy() noexcept
{
    if (m_bAutoDelete)
    {
        m_bAutoDelete = false;
        delete this;
    }
}

BOOL CHexEditBase::Create(LPCSTR pszWindowName, DWORD dwStyle, const RECT& rect, HWND hwndParent,
                          UINT nID) noexcept
{
    if (!RegisterWindowClasses())
        return FALSE;
    m_model.SetMultiLine((dwStyle & ES_MULTILINE) != 0);
    return CreateEx(0, c_szHexEditClass, pszWindowName, dwStyle, rect, hwndParent, nID);
}

BOOL CHexEditBase::SubclassDlgItem(UINT nID, HWND hwndParent) noexcept
{
    if (!CWnd::SubclassDlgItem(nID, hwndParent))
        return FALSE;
    m_model.SetMultiLine(IsMultiLine());
    m_model.InvalidateLayout();
    if (::GetFocus() == m_hWnd)
        SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
    Redraw();
    return TRUE;
}

// ---- data and settings ----

void CHexEditBase::SetData(const BYTE* pData, UINT nLength, bool bRedraw) noexcept
{
    m_model.SetData(pData, nLength);
    if (bRedraw && m_hWnd)
        Redraw();
    SetEditCaretPos(0, true);
}

UINT CHexEditBase::GetData(BYTE* pBuffer, UINT nCapacity) const noexcept
{
    return m_model.GetData(pBuffer, nCapacity);
}

void CHexEditBase::SetBytesPerRow(UINT nBytesPerRow, bool bAutomatic, bool bRedraw) noexcept
{
    if (!m_model.SetBytesPerRowSetting(nBytesPerRow, bAutomatic))
        return;
    if (!m_hWnd)
        return;
    SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
    if (bRedraw)
        Redraw();
}

void CHexEditBase::SetShowAscii(bool bShow, bool bRedraw) noexcept
{
    if (!m_model.SetShowAscii(bShow))
        return;
    if (!m_hWnd)
        return;
    SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
    if (bRedraw)
        Redraw();
}

void CHexEditBase::SetSelection(UINT nBegin, UINT nEnd, bool bMakeVisible, bool bRedraw) noexcept
{
    if (!m_model.SetSelection(nBegin, nEnd))
        return;
    if (bMakeVisible && m_model.HasSelection() && m_hWnd)
    {
        EnsureLayout();
        MakeVisible(m_model.GetSelectionBegin(), m_model.GetSelectionEnd(), false);
    }
    if (bRedraw && m_hWnd)
        Redraw();
}

void CHexEditBase::SelectAll() noexcept
{
    if (m_model.GetLength() > 0)
        SetSelection(0, m_model.GetLength() - 1, false, true);
}

void CHexEditBase::SetReadOnly(bool bReadOnly, bool bRedraw) noexcept
{
    m_model.SetReadOnly(bReadOnly);
    if (bRedraw && m_hWnd)
        Redraw();
}

void CHexEditBase::OnExtendContextMenu(HMENU) noexcept
{
}

// ---- window state ----

bool CHexEditBase::IsMultiLine() const noexcept
{
    if (!m_hWnd)
        return m_model.IsMultiLine();
    return (::GetWindowLongA(m_hWnd, GWL_STYLE) & ES_MULTILINE) != 0;
}

bool CHexEditBase::HasFocus() const noexcept
{
    return m_hWnd && ::GetFocus() == m_hWnd;
}

void CHexEditBase::Redraw() noexcept
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CHexEditBase::EnsureLayout() noexcept
{
    if (!m_hWnd || !m_model.IsLayoutStale())
        return;
    WindowDc dc(m_hWnd);
    if (dc.get())
        CalculateLayout(dc.get());
}

void CHexEditBase::CalculateLayout(HDC hdc) noexcept
{
    SelectGuard font(hdc, m_hFont);
    SIZE size{};
    ::GetTextExtentPoint32A(hdc, "0", 1, &size);
    RECT rcClient{};
    ::GetClientRect(m_hWnd, &rcClient);
    m_model.SetMultiLine(IsMultiLine());
    m_model.CalculateLayout(rcClient, static_cast<UINT>(size.cx), static_cast<UINT>(size.cy));
    // The bars change the client area, which must not happen in the middle of a paint.
    if (!m_bScrollUpdatePending && ::PostMessageA(m_hWnd, c_msgUpdateScrollBars, 0, 0))
        m_bScrollUpdatePending = true;
}

void CHexEditBase::UpdateScrollBars() noexcept
{
    m_bScrollUpdatePending = false;
    if (!m_hWnd)
        return;
    EnsureLayout();
    const LONG lStyle = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    if (!IsMultiLine())
    {
        if (lStyle & (WS_VSCROLL | WS_HSCROLL))
            ::ShowScrollBar(m_hWnd, SB_BOTH, FALSE);
        return;
    }

    // Showing or hiding a bar resizes the client area and lays out again; only real changes
    // are made so that this settles.
    if (m_model.GetMaxTopRow() > 0)
    {
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0,
                      static_cast<int>(m_model.GetMaxTopRow() + m_model.GetFullRows()) - 1,
                      m_model.GetFullRows(), static_cast<int>(m_model.GetTopRow()), 0};
        ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
        if (!(lStyle & WS_VSCROLL))
            ::ShowScrollBar(m_hWnd, SB_VERT, TRUE);
        ::EnableScrollBar(m_hWnd, SB_VERT, ESB_ENABLE_BOTH);
    }
    else if (lStyle & WS_VSCROLL)
    {
        ::ShowScrollBar(m_hWnd, SB_VERT, FALSE);
    }

    EnsureLayout();
    const RECT& rcInner = m_model.GetInnerRect();
    const int cxInner = rcInner.right - rcInner.left;
    const LONG lStyleNow = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    if (m_model.GetMaxScrollOffset() > 0)
    {
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0,
                      static_cast<int>(m_model.GetMaxScrollOffset()) + cxInner - 1,
                      static_cast<UINT>(cxInner), static_cast<int>(m_model.GetScrollOffset()), 0};
        ::SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
        if (!(lStyleNow & WS_HSCROLL))
            ::ShowScrollBar(m_hWnd, SB_HORZ, TRUE);
        ::EnableScrollBar(m_hWnd, SB_HORZ, ESB_ENABLE_BOTH);
    }
    else if (lStyleNow & WS_HSCROLL)
    {
        ::ShowScrollBar(m_hWnd, SB_HORZ, FALSE);
    }
}

void CHexEditBase::SyncScrollPositions() noexcept
{
    if (!m_hWnd || !IsMultiLine())
        return;
    const LONG lStyle = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    if (lStyle & WS_VSCROLL)
        ::SetScrollPos(m_hWnd, SB_VERT, static_cast<int>(m_model.GetTopRow()), TRUE);
    if (lStyle & WS_HSCROLL)
        ::SetScrollPos(m_hWnd, SB_HORZ, static_cast<int>(m_model.GetScrollOffset()), TRUE);
}

void CHexEditBase::NotifyParent(WORD wCode) noexcept
{
    if (!m_hWnd)
        return;
    HWND hwndParent = ::GetParent(m_hWnd);
    if (!hwndParent)
        return;
    const int nID = ::GetDlgCtrlID(m_hWnd);
    ::SendMessageA(hwndParent, WM_COMMAND, MAKEWPARAM(nID, wCode), reinterpret_cast<LPARAM>(m_hWnd));
}

// ---- caret and scrolling ----

void CHexEditBase::DestroyEditCaret() noexcept
{
    // Only a caret this control made: the thread's caret may belong to another window by now.
    if (m_bCaretCreated)
    {
        ::DestroyCaret();
        m_bCaretCreated = false;
    }
}

void CHexEditBase::SetEditCaretPos(UINT nPos, bool bHighNibble) noexcept
{
    m_model.SetCaret(nPos, bHighNibble);
    if (!m_model.HasData() || !m_hWnd)
        return;
    EnsureLayout();
    RECT rc;
    if (!HasFocus() || !m_model.GetCaretRect(&rc))
    {
        DestroyEditCaret();
        return;
    }
    const UINT cx = static_cast<UINT>(rc.right - rc.left);
    const UINT cy = static_cast<UINT>(rc.bottom - rc.top);
    if (!m_bCaretCreated || cx != m_nCaretWidth || cy != m_nCaretHeight)
    {
        DestroyEditCaret();
        if (!::CreateCaret(m_hWnd, nullptr, static_cast<int>(cx), static_cast<int>(cy)))
            return;
        m_bCaretCreated = true;
        m_nCaretWidth = cx;
        m_nCaretHeight = cy;
    }
    ::SetCaretPos(rc.left, rc.top);
    ::ShowCaret(m_hWnd);
}

void CHexEditBase::SetTopRow(UINT nRow, bool bRedraw) noexcept
{
    if (!IsMultiLine())
        return;
    EnsureLayout();
    const bool bChanged = m_model.SetTopRow(nRow);
    SyncScrollPositions();
    if (bChanged && bRedraw)
        Redraw();
    SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
}

void CHexEditBase::SetScrollOffset(UINT nOffset, bool bRedraw) noexcept
{
    EnsureLayout();
    const bool bChanged = m_model.SetScrollOffset(nOffset);
    SyncScrollPositions();
    if (bChanged && bRedraw)
    {
        Redraw();
        SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
    }
}

void CHexEditBase::MakeVisible(UINT nBegin, UINT nEnd, bool bRedraw) noexcept
{
    EnsureLayout();
    m_model.MakeVisible(nBegin, nEnd);
    SyncScrollPositions();
    if (bRedraw)
        Redraw();
}

// ---- clipboard ----

void CHexEditBase::Copy() noexcept
{
    if (!m_model.HasSelection())
        return;
    std::string text;
    std::vector<BYTE> binary;
    try
    {
        text = m_model.CopyText();
        binary = m_model.CopyBinary();
    }
    catch (...)
    {
        return;
    }
    if (binary.empty())
        return;
    UniqueHGlobal hText = CopyToGlobal(text.c_str(), text.size() + 1);
    UniqueHGlobal hBinary = CopyToGlobal(binary.data(), binary.size());
    if (!hText || !hBinary)
        return;
    ClipboardSession clipboard(m_hWnd);
    if (!clipboard || !::EmptyClipboard())
        return;
    // The clipboard owns a block once SetClipboardData accepts it.
    if (::SetClipboardData(CF_TEXT, hText.get()))
        (void)hText.release();
    if (::SetClipboardData(BinaryClipboardFormat(), hBinary.get()))
        (void)hBinary.release();
}

void CHexEditBase::Paste() noexcept
{
    if (m_model.IsReadOnly() || !m_model.HasData())
        return;
    const UINT cf = BinaryClipboardFormat();
    if (!cf || !::IsClipboardFormatAvailable(cf))
        return;
    UINT nWritten = 0;
    {
        ClipboardSession clipboard(m_hWnd);
        if (!clipboard)
            return;
        HGLOBAL hData = ::GetClipboardData(cf);
        if (!hData)
            return;
        GlobalLock lock(hData);
        const BYTE* p = lock.as<const BYTE>();
        const SIZE_T cb = ::GlobalSize(hData);
        if (!p || cb < 4)
            return;
        UINT nCount = static_cast<UINT>(p[0]) | (static_cast<UINT>(p[1]) << 8) |
                      (static_cast<UINT>(p[2]) << 16) | (static_cast<UINT>(p[3]) << 24);
        // A count larger than the block (another program's data) must not read past it.
        if (nCount > cb - 4)
            nCount = static_cast<UINT>(cb - 4);
        EnsureLayout();
        nWritten = m_model.Paste(p + 4, nCount);
    }
    if (!nWritten)
        return;
    SyncScrollPositions();
    Redraw();
    SetEditCaretPos(m_model.GetCaretPos(), false);
    NotifyParent(EN_CHANGE);
}

// ---- painting ----

void CHexEditBase::Paint(HDC hdcTarget) noexcept
{
    RECT rcClient{};
    ::GetClientRect(m_hWnd, &rcClient);
    const int cx = rcClient.right - rcClient.left;
    const int cy = rcClient.bottom - rcClient.top;
    if (cx <= 0 || cy <= 0)
        return;
    UniqueHdc dcMem(::CreateCompatibleDC(hdcTarget));
    UniqueGdiObject bitmap(::CreateCompatibleBitmap(hdcTarget, cx, cy));
    if (!dcMem || !bitmap)
        return;
    HDC hdc = dcMem.get();
    {
        SelectGuard selectBitmap(hdc, bitmap.get());
        SelectGuard selectFont(hdc, m_hFont);
        if (m_model.IsLayoutStale())
            CalculateLayout(hdc);
        FillSolid(hdc, rcClient, m_crBackground);

        if (m_model.HasData())
        {
            const RECT& rcInner = m_model.GetInnerRect();
            // Two pixels either side leave room for the caret and the selection's edge.
            ::IntersectClipRect(hdc, rcInner.left - 2, rcInner.top, rcInner.right + 2, rcInner.bottom);
            PaintHexColumn(hdc);
            if (m_model.IsShowingAscii())
                PaintAsciiColumn(hdc);
            ::SelectClipRgn(hdc, nullptr);
        }
        ::BitBlt(hdcTarget, 0, 0, cx, cy, hdc, 0, 0, SRCCOPY);
    }
}

void CHexEditBase::PaintHexColumn(HDC hdc) noexcept
{
    const RECT& rcInner = m_model.GetInnerRect();
    const int nLeft = m_model.HexLeft();
    const int cxChar = static_cast<int>(m_model.GetCharWidth());
    const int cyLine = static_cast<int>(m_model.GetLineHeight());
    const RECT rcColumn{nLeft, rcInner.top, nLeft + static_cast<int>(m_model.GetHexWidth()), rcInner.bottom};
    FillSolid(hdc, rcColumn, m_crHexBk);

    const bool bFocused = HasFocus();
    // A single-line control shows its selection only while it has the focus.
    const bool bShowSelection = bFocused || IsMultiLine();
    ::SetBkMode(hdc, TRANSPARENT);
    const UINT nRows = m_model.GetRowCount();
    try
    {
        for (UINT v = 0; v < m_model.GetVisibleRows(); ++v)
        {
            const UINT nRow = m_model.GetTopRow() + v;
            if (nRow >= nRows)
                break;
            const std::string text = m_model.RowHexText(nRow);
            const int y = rcInner.top + static_cast<int>(v) * cyLine;
            ::SetTextColor(hdc, m_crHexText);
            ::ExtTextOutA(hdc, nLeft, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);

            RECT rcSel;
            UINT nFirst = 0;
            UINT nLast = 0;
            if (bShowSelection && m_model.RowSelectionRect(nRow, &rcSel, &nFirst, &nLast) && nLast < text.size())
            {
                FillSolid(hdc, rcSel, bFocused ? m_crActiveSelBk : m_crInactiveSelBk);
                ::SetTextColor(hdc, bFocused ? m_crActiveSelText : m_crInactiveSelText);
                ::ExtTextOutA(hdc, nLeft + static_cast<int>(nFirst) * cxChar, y, 0, nullptr, text.data() + nFirst,
                              nLast - nFirst + 1, nullptr);
            }
        }
    }
    catch (...)
    {
        // Out of memory for a row text: the rest of the column stays blank.
    }
}

void CHexEditBase::PaintAsciiColumn(HDC hdc) noexcept
{
    const RECT& rcInner = m_model.GetInnerRect();
    const int nLeft = m_model.HexLeft() + static_cast<int>(m_model.GetAsciiX());
    const int cyLine = static_cast<int>(m_model.GetLineHeight());
    const RECT rcColumn{nLeft, rcInner.top, nLeft + static_cast<int>(m_model.GetAsciiWidth()), rcInner.bottom};
    FillSolid(hdc, rcColumn, m_crAsciiBk);

    ::SetBkMode(hdc, OPAQUE);
    ::SetBkColor(hdc, m_crAsciiBk);
    ::SetTextColor(hdc, m_crAsciiText);
    const UINT nRows = m_model.GetRowCount();
    try
    {
        for (UINT v = 0; v < m_model.GetVisibleRows(); ++v)
        {
            const UINT nRow = m_model.GetTopRow() + v;
            if (nRow >= nRows)
                break;
            const std::string text = m_model.RowAsciiText(nRow);
            ::ExtTextOutA(hdc, nLeft, rcInner.top + static_cast<int>(v) * cyLine, 0, nullptr, text.data(),
                          static_cast<UINT>(text.size()), nullptr);
        }
    }
    catch (...)
    {
    }
}

// ---- input ----

void CHexEditBase::OnKeyDown(UINT nVirtKey) noexcept
{
    // The shortcuts come first, as an accelerator would take them.
    if (IsKeyDown(VK_CONTROL))
    {
        switch (nVirtKey)
        {
        case 'A':
            SelectAll();
            return;
        case 'C':
            Copy();
            return;
        case 'V':
            Paste();
            return;
        }
    }
    if (nVirtKey == VK_TAB)
    {
        // Let the dialog move the focus as it would for any other control.
        if (HWND hwndParent = ::GetParent(m_hWnd))
            ::SendMessageA(hwndParent, WM_NEXTDLGCTL, IsKeyDown(VK_SHIFT) ? 1 : 0, FALSE);
        return;
    }
    if (!m_model.HasData())
        return;
    EnsureLayout();
    if (!m_model.KeyDown(nVirtKey, IsKeyDown(VK_SHIFT)))
        return;
    SyncScrollPositions();
    Redraw();
    SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
}

void CHexEditBase::OnChar(UINT nChar) noexcept
{
    if (nChar == VK_BACK)
        return;
    EnsureLayout();
    if (!m_model.TypeChar(nChar, IsKeyDown(VK_SHIFT)))
        return;
    SyncScrollPositions();
    Redraw();
    SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
    NotifyParent(EN_CHANGE);
}

void CHexEditBase::PlaceCaretAt(POINT pt) noexcept
{
    const HexHit hit = m_model.HitTest(pt);
    SetEditCaretPos(hit.nPos, hit.bHighNibble);
}

void CHexEditBase::OnLButtonDown(POINT pt) noexcept
{
    ::SetFocus(m_hWnd);
    if (!m_model.HasData())
        return;
    EnsureLayout();
    PlaceCaretAt(pt);
    const int cx = ::GetSystemMetrics(SM_CXDOUBLECLK);
    const int cy = ::GetSystemMetrics(SM_CYDOUBLECLK);
    ::SetRect(&m_rcDragThreshold, pt.x - cx / 2, pt.y - cy / 2, pt.x + (cx - cx / 2), pt.y + (cy - cy / 2));
    m_model.BeginDrag();
    ::SetCapture(m_hWnd);
    Redraw();
}

void CHexEditBase::OnLButtonDblClk(POINT pt) noexcept
{
    ::SetFocus(m_hWnd);
    if (!m_model.HasData())
        return;
    EnsureLayout();
    PlaceCaretAt(pt);
    m_model.SetSelection(m_model.GetCaretPos(), m_model.GetCaretPos());
    Redraw();
}

void CHexEditBase::OnMouseMove(UINT nFlags, POINT pt) noexcept
{
    if (!(nFlags & MK_LBUTTON) || m_model.GetDragAnchor() == c_nHexNone || !m_model.HasData())
        return;
    if (!::IsRectEmpty(&m_rcDragThreshold))
    {
        if (::PtInRect(&m_rcDragThreshold, pt))
            return;
        ::SetRectEmpty(&m_rcDragThreshold);
    }
    EnsureLayout();
    const RECT& rcInner = m_model.GetInnerRect();
    if (IsMultiLine() && !::PtInRect(&rcInner, pt))
    {
        if (pt.y < rcInner.top)
            StartAutoScroll(-1, rcInner.top - pt.y, pt);
        else if (pt.y >= rcInner.bottom)
            StartAutoScroll(1, pt.y - rcInner.bottom + 1, pt);
        else
            m_ptAutoScroll = pt;
    }
    else
    {
        StopAutoScroll();
    }
    PlaceCaretAt(pt);
    m_model.ExtendDrag();
    Redraw();
}

void CHexEditBase::OnLButtonUp() noexcept
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    StopAutoScroll();
    Redraw();
}

void CHexEditBase::StartAutoScroll(int nDirection, int nDistance, POINT pt) noexcept
{
    if (!IsMultiLine() || !m_model.HasData())
        return;
    m_ptAutoScroll = pt;
    m_nAutoScrollDirection = nDirection;
    m_wAutoScrollInterval = CHexEditModel::AutoScrollInterval(nDistance);
    if (!m_bAutoScrolling)
    {
        m_wAutoScrollCountdown = m_wAutoScrollInterval;
        m_bAutoScrolling = ::SetTimer(m_hWnd, c_idAutoScrollTimer, 5, nullptr) != 0;
    }
}

void CHexEditBase::StopAutoScroll() noexcept
{
    if (!m_bAutoScrolling)
        return;
    ::KillTimer(m_hWnd, c_idAutoScrollTimer);
    m_bAutoScrolling = false;
}

void CHexEditBase::OnTimer(UINT_PTR) noexcept
{
    if (m_wAutoScrollCountdown > 0)
    {
        --m_wAutoScrollCountdown;
        return;
    }
    m_wAutoScrollCountdown = m_wAutoScrollInterval;
    SetTopRow(RowAfterStep(m_model.GetTopRow(), m_nAutoScrollDirection), false);
    PlaceCaretAt(m_ptAutoScroll);
    m_model.ExtendDrag();
    Redraw();
}

void CHexEditBase::OnVScroll(UINT nCode) noexcept
{
    if (!m_model.HasData())
        return;
    EnsureLayout();
    const UINT nTop = m_model.GetTopRow();
    const long long nPage = m_model.GetFullRows();
    switch (nCode)
    {
    case SB_LINEUP:
        SetTopRow(RowAfterStep(nTop, -1), true);
        break;
    case SB_LINEDOWN:
        SetTopRow(RowAfterStep(nTop, 1), true);
        break;
    case SB_PAGEUP:
        SetTopRow(RowAfterStep(nTop, -nPage), true);
        break;
    case SB_PAGEDOWN:
        SetTopRow(RowAfterStep(nTop, nPage), true);
        break;
    case SB_THUMBTRACK:
    {
        SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        if (::GetScrollInfo(m_hWnd, SB_VERT, &si))
            SetTopRow(static_cast<UINT>(std::max(si.nTrackPos, 0)), true);
        break;
    }
    default:
        break;
    }
}

void CHexEditBase::OnHScroll(UINT nCode, UINT nPos) noexcept
{
    if (!m_model.HasData())
        return;
    EnsureLayout();
    const long long nOffset = m_model.GetScrollOffset();
    const RECT& rcInner = m_model.GetInnerRect();
    const long long nPage = rcInner.right - rcInner.left;
    const long long nLine = m_model.GetCharWidth();
    long long nNew;
    switch (nCode)
    {
    case SB_LINELEFT:
        nNew = nOffset - nLine;
        break;
    case SB_LINERIGHT:
        nNew = nOffset + nLine;
        break;
    case SB_PAGELEFT:
        nNew = nOffset - nPage;
        break;
    case SB_PAGERIGHT:
        nNew = nOffset + nPage;
        break;
    case SB_THUMBTRACK:
        nNew = nPos;
        break;
    default:
        return;
    }
    SetScrollOffset(static_cast<UINT>(std::clamp<long long>(nNew, 0, 0xFFFFFFFFll)), true);
}

void CHexEditBase::OnMouseWheel(short nDelta) noexcept
{
    // Truncated toward zero: a partial notch of a fine-grained wheel does not scroll.
    const int nRows = -(nDelta / WHEEL_DELTA);
    if (nRows)
        SetTopRow(RowAfterStep(m_model.GetTopRow(), nRows), true);
}

void CHexEditBase::OnSetFocus() noexcept
{
    if (!m_model.HasData())
        return;
    SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
    Redraw();
}

void CHexEditBase::OnSize() noexcept
{
    {
        WindowDc dc(m_hWnd);
        if (dc.get())
            CalculateLayout(dc.get());
    }
    SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
    UpdateScrollBars();
}

void CHexEditBase::OnSetFont(HFONT hFont, bool bRedraw) noexcept
{
    LOGFONTA lf{};
    if (hFont && ::GetObjectA(hFont, sizeof(lf), &lf) == sizeof(lf) && (lf.lfPitchAndFamily & 3) == FIXED_PITCH)
    {
        // A copy of our own: the sender may delete its font whenever it likes.
        if (HFONT hCopy = ::CreateFontIndirectA(&lf))
        {
            m_ownedFont.reset(hCopy);
            m_hFont = hCopy;
        }
    }
    if (!m_hFont)
        m_hFont = static_cast<HFONT>(::GetStockObject(SYSTEM_FIXED_FONT));
    m_model.InvalidateLayout();
    if (m_hWnd && HasFocus())
        SetEditCaretPos(m_model.GetCaretPos(), m_model.IsHighNibble());
    if (bRedraw)
        Redraw();
}

void CHexEditBase::OnContextMenu(POINT ptScreen) noexcept
{
    POINT ptMenu = ptScreen;
    if (ptScreen.x == -1 && ptScreen.y == -1)
    {
        ptMenu = POINT{5, 5};
        ::ClientToScreen(m_hWnd, &ptMenu);
    }
    else if (m_model.HasData())
    {
        POINT ptClient = ptScreen;
        ::ScreenToClient(m_hWnd, &ptClient);
        EnsureLayout();
        const HexHit hit = m_model.HitTest(ptClient);
        if (!m_model.IsSelected(hit.nPos))
        {
            if (m_model.HasSelection())
            {
                m_model.ClearSelection();
                Redraw();
            }
            SetEditCaretPos(hit.nPos, true);
        }
    }

    UniqueHmenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    const UINT uCopyFlags = m_model.HasSelection() ? MF_ENABLED : (MF_GRAYED | MF_DISABLED);
    const bool bCanPaste = !m_model.IsReadOnly() && ::IsClipboardFormatAvailable(BinaryClipboardFormat());
    const UINT uPasteFlags = bCanPaste ? MF_ENABLED : (MF_GRAYED | MF_DISABLED);
    ::AppendMenuA(menu.get(), MF_STRING | uCopyFlags, c_idEditCopy, "Copy");
    ::AppendMenuA(menu.get(), MF_STRING | uPasteFlags, c_idEditPaste, "Paste");
    OnExtendContextMenu(menu.get());
    ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, ptMenu.x, ptMenu.y, 0, m_hWnd, nullptr);
}

// ---- the message switch ----

LRESULT CHexEditBase::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (uMsg)
    {
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        if (HDC hdc = ::BeginPaint(m_hWnd, &ps))
        {
            Paint(hdc);
            ::EndPaint(m_hWnd, &ps);
        }
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<UINT>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp();
        return 0;
    case WM_CAPTURECHANGED:
        StopAutoScroll();
        return Default(uMsg, wParam, lParam);
    case WM_TIMER:
        if (wParam == c_idAutoScrollTimer)
        {
            OnTimer(wParam);
            return 0;
        }
        return Default(uMsg, wParam, lParam);
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam));
        return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(static_cast<short>(HIWORD(wParam)));
        return 0;
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case WM_KILLFOCUS:
    {
        DestroyEditCaret();
        const LRESULT lResult = Default(uMsg, wParam, lParam);
        Redraw();
        return lResult;
    }
    case WM_SIZE:
    {
        const LRESULT lResult = Default(uMsg, wParam, lParam);
        OnSize();
        return lResult;
    }
    case WM_SETFONT:
        OnSetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_hFont);
    case WM_CONTEXTMENU:
        OnContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_COMMAND:
        // Commands of our own context menu (or an owner forwarding the edit commands).
        switch (LOWORD(wParam))
        {
        case c_idEditCopy:
            Copy();
            return 0;
        case c_idEditPaste:
            Paste();
            return 0;
        case c_idEditSelectAll:
            SelectAll();
            return 0;
        }
        return Default(uMsg, wParam, lParam);
    case c_msgUpdateScrollBars:
        UpdateScrollBars();
        return 0;
    case WM_DESTROY:
        StopAutoScroll();
        DestroyEditCaret();
        return Default(uMsg, wParam, lParam);
    default:
        return Default(uMsg, wParam, lParam);
    }
}

} // namespace corvasin
