// The hex edit control's arithmetic without a window: layout, caret moves, typing, hit tests,
// scrolling into view and the clipboard forms. Metrics are fixed (8 x 16 pixel characters) so
// every pixel value below can be worked out by hand.
#include "editors/HexEditModel.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace corvasin;

namespace
{

constexpr UINT c_cx = 8;
constexpr UINT c_cy = 16;

std::vector<BYTE> Ramp(UINT nCount)
{
    std::vector<BYTE> bytes(nCount);
    std::iota(bytes.begin(), bytes.end(), BYTE{0});
    return bytes;
}

// A multi-line model of nCount bytes 0, 1, 2... in a client area of cx x cy pixels.
CHexEditModel MakeModel(UINT nCount, int cx, int cy, UINT nBytesPerRow = 8, bool bAscii = false)
{
    CHexEditModel model;
    const std::vector<BYTE> bytes = Ramp(nCount);
    model.SetData(bytes.data(), nCount);
    model.SetBytesPerRowSetting(nBytesPerRow, false);
    model.SetShowAscii(bAscii);
    const RECT rc{0, 0, cx, cy};
    model.CalculateLayout(rc, c_cx, c_cy);
    return model;
}

BYTE ByteAt(const CHexEditModel& model, UINT nPos)
{
    return model.GetDataPtr()[nPos];
}

} // namespace

// ---- layout ----

TEST(HexEditModel, LaysOutTwentyBytesInRowsOfEightEightAndFour)
{
    CHexEditModel model = MakeModel(20, 400, 200, 8, true);
    EXPECT_EQ(model.GetBytesPerRow(), 8u);
    EXPECT_EQ(model.GetRowCount(), 3u);
    EXPECT_EQ(model.RowHexText(0), "00 01 02 03 04 05 06 07");
    EXPECT_EQ(model.RowHexText(2), "10 11 12 13");
    EXPECT_EQ(model.RowAsciiText(2).size(), 4u);
    EXPECT_EQ(model.RowHexText(3), "");
}

TEST(HexEditModel, PlacesTheCharacterColumnAfterTheHexColumnAndItsGap)
{
    CHexEditModel model = MakeModel(20, 400, 200, 8, true);
    // 8 bytes: 23 characters of digits and spaces, then the 5-pixel gap.
    EXPECT_EQ(model.GetHexColumnSpan(), 23u * c_cx + 5);
    EXPECT_EQ(model.GetAsciiX(), 23u * c_cx + 5);
    EXPECT_EQ(model.GetAsciiWidth(), 8u * c_cx);

    model.SetShowAscii(false);
    model.CalculateLayout(RECT{0, 0, 400, 200}, c_cx, c_cy);
    EXPECT_EQ(model.GetAsciiX(), 0u);
    EXPECT_EQ(model.GetAsciiWidth(), 0u);
}

TEST(HexEditModel, ShowsUnprintableBytesAsFullStops)
{
    CHexEditModel model;
    const BYTE bytes[] = {'A', 0x00, 0x7F, 0x1F, ' ', '~', 0xC4};
    model.SetData(bytes, sizeof(bytes));
    model.CalculateLayout(RECT{0, 0, 400, 200}, c_cx, c_cy);
    EXPECT_EQ(model.RowAsciiText(0), "A... ~.");
}

TEST(HexEditModel, ShrinksTheInnerRectangleByTheMarginAndCountsAPartialRow)
{
    CHexEditModel model = MakeModel(100, 200, 100);
    const RECT& rc = model.GetInnerRect();
    EXPECT_EQ(rc.left, 5);
    EXPECT_EQ(rc.top, 5);
    EXPECT_EQ(rc.right, 195);
    EXPECT_EQ(rc.bottom, 95);
    // 90 pixels: five full rows of 16 and 10 pixels of a sixth.
    EXPECT_EQ(model.GetFullRows(), 5u);
    EXPECT_EQ(model.GetVisibleRows(), 6u);
    EXPECT_EQ(model.GetLastRowHeight(), 10u);
}

