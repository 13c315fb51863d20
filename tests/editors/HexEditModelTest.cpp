// The hex edit control's arithmetic without a window: layout, caret moves, typing, hit tests,
// scrolling into view and the clipboard forms. Metrics are fixed (8 x 16 pixel characters) so
// every pixel value below can be worked out by hand.
#include "editors/HexEditModel.h"
#include "support/TableRow.h"

#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <tuple>
#include <utility>
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

void Layout(CHexEditModel& model, int cx, int cy)
{
    model.CalculateLayout(RECT{0, 0, cx, cy}, c_cx, c_cy);
}

// A multi-line model of the bytes in a client area of cx x cy pixels.
CHexEditModel MakeModel(const std::vector<BYTE>& bytes, int cx, int cy, UINT nBytesPerRow = 8, bool bAscii = false)
{
    CHexEditModel model;
    model.SetData(bytes.data(), static_cast<UINT>(bytes.size()));
    model.SetBytesPerRowSetting(nBytesPerRow, false);
    model.SetShowAscii(bAscii);
    Layout(model, cx, cy);
    return model;
}

// The same of nCount bytes 0, 1, 2...
CHexEditModel MakeModel(UINT nCount, int cx, int cy, UINT nBytesPerRow = 8, bool bAscii = false)
{
    return MakeModel(Ramp(nCount), cx, cy, nBytesPerRow, bAscii);
}

BYTE ByteAt(const CHexEditModel& model, UINT nPos)
{
    return model.GetDataPtr()[nPos];
}

std::vector<BYTE> BytesAt(const CHexEditModel& model, UINT nPos, UINT nCount)
{
    return std::vector<BYTE>(model.GetDataPtr() + nPos, model.GetDataPtr() + nPos + nCount);
}

// A byte and whether the caret (or a hit) is on its high nibble; the selection's ends; full rows,
// visible rows and the last visible row's height; a rectangle's edges.
using Spot = std::pair<UINT, bool>;
constexpr auto Hi = [](UINT nPos) { return Spot{nPos, true}; };
constexpr auto Lo = [](UINT nPos) { return Spot{nPos, false}; };
constexpr auto Caret = [](const CHexEditModel& m) { return Spot{m.GetCaretPos(), m.IsHighNibble()}; };
constexpr auto At = [](const HexHit& hit) { return Spot{hit.nPos, hit.bHighNibble}; };
constexpr auto Selection = [](const CHexEditModel& m) { return std::pair{m.GetSelectionBegin(), m.GetSelectionEnd()}; };
constexpr auto RowFit = [](const CHexEditModel& m) {
    return std::tuple{m.GetFullRows(), m.GetVisibleRows(), m.GetLastRowHeight()};
};
constexpr auto Edges = [](const RECT& rc) { return std::tuple{rc.left, rc.top, rc.right, rc.bottom}; };

} // namespace

// ---- layout ----

TEST(HexEditModel, LaysOutTwentyBytesInRowsOfEightEightAndFour)
{
    CHexEditModel model = MakeModel(20, 400, 200, 8, true);
    EXPECT_EQ(std::tuple(model.GetBytesPerRow(), model.GetRowCount()), std::tuple(8u, 3u));
    EXPECT_EQ(model.RowHexText(0), "00 01 02 03 04 05 06 07");
    EXPECT_EQ(model.RowHexText(2), "10 11 12 13");
    EXPECT_EQ(model.RowAsciiText(2).size(), 4u);
    EXPECT_EQ(model.RowHexText(3), "");
}

TEST(HexEditModel, PlacesTheCharacterColumnAfterTheHexColumnAndItsGap)
{
    CHexEditModel model = MakeModel(20, 400, 200, 8, true);
    // 8 bytes: 23 characters of digits and spaces, then the 5-pixel gap.
    EXPECT_EQ(std::tuple(model.GetHexColumnSpan(), model.GetAsciiX(), model.GetAsciiWidth()),
              std::tuple(23u * c_cx + 5, 23u * c_cx + 5, 8u * c_cx));
    model.SetShowAscii(false);
    Layout(model, 400, 200);
    EXPECT_EQ(std::tuple(model.GetAsciiX(), model.GetAsciiWidth()), std::tuple(0u, 0u));
}

TEST(HexEditModel, ShowsUnprintableBytesAsFullStops)
{
    EXPECT_EQ(MakeModel(std::vector<BYTE>{'A', 0x00, 0x7F, 0x1F, ' ', '~', 0xC4}, 400, 200).RowAsciiText(0), "A... ~.");
}

