// The stretch command VeC92 at the edges of the host's tables: the window's
// room behind the drawing's end marker and the drag preview's copy, each at
// the last figureLimit that refuses and the first that takes it.
#include "parametric/Param.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

using testing_support::play;
using testing_support::traceLines;

namespace {

// Three lines: the drawing's end marker stands at entry 3.  The window
// takes the first line only.
const char *kThreeLines = "line 1 1 2 2\nline 30 30 40 40\nline 90 90 91 91\n";
const char *kOneLineWindow = "run VeC92\npanel set \"ドラッグ\" 1\npanel ok\npoint 0 0\npoint 5 5\n";

host::HostOptions limit(int figureLimit)
{
    host::HostOptions o;
    o.figureLimit = figureLimit;
    return o;
}

TEST(ParamLimits, TheWindowNeedsOneEntryAndItsMarkerBehindTheDrawing)
{
    // Marker at 3: the collection needs entry 4 and its marker at 5, so
    // figureLimit 5 (the marker two entries below it) refuses the window and
    // 6 takes it.
    std::string session = std::string(kOneLineWindow) + "cancel\npanel cancel\n";
    auto refused = play(session, kThreeLines, limit(5));
    EXPECT_EQ(1, refused->signalErrors);
    EXPECT_TRUE(traceLines(*refused, "CollectWindowFigures").empty());
    EXPECT_EQ(3, refused->fig.drawingEnd());
    EXPECT_EQ(host::figureList(play("", kThreeLines, limit(5))->fig), host::figureList(refused->fig));
    // The refused window asks for its first corner again, never a move.
    EXPECT_EQ(2u, traceLines(*refused, "GetCursorPoint promptText=\"パラメトリック範囲 始点\"").size());
    EXPECT_TRUE(traceLines(*refused, "GetPoint promptText=\"移動 始点\"").empty());

    auto taken = play(std::string(kOneLineWindow) + "point 0 0\npoint 10 0\n", kThreeLines, limit(6));
    EXPECT_EQ(0, taken->signalErrors);
    EXPECT_EQ(1u, traceLines(*taken, "CollectWindowFigures").size());
    EXPECT_NE(host::figureList(taken->fig).find(" line 11 1 12 2 "), std::string::npos) << host::figureList(taken->fig);
    EXPECT_TRUE(traceLines(*taken, "CopyFigureRange").empty()); /* no room for a preview copy */
}

TEST(ParamLimits, ThePreviewCopyNeedsItsEntriesAndMarkerBelowFigureLimit)
{
    // Collected: entry 4, marker 5; the copy goes to 6 with its marker at 7.
    // figureLimit 7: no copy, the end point is asked with a plain rubber
    // band (1); 8: copied, and the drag preview's band (13).
    std::string session = std::string(kOneLineWindow) + "point 0 0\nmove 3 0\npoint 10 0\n";
    auto plain = play(session, kThreeLines, limit(7));
    EXPECT_TRUE(traceLines(*plain, "CopyFigureRange").empty());
    auto endPrompt = traceLines(*plain, "GetPoint promptText=\"移動 終点\"");
    ASSERT_EQ(1u, endPrompt.size());
    EXPECT_NE(endPrompt[0].find("bandKind=1 "), std::string::npos) << endPrompt[0];
    EXPECT_NE(host::figureList(plain->fig).find(" line 11 1 12 2 "), std::string::npos);

    auto copied = play(session, kThreeLines, limit(8));
    EXPECT_FALSE(traceLines(*copied, "CopyFigureRange").empty());
    endPrompt = traceLines(*copied, "GetPoint promptText=\"移動 終点\"");
    ASSERT_EQ(1u, endPrompt.size());
    EXPECT_NE(endPrompt[0].find("bandKind=13 "), std::string::npos) << endPrompt[0];
    EXPECT_NE(host::figureList(copied->fig).find(" line 11 1 12 2 "), std::string::npos);
    EXPECT_EQ(host::figureList(plain->fig), host::figureList(copied->fig)); /* the preview changes nothing kept */
}

TEST(ParamLimits, TheWindowMovesExactlyToEachEndOfTheRangeAndNoFurther)
{
    // The window spans -2147483000 .. 2147483000 both ways: a move of 648
    // down or left, or 647 up or right, brings an edge exactly to the end
    // of the 32-bit range and is taken; one unit more is refused.
    const std::string window = "run VeC92\npanel ok\npoint -2147483000 -2147483000\npoint 2147483000 2147483000\n"
                               "point 0 0\n";
    const std::string beyond = "point -649 0\npoint 0 -649\npoint 648 0\npoint 0 648\n";
    const char *drawing = "line -2147483000 -2147483000 2147483000 2147483000\n";
    struct Case {
        const char *move, *line;
    } cases[] = {
        {"point -648 0\n", " line -2147483648 -2147483000 2147482352 2147483000 "},
        {"point 0 -648\n", " line -2147483000 -2147483648 2147483000 2147482352 "},
        {"point 647 0\n", " line -2147482353 -2147483000 2147483647 2147483000 "},
        {"point 0 647\n", " line -2147483000 -2147482353 2147483000 2147483647 "},
    };
    for (const Case &c : cases) {
        auto h = play(window + beyond + c.move, drawing);
        EXPECT_EQ(4, h->signalErrors) << c.move;
        EXPECT_NE(host::figureList(h->fig).find(c.line), std::string::npos) << c.move << host::figureList(h->fig);
    }
}

TEST(ParamLimits, LinkedTextsStopAtBothEndsOfTheCoordinateRange)
{
    // The line has one end in the window, so its linked centred text moves
    // by half the displacement: 1000 units beyond a text 1000 from either
    // end of the range, where it stops; one 1001 from the end arrives.
    const std::string run = "run VeC92\npanel choose \"リンクを更新する\"\npanel ok\npoint 0 0\npoint 100 100\npoint 0 0\n";
    struct Case {
        const char *move;
        int32_t x, y, wantX, wantY;
    } cases[] = {
        {"point 2000 0\n", 2147483000, 50, 2147483647, 50},
        {"point -2000 0\n", -2147483000, 50, -2147483647 - 1, 50},
        {"point 0 2000\n", 50, 2147483000, 50, 2147483647},
        {"point 0 -2000\n", 50, -2147483000, 50, -2147483647 - 1},
        {"point -2000 0\n", -2147482647, 50, -2147483647, 50},
        {"point 0 2000\n", 50, 2147482647, 50, 2147483647},
    };
    for (const Case &c : cases) {
        std::string drawing = "line 0 10 200 10 link=5\ntext " + std::to_string(c.x) + " " + std::to_string(c.y) +
                              " \"t\" origin=5 link=5\n";
        auto h = play(run + c.move, drawing);
        bool found = false;
        for (int i = 0; i < h->fig.drawingEnd(); ++i)
            if (h->fig.kindAt(i) == 5 || h->fig.kindAt(i) == 6) {
                host::Figure f = h->fig.read(i);
                EXPECT_EQ(c.wantX, f.x1) << c.move << c.x;
                EXPECT_EQ(c.wantY, f.y1) << c.move << c.y;
                found = true;
                break;
            }
        EXPECT_TRUE(found) << c.move;
    }
}

TEST(ParamLimits, ALineEndOnTheWindowsBorderCountsAsInside)
{
    // The line's start lies on the window's left border: both ends count as
    // inside, so its linked text (outside the window) moves the whole 20;
    // with the start just outside it would move half.
    const std::string run = "run VeC92\npanel choose \"リンクを更新する\"\npanel ok\npoint 0 0\npoint 100 100\npoint 0 0\n"
                            "point 20 0\n";
    for (int start : {0, -1}) {
        auto h = play(run, "line " + std::to_string(start) + " 10 50 10 link=5\ntext 25 500 \"m\" origin=5 link=5\n");
        // The same with the start on the bottom border.
        auto low = play(run, "line 10 " + std::to_string(start) + " 50 10 link=5\ntext 25 500 \"m\" origin=5 link=5\n");
        for (int i = 0; i < low->fig.drawingEnd(); ++i)
            if (low->fig.kindAt(i) == 5 || low->fig.kindAt(i) == 6)
                EXPECT_EQ(start == 0 ? 45 : 35, low->fig.read(i).x1) << start;
        bool moved = false;
        for (int i = 0; i < h->fig.drawingEnd(); ++i)
            if (h->fig.kindAt(i) == 5 || h->fig.kindAt(i) == 6) {
                EXPECT_EQ(start == 0 ? 45 : 35, h->fig.read(i).x1) << start;
                moved = true;
                break;
            }
        EXPECT_TRUE(moved) << start;
    }
}

} // namespace