TEST(HexEditModel, GivesTheLastRowAFullLineWhenRowsFitExactly)
{
    CHexEditModel model = MakeModel(100, 200, 6 * 16 + 10);
    EXPECT_EQ(model.GetFullRows(), 6u);
    EXPECT_EQ(model.GetVisibleRows(), 6u);
    EXPECT_EQ(model.GetLastRowHeight(), c_cy);
}

TEST(HexEditModel, NeverLetsTheInnerRectangleTurnInsideOut)
{
    CHexEditModel model = MakeModel(100, 6, 4);
    const RECT& rc = model.GetInnerRect();
    EXPECT_EQ(rc.right, rc.left);
    EXPECT_EQ(rc.bottom, rc.top);
    EXPECT_EQ(model.GetVisibleRows(), 0u);
}

TEST(HexEditModel, FitsAsManyBytesAsTheWidthAllowsInAutomaticMode)
{
    CHexEditModel model = MakeModel(100, 200, 100);
    model.SetBytesPerRowSetting(16, true);
    // Inner width 190: 8 bytes need 23 x 8 = 184 pixels, 9 would need 208.
    model.CalculateLayout(RECT{0, 0, 200, 100}, c_cx, c_cy);
    EXPECT_EQ(model.GetBytesPerRow(), 8u);
    // Inner width 183 is one pixel short of 8 bytes.
    model.CalculateLayout(RECT{0, 0, 193, 100}, c_cx, c_cy);
    EXPECT_EQ(model.GetBytesPerRow(), 7u);
}

TEST(HexEditModel, CountsTheCharacterColumnInAutomaticWidths)
{
    CHexEditModel model = MakeModel(100, 200, 100, 16, true);
    model.SetBytesPerRowSetting(16, true);
    // 6 bytes: 17 x 8 + 5 + 6 x 8 = 189 pixels fit into 190; 7 bytes need 221.
    model.CalculateLayout(RECT{0, 0, 200, 100}, c_cx, c_cy);
    EXPECT_EQ(model.GetBytesPerRow(), 6u);
    model.CalculateLayout(RECT{0, 0, 198, 100}, c_cx, c_cy);
    EXPECT_EQ(model.GetBytesPerRow(), 5u);
}

TEST(HexEditModel, KeepsAtLeastOneByteInARowOfATinyWindow)
{
    CHexEditModel model = MakeModel(10, 3, 100, 16, true);
    model.SetBytesPerRowSetting(16, true);
    model.CalculateLayout(RECT{0, 0, 3, 100}, c_cx, c_cy);
    EXPECT_EQ(model.GetBytesPerRow(), 1u);
}

TEST(HexEditModel, PutsAllBytesOnOneLineWithoutMarginsInSingleLineMode)
{
    CHexEditModel model;
    const std::vector<BYTE> bytes = Ramp(12);
    model.SetData(bytes.data(), 12);
    model.SetMultiLine(false);
    model.CalculateLayout(RECT{0, 0, 100, 20}, c_cx, c_cy);
    EXPECT_EQ(model.GetBytesPerRow(), 12u);
    EXPECT_EQ(model.GetInnerRect().left, 0);
    EXPECT_EQ(model.GetMaxTopRow(), 0u);
    // 35 characters of 8 pixels against 100.
    EXPECT_EQ(model.GetMaxScrollOffset(), 35u * c_cx - 100);
}

TEST(HexEditModel, LimitsTheTopRowSoTheLastRowEndsTheView)
{
    // 100 bytes: 13 rows of 8; 90 pixels hold 5 full rows.
    CHexEditModel model = MakeModel(100, 200, 100);
    EXPECT_EQ(model.GetMaxTopRow(), 8u);
    EXPECT_TRUE(model.SetTopRow(50));
    EXPECT_EQ(model.GetTopRow(), 8u);
    // Growing the window lowers the top row with the maximum.
    model.CalculateLayout(RECT{0, 0, 200, 10 + 16 * 10}, c_cx, c_cy);
    EXPECT_EQ(model.GetTopRow(), 3u);
}

