// The hex edit control as a real window under Xvfb: keys and characters through the message
// queue, the mouse, the wheel, fonts, notifications, the clipboard formats, the selection colours
// on painted pixels, the self-creating class, a taken-over dialog edit control and the view.
#include "editors/DialogDriver.h"
#include "editors/HexEditBase.h"
#include "editors/HexEditBaseView.h"
#include "core/Module.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

using namespace corvasin;
using test::PostKey;

namespace
{

constexpr UINT c_idEdit = 100;
constexpr char c_szParentClass[] = "CorvasinHexTestParent";
constexpr COLORREF c_crBackground = RGB(210, 210, 210);
constexpr COLORREF c_crHexColumn = RGB(180, 210, 190);

// The WM_COMMAND notifications the parent received.
struct Command
{
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Command> g_commands;

LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (uMsg == WM_COMMAND)
        g_commands.push_back({wParam, lParam});
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

// Serves the queue (through the dialog's keyboard handling, given a dialog), and with a time
// keeps serving it, timers included, for that long.
void Pump(HWND hDlg = nullptr, DWORD dwMilliseconds = 0)
{
    const DWORD dwStart = ::GetTickCount();
    do
    {
        if (dwMilliseconds)
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (hDlg && ::IsDialogMessageA(hDlg, &msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    } while (::GetTickCount() - dwStart < dwMilliseconds);
}

// Queues the keys with the modifiers held down in the thread's key state, which GetKeyState
// reads, and lets the window (or dialog) handle them.
void PressKeys(HWND hWnd, std::initializer_list<UINT> keys, std::initializer_list<int> held = {},
               HWND hDlg = nullptr)
{
    BYTE saved[256], state[256];
    ::GetKeyboardState(saved);
    std::memcpy(state, saved, sizeof(state));
    for (int vk : held)
        state[vk] = 0x80;
    ::SetKeyboardState(state);
    for (UINT vk : keys)
        PostKey(hWnd, vk);
    Pump(hDlg);
    ::SetKeyboardState(saved);
}

// Renders a window's client area into a 32-bit bitmap and reads one pixel.
COLORREF PrintedPixel(HWND hWnd, POINT pt)
{
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    HDC hdcScreen = ::GetDC(nullptr);
    UniqueHdc dc(::CreateCompatibleDC(hdcScreen));
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(bmi.bmiHeader), rc.right, -rc.bottom, 1, 32};
    void* pBits = nullptr;
    UniqueGdiObject bitmap(::CreateDIBSection(hdcScreen, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    ::ReleaseDC(nullptr, hdcScreen);
    HGDIOBJ hOld = ::SelectObject(dc.get(), bitmap.get());
    ::SendMessageA(hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    const COLORREF cr = ::GetPixel(dc.get(), pt.x, pt.y);
    ::SelectObject(dc.get(), hOld);
    return cr;
}

// Empties the clipboard and puts the bytes there in format cf (nothing for cf 0).
void PutOnClipboard(HWND hWnd, UINT cf, std::vector<BYTE> bytes = {})
{
    ASSERT_TRUE(::OpenClipboard(hWnd));
    ::EmptyClipboard();
    UniqueHGlobal h(cf ? ::GlobalAlloc(GMEM_MOVEABLE, bytes.size()) : nullptr);
    if (h)
    {
        std::memcpy(corvasin::GlobalLock(h.get()).get(), bytes.data(), bytes.size());
        if (::SetClipboardData(cf, h.get()))
            (void)h.release();
    }
    ::CloseClipboard();
}

std::vector<BYTE> ClipboardBytes(HWND hWnd, UINT cf)
{
    std::vector<BYTE> bytes;
    if (!::OpenClipboard(hWnd))
        return bytes;
    if (HGLOBAL h = ::GetClipboardData(cf))
    {
        corvasin::GlobalLock lock(h);
        if (const BYTE* p = lock.as<const BYTE>())
            bytes.assign(p, p + ::GlobalSize(h));
    }
    ::CloseClipboard();
    return bytes;
}

// The binary clipboard form: a 4-byte little-endian count, then the bytes.
std::vector<BYTE> BinaryPayload(std::vector<BYTE> bytes, UINT nCount)
{
    bytes.insert(bytes.begin(), {BYTE(nCount), BYTE(nCount >> 8), BYTE(nCount >> 16), BYTE(nCount >> 24)});
    return bytes;
}

// A client point in a visible row of the hex column, vertically centred: nX characters (and
// nPixels more) from the row's left.
POINT RowPoint(const CHexEditBase& edit, UINT nVisibleRow, UINT nX, int nPixels)
{
    const CHexEditModel& model = edit.Model();
    const int cx = static_cast<int>(model.GetCharWidth());
    const int cy = static_cast<int>(model.GetLineHeight());
    return POINT{model.HexLeft() + static_cast<int>(nX) * cx + nPixels,
                 model.GetInnerRect().top + static_cast<int>(nVisibleRow) * cy + cy / 2};
}

// The gap after the given column of a visible row: inside a selection rectangle but never on a
// glyph.
POINT GapPoint(const CHexEditBase& edit, UINT nVisibleRow, UINT nColumn)
{
    return RowPoint(edit, nVisibleRow, 3 * nColumn + 2, static_cast<int>(edit.Model().GetCharWidth()) / 2);
}

// On the first digit of a byte.
POINT DigitPoint(const CHexEditBase& edit, UINT nPos)
{
    const UINT nPerRow = edit.Model().GetBytesPerRow();
    return RowPoint(edit, nPos / nPerRow - edit.Model().GetTopRow(), 3 * (nPos % nPerRow), 1);
}

// A 256-byte control of 300 x 200 pixels in rows of 8 with the focus, and a button beside it.
class HexEditWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSEXA wc{sizeof(wc)};
        wc.lpfnWndProc = &ParentProc;
        wc.hInstance = ModuleInstance();
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = c_szParentClass;
        ::RegisterClassExA(&wc);
        m_hwndParent = ::CreateWindowExA(0, c_szParentClass, "Hex edit test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                         10, 520, 400, nullptr, nullptr, ModuleInstance(), nullptr);
        ASSERT_NE(m_hwndParent, nullptr);
        ASSERT_TRUE(m_edit.Create("", WS_CHILD | WS_VISIBLE | ES_MULTILINE, RECT{0, 0, 300, 200}, m_hwndParent,
                                  c_idEdit));
        m_hwndOther = ::CreateWindowExA(0, "BUTTON", "Other", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 320, 10, 80, 30,
                                        m_hwndParent, nullptr, ModuleInstance(), nullptr);
        m_data.resize(256);
        std::iota(m_data.begin(), m_data.end(), BYTE{0});
        m_edit.SetData(m_data.data(), static_cast<UINT>(m_data.size()), true);
        m_edit.SetBytesPerRow(8, false, true);
        ::SetForegroundWindow(m_hwndParent);
        ::SetFocus(Edit());
        Pump();
        g_commands.clear();
    }

    void TearDown() override
    {
        ::DestroyWindow(m_hwndParent);
        Pump();
        g_commands.clear();
    }

    HWND Edit() const { return m_edit.GetSafeHwnd(); }
    LRESULT Send(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(Edit(), uMsg, wParam, lParam);
    }
    LRESULT Mouse(UINT uMsg, POINT pt, WPARAM wKeys = MK_LBUTTON) const
    {
        return Send(uMsg, wKeys, MAKELPARAM(pt.x, pt.y));
    }
    void Press(std::initializer_list<UINT> keys, std::initializer_list<int> held = {}) const
    {
        PressKeys(Edit(), keys, held);
    }

    std::pair<UINT, UINT> Selection() const { return {m_edit.GetSelectionBegin(), m_edit.GetSelectionEnd()}; }
    std::pair<UINT, bool> Caret() const { return {m_edit.GetCaretPos(), m_edit.IsCaretHighNibble()}; }
    std::vector<BYTE> Data() const
    {
        std::vector<BYTE> bytes(m_edit.GetDataLength());
        m_edit.GetData(bytes.data(), static_cast<UINT>(bytes.size()));
        return bytes;
    }

    POINT GapPoint(UINT nVisibleRow, UINT nColumn) const { return ::GapPoint(m_edit, nVisibleRow, nColumn); }
    POINT DigitPoint(UINT nPos) const { return ::DigitPoint(m_edit, nPos); }

    HWND m_hwndParent = nullptr;
    HWND m_hwndOther = nullptr;
    CHexEditBase m_edit;
    std::vector<BYTE> m_data;
};

} // namespace

// ---- keyboard ----

TEST_F(HexEditWindow, OverwritesNibblesWithTypedCharactersAndTellsTheParent)
{
    Press({'A', '5'});
    EXPECT_EQ(std::pair(Data()[0], Data()[1]), std::pair(BYTE{0xA5}, BYTE{0x01}));
    EXPECT_EQ(Caret(), std::pair(1u, true));
    ASSERT_EQ(g_commands.size(), 2u);
    for (const Command& command : g_commands)
        EXPECT_EQ(std::pair(command.wParam, reinterpret_cast<HWND>(command.lParam)),
                  std::pair(WPARAM{MAKEWPARAM(c_idEdit, EN_CHANGE)}, Edit()));
}

TEST_F(HexEditWindow, MovesTheCaretWithKeysFromTheQueue)
{
    Press({VK_END, VK_RIGHT});
    EXPECT_EQ(Caret(), std::pair(255u, false));
    EXPECT_GT(m_edit.GetTopRow(), 0u);
    Press({VK_HOME});
    EXPECT_EQ(std::pair(m_edit.GetCaretPos(), m_edit.GetTopRow()), std::pair(0u, 0u));
}

TEST_F(HexEditWindow, PutsTheSystemCaretOverTheDigitItEdits)
{
    Press({VK_DOWN, VK_RIGHT});
    const CHexEditModel& model = m_edit.Model();
    POINT pt{};
    ASSERT_TRUE(::GetCaretPos(&pt));
    EXPECT_EQ(std::pair(pt.x, pt.y), std::pair(LONG(model.HexLeft() + model.GetCharWidth()),
                                               LONG(model.GetInnerRect().top + model.GetLineHeight() + 1)));
}

TEST_F(HexEditWindow, SelectsWithShiftAndArrowKeys)
{
    Press({VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT}, {VK_SHIFT});
    ASSERT_TRUE(m_edit.HasSelection());
    EXPECT_EQ(Selection(), std::pair(0u, 2u));
    Press({VK_RIGHT});
    EXPECT_FALSE(m_edit.HasSelection());
}

TEST_F(HexEditWindow, IgnoresEnterEscapeDeleteAndBackspace)
{
    Press({VK_RETURN, VK_ESCAPE, VK_DELETE, VK_BACK, VK_INSERT});
    EXPECT_EQ(std::tuple(Data(), m_edit.GetCaretPos(), g_commands.size()), std::tuple(m_data, 0u, size_t{0}));
}

TEST_F(HexEditWindow, RefusesTypingWhenReadOnly)
{
    m_edit.SetReadOnly(true, true);
    Press({'F'});
    EXPECT_EQ(std::pair(Data()[0], g_commands.size()), std::pair(BYTE{0}, size_t{0}));
}

TEST_F(HexEditWindow, SelectsAllWithCtrlA)
{
    Press({'A'}, {VK_CONTROL});
    EXPECT_EQ(Selection(), std::pair(0u, 255u));
    // Ctrl+A is a shortcut, not the digit A.
    EXPECT_EQ(Data()[0], 0x00);
}

// ---- wheel and scroll bars ----

TEST_F(HexEditWindow, ScrollsOneRowPerWheelNotchAndIgnoresPartialNotches)
{
    const std::pair<short, UINT> c_turns[] = {{-120, 1}, {-60, 1}, {-360, 4}, {120, 3}, {32000, 0}};
    for (const auto& [nDelta, nTopRow] : c_turns)
    {
        EXPECT_EQ(Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(nDelta))), 0);
        EXPECT_EQ(m_edit.GetTopRow(), nTopRow) << nDelta;
    }
}

TEST_F(HexEditWindow, ShowsAVerticalScrollBarWithOnePagePerFullRows)
{
    Pump();
    ASSERT_TRUE(::GetWindowLongA(Edit(), GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO si{sizeof(si), SIF_ALL};
    ASSERT_TRUE(::GetScrollInfo(Edit(), SB_VERT, &si));
    const CHexEditModel& model = m_edit.Model();
    EXPECT_EQ(std::tuple(si.nMin, UINT(si.nMax), si.nPage),
              std::tuple(0, model.GetMaxTopRow() + model.GetFullRows() - 1, model.GetFullRows()));

    Send(WM_VSCROLL, SB_PAGEDOWN);
    ASSERT_TRUE(::GetScrollInfo(Edit(), SB_VERT, &si));
    EXPECT_EQ(std::pair(m_edit.GetTopRow(), UINT(si.nPos)), std::pair(model.GetFullRows(), m_edit.GetTopRow()));
    Send(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(m_edit.GetTopRow(), model.GetFullRows() - 1);
}

TEST_F(HexEditWindow, HidesTheScrollBarWhenAllRowsFit)
{
    const BYTE bytes[4] = {1, 2, 3, 4};
    m_edit.SetData(bytes, 4, true);
    Send(WM_SIZE, 0, MAKELPARAM(300, 200));
    Pump();
    EXPECT_FALSE(::GetWindowLongA(Edit(), GWL_STYLE) & WS_VSCROLL);
}

// ---- fonts ----

TEST_F(HexEditWindow, IgnoresAProportionalFont)
{
    const LRESULT lBefore = Send(WM_GETFONT);
    ASSERT_NE(lBefore, 0);
    UniqueGdiObject font(::CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                                       VARIABLE_PITCH | FF_SWISS, "Arial"));
    for (HGDIOBJ hFont : {font.get(), ::GetStockObject(DEFAULT_GUI_FONT)})
    {
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
        EXPECT_EQ(Send(WM_GETFONT), lBefore);
    }
}

TEST_F(HexEditWindow, KeepsItsOwnCopyOfAFixedPitchFont)
{
    HFONT hFixed = ::CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN,
                                 "Courier New");
    ASSERT_NE(hFixed, nullptr);
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(hFixed), TRUE);
    const HFONT hKept = reinterpret_cast<HFONT>(Send(WM_GETFONT));
    EXPECT_NE(hKept, hFixed);
    // The sender may delete its font: the control still lays out and paints with its copy.
    ::DeleteObject(hFixed);
    LOGFONTA lf{};
    ASSERT_EQ(::GetObjectA(hKept, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(std::pair(lf.lfHeight, std::string(lf.lfFaceName)), std::pair(-20L, std::string("Courier New")));
    PrintedPixel(Edit(), POINT{1, 1});
    EXPECT_GE(m_edit.Model().GetLineHeight(), 18u);
}

// ---- clipboard ----

TEST_F(HexEditWindow, CopiesTextAndBinaryDataWithCtrlC)
{
    m_edit.SetSelection(2, 5, true, true);
    Press({'C'}, {VK_CONTROL});
    const std::vector<BYTE> text = ClipboardBytes(m_hwndParent, CF_TEXT);
    ASSERT_FALSE(text.empty());
    EXPECT_STREQ(reinterpret_cast<const char*>(text.data()), "02 03 04 05\n");
    const std::vector<BYTE> binary = ClipboardBytes(m_hwndParent, CHexEditBase::BinaryClipboardFormat());
    ASSERT_GE(binary.size(), 8u);
    EXPECT_EQ(std::vector<BYTE>(binary.begin(), binary.begin() + 8), BinaryPayload({2, 3, 4, 5}, 4));
}

TEST_F(HexEditWindow, PastesBinaryDataOnlyUpToTheEndOfTheData)
{
    PutOnClipboard(m_hwndParent, CHexEditBase::BinaryClipboardFormat(),
                   BinaryPayload(std::vector<BYTE>(10, 0xEE), 10));
    m_edit.SetEditCaretPos(253, true);
    Press({'V'}, {VK_CONTROL});
    const std::vector<BYTE> data = Data();
    ASSERT_EQ(data.size(), 256u);
    EXPECT_EQ(std::vector<BYTE>(data.begin() + 252, data.end()), (std::vector<BYTE>{252, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(std::tuple(m_edit.GetSelectionBegin(), m_edit.GetSelectionEnd(), m_edit.GetCaretPos()),
              std::tuple(253u, 255u, 255u));
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(HIWORD(g_commands[0].wParam), EN_CHANGE);
}

TEST_F(HexEditWindow, NeverPastesText)
{
    const char szText[] = "FF FF FF";
    PutOnClipboard(m_hwndParent, CF_TEXT, std::vector<BYTE>(szText, szText + sizeof(szText)));
    Send(WM_COMMAND, c_idEditPaste);
    EXPECT_EQ(std::pair(Data(), g_commands.size()), std::pair(m_data, size_t{0}));
}

TEST_F(HexEditWindow, ReadsNoFurtherThanTheClipboardBlockWhateverItsCountSays)
{
    PutOnClipboard(m_hwndParent, CHexEditBase::BinaryClipboardFormat(), BinaryPayload({0xAB, 0xCD}, 100000));
    Send(WM_COMMAND, c_idEditPaste);
    const std::vector<BYTE> data = Data();
    ASSERT_EQ(data.size(), 256u);
    EXPECT_EQ(std::pair(data[0], data[1]), std::pair(BYTE{0xAB}, BYTE{0xCD}));
    // Whatever the block's rounding adds, the paste ends with the block, far from 100000 bytes.
    EXPECT_LT(m_edit.GetSelectionEnd(), 16u);
    EXPECT_TRUE(std::equal(data.begin() + 16, data.end(), m_data.begin() + 16));
}

// ---- painting ----

TEST_F(HexEditWindow, ShowsTheSelectionInInactiveColoursWhenTheFocusLeaves)
{
    m_edit.SetSelection(8, 12, false, true);
    ASSERT_EQ(::GetFocus(), Edit());
    EXPECT_EQ(PrintedPixel(Edit(), GapPoint(1, 1)), ::GetSysColor(COLOR_HIGHLIGHT));
    ::SetFocus(m_hwndOther);
    Pump();
    ASSERT_EQ(::GetFocus(), m_hwndOther);
    EXPECT_EQ(PrintedPixel(Edit(), GapPoint(1, 1)), ::GetSysColor(COLOR_BTNFACE));
    // Outside the selection the hex column keeps its own colour.
    EXPECT_EQ(PrintedPixel(Edit(), GapPoint(1, 5)), c_crHexColumn);
}

TEST_F(HexEditWindow, PaintsThroughWmPaintInOneCopy)
{
    m_edit.SetSelection(0, 0, false, true);
    ::RedrawWindow(Edit(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC hdc = ::GetDC(Edit());
    EXPECT_EQ(::GetPixel(hdc, 2, 2), c_crBackground);
    ::ReleaseDC(Edit(), hdc);
}

TEST_F(HexEditWindow, HidesASingleLineSelectionWithoutTheFocus)
{
    CHexEditBase line;
    ASSERT_TRUE(line.Create("", WS_CHILD | WS_VISIBLE, RECT{0, 250, 300, 280}, m_hwndParent, 102));
    const BYTE bytes[6] = {1, 2, 3, 4, 5, 6};
    line.SetData(bytes, 6, true);
    line.SetSelection(0, 3, false, true);
    EXPECT_EQ(line.Model().GetBytesPerRow(), 6u);
    // One line has no margins: the gap after column 0 of its only row.
    const POINT pt = ::GapPoint(line, 0, 0);
    EXPECT_EQ(PrintedPixel(line.GetSafeHwnd(), pt), c_crHexColumn);
    ::SetFocus(line.GetSafeHwnd());
    EXPECT_EQ(PrintedPixel(line.GetSafeHwnd(), pt), ::GetSysColor(COLOR_HIGHLIGHT));
}

// ---- mouse ----

TEST_F(HexEditWindow, SelectsOneByteOnDoubleClick)
{
    Mouse(WM_LBUTTONDBLCLK, DigitPoint(9));
    EXPECT_EQ(Selection(), std::pair(9u, 9u));
}

TEST_F(HexEditWindow, SelectsByDraggingFromTheAnchor)
{
    const POINT ptTo = DigitPoint(3);
    Mouse(WM_LBUTTONDOWN, DigitPoint(20));
    EXPECT_EQ(std::pair(::GetCapture(), m_edit.GetCaretPos()), std::pair(Edit(), 20u));
    Mouse(WM_MOUSEMOVE, ptTo);
    EXPECT_EQ(Selection(), std::pair(3u, 20u));
    Mouse(WM_LBUTTONUP, ptTo, 0);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(HexEditWindow, IgnoresSmallMovesWithinTheDoubleClickRectangle)
{
    const POINT pt = DigitPoint(0), ptNear{pt.x + 1, pt.y};
    Mouse(WM_LBUTTONDOWN, pt);
    Mouse(WM_MOUSEMOVE, ptNear);
    EXPECT_FALSE(m_edit.HasSelection());
    Mouse(WM_LBUTTONUP, ptNear, 0);
}

TEST_F(HexEditWindow, AutoScrollsWhileTheDragIsBelowTheView)
{
    const POINT pt = DigitPoint(0);
    Mouse(WM_LBUTTONDOWN, pt);
    Mouse(WM_MOUSEMOVE, POINT{pt.x, 200 + 40});
    const UINT nTopBefore = m_edit.GetTopRow();
    Pump(nullptr, 150);
    const UINT nTopAfter = m_edit.GetTopRow();
    EXPECT_GT(nTopAfter, nTopBefore);
    EXPECT_EQ(m_edit.GetSelectionBegin(), 0u);
    EXPECT_GE(m_edit.GetSelectionEnd(), (nTopAfter + m_edit.Model().GetFullRows()) * 8 - 8);
    Mouse(WM_LBUTTONUP, POINT{pt.x, 240}, 0);
    const UINT nTopStopped = m_edit.GetTopRow();
    Pump(nullptr, 60);
    EXPECT_EQ(m_edit.GetTopRow(), nTopStopped);
}

// ---- layout against the window ----

TEST_F(HexEditWindow, FollowsTheWindowWidthWithAutomaticRowWidths)
{
    m_edit.SetBytesPerRow(8, true, true);
    const CHexEditModel& model = m_edit.Model();
    const UINT nWide = model.GetBytesPerRow();
    ::MoveWindow(Edit(), 0, 0, 150, 200, TRUE);
    EXPECT_LT(model.GetBytesPerRow(), nWide);
    // Whatever the font, the row still fits into the inner width.
    EXPECT_LE(static_cast<LONG>(model.GetHexWidth()), model.GetInnerRect().right - model.GetInnerRect().left);
}

TEST_F(HexEditWindow, ScrollsSidewaysByCharactersAndPages)
{
    m_edit.SetShowAscii(true, true);
    ::MoveWindow(Edit(), 0, 0, 120, 200, TRUE);
    Pump();
    const CHexEditModel& model = m_edit.Model();
    ASSERT_GT(model.GetMaxScrollOffset(), 0u);
    EXPECT_TRUE(::GetWindowLongA(Edit(), GWL_STYLE) & WS_HSCROLL);
    Send(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_EQ(model.GetScrollOffset(), model.GetCharWidth());
    for (WPARAM nCode : {SB_PAGERIGHT, SB_PAGELEFT})
    {
        for (int i = 0; i < 3; ++i)
            Send(WM_HSCROLL, nCode);
        EXPECT_EQ(model.GetScrollOffset(), nCode == SB_PAGERIGHT ? model.GetMaxScrollOffset() : 0u);
    }
}

TEST_F(HexEditWindow, TakesDataGivenBeforeItsWindowExists)
{
    CHexEditBase early;
    const BYTE bytes[20] = {0x41, 0x42};
    early.SetData(bytes, 20, true);
    early.SetBytesPerRow(8, false, true);
    early.SetShowAscii(true, true);
    ASSERT_TRUE(early.Create("", WS_CHILD | WS_VISIBLE | ES_MULTILINE, RECT{0, 210, 300, 330}, m_hwndParent, 105));
    EXPECT_EQ(::SendMessageA(early.GetSafeHwnd(), WM_ERASEBKGND, 0, 0), 1);
    const CHexEditModel& model = early.Model();
    const POINT ptAscii{model.HexLeft() + static_cast<int>(model.GetAsciiX()) + 1, model.GetInnerRect().top + 1};
    // The character column is painted: its dark background shows at its top left.
    EXPECT_EQ(PrintedPixel(early.GetSafeHwnd(), ptAscii), RGB(0, 20, 0));
    EXPECT_EQ(model.GetRowCount(), 3u);
}

TEST_F(HexEditWindow, GivesATakenOverWindowItsOwnProcedureBack)
{
    HWND hEdit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 210, 200, 100,
                                   m_hwndParent, reinterpret_cast<HMENU>(106), ModuleInstance(), nullptr);
    ASSERT_NE(hEdit, nullptr);
    const LONG_PTR lOriginal = ::GetWindowLongPtrA(hEdit, GWLP_WNDPROC);
    {
        CHexEditBase edit;
        ASSERT_TRUE(edit.SubclassDlgItem(106, m_hwndParent));
        EXPECT_EQ(CWnd::FromHandle(hEdit), &edit);
        EXPECT_EQ(::SendMessageA(hEdit, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
        // A window is taken over once only.
        CHexEditBase second;
        EXPECT_FALSE(second.SubclassDlgItem(106, m_hwndParent));
        EXPECT_EQ(edit.UnsubclassWindow(), hEdit);
    }
    EXPECT_TRUE(::IsWindow(hEdit));
    EXPECT_EQ(::GetWindowLongPtrA(hEdit, GWLP_WNDPROC), lOriginal);
    EXPECT_EQ(CWnd::FromHandle(hEdit), nullptr);
    ::DestroyWindow(hEdit);
}

// ---- context menu ----

namespace
{

// Records the menu's item states and closes it as soon as it is tracked.
class CMenuProbe : public CHexEditBase
{
public:
    UINT m_uCopyState = 0xFFFFFFFF, m_uPasteState = 0xFFFFFFFF;
    // Whether copy and paste were grayed when the menu last showed.
    std::pair<bool, bool> Grayed() const { return {m_uCopyState & MF_GRAYED, m_uPasteState & MF_GRAYED}; }

protected:
    void OnExtendContextMenu(HMENU hMenu) noexcept override
    {
        m_uCopyState = ::GetMenuState(hMenu, c_idEditCopy, MF_BYCOMMAND);
        m_uPasteState = ::GetMenuState(hMenu, c_idEditPaste, MF_BYCOMMAND);
        // The menu loop dispatches posted messages; WM_CANCELMODE ends it.
        ::PostMessageA(GetSafeHwnd(), WM_CANCELMODE, 0, 0);
    }
};

} // namespace

TEST_F(HexEditWindow, OffersCopyOnlyWithASelectionAndPasteOnlyForBinaryData)
{
    CMenuProbe probe;
    ASSERT_TRUE(probe.Create("", WS_CHILD | WS_VISIBLE | ES_MULTILINE, RECT{0, 210, 300, 330}, m_hwndParent, 103));
    probe.SetData(m_data.data(), 64, true);
    probe.SetBytesPerRow(8, false, true);
    PutOnClipboard(m_hwndParent, 0);
    probe.SetSelection(0, 3, false, true);
    const HWND hProbe = probe.GetSafeHwnd();

    // Right-click outside the selection, on byte 20's second digit: the selection goes, the
    // caret moves there.
    POINT ptByte20 = ::DigitPoint(probe, 20);
    ptByte20.x += static_cast<int>(probe.Model().GetCharWidth());
    ::ClientToScreen(hProbe, &ptByte20);
    ::SendMessageA(hProbe, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hProbe), MAKELPARAM(ptByte20.x, ptByte20.y));
    EXPECT_EQ(std::tuple(probe.HasSelection(), probe.GetCaretPos(), probe.IsCaretHighNibble()),
              std::tuple(false, 20u, true));
    EXPECT_EQ(probe.Grayed(), std::pair(true, true));

    // From the keyboard, with a selection and binary data on the clipboard.
    PutOnClipboard(m_hwndParent, CHexEditBase::BinaryClipboardFormat(), BinaryPayload({1}, 1));
    probe.SetSelection(1, 2, false, true);
    ::SendMessageA(hProbe, WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    EXPECT_TRUE(probe.HasSelection());
    EXPECT_EQ(probe.Grayed(), std::pair(false, false));

    probe.SetReadOnly(true, false);
    ::SendMessageA(hProbe, WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    EXPECT_TRUE(probe.m_uPasteState & MF_GRAYED);
    Pump();
}

// ---- the other ways to get a control ----

TEST(HexEditClasses, RegistersBothWindowClassesWithDoubleClicks)
{
    CHexEditBase edit;
    for (const char* pszClass : {c_szHexEditClass, c_szHexEditSelfCreatingClass})
    {
        WNDCLASSEXA wc{sizeof(wc)};
        ASSERT_TRUE(::GetClassInfoExA(ModuleInstance(), pszClass, &wc)) << pszClass;
        EXPECT_EQ(wc.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    }
}

TEST_F(HexEditWindow, BuildsItsOwnObjectForTheSelfCreatingClass)
{
    HWND hWnd = ::CreateWindowExA(0, c_szHexEditSelfCreatingClass, "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 210,
                                  200, 100, m_hwndParent, reinterpret_cast<HMENU>(104), ModuleInstance(), nullptr);
    ASSERT_NE(hWnd, nullptr);
    auto* pEdit = dynamic_cast<CHexEditBase*>(CWnd::FromHandle(hWnd));
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(::SendMessageA(hWnd, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
    const BYTE bytes[3] = {0, 0, 0};
    pEdit->SetData(bytes, 3, true);
    ::SetFocus(hWnd);
    PressKeys(hWnd, {'C'});
    EXPECT_EQ(pEdit->Model().GetDataPtr()[0], 0xC0);
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(LOWORD(g_commands[0].wParam), 104);
    ::DestroyWindow(hWnd);
    EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
}

TEST_F(HexEditWindow, LeavesAWindowOfItsClassMadeByOthersToTheDefaultProcedure)
{
    HWND hWnd = ::CreateWindowExA(0, c_szHexEditClass, "plain", WS_CHILD, 0, 0, 10, 10, m_hwndParent, nullptr,
                                  ModuleInstance(), nullptr);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
    EXPECT_EQ(test::WindowText(hWnd), "plain");
    ::DestroyWindow(hWnd);
}

namespace
{

std::vector<WORD> g_dialogCommands;

INT_PTR CALLBACK RecordingDialogProc(HWND, UINT uMsg, WPARAM wParam, LPARAM) noexcept
{
    if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        g_dialogCommands.push_back(LOWORD(wParam));
    return uMsg == WM_INITDIALOG;
}

} // namespace

TEST(HexEditDialog, KeepsEnterAndEscapeButPassesTabOn)
{
    // The binary value dialog's template: its multi-line field, then OK in the tab order.
    HWND hDlg = ::CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_EDIT_BINARY), nullptr,
                                     &RecordingDialogProc, 0);
    ASSERT_NE(hDlg, nullptr);
    ::ShowWindow(hDlg, SW_SHOW);
    g_dialogCommands.clear();
    {
        CHexEditBase edit;
        ASSERT_TRUE(edit.SubclassDlgItem(IDC_VALUE_EDIT, hDlg));
        const BYTE bytes[4] = {0, 0, 0, 0};
        edit.SetData(bytes, 4, true);
        edit.SetBytesPerRow(8, false, true);
        ::SetForegroundWindow(hDlg);
        ::SetFocus(edit.GetSafeHwnd());
        HWND hEdit = edit.GetSafeHwnd();

        PressKeys(hEdit, {VK_RETURN, VK_ESCAPE, 'B'}, {}, hDlg);
        EXPECT_EQ(std::tuple(g_dialogCommands.size(), edit.Model().GetDataPtr()[0], ::GetFocus()),
                  std::tuple(size_t{0}, BYTE{0xB0}, hEdit));

        PressKeys(hEdit, {VK_TAB}, {}, hDlg);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(hDlg, IDOK));
        ::DestroyWindow(hDlg);
        // The dialog took its child with it; the object let go of the window.
        EXPECT_EQ(edit.GetSafeHwnd(), nullptr);
    }
    Pump();
}

TEST_F(HexEditWindow, FillsTheViewWithTheControlAndFollowsItsSize)
{
    CHexEditBaseView view;
    ASSERT_TRUE(view.Create(WS_CHILD | WS_VISIBLE, RECT{0, 210, 200, 360}, m_hwndParent, 300));
    HWND hEdit = view.GetHexEdit().GetSafeHwnd();
    ASSERT_NE(hEdit, nullptr);
    EXPECT_EQ(std::pair(::GetParent(hEdit), ::GetDlgCtrlID(hEdit)), std::pair(view.GetSafeHwnd(), 256));
    EXPECT_TRUE(::GetWindowLongA(hEdit, GWL_STYLE) & ES_MULTILINE);
    const auto expectSize = [&](LONG cx, LONG cy) {
        RECT rc;
        ::GetWindowRect(hEdit, &rc);
        EXPECT_EQ(std::pair(rc.right - rc.left, rc.bottom - rc.top), std::pair(cx, cy));
    };
    expectSize(200, 150);
    ::MoveWindow(view.GetSafeHwnd(), 0, 210, 260, 120, TRUE);
    expectSize(260, 120);
    // Focus given to the view lands in the control.
    ::SetFocus(view.GetSafeHwnd());
    EXPECT_EQ(::GetFocus(), hEdit);
}