TEST(HexEditModel, ShrinksTheInnerRectangleByTheMarginAndCountsAPartialRow)
{
    CHexEditModel model = MakeModel(100, 200, 100);
    EXPECT_EQ(Edges(model.GetInnerRect()), Edges(RECT{5, 5, 195, 95}));
    // 90 pixels: five full rows of 16 and 10 pixels of a sixth.
    EXPECT_EQ(RowFit(model), std::make_tuple(5u, 6u, 10u));
}

TEST(HexEditModel, GivesTheLastRowAFullLineWhenRowsFitExactly)
{
    EXPECT_EQ(RowFit(MakeModel(100, 200, 6 * 16 + 10)), std::make_tuple(6u, 6u, c_cy));
}

TEST(HexEditModel, NeverLetsTheInnerRectangleTurnInsideOut)
{
    CHexEditModel model = MakeModel(100, 6, 4);
    const RECT& rc = model.GetInnerRect();
    EXPECT_EQ(std::tuple(rc.right, rc.bottom, model.GetVisibleRows()), std::tuple(rc.left, rc.top, 0u));
}

// Automatic row widths: the client width and the bytes that fit into a row of it.
struct AutoWidth : test::Row
{
    bool bAscii;
    std::vector<std::pair<int, UINT>> widths;
};
using HexAutoWidth = testing::TestWithParam<AutoWidth>;

TEST_P(HexAutoWidth, Fits)
{
    CHexEditModel model = MakeModel(100, 200, 100, 16, GetParam().bAscii);
    model.SetBytesPerRowSetting(16, true);
    for (const auto& [cx, nBytes] : GetParam().widths)
    {
        Layout(model, cx, 100);
        EXPECT_EQ(model.GetBytesPerRow(), nBytes) << "client width " << cx;
    }
}

INSTANTIATE_TEST_SUITE_P(
    HexEditModel, HexAutoWidth,
    testing::Values(
        // Inner width 190: 8 bytes need 23 x 8 = 184 pixels, 9 would need 208; 183 is one short of 8.
        AutoWidth{"FitsAsManyBytesAsTheWidthAllowsInAutomaticMode", false, {{200, 8}, {193, 7}}},
        // 6 bytes: 17 x 8 + 5 + 6 x 8 = 189 pixels fit into 190; 7 bytes need 221.
        AutoWidth{"CountsTheCharacterColumnInAutomaticWidths", true, {{200, 6}, {198, 5}}},
        AutoWidth{"KeepsAtLeastOneByteInARowOfATinyWindow", true, {{3, 1}}}),
    test::RowName());

TEST(HexEditModel, PutsAllBytesOnOneLineWithoutMarginsInSingleLineMode)
{
    CHexEditModel model;
    const std::vector<BYTE> bytes = Ramp(12);
    model.SetData(bytes.data(), 12);
    model.SetMultiLine(false);
    Layout(model, 100, 20);
    EXPECT_EQ(std::tuple(model.GetBytesPerRow(), model.GetInnerRect().left, model.GetMaxTopRow()),
              std::tuple(12u, 0L, 0u));
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
    Layout(model, 200, 10 + 16 * 10);
    EXPECT_EQ(model.GetTopRow(), 3u);
}

TEST(HexEditModel, StopsRowAndPixelStepsAtZero)
{
    CHexEditModel model = MakeModel(100, 100, 100);
    model.SetTopRow(2);
    model.ScrollRows(-5);
    model.SetScrollOffset(8);
    model.ScrollPixels(-100);
    EXPECT_EQ(std::tuple(model.GetTopRow(), model.GetScrollOffset()), std::tuple(0u, 0u));
}

// ---- caret moves ----

// Keys pressed one after another, each from where the caret was put or the move before left it.
struct CaretMove
{
    std::optional<Spot> from;
    UINT vk;
    Spot to;
};
struct CaretWalk : test::Row
{
    UINT nCount;
    int cx, cy;
    std::vector<CaretMove> moves;
};
using HexCaretWalk = testing::TestWithParam<CaretWalk>;

TEST_P(HexCaretWalk, Moves)
{
    CHexEditModel model = MakeModel(GetParam().nCount, GetParam().cx, GetParam().cy);
    for (const CaretMove& move : GetParam().moves)
    {
        if (move.from)
            model.SetCaret(move.from->first, move.from->second);
        EXPECT_TRUE(model.KeyDown(move.vk, false)) << "key " << move.vk;
        EXPECT_EQ(Caret(model), move.to) << "key " << move.vk;
    }
}