TEST(HexEditModel, StopsRowAndPixelStepsAtZero)
{
    CHexEditModel model = MakeModel(100, 100, 100);
    model.SetTopRow(2);
    model.ScrollRows(-5);
    EXPECT_EQ(model.GetTopRow(), 0u);
    model.SetScrollOffset(8);
    model.ScrollPixels(-100);
    EXPECT_EQ(model.GetScrollOffset(), 0u);
}

// ---- caret moves ----

TEST(HexEditModel, KeepsTheCaretOnTheFirstNibbleWhenMovingLeftFromByteZero)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    EXPECT_TRUE(model.KeyDown(VK_LEFT, false));
    EXPECT_EQ(model.GetCaretPos(), 0u);
    EXPECT_TRUE(model.IsHighNibble());
}

TEST(HexEditModel, StaysOnTheLastLowNibbleWhenMovingRightFromTheEnd)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    model.KeyDown(VK_END, false);
    EXPECT_EQ(model.GetCaretPos(), 19u);
    EXPECT_FALSE(model.IsHighNibble());
    model.KeyDown(VK_RIGHT, false);
    EXPECT_EQ(model.GetCaretPos(), 19u);
    EXPECT_FALSE(model.IsHighNibble());
}

TEST(HexEditModel, StepsThroughBothNibblesOfEachByte)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    model.KeyDown(VK_RIGHT, false);
    EXPECT_EQ(model.GetCaretPos(), 0u);
    EXPECT_FALSE(model.IsHighNibble());
    model.KeyDown(VK_RIGHT, false);
    EXPECT_EQ(model.GetCaretPos(), 1u);
    EXPECT_TRUE(model.IsHighNibble());
    model.KeyDown(VK_LEFT, false);
    EXPECT_EQ(model.GetCaretPos(), 0u);
    EXPECT_FALSE(model.IsHighNibble());
}

TEST(HexEditModel, MovesWholeRowsUpAndDownKeepingTheNibble)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    model.SetCaret(3, false);
    model.KeyDown(VK_DOWN, false);
    EXPECT_EQ(model.GetCaretPos(), 11u);
    EXPECT_FALSE(model.IsHighNibble());
    // The third row holds only 4 bytes: moving down from column 3 of row 2 caps at the end.
    model.SetCaret(15, true);
    model.KeyDown(VK_DOWN, false);
    EXPECT_EQ(model.GetCaretPos(), 19u);
    EXPECT_FALSE(model.IsHighNibble());
    // Above row 0 the caret lands on byte 0's first digit.
    model.SetCaret(5, false);
    model.KeyDown(VK_UP, false);
    EXPECT_EQ(model.GetCaretPos(), 0u);
    EXPECT_TRUE(model.IsHighNibble());
}

TEST(HexEditModel, PagesByOneRowLessThanTheVisibleRows)
{
    // 6 visible rows (5 full and a partial one): a page is 5 rows of 8 bytes.
    CHexEditModel model = MakeModel(200, 200, 100);
    model.KeyDown(VK_NEXT, false);
    EXPECT_EQ(model.GetCaretPos(), 40u);
    model.KeyDown(VK_PRIOR, false);
    EXPECT_EQ(model.GetCaretPos(), 0u);
}

TEST(HexEditModel, IgnoresKeysThatDoNotMoveTheCaret)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    for (UINT vk : {VK_RETURN, VK_ESCAPE, VK_DELETE, VK_INSERT, VK_BACK})
        EXPECT_FALSE(model.KeyDown(vk, false));
    EXPECT_EQ(model.GetCaretPos(), 0u);
}

