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
    EXPECT_EQ(play("", kThreeLines, limit(5))->fig.dump(), refused->fig.dump());
    // The refused window asks for its first corner again, never a move.
    EXPECT_EQ(2u, traceLines(*refused, "GetCursorPoint promptText=\"パラメトリック範囲 始点\"").size());
    EXPECT_TRUE(traceLines(*refused, "GetPoint promptText=\"移動 始点\"").empty());

    auto taken = play(std::string(kOneLineWindow) + "point 0 0\npoint 10 0\n", kThreeLines, limit(6));
    EXPECT_EQ(0, taken->signalErrors);
    EXPECT_EQ(1u, traceLines(*taken, "CollectWindowFigures").size());
    EXPECT_NE(taken->fig.dump().find(" line 11 1 12 2 "), std::string::npos) << taken->fig.dump();
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
    EXPECT_NE(plain->fig.dump().find(" line 11 1 12 2 "), std::string::npos);

    auto copied = play(session, kThreeLines, limit(8));
    EXPECT_FALSE(traceLines(*copied, "CopyFigureRange").empty());
    endPrompt = traceLines(*copied, "GetPoint promptText=\"移動 終点\"");
    ASSERT_EQ(1u, endPrompt.size());
    EXPECT_NE(endPrompt[0].find("bandKind=13 "), std::string::npos) << endPrompt[0];
    EXPECT_NE(copied->fig.dump().find(" line 11 1 12 2 "), std::string::npos);
    EXPECT_EQ(plain->fig.dump(), copied->fig.dump()); /* the preview changes nothing kept */
}

} // namespace
