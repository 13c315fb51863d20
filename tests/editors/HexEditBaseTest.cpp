// The hex edit control as a real window under Xvfb: keys and characters through the message
// queue, the mouse, the wheel, fonts, notifications, the clipboard formats, the selection colours
// on painted pixels, the self-creating class, a taken-over dialog edit control and the view.
#include "editors/HexEditBase.h"
#include "editors/HexEditBaseView.h"
#include "core/Module.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <numeric>
#include <string>
#include <vector>

using namespace corvasin;

namespace
{

constexpr UINT c_idEdit = 100;
constexpr UINT c_idOther = 101;
constexpr char c_szParentClass[] = "CorvasinHexTestParent";

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

void RegisterParentClass()
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExA(ModuleInstance(), c_szParentClass, &wc))
        return;
    wc.lpfnWndProc = &ParentProc;
    wc.hInstance = ModuleInstance();
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = c_szParentClass;
    ::RegisterClassExA(&wc);
}

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Runs the message loop for a while, timers included.
void PumpFor(DWORD dwMilliseconds)
{
    const DWORD dwStart = ::GetTickCount();
    while (::GetTickCount() - dwStart < dwMilliseconds)
    {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Pump();
    }
}

// A key press as the keyboard would queue it; TranslateMessage makes the character.
void PostKey(HWND hWnd, UINT vk)
{
    const LPARAM lScan = static_cast<LPARAM>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageA(hWnd, WM_KEYDOWN, vk, lScan | 1);
    ::PostMessageA(hWnd, WM_KEYUP, vk, lScan | 1 | 0xC0000000);
}