TEST(HexEditModel, ExtendsTheSelectionFromTheAnchorWithShift)
{
    CHexEditModel model = MakeModel(40, 400, 200);
    model.SetCaret(10, true);
    model.KeyDown(VK_DOWN, true);
    EXPECT_EQ(model.GetSelectionBegin(), 10u);
    EXPECT_EQ(model.GetSelectionEnd(), 18u);
    // Back above the anchor: the selection is ordered.
    model.KeyDown(VK_UP, true);
    model.KeyDown(VK_UP, true);
    EXPECT_EQ(model.GetSelectionBegin(), 2u);
    EXPECT_EQ(model.GetSelectionEnd(), 10u);
    // A move without Shift drops it.
    model.KeyDown(VK_RIGHT, false);
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(model.GetDragAnchor(), c_nHexNone);
}

TEST(HexEditModel, AnchorsASelectionWhenShiftIsPressedBeforeTyping)
{
    CHexEditModel model = MakeModel(8, 400, 200);
    model.SetCaret(2, true);
    EXPECT_FALSE(model.KeyDown(VK_SHIFT, true));
    EXPECT_EQ(model.GetDragAnchor(), 2u);
    // An upper-case digit typed with Shift extends from that anchor.
    model.TypeChar('B', true);
    EXPECT_EQ(model.GetSelectionBegin(), 2u);
    EXPECT_EQ(model.GetSelectionEnd(), 2u);
    model.TypeChar('c', false);
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(ByteAt(model, 2), 0xBC);
}

TEST(HexEditModel, KeepsACaretSetPastTheEndOnTheLastByte)
{
    CHexEditModel model = MakeModel(8, 400, 200);
    model.SetCaret(1000, true);
    EXPECT_EQ(model.GetCaretPos(), 7u);
    EXPECT_TRUE(model.TypeChar('9', false));
    EXPECT_EQ(ByteAt(model, 7), 0x97);
}

TEST(HexEditModel, DoesNothingWithoutData)
{
    CHexEditModel model;
    model.SetData(nullptr, 0);
    model.CalculateLayout(RECT{0, 0, 200, 100}, c_cx, c_cy);
    model.KeyDown(VK_END, false);
    EXPECT_EQ(model.GetCaretPos(), 0u);
    EXPECT_FALSE(model.TypeChar('a', false));
    RECT rc;
    EXPECT_FALSE(model.GetCaretRect(&rc));
    const BYTE b = 1;
    EXPECT_EQ(model.Paste(&b, 1), 0u);
}

// ---- typing ----

TEST(HexEditModel, TypesTheHighNibbleThenTheLowNibbleThenMovesOn)
{
    CHexEditModel model;
    const BYTE zeros[3] = {};
    model.SetData(zeros, 3);
    model.CalculateLayout(RECT{0, 0, 400, 200}, c_cx, c_cy);
    EXPECT_TRUE(model.TypeChar('A', false));
    EXPECT_EQ(ByteAt(model, 0), 0xA0);
    EXPECT_EQ(model.GetCaretPos(), 0u);
    EXPECT_FALSE(model.IsHighNibble());
    EXPECT_TRUE(model.TypeChar('5', false));
    EXPECT_EQ(ByteAt(model, 0), 0xA5);
    EXPECT_EQ(model.GetCaretPos(), 1u);
    EXPECT_TRUE(model.IsHighNibble());
}

TEST(HexEditModel, StaysOnTheLastByteAfterTypingItsSecondDigit)
{
    CHexEditModel model = MakeModel(4, 400, 200);
    model.SetCaret(3, true);
    model.TypeChar('f', false);
    model.TypeChar('e', false);
    EXPECT_EQ(ByteAt(model, 3), 0xFE);
    EXPECT_EQ(model.GetCaretPos(), 3u);
    EXPECT_FALSE(model.IsHighNibble());
    // A third digit overwrites the low nibble again.
    model.TypeChar('1', false);
    EXPECT_EQ(ByteAt(model, 3), 0xF1);
}

