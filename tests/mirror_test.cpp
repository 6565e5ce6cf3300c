// Tests of the mirror command C66: panel and settings, the reflection of each
// figure kind, the command flow (room and range checks, cancels, copy and
// groups) and the refusals that keep the drawing intact.
#include "mirror/Mirror.h"
#include "host/services/Services.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

using testing_support::play;
using testing_support::traceLine;
using testing_support::traceLines;

namespace {

// A figure without its attributes ("line 0 10 20 10").
std::string geom(const host::Host &h, int i)
{
    std::string s = host::figureLine(h.fig, i);
    return s.substr(0, s.find(" layer="));
}

// The geometry of every figure of the drawing, in order.
std::vector<std::string> drawing(const host::Host &h)
{
    std::vector<std::string> out;
    int end = h.fig.drawingEnd();
    for (int i = 0; i < end; ++i)
        if (h.fig.isFigureStart(i)) {
            out.push_back(geom(h, i));
            i += host::entriesOfKind(h.fig.kindAt(i)) - 1;
        }
    return out;
}

// The prompts of the point requests, in order.
std::vector<std::string> prompts(const host::Host &h)
{
    std::vector<std::string> out;
    for (const std::string &l : traceLines(h, "GetPoint promptText="))
        out.push_back(l.substr(21, l.find('"', 21) - 21));
    return out;
}

bool startsWith(const std::string &s, const std::string &prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

double setting(const host::Host &h, const char *key) { return h.settings.get("C66", key).value_or(-99.0); }

// Lines 0, arc 1-2, circle 3-4, point 5, text 6-7; the end marker at 8.
const char *kKinds = "line 0 10 20 10\n"
                     "arc 100 100 50 0 90 group=4\n"
                     "circle 200 0 30\n"
                     "point 5 5\n"
                     "text 10 50 \"AB\" origin=0\n";

} // namespace

TEST(MirrorPanel, DefaultsLayoutTextsAndStoredValues)
{
    auto h = play("set cursorX 105\nset cursorY 47\nrun C66\npanel cancel\n");
    EXPECT_EQ(h->beginCommandCalls, 1);
    ASSERT_EQ(traceLines(*h, "OpenPanelByLayout").size(), 1u);
    EXPECT_EQ(traceLine(*h, "OpenPanelByLayout", 0), "OpenPanelByLayout panelRows=5 panelWidth=20 panelColumn=13 panelRow=2");
    EXPECT_EQ(h->panel.caption, "ミラー反転");
    const auto &it = h->panel.items;
    ASSERT_EQ(it.size(), 6u);
    EXPECT_EQ(it[0].kind, host::ItemKind::Header);
    EXPECT_EQ(it[1].caption, "方向");
    EXPECT_EQ(*it[1].boundInt, 1);
    EXPECT_EQ(it[2].entries, (std::vector<std::string>{"上下", "左右", "斜め"}));
    EXPECT_EQ(it[2].boundInt, it[1].boundInt);
    EXPECT_EQ(it[3].caption, "元データを残す　　");
    EXPECT_EQ(*it[3].boundInt, 1);
    EXPECT_EQ(it[4].caption, "文字原点を反転する");
    EXPECT_EQ(*it[4].boundInt, 0);
    EXPECT_EQ(it[5].kind, host::ItemKind::GroupChoice);
    EXPECT_EQ(*it[5].boundInt, 1);
    EXPECT_EQ(*it[5].boundMode, 3);
    // The items as the host's interface has them: four zeros, no event, and
    // -1 for the four trailing numbers.
    EXPECT_EQ(traceLines(*h, "AddPanelItem"),
              (std::vector<std::string>{
                  "AddPanelItem 1 0 4 1 1 \"方向\" 1 1 1 3 & 0 0 0 0 0 -1 -1 -1 -1",
                  "AddPanelItem 2 0 19 6 1 \"元データを残す　　\" 0 0 0 1 & 0 0 0 0 0 -1 -1 -1 -1",
                  "AddPanelItem 3 0 19 6 1 \"文字原点を反転する\" 0 0 0 1 & 0 0 0 0 0 -1 -1 -1 -1"}));
    // A cancelled panel still writes the five values that were shown.
    EXPECT_EQ(traceLines(*h, "WriteSetting").size(), 5u);
    EXPECT_EQ(setting(*h, "c66_DeleteSW"), 1.0);
    EXPECT_EQ(setting(*h, "c66_Direction"), 1.0);
    EXPECT_EQ(setting(*h, "c66_ChangeGroup"), 3.0);
    EXPECT_EQ(setting(*h, "c66_NewGroupNum"), 1.0);
    EXPECT_EQ(setting(*h, "Moji_gentenSW"), 0.0);

    // Stored values truncate toward zero; NaN reads as the default, a value
    // beyond the 32-bit range as the nearest 32-bit value.
    h = play("setting C66 c66_Direction 2.9\nsetting C66 c66_NewGroupNum nan\n"
             "setting C66 c66_ChangeGroup -1.7\nsetting C66 Moji_gentenSW 1e12\nrun C66\npanel cancel\n");
    EXPECT_EQ(traceLine(*h, "item row 1 value", 0), "item row 1 value \"方向\" = 2");
    EXPECT_EQ(setting(*h, "c66_Direction"), 2.0);
    EXPECT_EQ(setting(*h, "c66_NewGroupNum"), 1.0);
    EXPECT_EQ(setting(*h, "c66_ChangeGroup"), -1.0);
    EXPECT_EQ(setting(*h, "Moji_gentenSW"), 2147483647.0);

    // The module's texts are Shift-JIS.
    EXPECT_STREQ(mirrorSelectPrompt, "\x83\x7E\x83\x89\x81\x5B");
    EXPECT_STREQ(mirrorFirstPointPrompt, "\x8A\xEE\x8F\x80\x93\x5F \x82\x50");
    EXPECT_STREQ(mirrorKeepText, "\x8C\xB3\x83\x66\x81\x5B\x83\x5E\x82\xF0\x8E\x63\x82\xB7\x81\x40\x81\x40");
}

TEST(MirrorDiagonal, ReflectsEachKindAboutTwoPoints)
{
    // Copy mode about the 45-degree line through the origin, origin flipping on.
    auto h = play("run C66\npanel pick 1 \"斜め\"\npanel set \"文字原点を反転する\" 1\npanel ok\nselect all\n"
                  "point 0 0\npoint 10 10\ncancel\npanel cancel\n",
                  kKinds);
    EXPECT_EQ(drawing(*h), (std::vector<std::string>{
                               "line 0 10 20 10", "arc 100 100 50 0 90", "circle 200 0 30", "point 5 5",
                               "text 10 50 \"AB\" origin=0 height=100 width=50 spacing=0 angle=0 slant=0 style=0",
                               "line 10 0 10 20", "arc 100 100 50 180 270", "circle 0 200 30", "point 5 5",
                               "text 50 10 \"AB\" origin=0 height=100 width=50 spacing=0 angle=0 slant=0 style=0"}));
    // The copy is the new work section: it starts at the old selEnd.
    EXPECT_TRUE(startsWith(traceLine(*h, "CopyFigureRange", 0), "CopyFigureRange rangeFirst=9 rangeSecond=17 rangeLast=18 "));
    EXPECT_EQ(traceLine(*h, "FindMarker", 0), "FindMarker & -1 0 -> 17");
    EXPECT_EQ(traceLine(*h, "FindMarker", 1), "FindMarker & -1 18 -> 26");
    EXPECT_EQ(traceLine(*h, "UngroupRange", 0), "UngroupRange 18");
    EXPECT_TRUE(startsWith(traceLine(*h, "DrawFiguresFrom", 0), "DrawFiguresFrom drawIndex=18 drawMode=3 "));
    EXPECT_EQ(h->fig.read(10).group, 4); // the original keeps its group
    // Progress: entries left, counted over the visited entries.
    std::vector<std::string> left;
    for (const std::string &l : traceLines(*h, "ShowStatusText"))
        left.push_back(l.substr(15, l.find(' ', 15) - 15));
    EXPECT_EQ(left, (std::vector<std::string>{"\"8\"", "\"7\"", "\"5\"", "\"3\"", "\"2\"", "\"1\""}));
    EXPECT_EQ(traceLine(*h, "BeginProgress", 0), "BeginProgress promptText=\"ＥＳＣで中断します。\"");
    EXPECT_EQ(traceLines(*h, "EndProgress").size(), 1u);
    EXPECT_EQ(h->rec.i32(host::StateField::drawingModified), 1);

    // About a horizontal axis (theta 0): 0..90 becomes 270..0; 360..0 is no
    // full circle and is reflected too.  Escape after the first figure.
    h = play("run C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す\" 0\npanel ok\nselect all\n"
             "point 0 0\nkey esc after 2\npoint 100 0\ncancel\npanel cancel\n",
             "arc 100 100 50 0 90\narc 100 100 50 360 0\nline 0 10 20 10\n");
    EXPECT_EQ(drawing(*h), (std::vector<std::string>{"arc 100 -100 50 270 0", "arc 100 -100 50 0 0",
                                                     "line 0 10 20 10"}));
    EXPECT_EQ(traceLines(*h, "EndProgress").size(), 1u);
    EXPECT_EQ(traceLines(*h, "DrawFiguresFrom").size(), 2u); // erased, then redrawn

    // Texts of both kinds are reflected; a point, off the axis here, is no
    // figure the reflection handles and stays, as does the text after it.
    h = play("run C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す\" 0\npanel ok\nselect all\n"
             "point 0 0\npoint 10 10\n",
             "text 30 70 \"CD\" kind=6 origin=0\npoint 40 5\ntext 60 20 \"EF\" origin=0\n");
    EXPECT_EQ(drawing(*h), (std::vector<std::string>{
                               "text 70 30 \"CD\" origin=0 height=100 width=50 spacing=0 angle=0 slant=0 style=0 kind=6",
                               "point 40 5",
                               "text 20 60 \"EF\" origin=0 height=100 width=50 spacing=0 angle=0 slant=0 style=0"}));
    EXPECT_EQ(h->signalErrors, 0);
}

namespace {
// A host whose VectorAngle gives a full turn, 2 pi, for every vector.
double HOST_STDCALL fullTurn()
{
    host::gHost->rec.put(host::StateField::vectorAngle, 2.0 * 3.14159265358979323846);
    return 0.0;
}
} // namespace

TEST(MirrorDiagonal, AxisAngleOfExactly360IsKept)
{
    auto h = std::make_unique<host::Host>(host::nativeModule());
    h->rec.putSlot(host::serviceInfo(host::Svc::VectorAngle).offset, reinterpret_cast<void *>(&fullTurn));
    h->loadDrawing("arc 100 100 50 0 90\n", "drawing");
    h->loadScript("run C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す\" 0\npanel ok\nselect all\n"
                  "point 0 0\npoint 100 0\n", "session");
    h->runScript();
    // 720 - 0 = 720 -> 360 (kept), 720 - 90 -> 270: the arc 270..360.
    EXPECT_EQ(drawing(*h), std::vector<std::string>{"arc 100 -100 50 270 360"});
}

TEST(MirrorDiagonal, TextBoxRangeTest)
{
    // Vertical axis x = 0.  A left-origin (0) text whose box reaches right
    // stays in range at the left edge; a right-origin (2) one would not.  A
    // bottom-origin (10) text just below the top edge, mirrored about y = 0,
    // fits.  A text of 4 x (2e9 + 2e9) width is refused (computed in 64 bits).
    const char *texts = "text 2147482500 0 \"ABCD\" origin=0 width=250\n"
                        "text 2147483000 0 \"ABCD\" origin=2 width=250\n"
                        "text 100 0 \"ABCD\" origin=0 width=2000000000 spacing=2000000000\n"
                        "line 0 10 20 10\n";
    auto h = play("run C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す\" 0\npanel ok\nselect all\n"
                  "point 0 0\npoint 0 100\n",
                  texts);
    std::vector<std::string> d = drawing(*h);
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].substr(0, 17), "text -2147482500 ");
    EXPECT_EQ(d[1].substr(0, 16), "text 2147483000 ");
    EXPECT_EQ(d[2].substr(0, 9), "text 100 ");
    EXPECT_EQ(d[3], "line 0 10 -20 10");
    EXPECT_EQ(h->signalErrors, 2);

    h = play("run C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す\" 0\npanel ok\nselect all\n"
             "point 0 0\npoint 100 0\n",
             "text 0 -2147483527 \"AB\" origin=10 height=100\n");
    ASSERT_EQ(drawing(*h).size(), 1u);
    EXPECT_EQ(drawing(*h)[0].substr(0, 18), "text 0 2147483527 ");
    EXPECT_EQ(h->signalErrors, 0);

    // A box exactly 2147483647 wide, reaching right from the mirrored origin
    // at x = -5: its corners and its length are in range, it is taken.
    h = play("run C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す\" 0\npanel ok\nselect all\n"
             "point 0 0\npoint 0 100\n",
             "text 5 0 \"A\" origin=0 width=2147483647\nline 0 10 20 10\n");
    EXPECT_EQ(h->signalErrors, 0);
    EXPECT_EQ(drawing(*h), (std::vector<std::string>{
                               "text -5 0 \"A\" origin=0 height=100 width=2147483647 spacing=0 angle=0 slant=0 style=0",
                               "line 0 10 -20 10"}));
}