// Holds modifier keys down in the thread's key state, which GetKeyState reads.
class HeldKeys
{
public:
    HeldKeys(std::initializer_list<int> keys)
    {
        ::GetKeyboardState(m_saved);
        BYTE state[256];
        std::memcpy(state, m_saved, sizeof(state));
        for (int vk : keys)
            state[vk] = 0x80;
        ::SetKeyboardState(state);
    }
    ~HeldKeys() { ::SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

LPARAM ClientPointParam(int x, int y)
{
    return MAKELPARAM(x, y);
}

// Renders a window's client area into a 32-bit bitmap and reads one pixel.
COLORREF PrintedPixel(HWND hWnd, POINT pt)
{
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    HDC hdcScreen = ::GetDC(nullptr);
    UniqueHdc dc(::CreateCompatibleDC(hdcScreen));
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = rc.right;
    bmi.bmiHeader.biHeight = -rc.bottom;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    UniqueGdiObject bitmap(::CreateDIBSection(hdcScreen, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    ::ReleaseDC(nullptr, hdcScreen);
    HGDIOBJ hOld = ::SelectObject(dc.get(), bitmap.get());
    ::SendMessageA(hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    const COLORREF cr = ::GetPixel(dc.get(), pt.x, pt.y);
    ::SelectObject(dc.get(), hOld);
    return cr;
}

void PutOnClipboard(HWND hWnd, UINT cf, const void* pData, size_t cb)
{
    ASSERT_TRUE(::OpenClipboard(hWnd));
    ::EmptyClipboard();
    if (cf)
    {
        UniqueHGlobal h(::GlobalAlloc(GMEM_MOVEABLE, cb));
        {
            corvasin::GlobalLock lock(h.get());
            std::memcpy(lock.get(), pData, cb);
        }
        if (::SetClipboardData(cf, h.get()))
            (void)h.release();
    }
    ::CloseClipboard();
}

std::vector<BYTE> BinaryPayload(std::initializer_list<BYTE> bytes, UINT nCount)
{
    std::vector<BYTE> payload;
    for (int i = 0; i < 4; ++i)
        payload.push_back(static_cast<BYTE>(nCount >> (8 * i)));
    for (BYTE b : bytes)
        payload.push_back(b);
    return payload;
}

class HexEditWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterParentClass();
        m_hwndParent = ::CreateWindowExA(0, c_szParentClass, "Hex edit test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                         10, 520, 400, nullptr, nullptr, ModuleInstance(), nullptr);
        ASSERT_NE(m_hwndParent, nullptr);
        ASSERT_TRUE(m_edit.Create("", WS_CHILD | WS_VISIBLE | ES_MULTILINE, RECT{0, 0, 300, 200}, m_hwndParent,
                                  c_idEdit));
        m_hwndOther = ::CreateWindowExA(0, "BUTTON", "Other", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 320, 10, 80, 30,
                                        m_hwndParent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(c_idOther)),
                                        ModuleInstance(), nullptr);
        m_data.resize(256);
        std::iota(m_data.begin(), m_data.end(), BYTE{0});
        m_edit.SetData(m_data.data(), static_cast<UINT>(m_data.size()), true);
        m_edit.SetBytesPerRow(8, false, true);
        ::SetForegroundWindow(m_hwndParent);
        ::SetFocus(m_edit.GetSafeHwnd());
        Pump();
        g_commands.clear();
    }

    void TearDown() override
    {
        if (m_hwndParent)
            ::DestroyWindow(m_hwndParent);
        Pump();
        g_commands.clear();
    }

    HWND Edit() const { return m_edit.GetSafeHwnd(); }

    std::vector<BYTE> Data() const
    {
        std::vector<BYTE> bytes(m_edit.GetDataLength());
        m_edit.GetData(bytes.data(), static_cast<UINT>(bytes.size()));
        return bytes;
    }

    // Client point in the gap after the given column of a visible row: inside a selection
    // rectangle but never on a glyph.
    POINT GapPoint(UINT nVisibleRow, UINT nColumn) const
    {
        const CHexEditModel& model = m_edit.Model();
        const int cx = static_cast<int>(model.GetCharWidth());
        const int cy = static_cast<int>(model.GetLineHeight());
        return POINT{model.HexLeft() + static_cast<int>(3 * nColumn + 2) * cx + cx / 2,
                     model.GetInnerRect().top + static_cast<int>(nVisibleRow) * cy + cy / 2};
    }

    // Client point on the first digit of a byte.
    POINT DigitPoint(UINT nPos) const
    {
        const CHexEditModel& model = m_edit.Model();
        const UINT nPerRow = model.GetBytesPerRow();
        const int cx = static_cast<int>(model.GetCharWidth());
        const int cy = static_cast<int>(model.GetLineHeight());
        const UINT nRow = nPos / nPerRow - model.GetTopRow();
        return POINT{model.HexLeft() + static_cast<int>(3 * (nPos % nPerRow)) * cx + 1,
                     model.GetInnerRect().top + static_cast<int>(nRow) * cy + cy / 2};
    }

    HWND m_hwndParent = nullptr;
    HWND m_hwndOther = nullptr;
    CHexEditBase m_edit;
    std::vector<BYTE> m_data;
};

} // namespace

// ---- keyboard ----

TEST_F(HexEditWindow, OverwritesNibblesWithTypedCharactersAndTellsTheParent)
{
    PostKey(Edit(), 'A');
    PostKey(Edit(), '5');
    Pump();
    EXPECT_EQ(Data()[0], 0xA5);
    EXPECT_EQ(Data()[1], 0x01);
    EXPECT_EQ(m_edit.GetCaretPos(), 1u);
    EXPECT_TRUE(m_edit.IsCaretHighNibble());
    ASSERT_EQ(g_commands.size(), 2u);
    for (const Command& command : g_commands)
    {
        EXPECT_EQ(LOWORD(command.wParam), c_idEdit);
        EXPECT_EQ(HIWORD(command.wParam), EN_CHANGE);
        EXPECT_EQ(reinterpret_cast<HWND>(command.lParam), Edit());
    }
}

TEST_F(HexEditWindow, MovesTheCaretWithKeysFromTheQueue)
{
    PostKey(Edit(), VK_END);
    PostKey(Edit(), VK_RIGHT);
    Pump();
    EXPECT_EQ(m_edit.GetCaretPos(), 255u);
    EXPECT_FALSE(m_edit.IsCaretHighNibble());
    EXPECT_GT(m_edit.GetTopRow(), 0u);
    PostKey(Edit(), VK_HOME);
    Pump();
    EXPECT_EQ(m_edit.GetCaretPos(), 0u);
    EXPECT_EQ(m_edit.GetTopRow(), 0u);
}

TEST_F(HexEditWindow, PutsTheSystemCaretOverTheDigitItEdits)
{
    PostKey(Edit(), VK_DOWN);
    PostKey(Edit(), VK_RIGHT);
    Pump();
    const CHexEditModel& model = m_edit.Model();
    POINT pt{};
    ASSERT_TRUE(::GetCaretPos(&pt));
    EXPECT_EQ(pt.x, model.HexLeft() + static_cast<int>(model.GetCharWidth()));
    EXPECT_EQ(pt.y, model.GetInnerRect().top + static_cast<int>(model.GetLineHeight()) + 1);
}

TEST_F(HexEditWindow, SelectsWithShiftAndArrowKeys)
{
    {
        HeldKeys shift{VK_SHIFT};
        for (int i = 0; i < 4; ++i)
            PostKey(Edit(), VK_RIGHT);
        Pump();
    }
    ASSERT_TRUE(m_edit.HasSelection());
    EXPECT_EQ(m_edit.GetSelectionBegin(), 0u);
    EXPECT_EQ(m_edit.GetSelectionEnd(), 2u);
    PostKey(Edit(), VK_RIGHT);
    Pump();
    EXPECT_FALSE(m_edit.HasSelection());
}

TEST_F(HexEditWindow, IgnoresEnterEscapeDeleteAndBackspace)
{
    for (UINT vk : {VK_RETURN, VK_ESCAPE, VK_DELETE, VK_BACK, VK_INSERT})
        PostKey(Edit(), vk);
    Pump();
    EXPECT_EQ(Data(), m_data);
    EXPECT_EQ(m_edit.GetCaretPos(), 0u);
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(HexEditWindow, RefusesTypingWhenReadOnly)
{
    m_edit.SetReadOnly(true, true);
    PostKey(Edit(), 'F');
    Pump();
    EXPECT_EQ(Data()[0], 0x00);
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(HexEditWindow, SelectsAllWithCtrlA)
{
    {
        HeldKeys ctrl{VK_CONTROL};
        PostKey(Edit(), 'A');
        Pump();
    }
    EXPECT_EQ(m_edit.GetSelectionBegin(), 0u);
    EXPECT_EQ(m_edit.GetSelectionEnd(), 255u);
    // Ctrl+A is a shortcut, not the digit A.
    EXPECT_EQ(Data()[0], 0x00);
}

TEST_F(HexEditWindow, AsksTheDialogManagerForEveryKey)
{
    EXPECT_EQ(::SendMessageA(Edit(), WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
}

// ---- wheel and scroll bars ----

TEST_F(HexEditWindow, ScrollsOneRowPerWheelNotchAndIgnoresPartialNotches)
{
    const auto wheel = [&](short nDelta) {
        return ::SendMessageA(Edit(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(nDelta)), 0);
    };
    EXPECT_EQ(wheel(-120), 0);
    EXPECT_EQ(m_edit.GetTopRow(), 1u);
    wheel(-60);
    EXPECT_EQ(m_edit.GetTopRow(), 1u);
    wheel(-360);
    EXPECT_EQ(m_edit.GetTopRow(), 4u);
    wheel(120);
    EXPECT_EQ(m_edit.GetTopRow(), 3u);
    wheel(32000);
    EXPECT_EQ(m_edit.GetTopRow(), 0u);
}

TEST_F(HexEditWindow, ShowsAVerticalScrollBarWithOnePagePerFullRows)
{
    Pump();
    ASSERT_TRUE(::GetWindowLongA(Edit(), GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(::GetScrollInfo(Edit(), SB_VERT, &si));
    const CHexEditModel& model = m_edit.Model();
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(static_cast<UINT>(si.nMax), model.GetMaxTopRow() + model.GetFullRows() - 1);
    EXPECT_EQ(si.nPage, model.GetFullRows());

    ::SendMessageA(Edit(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(m_edit.GetTopRow(), model.GetFullRows());
    ASSERT_TRUE(::GetScrollInfo(Edit(), SB_VERT, &si));
    EXPECT_EQ(static_cast<UINT>(si.nPos), m_edit.GetTopRow());
    ::SendMessageA(Edit(), WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(m_edit.GetTopRow(), model.GetFullRows() - 1);
}

TEST_F(HexEditWindow, HidesTheScrollBarWhenAllRowsFit)
{
    const BYTE bytes[4] = {1, 2, 3, 4};
    m_edit.SetData(bytes, 4, true);
    ::SendMessageA(Edit(), WM_SIZE, 0, MAKELPARAM(300, 200));
    Pump();
    EXPECT_FALSE(::GetWindowLongA(Edit(), GWL_STYLE) & WS_VSCROLL);
}

// ---- fonts ----

TEST_F(HexEditWindow, IgnoresAProportionalFont)
{
    const LRESULT lBefore = ::SendMessageA(Edit(), WM_GETFONT, 0, 0);
    ASSERT_NE(lBefore, 0);
    UniqueGdiObject font(::CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                                       VARIABLE_PITCH | FF_SWISS, "Arial"));
    ::SendMessageA(Edit(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    EXPECT_EQ(::SendMessageA(Edit(), WM_GETFONT, 0, 0), lBefore);
    ::SendMessageA(Edit(), WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    EXPECT_EQ(::SendMessageA(Edit(), WM_GETFONT, 0, 0), lBefore);
}

TEST_F(HexEditWindow, KeepsItsOwnCopyOfAFixedPitchFont)
{
    HFONT hFixed = ::CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN,
                                 "Courier New");
    ASSERT_NE(hFixed, nullptr);
    ::SendMessageA(Edit(), WM_SETFONT, reinterpret_cast<WPARAM>(hFixed), TRUE);
    const HFONT hKept = reinterpret_cast<HFONT>(::SendMessageA(Edit(), WM_GETFONT, 0, 0));
    EXPECT_NE(hKept, hFixed);
    // The sender may delete its font: the control still lays out and paints with its copy.
    ::DeleteObject(hFixed);
    LOGFONTA lf{};
    ASSERT_EQ(::GetObjectA(hKept, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, -20);
    EXPECT_STREQ(lf.lfFaceName, "Courier New");
    PrintedPixel(Edit(), POINT{1, 1});
    EXPECT_GE(m_edit.Model().GetLineHeight(), 18u);
}

// ---- clipboard ----

TEST_F(HexEditWindow, CopiesTextAndBinaryDataWithCtrlC)
{
    m_edit.SetSelection(2, 5, true, true);
    {
        HeldKeys ctrl{VK_CONTROL};
        PostKey(Edit(), 'C');
        Pump();
    }
    ASSERT_TRUE(::OpenClipboard(m_hwndParent));
    HGLOBAL hText = ::GetClipboardData(CF_TEXT);
    ASSERT_NE(hText, nullptr);
    {
        corvasin::GlobalLock lock(hText);
        EXPECT_STREQ(lock.as<const char>(), "02 03 04 05\n");
    }
    HGLOBAL hBinary = ::GetClipboardData(CHexEditBase::BinaryClipboardFormat());
    ASSERT_NE(hBinary, nullptr);
    {
        corvasin::GlobalLock lock(hBinary);
        ASSERT_GE(::GlobalSize(hBinary), 8u);
        const BYTE* p = lock.as<const BYTE>();
        const BYTE expected[8] = {4, 0, 0, 0, 2, 3, 4, 5};
        EXPECT_EQ(std::memcmp(p, expected, 8), 0);
    }
    ::CloseClipboard();
}

TEST_F(HexEditWindow, PastesBinaryDataOnlyUpToTheEndOfTheData)
{
    const std::vector<BYTE> payload =
        BinaryPayload({0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, 10);
    PutOnClipboard(m_hwndParent, CHexEditBase::BinaryClipboardFormat(), payload.data(), payload.size());
    m_edit.SetEditCaretPos(253, true);
    {
        HeldKeys ctrl{VK_CONTROL};
        PostKey(Edit(), 'V');
        Pump();
    }
    const std::vector<BYTE> data = Data();
    ASSERT_EQ(data.size(), 256u);
    EXPECT_EQ(data[252], 252);
    EXPECT_EQ(data[253], 0xEE);
    EXPECT_EQ(data[255], 0xEE);
    EXPECT_EQ(m_edit.GetSelectionBegin(), 253u);
    EXPECT_EQ(m_edit.GetSelectionEnd(), 255u);
    EXPECT_EQ(m_edit.GetCaretPos(), 255u);
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(HIWORD(g_commands[0].wParam), EN_CHANGE);
}

TEST_F(HexEditWindow, NeverPastesText)
{
    const char szText[] = "FF FF FF";
    PutOnClipboard(m_hwndParent, CF_TEXT, szText, sizeof(szText));
    ::SendMessageA(Edit(), WM_COMMAND, c_idEditPaste, 0);
    EXPECT_EQ(Data(), m_data);
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(HexEditWindow, ReadsNoFurtherThanTheClipboardBlockWhateverItsCountSays)
{
    const std::vector<BYTE> payload = BinaryPayload({0xAB, 0xCD}, 100000);
    PutOnClipboard(m_hwndParent, CHexEditBase::BinaryClipboardFormat(), payload.data(), payload.size());
    ::SendMessageA(Edit(), WM_COMMAND, c_idEditPaste, 0);
    const std::vector<BYTE> data = Data();
    ASSERT_EQ(data.size(), 256u);
    EXPECT_EQ(data[0], 0xAB);
    EXPECT_EQ(data[1], 0xCD);
    // Whatever the block's rounding adds, the paste ends with the block, far from 100000 bytes.
    EXPECT_LT(m_edit.GetSelectionEnd(), 16u);
    EXPECT_TRUE(std::equal(data.begin() + 16, data.end(), m_data.begin() + 16));
}

// ---- painting ----

TEST_F(HexEditWindow, PaintsTheBackgroundAndTheHexColumn)
{
    EXPECT_EQ(PrintedPixel(Edit(), POINT{2, 2}), RGB(210, 210, 210));
    EXPECT_EQ(PrintedPixel(Edit(), GapPoint(0, 0)), RGB(180, 210, 190));
}

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
    EXPECT_EQ(PrintedPixel(Edit(), GapPoint(1, 5)), RGB(180, 210, 190));
}

TEST_F(HexEditWindow, PaintsThroughWmPaintInOneCopy)
{
    m_edit.SetSelection(0, 0, false, true);
    ::RedrawWindow(Edit(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC hdc = ::GetDC(Edit());
    const COLORREF cr = ::GetPixel(hdc, 2, 2);
    ::ReleaseDC(Edit(), hdc);
    EXPECT_EQ(cr, RGB(210, 210, 210));
}

TEST_F(HexEditWindow, HidesASingleLineSelectionWithoutTheFocus)
{
    CHexEditBase line;
    ASSERT_TRUE(line.Create("", WS_CHILD | WS_VISIBLE, RECT{0, 250, 300, 280}, m_hwndParent, 102));
    const BYTE bytes[6] = {1, 2, 3, 4, 5, 6};
    line.SetData(bytes, 6, true);
    line.SetSelection(0, 3, false, true);
    const CHexEditModel& model = line.Model();
    const int cx = static_cast<int>(model.GetCharWidth());
    const POINT pt{model.HexLeft() + 2 * cx + cx / 2, static_cast<int>(model.GetLineHeight()) / 2};
    EXPECT_EQ(model.GetBytesPerRow(), 6u);
    EXPECT_EQ(PrintedPixel(line.GetSafeHwnd(), pt), RGB(180, 210, 190));
    ::SetFocus(line.GetSafeHwnd());
    EXPECT_EQ(PrintedPixel(line.GetSafeHwnd(), pt), ::GetSysColor(COLOR_HIGHLIGHT));
}

// ---- mouse ----

TEST_F(HexEditWindow, SelectsOneByteOnDoubleClick)
{
    const POINT pt = DigitPoint(9);
    ::SendMessageA(Edit(), WM_LBUTTONDBLCLK, MK_LBUTTON, ClientPointParam(pt.x, pt.y));
    EXPECT_EQ(m_edit.GetSelectionBegin(), 9u);
    EXPECT_EQ(m_edit.GetSelectionEnd(), 9u);
}

TEST_F(HexEditWindow, SelectsByDraggingFromTheAnchor)
{
    const POINT ptFrom = DigitPoint(20);
    const POINT ptTo = DigitPoint(3);
    ::SendMessageA(Edit(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPointParam(ptFrom.x, ptFrom.y));
    EXPECT_EQ(::GetCapture(), Edit());
    EXPECT_EQ(m_edit.GetCaretPos(), 20u);
    ::SendMessageA(Edit(), WM_MOUSEMOVE, MK_LBUTTON, ClientPointParam(ptTo.x, ptTo.y));
    EXPECT_EQ(m_edit.GetSelectionBegin(), 3u);
    EXPECT_EQ(m_edit.GetSelectionEnd(), 20u);
    ::SendMessageA(Edit(), WM_LBUTTONUP, 0, ClientPointParam(ptTo.x, ptTo.y));
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(HexEditWindow, IgnoresSmallMovesWithinTheDoubleClickRectangle)
{
    const POINT pt = DigitPoint(0);
    ::SendMessageA(Edit(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPointParam(pt.x, pt.y));
    ::SendMessageA(Edit(), WM_MOUSEMOVE, MK_LBUTTON, ClientPointParam(pt.x + 1, pt.y));
    EXPECT_FALSE(m_edit.HasSelection());
    ::SendMessageA(Edit(), WM_LBUTTONUP, 0, ClientPointParam(pt.x + 1, pt.y));
}

TEST_F(HexEditWindow, AutoScrollsWhileTheDragIsBelowTheView)
{
    const POINT pt = DigitPoint(0);
    ::SendMessageA(Edit(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPointParam(pt.x, pt.y));
    ::SendMessageA(Edit(), WM_MOUSEMOVE, MK_LBUTTON, ClientPointParam(pt.x, 200 + 40));
    const UINT nTopBefore = m_edit.GetTopRow();
    PumpFor(150);
    const UINT nTopAfter = m_edit.GetTopRow();
    EXPECT_GT(nTopAfter, nTopBefore);
    EXPECT_EQ(m_edit.GetSelectionBegin(), 0u);
    EXPECT_GE(m_edit.GetSelectionEnd(), (nTopAfter + m_edit.Model().GetFullRows()) * 8 - 8);
    ::SendMessageA(Edit(), WM_LBUTTONUP, 0, ClientPointParam(pt.x, 240));
    const UINT nTopStopped = m_edit.GetTopRow();
    PumpFor(60);
    EXPECT_EQ(m_edit.GetTopRow(), nTopStopped);
}

// ---- layout against the window ----

TEST_F(HexEditWindow, FollowsTheWindowWidthWithAutomaticRowWidths)
{
    m_edit.SetBytesPerRow(8, true, true);
    const UINT nWide = m_edit.Model().GetBytesPerRow();
    ::MoveWindow(Edit(), 0, 0, 150, 200, TRUE);
    const UINT nNarrow = m_edit.Model().GetBytesPerRow();
    EXPECT_LT(nNarrow, nWide);
    // Whatever the font, the row still fits into the inner width.
    const CHexEditModel& model = m_edit.Model();
    const RECT& rc = model.GetInnerRect();
    EXPECT_LE(static_cast<LONG>(model.GetHexWidth()), rc.right - rc.left);
}

TEST_F(HexEditWindow, ScrollsSidewaysByCharactersAndPages)
{
    m_edit.SetShowAscii(true, true);
    ::MoveWindow(Edit(), 0, 0, 120, 200, TRUE);
    Pump();
    const CHexEditModel& model = m_edit.Model();
    ASSERT_GT(model.GetMaxScrollOffset(), 0u);
    EXPECT_TRUE(::GetWindowLongA(Edit(), GWL_STYLE) & WS_HSCROLL);
    ::SendMessageA(Edit(), WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(model.GetScrollOffset(), model.GetCharWidth());
    ::SendMessageA(Edit(), WM_HSCROLL, SB_PAGERIGHT, 0);
    ::SendMessageA(Edit(), WM_HSCROLL, SB_PAGERIGHT, 0);
    ::SendMessageA(Edit(), WM_HSCROLL, SB_PAGERIGHT, 0);
    EXPECT_EQ(model.GetScrollOffset(), model.GetMaxScrollOffset());
    ::SendMessageA(Edit(), WM_HSCROLL, SB_PAGELEFT, 0);
    ::SendMessageA(Edit(), WM_HSCROLL, SB_PAGELEFT, 0);
    ::SendMessageA(Edit(), WM_HSCROLL, SB_PAGELEFT, 0);
    EXPECT_EQ(model.GetScrollOffset(), 0u);
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
    UINT m_uCopyState = 0xFFFFFFFF;
    UINT m_uPasteState = 0xFFFFFFFF;

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
    PutOnClipboard(m_hwndParent, 0, nullptr, 0);
    probe.SetSelection(0, 3, false, true);

    // Right-click outside the selection: it goes, the caret moves there.
    RECT rc;
    ::GetWindowRect(probe.GetSafeHwnd(), &rc);
    const CHexEditModel& model = probe.Model();
    const int cx = static_cast<int>(model.GetCharWidth());
    const int cy = static_cast<int>(model.GetLineHeight());
    POINT ptByte20{model.HexLeft() + 3 * 4 * cx + cx + 1, model.GetInnerRect().top + 2 * cy + cy / 2};
    ::ClientToScreen(probe.GetSafeHwnd(), &ptByte20);
    ::SendMessageA(probe.GetSafeHwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(probe.GetSafeHwnd()),
                   MAKELPARAM(ptByte20.x, ptByte20.y));
    EXPECT_FALSE(probe.HasSelection());
    EXPECT_EQ(probe.GetCaretPos(), 20u);
    EXPECT_TRUE(probe.IsCaretHighNibble());
    EXPECT_TRUE(probe.m_uCopyState & MF_GRAYED);
    EXPECT_TRUE(probe.m_uPasteState & MF_GRAYED);

    // From the keyboard, with a selection and binary data on the clipboard.
    const std::vector<BYTE> payload = BinaryPayload({1}, 1);
    PutOnClipboard(m_hwndParent, CHexEditBase::BinaryClipboardFormat(), payload.data(), payload.size());
    probe.SetSelection(1, 2, false, true);
    ::SendMessageA(probe.GetSafeHwnd(), WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    EXPECT_TRUE(probe.HasSelection());
    EXPECT_FALSE(probe.m_uCopyState & MF_GRAYED);
    EXPECT_FALSE(probe.m_uPasteState & MF_GRAYED);

    probe.SetReadOnly(true, false);
    ::SendMessageA(probe.GetSafeHwnd(), WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    EXPECT_TRUE(probe.m_uPasteState & MF_GRAYED);
    Pump();
}

// ---- the other ways to get a control ----

TEST(HexEditClasses, RegistersBothWindowClassesWithDoubleClicks)
{
    CHexEditBase edit;
    for (const char* pszClass : {c_szHexEditClass, c_szHexEditSelfCreatingClass})
    {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
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
    PostKey(hWnd, 'C');
    Pump();
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
    char szText[16] = {};
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    EXPECT_STREQ(szText, "plain");
    ::DestroyWindow(hWnd);
}

namespace
{

// An in-memory dialog template: a multi-line edit control 20000 and an OK button.
std::vector<WORD> DialogTemplate()
{
    std::vector<WORD> t;
    const auto dword = [&](DWORD dw) {
        t.push_back(LOWORD(dw));
        t.push_back(HIWORD(dw));
    };
    const auto align = [&] {
        if (t.size() % 2)
            t.push_back(0);
    };
    dword(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME);
    dword(0);
    t.push_back(2);
    for (short v : {10, 10, 200, 120})
        t.push_back(static_cast<WORD>(v));
    t.insert(t.end(), {0, 0, 0}); // no menu, default class, no title

    align();
    dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_MULTILINE);
    dword(0);
    for (short v : {5, 5, 150, 80})
        t.push_back(static_cast<WORD>(v));
    t.push_back(20000);
    t.insert(t.end(), {0xFFFF, 0x0081, 0, 0});

    align();
    dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON);
    dword(0);
    for (short v : {160, 5, 35, 14})
        t.push_back(static_cast<WORD>(v));
    t.push_back(IDOK);
    t.insert(t.end(), {0xFFFF, 0x0080, 0, 0});
    return t;
}

std::vector<WORD> g_dialogCommands;

INT_PTR CALLBACK RecordingDialogProc(HWND, UINT uMsg, WPARAM wParam, LPARAM) noexcept
{
    if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        g_dialogCommands.push_back(LOWORD(wParam));
    return uMsg == WM_INITDIALOG;
}

void PumpDialog(HWND hDlg)
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (!::IsDialogMessageA(hDlg, &msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

} // namespace

TEST(HexEditDialog, KeepsEnterAndEscapeButPassesTabOn)
{
    const std::vector<WORD> tmpl = DialogTemplate();
    HWND hDlg = ::CreateDialogIndirectParamA(ModuleInstance(), reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()),
                                             nullptr, &RecordingDialogProc, 0);
    ASSERT_NE(hDlg, nullptr);
    g_dialogCommands.clear();
    {
        CHexEditBase edit;
        ASSERT_TRUE(edit.SubclassDlgItem(20000, hDlg));
        const BYTE bytes[4] = {0, 0, 0, 0};
        edit.SetData(bytes, 4, true);
        edit.SetBytesPerRow(8, false, true);
        ::SetForegroundWindow(hDlg);
        ::SetFocus(edit.GetSafeHwnd());
        HWND hEdit = edit.GetSafeHwnd();

        PostKey(hEdit, VK_RETURN);
        PostKey(hEdit, VK_ESCAPE);
        PostKey(hEdit, 'B');
        PumpDialog(hDlg);
        EXPECT_TRUE(g_dialogCommands.empty());
        EXPECT_EQ(edit.Model().GetDataPtr()[0], 0xB0);
        EXPECT_EQ(::GetFocus(), hEdit);

        PostKey(hEdit, VK_TAB);
        PumpDialog(hDlg);
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
    EXPECT_EQ(::GetParent(hEdit), view.GetSafeHwnd());
    EXPECT_EQ(::GetDlgCtrlID(hEdit), 256);
    EXPECT_TRUE(::GetWindowLongA(hEdit, GWL_STYLE) & ES_MULTILINE);
    RECT rc;
    ::GetWindowRect(hEdit, &rc);
    EXPECT_EQ(rc.right - rc.left, 200);
    EXPECT_EQ(rc.bottom - rc.top, 150);
    ::MoveWindow(view.GetSafeHwnd(), 0, 210, 260, 120, TRUE);
    ::GetWindowRect(hEdit, &rc);
    EXPECT_EQ(rc.right - rc.left, 260);
    EXPECT_EQ(rc.bottom - rc.top, 120);
    // Focus given to the view lands in the control.
    ::SetFocus(view.GetSafeHwnd());
    EXPECT_EQ(::GetFocus(), hEdit);
}