TEST(HexEditModel, RefusesNonHexCharactersAndReadOnlyData)
{
    CHexEditModel model = MakeModel(4, 400, 200);
    for (UINT ch : {UINT{'g'}, UINT{' '}, UINT{'/'}, UINT{':'}, UINT{'G'}, UINT{0x100 + 'a'}})
        EXPECT_FALSE(model.TypeChar(ch, false)) << ch;
    model.SetReadOnly(true);
    EXPECT_FALSE(model.TypeChar('a', false));
    EXPECT_EQ(ByteAt(model, 0), 0x00);
    EXPECT_TRUE(model.IsHighNibble());
}

// ---- hit tests ----

TEST(HexEditModel, HitsTheNibbleUnderAPointInTheHexColumn)
{
    CHexEditModel model = MakeModel(40, 400, 200);
    // Row 1, byte 3: its digits start at 5 + 9 x 8 = 77; the second digit at 85.
    HexHit hit = model.HitTest(POINT{86, 5 + 16 + 3});
    EXPECT_EQ(hit.nPos, 11u);
    EXPECT_FALSE(hit.bHighNibble);
    // Half a character rounds: the right half of the space before a byte already picks it.
    hit = model.HitTest(POINT{77 - 3, 5 + 16 + 3});
    EXPECT_EQ(hit.nPos, 11u);
    EXPECT_TRUE(hit.bHighNibble);
}

TEST(HexEditModel, TakesScrollingIntoAccountWhenHitTesting)
{
    CHexEditModel model = MakeModel(200, 120, 100);
    model.SetTopRow(4);
    model.SetScrollOffset(24);
    // Column 0 of the view now shows byte column 1 of row 4.
    const HexHit hit = model.HitTest(POINT{6, 6});
    EXPECT_EQ(hit.nPos, 33u);
    EXPECT_TRUE(hit.bHighNibble);
}

TEST(HexEditModel, MapsThePointsOfTheCharacterColumnToTheLastByteOfTheirRow)
{
    CHexEditModel model = MakeModel(40, 400, 200, 8, true);
    const int xAscii = 5 + static_cast<int>(model.GetAsciiX()) + 10;
    const HexHit hit = model.HitTest(POINT{xAscii, 5 + 2 * 16 + 1});
    EXPECT_EQ(hit.nPos, 23u);
    EXPECT_FALSE(hit.bHighNibble);
}

TEST(HexEditModel, ClampsHitsBeyondTheDataToTheLastByte)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    HexHit hit = model.HitTest(POINT{100, 190});
    EXPECT_EQ(hit.nPos, 19u);
    EXPECT_FALSE(hit.bHighNibble);
    hit = model.HitTest(POINT{-50, -50});
    EXPECT_EQ(hit.nPos, 0u);
    EXPECT_TRUE(hit.bHighNibble);
}

// ---- making ranges visible ----

TEST(HexEditModel, ScrollsDownSoTheCaretRowBecomesTheLastFullRow)
{
    CHexEditModel model = MakeModel(200, 200, 100); // 5 full rows
    model.MakeVisible(60, 60); // row 7
    EXPECT_EQ(model.GetTopRow(), 3u);
    // Inside the view: no change.
    model.MakeVisible(35, 40);
    EXPECT_EQ(model.GetTopRow(), 3u);
    // Above it: the range's row comes first.
    model.MakeVisible(9, 9);
    EXPECT_EQ(model.GetTopRow(), 1u);
}

TEST(HexEditModel, ScrollsWhenTheCaretMovesOntoTheRowBelowTheView)
{
    CHexEditModel model = MakeModel(200, 200, 100);
    model.SetCaret(32, true); // row 4, the last full row
    model.KeyDown(VK_DOWN, false);
    EXPECT_EQ(model.GetTopRow(), 1u);
}

TEST(HexEditModel, LeavesTheViewAloneForARangeCoveringIt)
{
    CHexEditModel model = MakeModel(200, 200, 100);
    model.SetTopRow(4);
    model.MakeVisible(0, 199);
    EXPECT_EQ(model.GetTopRow(), 4u);
}