INSTANTIATE_TEST_SUITE_P(
    HexEditModel, HexCaretWalk,
    testing::Values(
        CaretWalk{"KeepsTheCaretOnTheFirstNibbleWhenMovingLeftFromByteZero", 20, 400, 200, {{{}, VK_LEFT, Hi(0)}}},
        CaretWalk{"StaysOnTheLastLowNibbleWhenMovingRightFromTheEnd", 20, 400, 200,
                  {{{}, VK_END, Lo(19)}, {{}, VK_RIGHT, Lo(19)}}},
        CaretWalk{"StepsThroughBothNibblesOfEachByte", 20, 400, 200,
                  {{{}, VK_RIGHT, Lo(0)}, {{}, VK_RIGHT, Hi(1)}, {{}, VK_LEFT, Lo(0)}}},
        // The third row holds only 4 bytes: moving down from column 7 of row 1 caps at the end;
        // above row 0 the caret lands on byte 0's first digit.
        CaretWalk{"MovesWholeRowsUpAndDownKeepingTheNibble", 20, 400, 200,
                  {{Lo(3), VK_DOWN, Lo(11)}, {Hi(15), VK_DOWN, Lo(19)}, {Lo(5), VK_UP, Hi(0)}}},
        // 6 visible rows (5 full and a partial one): a page is 5 rows of 8 bytes.
        CaretWalk{"PagesByOneRowLessThanTheVisibleRows", 200, 200, 100,
                  {{{}, VK_NEXT, Hi(40)}, {{}, VK_PRIOR, Hi(0)}}}),
    test::RowName());

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
    EXPECT_EQ(Selection(model), std::make_pair(10u, 18u));
    // Back above the anchor: the selection is ordered.
    model.KeyDown(VK_UP, true);
    model.KeyDown(VK_UP, true);
    EXPECT_EQ(Selection(model), std::make_pair(2u, 10u));
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
    EXPECT_EQ(Selection(model), std::make_pair(2u, 2u));
    model.TypeChar('c', false);
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(ByteAt(model, 2), 0xBC);
}

TEST(HexEditModel, DoesNothingWithoutData)
{
    CHexEditModel model;
    model.SetData(nullptr, 0);
    Layout(model, 200, 100);
    model.KeyDown(VK_END, false);
    EXPECT_EQ(model.GetCaretPos(), 0u);
    EXPECT_FALSE(model.TypeChar('a', false));
    RECT rc;
    EXPECT_FALSE(model.GetCaretRect(&rc));
    EXPECT_EQ(model.Paste(reinterpret_cast<const BYTE*>("\1"), 1), 0u);
}

// ---- typing ----

// Characters typed one after another from where the caret was put: what each answers, the byte
// it leaves at nPos and where it leaves the caret.
struct Typed
{
    UINT ch;
    bool bTaken;
    UINT nPos;
    BYTE b;
    Spot caret;
};
struct TypingRun : test::Row
{
    UINT nCount;
    Spot from, at; // where the caret was put, and where it went
    std::vector<Typed> typed;
};
using HexTyping = testing::TestWithParam<TypingRun>;

TEST_P(HexTyping, Types)
{
    CHexEditModel model = MakeModel(GetParam().nCount, 400, 200);
    model.SetCaret(GetParam().from.first, GetParam().from.second);
    EXPECT_EQ(Caret(model), GetParam().at);
    for (const Typed& typed : GetParam().typed)
    {
        EXPECT_EQ(model.TypeChar(typed.ch, false), typed.bTaken) << typed.ch;
        EXPECT_EQ(ByteAt(model, typed.nPos), typed.b) << typed.ch;
        EXPECT_EQ(Caret(model), typed.caret) << typed.ch;
    }
}

INSTANTIATE_TEST_SUITE_P(
    HexEditModel, HexTyping,
    testing::Values(
        TypingRun{"TypesTheHighNibbleThenTheLowNibbleThenMovesOn", 3, Hi(0), Hi(0),
                  {{'A', true, 0, 0xA0, Lo(0)}, {'5', true, 0, 0xA5, Hi(1)}}},
        // A third digit overwrites the low nibble again.
        TypingRun{"StaysOnTheLastByteAfterTypingItsSecondDigit", 4, Hi(3), Hi(3),
                  {{'f', true, 3, 0xF3, Lo(3)}, {'e', true, 3, 0xFE, Lo(3)}, {'1', true, 3, 0xF1, Lo(3)}}},
        TypingRun{"KeepsACaretSetPastTheEndOnTheLastByte", 8, Hi(1000), Hi(7), {{'9', true, 7, 0x97, Lo(7)}}}),
    test::RowName());

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