TEST(MirrorAxisAligned, HostScalesAndOriginCodesFlip)
{
    std::string texts;
    for (int v : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) // 3, 7, 11 and above are no positions
        texts += "text " + std::to_string(v) + " 10 \"A\" origin=" + std::to_string(v) + "\n";
    std::string shapes = "arc 100 100 50 0 90\ncircle 200 0 30\npoint 5 5\n";
    auto origins = [](const host::Host &h) {
        std::vector<int> out;
        for (int i = 0; i < h.fig.drawingEnd(); ++i)
            if (h.fig.kindAt(i) == 5)
                out.push_back(h.fig.read(i).origin);
        return out;
    };
    const std::string flip = "run C66\npanel set \"元データを残す\" 0\npanel set \"文字原点を反転する\" 1\n";

    auto h = play(flip + "panel ok\nselect all\npoint 0 0\n", shapes + texts);
    EXPECT_EQ(origins(*h), (std::vector<int>{8, 9, 10, 3, 4, 5, 6, 7, 0, 1, 2, 11, 12, 13, 14, 15}));
    // the host is handed exactly these codes (11 and above as they are, not
    // as values that come out the same only once it masks them to 4 bits)
    std::vector<int> handed;
    for (const std::string &l : traceLines(*h, "SetTextOrigin "))
        handed.push_back(std::stoi(l.substr(l.find(' ', 14) + 1)));
    EXPECT_EQ(handed, origins(*h));
    std::vector<std::string> d = drawing(*h);
    EXPECT_EQ(std::vector<std::string>(d.begin(), d.begin() + 3),
              (std::vector<std::string>{"arc 100 -100 50 270 0", "circle 200 0 30", "point 5 -5"}));
    EXPECT_EQ(d[4].substr(0, 10), "text 1 -10");

    h = play(flip + "panel set \"方向\" 2\npanel ok\nselect all\npoint 0 0\n", shapes + texts);
    EXPECT_EQ(origins(*h), (std::vector<int>{2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 12, 13, 14, 15}));
    d = drawing(*h);
    EXPECT_EQ(std::vector<std::string>(d.begin(), d.begin() + 3),
              (std::vector<std::string>{"arc -100 100 50 90 180", "circle -200 0 30", "point -5 5"}));

    // Flipping off: every attribute word stays.  Escape during flipping
    // stops only the flipping: all texts moved, the first text flipped.
    h = play("run C66\npanel set \"元データを残す\" 0\npanel ok\nselect all\npoint 0 0\n", texts);
    EXPECT_EQ(origins(*h), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    h = play(flip + "panel ok\nselect all\nkey esc after 2\npoint 0 0\n", texts);
    EXPECT_EQ(origins(*h), (std::vector<int>{8, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    ASSERT_GE(drawing(*h).size(), 3u);
    EXPECT_EQ(drawing(*h)[2].substr(0, 10), "text 2 -10");
    EXPECT_EQ(traceLines(*h, "BeginProgress").size(), 0u);
}

TEST(MirrorFlow, RoomCheckKeepsTheSelection)
{
    const std::string lines = "line 0 10 20 10\nline 0 20 20 20\nline 0 30 20 30\n";
    const std::string run = "run C66\npanel ok\nselect 0\npoint 0 0\ncancel\npanel cancel\n";
    // One entry selected: selFirst 3, selEnd 5; it passes at figureLimit 17.
    auto h = play("set figureLimit 17\n" + run, lines);
    EXPECT_EQ(drawing(*h).back(), "line 0 -10 20 -10");
    EXPECT_EQ(h->signalErrors, 0);
    // At 16 it is refused, back to the panel; the selected line stays.
    h = play("set figureLimit 16\nrun C66\npanel ok\nselect 0\npanel cancel\n", lines);
    EXPECT_EQ(drawing(*h), (std::vector<std::string>{"line 0 20 20 20", "line 0 30 20 30", "line 0 10 20 10"}));
    EXPECT_EQ(h->signalErrors, 1);
    EXPECT_EQ(h->beginCommandCalls, 2);
    EXPECT_TRUE(prompts(*h).empty());
    // Replace mode makes no room check, even in a full drawing.
    h = play("set figureLimit 6\nrun C66\npanel set \"元データを残す\" 0\npanel ok\nselect 0\npoint 0 0\n", lines);
    EXPECT_EQ(drawing(*h).back(), "line 0 -10 20 -10");
}

TEST(MirrorFlow, RangeRefusalsAndCancelsChangeNothing)
{
    const std::string line = "line 0 10 20 10\n";
    const std::vector<std::string> unchanged{"line 0 10 20 10"};
    // Direction 3: an axis at x = 1.5e9 would carry the line beyond the range.
    auto h = play("run C66\npanel pick 1 \"斜め\"\npanel ok\nselect all\npoint 1500000000 0\npoint 1500000000 100\n"
                  "point 0 0\npoint 0 0\ncancel\ncancel\ncancel\npanel cancel\n",
                  line);
    // Refused axis: both points again; the same point twice: the second again;
    // cancelling the second: the first again; cancelling the first: selection.
    EXPECT_EQ(prompts(*h), (std::vector<std::string>{"基準点 １", "基準点 ２", "基準点 １", "基準点 ２", "基準点 ２",
                                                     "基準点 １"}));
    EXPECT_EQ(h->signalErrors, 2);
    EXPECT_EQ(traceLines(*h, "SelectFigures").size(), 2u);
    EXPECT_EQ(drawing(*h), unchanged);
    EXPECT_EQ(h->beginCommandCalls, 2);

    // Directions 1 and 2: base points whose line would carry the box out.
    h = play("run C66\npanel ok\nselect all\npoint 0 1200000000\ncancel\ncancel\n"
             "panel set \"方向\" 2\npanel ok\nselect all\npoint -1100000000 0\ncancel\ncancel\npanel cancel\n",
             line);
    EXPECT_EQ(prompts(*h), (std::vector<std::string>{"基準点", "基準点", "基準点", "基準点"}));
    EXPECT_EQ(h->signalErrors, 2);
    EXPECT_EQ(drawing(*h), unchanged);

    // A base point far off in x does not matter about a horizontal axis.
    h = play("run C66\npanel ok\nselect all\npoint 3000000000 0\ncancel\npanel cancel\n", line);
    EXPECT_EQ(drawing(*h), (std::vector<std::string>{"line 0 10 20 10", "line 0 -10 20 -10"}));
    EXPECT_TRUE(startsWith(traceLine(*h, "ScaleFigures", 0),
                           "ScaleFigures drawIndex=4 drawMode=2 argBx=1 argBy=-1 refPointX=2147483647 refPointY=0"));
    // The panel then opens at the cursor's cell, 3e9 pixels out: the host
    // keeps the pixel position in range.
    EXPECT_EQ(h->panel.x, INT32_MAX);
}

TEST(MirrorFlow, StoredDirectionOutsideThePanelIsRefused)
{
    auto h = play("setting C66 c66_Direction 4\nrun C66\npanel ok\npanel set \"方向\" 2\npanel ok\nselect all\n"
                  "point 100 0\ncancel\npanel cancel\n",
                  "line 0 10 20 10\n");
    EXPECT_EQ(h->signalErrors, 1);
    // The selection is first asked after the second panel.
    std::vector<std::string> order;
    for (const std::string &l : h->trace.lines())
        if (l.find("OpenPanelByLayout") != std::string::npos || l.find("SelectFigures") != std::string::npos)
            order.push_back(l.substr(l.find_first_not_of(' '), 6));
    EXPECT_EQ(order, (std::vector<std::string>{"OpenPa", "OpenPa", "Select", "Select", "OpenPa"}));
    EXPECT_EQ(h->beginCommandCalls, 3);
    EXPECT_EQ(drawing(*h).back(), "line 200 10 180 10");
    EXPECT_EQ(setting(*h, "c66_Direction"), 2.0);
}

TEST(MirrorFlow, SelectModeAndGroupSteps)
{
    const std::string lines = "line 0 10 20 10 group=4\nline 0 20 20 20 group=7\n";
    auto groupsAfter = [&](const std::string &panel) {
        auto h = play("run C66\n" + panel + "panel ok\nselect all\npoint 0 0\n", lines);
        std::vector<int> g;
        for (int i = 0; i < h->fig.drawingEnd(); ++i)
            if (h->fig.kindAt(i) == 2)
                g.push_back(h->fig.read(i).group);
        return g;
    };
    EXPECT_EQ(groupsAfter("panel set @groupmode 1\npanel set @group 9\n"), (std::vector<int>{4, 7, 9, 9}));
    EXPECT_EQ(groupsAfter("panel set @groupmode 2\npanel set @group 4\n"), (std::vector<int>{4, 7, 8, 8}));
    EXPECT_EQ(groupsAfter("panel set @groupmode 2\npanel set @group 20\n"), (std::vector<int>{4, 7, 20, 20}));
    EXPECT_EQ(groupsAfter(""), (std::vector<int>{4, 7, 0, 0}));
    EXPECT_EQ(groupsAfter("panel set \"元データを残す\" 0\n"), (std::vector<int>{4, 7}));

    // selectMode 3: after a mirror the panel opens again, not the selection.
    auto h = play("set selectMode 3\nrun C66\npanel ok\nselect all\npoint 0 0\npanel cancel\n", lines);
    EXPECT_EQ(h->beginCommandCalls, 2);
    EXPECT_EQ(traceLines(*h, "SelectFigures").size(), 1u);
    h = play("run C66\npanel ok\nselect all\npoint 0 0\ncancel\npanel cancel\n", lines);
    EXPECT_EQ(traceLines(*h, "SelectFigures").size(), 2u);
    EXPECT_EQ(h->beginCommandCalls, 2);
}

TEST(MirrorCopy, OnlyMirroredFiguresJoinTheDrawing)
{
    // Every figure the display shows, wherever its entries are: it must be
    // the drawing, with no unmirrored copy lying on its original.
    auto shown = [](const host::Host &h) {
        std::vector<std::string> out;
        for (int i = 0; i < h.rec.capacity(); ++i)
            if (h.fig.isFigureStart(i)) {
                if (h.fig.display(i) == host::Display::Drawn)
                    out.push_back(geom(h, i));
                i += host::entriesOfKind(h.fig.kindAt(i)) - 1;
            }
        return out;
    };
    const std::string slant = "run C66\npanel pick 1 \"斜め\"\npanel ok\nselect all\n";
    // A text whose mirrored box would leave the range (about x = 0 its
    // right-origin box would reach beyond -2147483648) is refused: in copy
    // mode its copy goes, the line's mirror image stays.
    const char *texts = "text 2147483000 0 \"ABCD\" origin=2 width=250\nline 0 10 20 10\n";
    auto h = play(slant + "point 0 0\npoint 0 100\ncancel\npanel cancel\n", texts);
    std::vector<std::string> d = drawing(*h);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].substr(0, 16), "text 2147483000 ");
    EXPECT_EQ(d[1], "line 0 10 20 10");
    EXPECT_EQ(d[2], "line 0 10 -20 10");
    EXPECT_EQ(h->signalErrors, 1);
    EXPECT_EQ(shown(*h), d);

    // Escape on the second entry of the first text (the text is mirrored):
    // the figures after it leave the copy, and the drawing ends after the
    // text's copy.
    const char *mixed = "text 10 50 \"AB\" origin=0\nline 0 10 20 10\narc 100 100 50 0 90\n";
    h = play(slant + "point 0 0\nkey esc after 1\npoint 10 10\ncancel\npanel cancel\n", mixed);
    d = drawing(*h);
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[3].substr(0, 13), "text 50 10 \"A");
    EXPECT_EQ(shown(*h), d);
    EXPECT_EQ(h->fig.kindAt(h->fig.drawingEnd() - 1), 1); // the text's second entry is whole
    // Escape at once: the copy is empty, the originals are all there is.
    h = play(slant + "point 0 0\nkey esc\npoint 10 10\ncancel\npanel cancel\n", mixed);
    d = drawing(*h);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[2], "arc 100 100 50 0 90");
    EXPECT_EQ(shown(*h), d);
    // Escape after the line: text and line mirrored, the arc's copy gone.
    h = play(slant + "point 0 0\nkey esc after 3\npoint 10 10\ncancel\npanel cancel\n", mixed);
    d = drawing(*h);
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[4], "line 10 0 10 20");
    EXPECT_EQ(shown(*h), d);

    // Replace mode keeps its behaviour: the figures not reached stay where
    // they were.
    h = play("run C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す\" 0\npanel ok\nselect all\n"
             "point 0 0\nkey esc after 3\npoint 10 10\n",
             mixed);
    d = drawing(*h);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[1], "line 10 0 10 20");
    EXPECT_EQ(d[2], "arc 100 100 50 0 90");
}

TEST(MirrorFlow, AxisWithoutDirectionIsRefused)
{
    // Points 1e-170 apart (squared length 0), 1e-155 apart (subnormal) and
    // 1e200 apart (infinite) give no axis: the second point is asked again.
    auto h = play("run C66\npanel pick 1 \"斜め\"\npanel set \"元データを残す\" 0\npanel ok\nselect all\n"
                  "point 0 0\npoint 1e-170 0\npoint 0 1e-155\npoint 1e200 1e200\npoint 10 10\n",
                  "line 0 10 20 10\narc 100 100 50 0 90\n");
    EXPECT_EQ(prompts(*h), (std::vector<std::string>{"基準点 １", "基準点 ２", "基準点 ２", "基準点 ２", "基準点 ２"}));
    EXPECT_EQ(h->signalErrors, 3);
    EXPECT_EQ(drawing(*h), (std::vector<std::string>{"line 10 0 10 20", "arc 100 100 50 180 270"}));
}