TEST(HexEditModel, ScrollsSidewaysToShowAByteBeyondTheRightEdge)
{
    // Inner width 90 shows 11 characters; byte 7's digits end at character 23.
    CHexEditModel model = MakeModel(40, 100, 100);
    model.MakeVisible(7, 7);
    EXPECT_EQ(model.GetScrollOffset(), 23u * c_cx - 90);
    model.MakeVisible(0, 0);
    EXPECT_EQ(model.GetScrollOffset(), 0u);
}

// ---- the caret rectangle ----

TEST(HexEditModel, PlacesTheCaretOverOneDigitBelowTheRowsTopPixel)
{
    CHexEditModel model = MakeModel(40, 400, 100);
    model.SetCaret(10, false);
    RECT rc;
    ASSERT_TRUE(model.GetCaretRect(&rc));
    EXPECT_EQ(rc.left, 5 + 7 * 8);
    EXPECT_EQ(rc.top, 5 + 16 + 1);
    EXPECT_EQ(rc.right - rc.left, 8);
    EXPECT_EQ(rc.bottom - rc.top, 15);
}

TEST(HexEditModel, ShortensTheCaretOnThePartlyVisibleLastRow)
{
    CHexEditModel model = MakeModel(100, 400, 100); // last row: 10 pixels
    model.SetCaret(5 * 8, true);
    RECT rc;
    ASSERT_TRUE(model.GetCaretRect(&rc));
    EXPECT_EQ(rc.bottom - rc.top, 9);
    // Scrolled out of the view: no caret.
    model.SetCaret(7 * 8, true);
    EXPECT_FALSE(model.GetCaretRect(&rc));
}

// ---- selection ----

TEST(HexEditModel, ClampsSelectionEndsToTheLastByte)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    EXPECT_TRUE(model.SetSelection(5, 100));
    EXPECT_EQ(model.GetSelectionEnd(), 19u);
    EXPECT_FALSE(model.SetSelection(5, 19));
    model.SetSelection(c_nHexNone, 3);
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(model.GetSelectionBegin(), c_nHexNone);
}

TEST(HexEditModel, MarksTheSelectedPartOfEachRow)
{
    CHexEditModel model = MakeModel(40, 400, 200);
    model.SetSelection(6, 9);
    RECT rc;
    UINT nFirst = 0;
    UINT nLast = 0;
    ASSERT_TRUE(model.RowSelectionRect(0, &rc, &nFirst, &nLast));
    EXPECT_EQ(nFirst, 18u);
    EXPECT_EQ(nLast, 22u);
    EXPECT_EQ(rc.left, 5 + 18 * 8);
    EXPECT_EQ(rc.right, 5 + 23 * 8 + 1);
    EXPECT_EQ(rc.top, 6);
    ASSERT_TRUE(model.RowSelectionRect(1, &rc, &nFirst, &nLast));
    EXPECT_EQ(nFirst, 0u);
    EXPECT_EQ(nLast, 4u);
    EXPECT_FALSE(model.RowSelectionRect(2, &rc, &nFirst, &nLast));
}

TEST(HexEditModel, ForgetsSelectionAndCaretWhenDataIsReplaced)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    model.SetSelection(1, 2);
    model.SetCaret(7, false);
    const BYTE b = 0;
    model.SetData(&b, 1);
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(model.GetCaretPos(), 0u);
    EXPECT_TRUE(model.IsHighNibble());
    EXPECT_TRUE(model.IsLayoutStale());
}

TEST(HexEditModel, ReturnsNothingForNoDataAndTheFullLengthOtherwise)
{
    CHexEditModel model;
    model.SetData(nullptr, 0);
    BYTE buffer[4] = {9, 9, 9, 9};
    EXPECT_EQ(model.GetData(buffer, 4), 0u);
    const std::vector<BYTE> bytes = Ramp(10);
    model.SetData(bytes.data(), 10);
    EXPECT_EQ(model.GetData(buffer, 4), 10u);
    EXPECT_EQ(buffer[3], 3);
    EXPECT_EQ(model.GetData(nullptr, 0), 10u);
}

// ---- clipboard forms ----