// Points of a model's client area and the nibble each one hits.
struct HitRow : test::Row
{
    UINT nCount;
    int cx, cy;
    bool bAscii;
    UINT nTopRow, nScrollOffset;
    std::vector<std::pair<POINT, Spot>> hits;
};
using HexHitTest = testing::TestWithParam<HitRow>;

TEST_P(HexHitTest, Hits)
{
    CHexEditModel model = MakeModel(GetParam().nCount, GetParam().cx, GetParam().cy, 8, GetParam().bAscii);
    model.SetTopRow(GetParam().nTopRow);
    model.SetScrollOffset(GetParam().nScrollOffset);
    for (const auto& [pt, spot] : GetParam().hits)
        EXPECT_EQ(At(model.HitTest(pt)), spot) << pt.x << ", " << pt.y;
}

INSTANTIATE_TEST_SUITE_P(
    HexEditModel, HexHitTest,
    testing::Values(
        // Row 1, byte 3: its digits start at 5 + 9 x 8 = 77, the second digit at 85. Half a
        // character rounds: the right half of the space before a byte already picks it.
        HitRow{"HitsTheNibbleUnderAPointInTheHexColumn", 40, 400, 200, false, 0, 0,
               {{{86, 5 + 16 + 3}, Lo(11)}, {{77 - 3, 5 + 16 + 3}, Hi(11)}}},
        // Column 0 of the view shows byte column 1 of row 4.
        HitRow{"TakesScrollingIntoAccountWhenHitTesting", 200, 120, 100, false, 4, 24, {{{6, 6}, Hi(33)}}},
        // Ten pixels into the character column, which starts at 5 + 23 x 8 + 5.
        HitRow{"MapsThePointsOfTheCharacterColumnToTheLastByteOfTheirRow", 40, 400, 200, true, 0, 0,
               {{{5 + 189 + 10, 5 + 2 * 16 + 1}, Lo(23)}}},
        HitRow{"ClampsHitsBeyondTheDataToTheLastByte", 20, 400, 200, false, 0, 0,
               {{{100, 190}, Lo(19)}, {{-50, -50}, Hi(0)}}}),
    test::RowName());

// ---- making ranges visible ----

TEST(HexEditModel, ScrollsDownSoTheCaretRowBecomesTheLastFullRow)
{
    CHexEditModel model = MakeModel(200, 200, 100); // 5 full rows
    // Row 7 goes to the bottom; a range inside the view changes nothing; one above comes first.
    for (const auto& [nBegin, nEnd, nTopRow] : {std::tuple{60u, 60u, 3u}, std::tuple{35u, 40u, 3u}, std::tuple{9u, 9u, 1u}})
    {
        model.MakeVisible(nBegin, nEnd);
        EXPECT_EQ(model.GetTopRow(), nTopRow) << nBegin << "-" << nEnd;
    }
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
    // One digit wide, one pixel short of a line.
    EXPECT_EQ(Edges(rc), Edges(RECT{5 + 7 * 8, 5 + 16 + 1, 5 + 8 * 8, 5 + 16 + 16}));
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
    EXPECT_EQ(std::pair(model.HasSelection(), model.GetSelectionBegin()), std::pair(false, c_nHexNone));
}

TEST(HexEditModel, MarksTheSelectedPartOfEachRow)
{
    CHexEditModel model = MakeModel(40, 400, 200);
    model.SetSelection(6, 9);
    RECT rc;
    UINT nFirst = 0, nLast = 0;
    ASSERT_TRUE(model.RowSelectionRect(0, &rc, &nFirst, &nLast));
    EXPECT_EQ(std::make_pair(nFirst, nLast), std::make_pair(18u, 22u));
    EXPECT_EQ(std::tuple(rc.left, rc.right, rc.top), std::tuple(5L + 18 * 8, 5L + 23 * 8 + 1, 6L));
    ASSERT_TRUE(model.RowSelectionRect(1, &rc, &nFirst, &nLast));
    EXPECT_EQ(std::make_pair(nFirst, nLast), std::make_pair(0u, 4u));
    EXPECT_FALSE(model.RowSelectionRect(2, &rc, &nFirst, &nLast));
}

