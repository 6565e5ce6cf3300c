// The hatching command at the edges of what the host allows: a pass whose
// figures end exactly at, one short of and one beyond the last entry below
// figureLimit; a drawn region against figureLimit and the work area; stored
// kinds and slot numbers at their first invalid value.  Each scenario looks
// at every fact a fault there would change (figures kept, message, entries
// written), since an off-by-one at a limit otherwise passes unseen.
#include "hatch/Hatch.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

using testing_support::play;
using testing_support::traceLines;

namespace {

std::string set(const std::string &key, double v) { return testing_support::settingLine("Hatch", key, v); }

// Lines in the drawing (up to its end marker).
int drawingLines(const host::Host &h)
{
    int n = 0;
    for (int i = 0; i < h.fig.drawingEnd(); ++i)
        n += h.fig.kindAt(i) == 2;
    return n;
}

// Slot 0: eight octagons (64 entries a cell) at one place, a pitch of 1000:
// a 300 square region gets one column and two rows, two cells, the upper
// one wholly outside.
std::string octagonCells()
{
    std::string s = "set selectMode 0\n" + set("HatchPx[0]", 1000) + set("HatchPy[0]", 1000);
    for (int e = 0; e < 8; ++e) {
        std::string k = "[0][" + std::to_string(e) + "]";
        s += set("Hsw" + k, 7) + set("HatchR" + k, 20) + set("HatchX1" + k, 50) + set("HatchY1" + k, -50);
    }
    return s;
}

const char *kDrawnSquare = "run Hatch\npanel ok\npoint 0 0\npoint 300 0\npoint 300 300\npoint 0 300\npoint 0 0\nclose\n";

// Plays a session that draws its region.  The start point of a drawn region
// is refused while the region left by the last pass (of any earlier test in
// this process) has more lines than this pass may take, so that count is
// cleared first, as a fresh module has it.
std::unique_ptr<host::Host> playDrawn(const std::string &session, const std::string &drawing, host::HostOptions o)
{
    regionLineCount = 0;
    return play(session, drawing, o);
}

host::HostOptions tables(int figureLimit)
{
    host::HostOptions o;
    o.figureLimit = figureLimit;
    o.workBase = 200;
    o.workEnd = 600;
    return o;
}

TEST(HatchLimits, APassEndingAtTheLastEntryFitsAndOneMoreOverflows)
{
    // The drawn edges leave the drawing, so the pass starts at entry 1: the
    // two cells fill 1..128 and the end marker goes to 129.  The second cell
    // starts at 65, within the 50-entry margin of every limit tried here.
    std::string session = octagonCells() + kDrawnSquare + "panel cancel\n";
    for (int limit : {131, 130}) { /* one entry to spare; the end marker on the last entry */
        auto h = playDrawn(session, "", tables(limit));
        EXPECT_TRUE(h->messages.empty()) << limit;
        EXPECT_EQ(128u, traceLines(*h, "StoreLine").size()) << limit;
        EXPECT_EQ(64, drawingLines(*h)) << limit; /* the lower cell, inside the region */
        EXPECT_EQ(129, writeNext) << limit;
        EXPECT_EQ(2, h->beginCommandCalls) << limit; /* handed over */
    }
    // One entry less: the last octagon's end marker would stand on
    // figureLimit.  The pass overflows before writing it, keeps nothing
    // and says so.
    auto over = playDrawn(session, "", tables(129));
    ASSERT_EQ(1u, over->messages.size());
    EXPECT_EQ(0, over->fig.drawingEnd());
    EXPECT_EQ(120u, traceLines(*over, "StoreLine").size()); /* up to the seventh octagon of the second cell */
    EXPECT_EQ(121, writeNext);
    EXPECT_EQ(1, over->beginCommandCalls);
    // The second cell is not started once it would begin past the margin
    // (figureLimit - 50): at 114 it begins at 65 > 64.
    auto margin = playDrawn(session, "", tables(114));
    ASSERT_EQ(1u, margin->messages.size());
    EXPECT_EQ(64u, traceLines(*margin, "StoreLine").size());
    EXPECT_EQ(0, margin->fig.drawingEnd());
    auto atMargin = playDrawn(session, "", tables(115)); /* begins at 65 = the margin: started, then overflows */
    ASSERT_EQ(1u, atMargin->messages.size());
    EXPECT_EQ(112u, traceLines(*atMargin, "StoreLine").size()); /* six octagons of the second cell fit */
}

TEST(HatchLimits, ACellStartsOnlyWithinTheMarginBeforeFigureLimit)
{
    // A circle (2 entries) and a line (1) a cell, two cells: 1..3 and 4..6.
    // A cell is started while it begins at or before figureLimit - 50.
    std::string slot = "set selectMode 0\n" + set("HatchPx[0]", 1000) + set("HatchPy[0]", 1000) +
                       set("Hsw[0][0]", 2) + set("HatchR[0][0]", 10) + set("HatchX1[0][0]", 50) +
                       set("HatchY1[0][0]", -50) + set("Hsw[0][1]", 1) + set("HatchR[0][1]", 20) +
                       set("HatchX1[0][1]", 40) + set("HatchY1[0][1]", -40);
    std::string session = slot + kDrawnSquare + "panel cancel\n";
    auto fits = playDrawn(session, "", tables(54));
    EXPECT_TRUE(fits->messages.empty());
    EXPECT_EQ(2u, traceLines(*fits, "StoreArc").size());
    EXPECT_EQ(2u, traceLines(*fits, "StoreLine").size());
    EXPECT_EQ(7, writeNext);
    auto late = playDrawn(session, "", tables(53)); /* the second cell would begin past the margin */
    ASSERT_EQ(1u, late->messages.size());
    EXPECT_EQ(1u, traceLines(*late, "StoreArc").size());
    EXPECT_EQ(0, late->fig.drawingEnd());
}

TEST(HatchLimits, DrawnRegionAgainstFigureLimitAndTheWorkArea)
{
    // Edges are written behind the drawing while the region is drawn: each
    // edge and the end marker after it must lie below figureLimit.  An empty
    // drawing: marker at 0, edges from 1.  figureLimit 5 takes three edges
    // (1..3, marker 4); the fourth is refused, the closing click completes.
    std::string slot = "set selectMode 0\n" + set("Hsw[0][0]", 1) + set("HatchR[0][0]", 10);
    std::string region = "run Hatch\npanel ok\npoint 0 0\npoint 300 0\npoint 300 300\npoint 0 300\npoint 0 0\nclose\n";
    for (int limit : {5, 6}) {
        host::HostOptions o = tables(limit);
        auto h = playDrawn(slot + region, "", o);
        EXPECT_EQ(limit == 5 ? 1 : 0, h->signalErrors) << limit;
        EXPECT_EQ(limit == 5 ? 3 : 4, regionLineCount) << limit;
        // The start point is asked without a rubber band, the next ones
        // with one from the last point.
        EXPECT_EQ(traceLines(*h, "GetPoint promptText"), (std::vector<std::string>{"GetPoint promptText=\"ハッチング領域開始点\" "
                                                                        "inputMode=2 inputOption=1 bandKind=0"}));
    }
    // No room even for the region's end marker: refused before anything is
    // written (a drawing of one line: its marker at 1, figureLimit 2).
    host::HostOptions full = tables(2);
    auto h = playDrawn(slot + "run Hatch\npanel ok\npanel cancel\n", "line 0 0 5 5\n", full);
    EXPECT_EQ(1, h->signalErrors);
    EXPECT_EQ(1, h->fig.drawingEnd());
    EXPECT_TRUE(traceLines(*h, "GetPointOrFigure").empty());
    EXPECT_EQ(2u, traceLines(*h, "WaitPanelEvent").size());

    // The work area holds the region's lines: up to workEnd - workBase - 100
    // of them.  A work area of 104 entries takes 4 edges, one of 103 only 3.
    for (int room : {104, 103}) {
        host::HostOptions o;
        o.figureLimit = 1000;
        o.workBase = 1000;
        o.workEnd = 1000 + room;
        auto r = playDrawn(slot + region, "", o);
        EXPECT_EQ(room == 104 ? 4 : 3, regionLineCount) << room;
        EXPECT_EQ(room == 104 ? 0 : 1, r->signalErrors) << room;
    }
}

TEST(HatchLimits, AStepTooFineToMoveTheGridEndsThePassEvenWhenTheScaleChangesLate)
{
    // The pitch is checked against the scale as the panel closes (100 at
    // unit factor 1 is fine); the session then changes the unit factor
    // while the region is selected, so the grid step becomes 1e-10 units,
    // which moves no coordinate near the range's end: the pass ends before
    // the grid, with nothing written and no message, and the panel is back.
    const char *square = "line 0 0 1000 0\nline 1000 0 1000 1000\nline 1000 1000 0 1000\nline 0 1000 0 0\n";
    std::string slot = set("Hsw[0][0]", 2) + set("HatchR[0][0]", 5);
    for (const char *factor : {"1e12", "1"}) {
        auto h = play(slot + "run Hatch\npanel ok\nset unitFactor " + factor + "\nselect all\npanel cancel\n", square);
        bool late = std::string(factor) == "1e12";
        EXPECT_EQ(late ? 0u : 132u, traceLines(*h, "StoreArc").size()) << factor; /* 11 columns, 12 rows */
        EXPECT_TRUE(h->messages.empty()) << factor;
        EXPECT_EQ(2u, traceLines(*h, "WaitPanelEvent").size()) << factor;
        EXPECT_EQ(late ? 1 : 2, h->beginCommandCalls) << factor;
    }
    // One pitch is enough: 1e12 becomes a fine step of 1 while the other
    // (100) becomes 1e-10, in X or in Y.
    for (const char *pitches : {"setting Hatch HatchPy[0] 1e12\n", "setting Hatch HatchPx[0] 1e12\n"}) {
        auto h = play(slot + pitches + "run Hatch\npanel ok\nset unitFactor 1e12\nselect all\npanel cancel\n", square);
        EXPECT_TRUE(traceLines(*h, "StoreArc").empty()) << pitches;
        EXPECT_TRUE(h->messages.empty()) << pitches;
        EXPECT_EQ(0, h->signalErrors) << pitches;
        EXPECT_EQ(1, h->beginCommandCalls) << pitches;
    }
}

TEST(HatchLimits, ASelectionEndingOnTheLastEntryLeavesThePassNoRoom)
{
    // The square (entries 0..3, marker 4) selected goes behind the marker
    // to 5..8 with its own marker at 9, where the pass's figures would
    // start.  figureLimit 10: not even the pass's end marker fits; 11: it
    // does, but no cell starts (the margin).  Both say so and keep the
    // square as it was selected; nothing is written at or beyond
    // figureLimit (the host checks at every call).
    const char *square = "line 0 0 1000 0\nline 1000 0 1000 1000\nline 1000 1000 0 1000\nline 0 1000 0 0\n";
    std::string session = set("Hsw[0][0]", 2) + set("HatchR[0][0]", 5) + "run Hatch\npanel ok\nselect all\npanel cancel\n";
    for (int limit : {10, 11}) {
        auto h = play(session, square, tables(limit));
        EXPECT_EQ(1u, h->messages.size()) << limit;
        EXPECT_EQ(9, writeStart) << limit;
        EXPECT_EQ(9, h->fig.drawingEnd()) << limit;
        EXPECT_EQ(4, drawingLines(*h)) << limit;
        EXPECT_EQ(1000, h->fig.read(5).x2) << limit; /* the first line, as selected */
        EXPECT_TRUE(traceLines(*h, "StoreArc").empty()) << limit;
        EXPECT_EQ(1, h->beginCommandCalls) << limit;
    }
}

TEST(HatchLimits, CirclesCutExactlyOnAnAxisAngleKeepTheirHalf)
{
    // Circles of radius 50 centred on the region's left edge (x = 0): the
    // edge crosses them at exactly 90 and 270 degrees, which belong to the
    // first and third quadrants, so the arc runs from 270 to 90 (the half
    // inside).  One pitch of 1000 with the offset 500 puts one circle at
    // (0, 500) inside the region's height.
    const char *square = "line 0 0 1000 0\nline 1000 0 1000 1000\nline 1000 1000 0 1000\nline 0 1000 0 0\n";
    auto h = play(set("HatchPx[0]", 1000) + set("HatchPy[0]", 1000) + set("Hsw[0][0]", 2) + set("HatchR[0][0]", 50) +
                      set("HatchY1[0][0]", -500) + "run Hatch\npanel ok\nselect all\npanel cancel\n",
                  square);
    std::string kept = host::figureList(h->fig);
    EXPECT_NE(kept.find(" arc 0 500 50 270 90 "), std::string::npos) << kept;
    EXPECT_NE(kept.find(" arc 1000 500 50 90 270 "), std::string::npos) << kept;
}

TEST(HatchLimits, ElementsWithAValueNoCellCanStoreAreLeftOut)
{
    // A line whose dY is infinite, with random shapes (the dY still scales
    // the random part), can never be stored: it is left out before the
    // walk, and the circle of the same slot is hatched alone.
    const char *square = "line 0 0 1000 0\nline 1000 0 1000 1000\nline 1000 1000 0 1000\nline 0 1000 0 0\n";
    std::string slot = set("HatchPx[0]", 500) + set("HatchPy[0]", 500) + set("Hkata_sw[0]", 1) +
                       set("Hsw[0][0]", 2) + set("HatchR[0][0]", 10) + set("HatchX1[0][0]", 100) +
                       set("HatchY1[0][0]", -100) + set("Hsw[0][1]", 1) + set("HatchR[0][1]", 50) +
                       "setting Hatch HatchQ1[0][1] inf\n";
    auto h = play(slot + "seed 3\nrun Hatch\npanel ok\nselect all\npanel cancel\n", square);
    EXPECT_TRUE(traceLines(*h, "StoreLine").empty());
    EXPECT_EQ(12u, traceLines(*h, "StoreArc").size()); /* 3 columns, 4 rows */
    EXPECT_EQ(0, h->signalErrors);
    EXPECT_EQ(2, h->beginCommandCalls);
}

TEST(HatchLimits, StoredKindsAndSlotsAtTheirFirstInvalidValue)
{
    // Kinds run 0..8: 8 is kept, 9 and -1 are read as 0 (nothing); slots
    // run 0..7: 7 is kept, 8 is read as 7 and -1 as 0.  The store is
    // written back with the values read.
    auto h = play(set("HatchNo", 8) + set("Hsw[0][0]", 9) + set("Hsw[0][1]", 8) + set("Hsw[0][2]", -1) +
                      set("Hsw[7][7]", 9) + set("Hsw[7][6]", 8) + set("Hsw[7][5]", 1) + "run Hatch\npanel cancel\n");
    EXPECT_EQ(7, h->settings.get("Hatch", "HatchNo"));
    EXPECT_EQ(0, h->settings.get("Hatch", "Hsw[0][0]"));
    EXPECT_EQ(8, h->settings.get("Hatch", "Hsw[0][1]"));
    EXPECT_EQ(0, h->settings.get("Hatch", "Hsw[0][2]"));
    EXPECT_EQ(0, h->settings.get("Hatch", "Hsw[7][7]"));
    EXPECT_EQ(8, h->settings.get("Hatch", "Hsw[7][6]"));
    EXPECT_EQ(1, h->settings.get("Hatch", "Hsw[7][5]"));
    EXPECT_EQ(0, hsw[0][0]);
    EXPECT_EQ(0, hsw[7][7]);
    auto slots = play(set("HatchNo", 7) + "run Hatch\npanel cancel\n");
    EXPECT_EQ(7, slots->settings.get("Hatch", "HatchNo"));
    slots = play(set("HatchNo", -1) + "run Hatch\npanel cancel\n");
    EXPECT_EQ(0, slots->settings.get("Hatch", "HatchNo"));
    slots = play(set("HatchNo", 0) + set("Hsw[0][0]", 0) + "run Hatch\npanel cancel\n");
    EXPECT_EQ(0, slots->settings.get("Hatch", "HatchNo"));
    EXPECT_EQ(0, slots->settings.get("Hatch", "Hsw[0][0]"));
}

} // namespace