TEST(HexEditModel, CopiesALongSelectionInTheRowLayoutPaddedToItsFirstColumn)
{
    CHexEditModel model = MakeModel(32, 400, 200);
    model.SetSelection(6, 20);
    EXPECT_EQ(model.CopyText(), std::string(18, ' ') + "06 07\n"
                                                        "08 09 0A 0B 0C 0D 0E 0F\n"
                                                        "10 11 12 13 14\n");
}

TEST(HexEditModel, StartsAShortSelectionAtColumnZero)
{
    CHexEditModel model = MakeModel(32, 400, 200);
    model.SetSelection(6, 9);
    EXPECT_EQ(model.CopyText(), "06 07 08 09\n");
    // Row width plus one byte is still "short": wrapped after a row's width.
    model.SetSelection(3, 11);
    EXPECT_EQ(model.CopyText(), "03 04 05 06 07 08 09 0A\n0B\n");
}

TEST(HexEditModel, CopiesBinaryWithALittleEndianCount)
{
    CHexEditModel model = MakeModel(300, 400, 200);
    model.SetSelection(0, 259);
    const std::vector<BYTE> bytes = model.CopyBinary();
    ASSERT_EQ(bytes.size(), 4u + 260);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[1], 0x01);
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[3], 0x00);
    EXPECT_EQ(bytes[4 + 17], 17);
    model.ClearSelection();
    EXPECT_TRUE(model.CopyBinary().empty());
    EXPECT_TRUE(model.CopyText().empty());
}

TEST(HexEditModel, PastesOnlyTheBytesThatFitBeforeTheEnd)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    model.SetCaret(17, true);
    const BYTE paste[10] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(model.Paste(paste, 10), 3u);
    EXPECT_EQ(model.GetLength(), 20u);
    EXPECT_EQ(ByteAt(model, 16), 16);
    EXPECT_EQ(ByteAt(model, 17), 0xEE);
    EXPECT_EQ(ByteAt(model, 19), 0xEE);
    EXPECT_EQ(model.GetSelectionBegin(), 17u);
    EXPECT_EQ(model.GetSelectionEnd(), 19u);
    EXPECT_EQ(model.GetCaretPos(), 19u);
    EXPECT_FALSE(model.IsHighNibble());
}

TEST(HexEditModel, PastesAtTheSelectionRatherThanTheCaret)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    model.SetCaret(2, true);
    model.SetSelection(10, 12);
    const BYTE paste[2] = {0xAB, 0xCD};
    EXPECT_EQ(model.Paste(paste, 2), 2u);
    EXPECT_EQ(ByteAt(model, 10), 0xAB);
    EXPECT_EQ(ByteAt(model, 11), 0xCD);
    EXPECT_EQ(ByteAt(model, 12), 12);
    EXPECT_EQ(ByteAt(model, 2), 2);
    EXPECT_EQ(model.GetSelectionEnd(), 11u);
}

TEST(HexEditModel, ChangesNothingForAnEmptyOrReadOnlyPaste)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    const BYTE paste[1] = {0xFF};
    EXPECT_EQ(model.Paste(paste, 0), 0u);
    EXPECT_FALSE(model.HasSelection());
    model.SetReadOnly(true);
    EXPECT_EQ(model.Paste(paste, 1), 0u);
    EXPECT_EQ(ByteAt(model, 0), 0);
}

// ---- auto-scroll pace ----

TEST(HexEditModel, ScrollsFasterTheFurtherThePointerLeavesTheView)
{
    EXPECT_EQ(CHexEditModel::AutoScrollInterval(1), 7);
    EXPECT_EQ(CHexEditModel::AutoScrollInterval(4), 7);
    EXPECT_EQ(CHexEditModel::AutoScrollInterval(5), 6);
    EXPECT_EQ(CHexEditModel::AutoScrollInterval(29), 2);
    EXPECT_EQ(CHexEditModel::AutoScrollInterval(30), 1);
    EXPECT_EQ(CHexEditModel::AutoScrollInterval(5000), 1);
}