TEST(HexEditModel, ForgetsSelectionAndCaretWhenDataIsReplaced)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    model.SetSelection(1, 2);
    model.SetCaret(7, false);
    const BYTE b = 0;
    model.SetData(&b, 1);
    EXPECT_EQ(std::tuple(model.HasSelection(), Caret(model), model.IsLayoutStale()), std::tuple(false, Hi(0), true));
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
    EXPECT_EQ(std::pair(buffer[3], model.GetData(nullptr, 0)), std::pair(BYTE{3}, 10u));
}

// ---- clipboard forms ----

// Selections of 32 bytes in rows of 8 and the texts a copy makes of them.
struct CopiedText : test::Row
{
    std::vector<std::tuple<UINT, UINT, std::string>> copies;
};
using HexCopyText = testing::TestWithParam<CopiedText>;

TEST_P(HexCopyText, Copies)
{
    CHexEditModel model = MakeModel(32, 400, 200);
    for (const auto& [nBegin, nEnd, text] : GetParam().copies)
    {
        model.SetSelection(nBegin, nEnd);
        EXPECT_EQ(model.CopyText(), text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HexEditModel, HexCopyText,
    testing::Values(CopiedText{"CopiesALongSelectionInTheRowLayoutPaddedToItsFirstColumn",
                               {{6, 20, std::string(18, ' ') + "06 07\n08 09 0A 0B 0C 0D 0E 0F\n10 11 12 13 14\n"}}},
                    // Row width plus one byte is still "short": wrapped after a row's width.
                    CopiedText{"StartsAShortSelectionAtColumnZero",
                               {{6, 9, "06 07 08 09\n"}, {3, 11, "03 04 05 06 07 08 09 0A\n0B\n"}}}),
    test::RowName());

TEST(HexEditModel, CopiesBinaryWithALittleEndianCount)
{
    CHexEditModel model = MakeModel(300, 400, 200);
    model.SetSelection(0, 259);
    const std::vector<BYTE> bytes = model.CopyBinary();
    ASSERT_EQ(bytes.size(), 4u + 260);
    EXPECT_EQ(std::vector<BYTE>(bytes.begin(), bytes.begin() + 4), (std::vector<BYTE>{0x04, 0x01, 0x00, 0x00}));
    EXPECT_EQ(bytes[4 + 17], 17);
    model.ClearSelection();
    EXPECT_TRUE(model.CopyBinary().empty() && model.CopyText().empty());
}

TEST(HexEditModel, PastesOnlyTheBytesThatFitBeforeTheEnd)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    model.SetCaret(17, true);
    const std::vector<BYTE> paste(10, 0xEE);
    EXPECT_EQ(model.Paste(paste.data(), 10), 3u);
    EXPECT_EQ(model.GetLength(), 20u);
    EXPECT_EQ(BytesAt(model, 16, 4), (std::vector<BYTE>{16, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(Selection(model), std::make_pair(17u, 19u));
    EXPECT_EQ(Caret(model), Lo(19));
}

TEST(HexEditModel, PastesAtTheSelectionRatherThanTheCaret)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    model.SetCaret(2, true);
    model.SetSelection(10, 12);
    const BYTE paste[2] = {0xAB, 0xCD};
    EXPECT_EQ(model.Paste(paste, 2), 2u);
    EXPECT_EQ(BytesAt(model, 10, 3), (std::vector<BYTE>{0xAB, 0xCD, 12}));
    EXPECT_EQ(std::pair(ByteAt(model, 2), model.GetSelectionEnd()), std::pair(BYTE{2}, 11u));
}

TEST(HexEditModel, ChangesNothingForAnEmptyOrReadOnlyPaste)
{
    CHexEditModel model = MakeModel(20, 400, 200);
    const BYTE paste[1] = {0xFF};
    EXPECT_EQ(model.Paste(paste, 0), 0u);
    EXPECT_FALSE(model.HasSelection());
    model.SetReadOnly(true);
    EXPECT_EQ((std::pair{model.Paste(paste, 1), ByteAt(model, 0)}), std::pair(0u, BYTE{0}));
}

// ---- auto-scroll pace ----

TEST(HexEditModel, ScrollsFasterTheFurtherThePointerLeavesTheView)
{
    const std::pair<int, int> c_paces[] = {{1, 7}, {4, 7}, {5, 6}, {29, 2}, {30, 1}, {5000, 1}};
    for (const auto& [nDistance, nInterval] : c_paces)
        EXPECT_EQ(CHexEditModel::AutoScrollInterval(nDistance), nInterval) << nDistance;
}
