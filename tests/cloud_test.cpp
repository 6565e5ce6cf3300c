// cloud_test.cpp - the cloud-mark command kumo1, played as sessions against
// the linked module: rectangle clouds, trails, groups, settings, the cancel
// paths, and the faults mended in the command.
#include "cloud/Cloud.h"
#include "host/text/Text.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <cmath>
#include <sstream>

using testing_support::play;
using testing_support::traceLine;
using testing_support::traceLines;

namespace {

const double kDegree = 3.14159265358979323846 / 180;

// One traced call of AddArc or AddLine: its numeric arguments (the tables
// pointer left out) and its result.
struct Write {
    std::vector<double> a;
    long long k;
    double px() const { return a[2] + a[4] * std::cos(a[5] * kDegree); } // arcs: chord ends from
    double py() const { return a[3] - a[4] * std::sin(a[5] * kDegree); } // the stored angles
    double qx() const { return a[2] + a[4] * std::cos(a[6] * kDegree); }
    double qy() const { return a[3] - a[4] * std::sin(a[6] * kDegree); }
};

Write parseWrite(const std::string &line)
{
    std::istringstream in(line);
    std::string w;
    Write c;
    in >> w; // name
    while (in >> w && w != "->")
        if (w != "&")
            c.a.push_back(std::stod(w));
    in >> c.k;
    return c;
}

std::vector<Write> writes(const host::Host &h, const char *name = "AddArc")
{
    std::vector<Write> out;
    for (const std::string &l : traceLines(h, std::string(name) + " "))
        out.push_back(parseWrite(l));
    return out;
}

// Per USA call, the number of traced lines starting with `prefix`.
std::vector<int> perHook(const host::Host &h, const std::string &prefix)
{
    std::vector<int> out;
    for (const std::string &l : traceLines(h, "")) {
        if (l == "USA")
            out.push_back(0);
        else if (l.compare(0, prefix.size(), prefix) == 0 && !out.empty())
            ++out.back();
    }
    return out;
}

// Figures in the drawing.
long figureCount(const host::Host &h)
{
    std::string d = host::figureList(h.fig);
    return std::count(d.begin(), d.end(), '\n');
}

std::string kumo(const std::string &answers, const std::string &before = "") { return before + "run kumo1\n" + answers; }

const char *const kTrailWalk = "point 0 0\nmove 9.99 0\nmove 15 0\nmove 10 25\nmove -6 -2\nmove 30 30\n";

TEST(CloudFlow, AttributeItemsAndTheTrailRequestAreMadeAsTheHostExpects)
{
    // The attribute items of the panel (row, bound value, two zeros, first
    // and last column, event) and the trail's cursor request: mode 9, option
    // 1, no rubber band.  A host lays out and answers by these numbers.
    auto h = play("setting kumo1 KumoMode 2\nrun kumo1\npanel ok\npoint 0 0\nmove 15 0\nconfirm\ncancel\npanel cancel\n");
    EXPECT_EQ(traceLines(*h, "AddPanelLayer"), (std::vector<std::string>(2, "AddPanelLayer 7 & 0 0 3 20 201")));
    EXPECT_EQ(traceLines(*h, "AddPanelLineType"), (std::vector<std::string>(2, "AddPanelLineType 8 & 0 0 3 20 201")));
    EXPECT_EQ(traceLines(*h, "AddPanelColor"), (std::vector<std::string>(2, "AddPanelColor 9 & 0 0 3 20 201")));
    EXPECT_EQ(traceLines(*h, "AddPanelGroup"), (std::vector<std::string>(2, "AddPanelGroup 10 & & 2 1 22 201")));
    EXPECT_EQ(traceLines(*h, "GetCursorPoint"),
              (std::vector<std::string>{
                  "GetCursorPoint promptText=\"雲マーク=> マウス軌跡 確定/戻る\" inputMode=9 inputOption=1 bandKind=0"}));
}

} // namespace

TEST(CloudBox, TwelveArcsOnTheInscribedEllipseBulgeByMode)
{
    const double vx[13] = {4, 3.732051, 3, 2, 1, 0.267949, 0, 0.267949, 1, 2, 3, 3.732051, 4};
    const double vy[13] = {1, 0.5, 0.133975, 0, 0.133975, 0.5, 1, 1.5, 1.866025, 2, 1.866025, 1.5, 1};
    for (int mode = 0; mode < 2; ++mode) {
        auto h = play(kumo("panel ok\npoint 0 0\npoint 4 2\ncancel\npanel cancel\n",
                           "setting kumo1 KumoMode " + std::to_string(mode) + "\n"),
                      "line 10 10 20 10\nline 20 10 20 20\n");
        std::vector<Write> w = writes(*h);
        ASSERT_EQ(w.size(), 12u);
        EXPECT_EQ(w[0].a[1], 2); // at the drawing's end marker
        for (int i = 0; i < 12; ++i) {
            int from = mode == 1 ? i : i + 1, to = mode == 1 ? i + 1 : i; // mode 0 runs against the vertices
            EXPECT_NEAR(w[i].px(), vx[from], 1e-6) << mode << " " << i;
            EXPECT_NEAR(w[i].py(), vy[from], 1e-6);
            EXPECT_NEAR(w[i].qx(), vx[to], 1e-6);
            EXPECT_NEAR(w[i].qy(), vy[to], 1e-6);
            EXPECT_EQ(w[i].k, 2 + 2 * i);
            // the arc's middle lies outside the ellipse in mode 1, inside in mode 0
            double mx = (vx[i] + vx[i + 1]) / 2 - 2, my = (vy[i] + vy[i + 1]) / 2 - 1;
            double cx = w[i].a[2] - 2, cy = w[i].a[3] - 1, r = w[i].a[4];
            double dx = mx - cx, dy = my - cy, d = std::hypot(dx, dy);
            double ax = cx + r * dx / d, ay = cy + r * dy / d;
            EXPECT_EQ(std::hypot(ax, ay * 2) > std::hypot(mx, my * 2), mode == 1);
        }
        EXPECT_EQ(h->fig.type(26), -1);
        EXPECT_EQ(h->fig.read(2).layer, 1);
        EXPECT_EQ(h->rec.i32(host::StateField::drawingModified), 1);
    }
}

TEST(CloudBox, CornerOrderAndDegenerateRectangles)
{
    auto arcsOf = [](const std::string &corners) {
        auto h = play(kumo("panel ok\n" + corners + "cancel\npanel cancel\n", "setting kumo1 KumoMode 1\n"));
        return traceLines(*h, "AddArc");
    };
    std::vector<std::string> base = arcsOf("point 0 0\npoint 40 20\n");
    EXPECT_EQ(arcsOf("point 40 20\npoint 0 0\n"), base);
    EXPECT_EQ(arcsOf("point 0 20\npoint 40 0\n"), base);
    auto h = play(kumo("panel ok\npoint 5 5\npoint 5 5\npoint 0 3\npoint 8 3\ncancel\npanel cancel\n",
                       "setting kumo1 KumoMode 1\n"));
    std::vector<Write> w = writes(*h);
    ASSERT_EQ(w.size(), 24u); // no minimum size
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(w[i].a[4], 0) << i;
        EXPECT_NEAR(w[12 + i].py(), 3, 1e-9); // zero height: all on one segment
        EXPECT_NEAR(w[12 + i].qy(), 3, 1e-9);
    }
    EXPECT_NEAR(w[12].px(), 8, 1e-9);
    EXPECT_NEAR(w[17].qx(), 0, 1e-9);
}

TEST(CloudBox, WritersPlaceArcAndLineAndEndTheList)
{
    auto h = play("");
    h->rec.at(host::ArrType, 42) = 0x00050200; // a type word with a layer in its high half
    kumoActiveMode = 0;
    EXPECT_EQ(KumoAddArc(40, 0, 0, 2, 0), 42);
    EXPECT_EQ(h->rec.at(host::ArrType, 42), 0x0005FFFF);
    std::vector<Write> w = writes(*h);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].a[0], 7); // the attrContext value
    EXPECT_NEAR(w[0].a[2], 1, 1e-12);
    EXPECT_NEAR(w[0].a[3], -1, 1e-12);
    EXPECT_NEAR(w[0].a[4], std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(w[0].a[5], 225, 1e-9);
    EXPECT_NEAR(w[0].a[6], 315, 1e-9);
    EXPECT_EQ(KumoAddLine(50, 1, 2, 3, 4), 51);
    EXPECT_EQ(h->fig.type(51), -1);
    EXPECT_EQ(h->fig.read(50).x2, 3);
    kumoActiveMode = 1;
    kumoLayer = 4, kumoGroupNumber = 9, kumoColor = 5, kumoLine = 2;
    KumoAddLine(60, 0, 0, 1, 1);
    EXPECT_EQ(traceLines(*h, "AddLine").back(), "AddLine & 7 60 0 0 1 1 4 9 5 2 -> 60");
    kumoActiveMode = 3; // not 0 or 1: nothing written, the position handed back
    EXPECT_EQ(KumoAddArc(70, 0, 0, 2, 0), 70);
    EXPECT_EQ(KumoAddLine(70, 0, 0, 2, 0), 70);
    EXPECT_EQ(writes(*h).size(), 1u);
    EXPECT_EQ(traceLines(*h, "AddLine").size(), 2u);
}

TEST(CloudFlow, EveryCancelStepsBackOneStage)
{
    auto h = play(kumo("panel cancel\n"));
    EXPECT_EQ(h->beginCommandCalls, 2);
    EXPECT_EQ(h->rec.i32(host::StateField::drawingModified), 1);
    EXPECT_TRUE(traceLines(*h, "GetPoint").empty());

    h = play(kumo("panel ok\npoint 0 0\ncancel\ncancel\npanel ok\npoint 1 1\npoint 9 9\ncancel\npanel cancel\n"));
    std::vector<std::string> asks = traceLines(*h, "GetPoint");
    ASSERT_EQ(asks.size(), 6u); // first, second, first, (panel) first, second, first
    for (int i = 0; i < 6; ++i)
        EXPECT_NE(asks[i].find(i == 1 || i == 4 ? u8"終点/戻る" : u8"始点/終了"), std::string::npos) << i;
    EXPECT_NE(asks[1].find("bandKind=2 boxAnchorX=0 boxAnchorY=0"), std::string::npos);
    EXPECT_EQ(traceLines(*h, "OpenPanel").size(), 3u);
    EXPECT_EQ(writes(*h).size(), 12u); // only the second pass drew
    EXPECT_EQ(h->beginCommandCalls, 2);
}

TEST(CloudTrail, WalkClosesNearStartThenStops)
{
    auto h = play(kumo(std::string("panel ok\n") + kTrailWalk + "confirm\ncancel\npanel cancel\n",
                       "setting kumo1 KumoMode 2\n"),
                  "line 100 100 200 100\n");
    EXPECT_EQ(perHook(*h, "AddArc"), (std::vector<int>{0, 1, 1, 2, 0}));
    std::vector<Write> w = writes(*h);
    ASSERT_EQ(w.size(), 4u);
    const double ends[5][2] = {{0, 0}, {10, 0}, {10, 10}, {2, 4}, {0, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(w[i].px(), ends[i][0], 1e-9) << i;
        EXPECT_NEAR(w[i].py(), ends[i][1], 1e-9);
        EXPECT_NEAR(w[i].qx(), ends[i + 1][0], 1e-9);
        EXPECT_NEAR(w[i].qy(), ends[i + 1][1], 1e-9);
        EXPECT_EQ(w[i].a[1], 20050 + 2 * i); // into the work area
    }
    EXPECT_EQ(trailSteps, 3);
    EXPECT_EQ(trailClosed, -1);
    EXPECT_EQ(traceLines(*h, "CopyFigureRange"),
              std::vector<std::string>{"CopyFigureRange rangeFirst=20050 rangeSecond=20058 rangeLast=1 drawFlag=0 -> 8 entries"});
    EXPECT_TRUE(traceLines(*h, "DrawFiguresFrom").empty());
    EXPECT_EQ(h->fig.read(1).kind, 3);
    EXPECT_EQ(h->fig.type(9), -1);
    for (const std::string &l : traceLines(*h, "USA ->"))
        EXPECT_EQ(l, "USA -> 0");

    // a cursor 35 away gives one vertex, at exactly one chord length
    h = play(kumo("panel ok\npoint 0 0\nmove 21 28\nconfirm\ncancel\npanel cancel\n", "setting kumo1 KumoMode 2\n"));
    ASSERT_EQ(writes(*h).size(), 1u);
    EXPECT_NEAR(writes(*h)[0].qx(), 6, 1e-9);
    EXPECT_NEAR(writes(*h)[0].qy(), 8, 1e-9);
}

TEST(CloudTrail, ChordFromUnitsAndPrintSize)
{
    const std::pair<const char *, double> cases[2] = {
        {"setting kumo1 KumoGen 5\nsetting kumo1 KumoPrintSize 1\n", 500}, // a print size: 5 x drawingScale
        {"set unitFactor 2\n", 5}};                                           // 10 user units, 2 per drawing unit
    for (const auto &c : cases) {
        auto h = play(kumo("panel ok\npoint 0 0\nmove 0 -900\nconfirm\ncancel\npanel cancel\n",
                           std::string("setting kumo1 KumoMode 3\nset drawingScale 100\n") + c.first));
        std::vector<Write> w = writes(*h, "AddLine");
        ASSERT_EQ(w.size(), 1u);
        EXPECT_NEAR(w[0].a[5], -c.second, 1e-9) << c.first;
    }
}

TEST(CloudTrail, PrintSizeScaledToNothingDrawsNoTrail)
{
    // The stored length passes the check before the trail, but as a print
    // size on a drawing scale of 0 (or a negative one) it gives a chord of 0
    // (or below 0) drawing units: the trail is asked and its moves are
    // followed, yet no vertex is placed and nothing joins the drawing.
    for (const char *scale : {"0", "-2"})
        for (const char *mode : {"2", "3"}) {
            std::string where = std::string("drawingScale ") + scale + ", mode " + mode;
            auto h = play(kumo(std::string("panel ok\n") + kTrailWalk + "confirm\ncancel\npanel cancel\n",
                               std::string("setting kumo1 KumoMode ") + mode + "\nsetting kumo1 KumoPrintSize 1\n" +
                                   "set drawingScale " + scale + "\n"));
            EXPECT_EQ(traceLines(*h, "GetCursorPoint").size(), 1u) << where;
            EXPECT_EQ(perHook(*h, "ScreenToDrawingX"), std::vector<int>(5, 1)) << where; // armed at every move
            EXPECT_TRUE(writes(*h).empty()) << where;
            EXPECT_TRUE(writes(*h, "AddLine").empty()) << where;
            EXPECT_EQ(trailSteps, 0) << where;
            EXPECT_EQ(trailClosed, 0) << where;
            EXPECT_EQ(figureCount(*h), 0) << where;
            EXPECT_TRUE(h->messages.empty()) << where;
        }
}

TEST(CloudTrail, SegmentsInModeThreeCloseToo)
{
    auto h = play(kumo(std::string("panel ok\n") + kTrailWalk + "confirm\ncancel\npanel cancel\n",
                       "setting kumo1 KumoMode 3\n"));
    EXPECT_TRUE(writes(*h).empty());
    std::vector<Write> l = writes(*h, "AddLine");
    ASSERT_EQ(l.size(), 4u);
    const double ends[5][2] = {{0, 0}, {10, 0}, {10, 10}, {2, 4}, {0, 0}}; // closing segment included
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(l[i].a[1], 20050 + i);
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(l[i].a[2 + j], ends[i + j / 2][j % 2], 1e-9) << i;
    }
    EXPECT_EQ(trailClosed, -1);
    EXPECT_EQ(figureCount(*h), 4);
}

TEST(CloudTrail, HeadroomOfTheWorkArea)
{
    for (int room : {200, 199}) {
        auto h = play(kumo("panel ok\npoint 0 0\nmove 15 0\nmove 30 0\nconfirm\ncancel\npanel cancel\n",
                           "setting kumo1 KumoMode 2\nset workEnd " + std::to_string(20050 + room) + "\n"));
        EXPECT_EQ(writes(*h).size(), room == 200 ? 1u : 0u) << room;
    }
}

TEST(CloudTrail, BackErasesTheTrailAndTheNextStartsAtWorkBase)
{
    auto h = play(kumo("panel ok\npoint 0 0\nmove 15 0\nmove 25 0\ncancel\npoint 0 0\nmove 0 15\nconfirm\n"
                       "point 50 0\ncancel\ncancel\npanel cancel\n",
                       "setting kumo1 KumoMode 2\n"));
    std::vector<std::string> erase = traceLines(*h, "DrawFiguresFrom");
    ASSERT_EQ(erase.size(), 2u);
    EXPECT_EQ(erase[0].substr(0, 42), "DrawFiguresFrom drawIndex=20050 drawMode=2");
    EXPECT_NE(erase[0].find("circleX=0 circleY=0 argBx=0 argBy=0"), std::string::npos);
    EXPECT_EQ(h->fig.display(20052), host::Display::Erased);
    std::vector<Write> w = writes(*h);
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[2].a[1], 20050); // written over the abandoned trail
    EXPECT_EQ(traceLines(*h, "CopyFigureRange").size(), 1u);
    EXPECT_EQ(figureCount(*h), 1);
    // the empty trail taken back last erased nothing of the confirmed one
    EXPECT_EQ(h->fig.display(0), host::Display::Drawn);
    EXPECT_EQ(h->fig.display(20051), host::Display::Drawn);
}

TEST(CloudTrail, NoUsableChordShowsTheMessage)
{
    EXPECT_EQ(host::cp932ToUtf8(kumoMessageZeroChord), u8"弦の長さが[ 0 ]です。（右ｸﾘｯｸでｻﾌﾞﾒﾆｭｰ）");
    for (const char *gen : {"0", "-5", "inf", "nan"}) {
        auto h = play(kumo("panel ok\nmessage ok\nmessage cancel\npanel cancel\n",
                           std::string("setting kumo1 KumoMode 2\nsetting kumo1 KumoGen ") + gen + "\n"));
        EXPECT_EQ(h->messages, std::vector<std::string>(2, host::cp932ToUtf8(kumoMessageZeroChord))) << gen;
        EXPECT_TRUE(traceLines(*h, "GetPoint").empty());
        EXPECT_EQ(traceLines(*h, "OpenPanel").size(), 2u);
    }
    // the rectangle modes do not use it
    auto h = play(kumo("panel ok\npoint 0 0\npoint 4 4\ncancel\npanel cancel\n", "setting kumo1 KumoGen 0\n"));
    EXPECT_EQ(writes(*h).size(), 12u);
    EXPECT_TRUE(h->messages.empty());
}

TEST(CloudGroup, CurrentPanelOrAskedBeforeEachCloud)
{
    const std::string attrs = "setting kumo1 KumoActiveMode 1\nset currentGroup 4\n";
    auto groupsOf = [](const host::Host &h) {
        std::vector<int> g;
        for (const Write &w : writes(h))
            g.push_back(static_cast<int>(w.a[8]));
        return g;
    };
    auto h = play(kumo("panel set @group 9\npanel ok\npoint 0 0\npoint 4 4\ncancel\npanel cancel\n", attrs));
    EXPECT_EQ(groupsOf(*h), std::vector<int>(12, 4)); // mode 0: the current group, not the panel's
    h = play(kumo("panel set @groupmode 1\npanel set @group 9\npanel ok\npoint 0 0\npoint 4 4\npoint 0 0\npoint 4 4\n"
                  "cancel\npanel ok\npoint 0 0\npoint 4 4\ncancel\npanel cancel\n",
                  attrs));
    EXPECT_EQ(groupsOf(*h), std::vector<int>(36, 9));
    EXPECT_EQ(h->settings.get("kumo1", "KumoGroupMode"), 1.0);

    h = play(kumo("panel set @groupmode 2\npanel ok\npoint 0 0\npoint 4 4\ngroup 7.9\npoint 0 0\npoint 4 4\n"
                  "group -2.5\npoint 0 0\npoint 4 4\ngroup 1e12\ncancel\npanel cancel\n",
                  attrs));
    std::vector<int> g = groupsOf(*h);
    ASSERT_EQ(g.size(), 36u);
    EXPECT_EQ(g[0], 7);
    EXPECT_EQ(g[12], -2);
    EXPECT_EQ(g[24], 2147483647); // beyond the 32-bit range: the nearest value
    std::vector<std::string> asked = traceLines(*h, "GetGroupNumber");
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], "GetGroupNumber promptText=\"*\"");

    // a trail asks before its start point, also after a back
    h = play(kumo("panel ok\ngroup 3\npoint 0 0\nmove 15 0\ncancel\ngroup 5\npoint 0 0\nmove 15 0\nconfirm\n"
                  "group 6\ncancel\npanel cancel\n",
                  attrs + "setting kumo1 KumoMode 2\nsetting kumo1 KumoGroupMode 2\n"));
    EXPECT_EQ(groupsOf(*h), (std::vector<int>{3, 5}));
    EXPECT_EQ(h->fig.read(0).group, 5);
}

TEST(CloudGroup, CancelledNumberDrawsNothingAndStepsBack)
{
    const std::string asked = "setting kumo1 KumoActiveMode 1\nsetting kumo1 KumoGroupMode 2\n";
    // A rectangle: the group number is asked after the second corner; a
    // cancel there draws nothing and asks the second corner again, from the
    // same first corner.
    auto h = play(kumo("panel ok\npoint 0 0\npoint 4 4\ncancel\npoint 8 8\ngroup 6\n"
                       "point 1 1\npoint 5 5\ncancel\ncancel\ncancel\npanel cancel\n",
                       asked));
    std::vector<Write> w = writes(*h);
    ASSERT_EQ(w.size(), 12u); // one cloud, on the corners 0 0 and 8 8
    for (const Write &arc : w)
        EXPECT_EQ(arc.a[8], 6);
    EXPECT_NEAR(w[0].px(), 4 + 4 * std::cos(30 * kDegree), 1e-9); // mode 0: from the vertex at 30 degrees
    EXPECT_NEAR(w[0].py(), 2, 1e-9);                                // of the circle about (4, 4)
    std::vector<std::string> points = traceLines(*h, "GetPoint");
    ASSERT_EQ(points.size(), 7u); // first, second, second, first, second, second, first
    for (int i : {1, 2, 4, 5})
        EXPECT_NE(points[i].find(u8"終点/戻る"), std::string::npos) << i;
    EXPECT_NE(points[2].find("boxAnchorX=0 boxAnchorY=0"), std::string::npos);
    EXPECT_NE(points[5].find("boxAnchorX=1 boxAnchorY=1"), std::string::npos);
    EXPECT_EQ(traceLines(*h, "GetGroupNumber").size(), 3u);
    EXPECT_EQ(figureCount(*h), 12);

    // A trail: the number is asked before the start point; a cancel there
    // goes back to the panel, with no trail and no start point asked.
    h = play(kumo("panel ok\ngroup 3\npoint 0 0\nmove 15 0\nconfirm\ncancel\npanel ok\ncancel\npanel cancel\n",
                  asked + "setting kumo1 KumoMode 2\n"));
    EXPECT_EQ(traceLines(*h, "GetPoint").size(), 1u);
    EXPECT_EQ(traceLines(*h, "GetCursorPoint").size(), 1u);
    EXPECT_EQ(traceLines(*h, "OpenPanel").size(), 3u);
    EXPECT_EQ(traceLines(*h, "GetGroupNumber").size(), 3u);
    EXPECT_EQ(figureCount(*h), 1);
    EXPECT_EQ(h->fig.read(0).group, 3);
}

TEST(CloudSettings, OrderDefaultsRoundTripAndClamping)
{
    auto h = play(kumo("panel cancel\n", "set cursorX 100.9\nset cursorY 40.2\n"));
    const char *keys[8] = {"KumoMode", "KumoActiveMode", "KumoLayer", "KumoColor",
                           "KumoLine", "KumoGroupMode", "KumoPrintSize", "KumoGen"};
    const double defaults[8] = {0, 0, 1, 1, 1, 0, 0, 10};
    std::vector<std::string> reads = traceLines(*h, "ReadSetting"), wrote = traceLines(*h, "WriteSetting");
    ASSERT_EQ(reads.size(), 8u);
    ASSERT_EQ(wrote.size(), 8u); // also after a cancel
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(reads[i].find("ReadSetting \"" + std::string(keys[i]) + "\" 0 null " + host::formatDouble(defaults[i])),
                  0u) << reads[i];
        EXPECT_EQ(wrote[i], "WriteSetting \"" + std::string(keys[i]) + "\" " + host::formatDouble(defaults[i]) + " 0 null");
    }
    EXPECT_EQ(traceLines(*h, "OpenPanel"), std::vector<std::string>{"OpenPanel 12 24 100 40"});
    std::vector<std::string> items = traceLines(*h, "item row");
    ASSERT_EQ(items.size(), 12u);
    EXPECT_EQ(items[1], u8"item row 1 radio \"矩形指定（ 凹型） \" stores 0 = 0");
    EXPECT_EQ(items[11], "item row 10 group = 0 mode 0");

    h = play(kumo("panel ok\ncancel\npanel cancel\n",
                  "setting kumo1 KumoLayer 3.9\nsetting kumo1 KumoColor -1.5\nsetting kumo1 KumoGen 2.75\n"
                  "setting kumo1 KumoLine nan\nsetting kumo1 KumoMode 1\nsetting kumo1 KumoActiveMode 1e12\n"
                  "setting kumo1 KumoGroupMode -1e12\nset cursorX nan\nset cursorY 1e20\n"));
    EXPECT_EQ(h->settings.get("kumo1", "KumoLayer"), 3.0);
    EXPECT_EQ(h->settings.get("kumo1", "KumoColor"), -1.0);
    EXPECT_EQ(h->settings.get("kumo1", "KumoGen"), 2.75);
    EXPECT_EQ(h->settings.get("kumo1", "KumoLine"), 1.0); // not a number: the default
    EXPECT_EQ(h->settings.get("kumo1", "KumoActiveMode"), 2147483647.0);
    EXPECT_EQ(h->settings.get("kumo1", "KumoGroupMode"), -2147483648.0);
    EXPECT_EQ(traceLine(*h, "OpenPanel", 0), "OpenPanel 12 24 -1 2147483647");
}

TEST(CloudFaults, RefusedWriterKeepsTheLastGoodPosition)
{
    // a rectangle cloud in a drawing with room for five arcs: the sixth is
    // refused, the rest not attempted, the list ends after the fifth
    auto h = play(kumo("panel ok\npoint 0 0\npoint 40 20\npoint 0 0\npoint 40 20\ncancel\npanel cancel\n",
                       "set figureLimit 12\n"));
    std::vector<Write> w = writes(*h);
    ASSERT_EQ(w.size(), 7u);
    EXPECT_EQ(w[5].k, -1);
    EXPECT_EQ(w[6].a[1], 10); // the next cloud starts at the end marker after the fifth arc
    EXPECT_EQ(w[6].k, -1);
    EXPECT_EQ(h->fig.drawingEnd(), 10);

    // a trail whose next arc cannot be stored stops growing; confirm copies
    // exactly the one arc written
    h = play(kumo("panel ok\npoint 2147483000 0\nmove 2147484500 0\nmove 2147486000 0\nmove 2147487000 0\n"
                  "move 2147483000 10\nconfirm\ncancel\npanel cancel\n",
                  "setting kumo1 KumoMode 2\nsetting kumo1 KumoGen 1000\n"));
    EXPECT_EQ(perHook(*h, "AddArc"), (std::vector<int>{1, 1, 0, 0}));
    EXPECT_EQ(trailStopped, 1);
    EXPECT_EQ(trailSteps, 1);
    EXPECT_EQ(traceLine(*h, "CopyFigureRange", 0).find("rangeFirst=20050 rangeSecond=20052 "), 16u);
    EXPECT_EQ(figureCount(*h), 1);
}

TEST(CloudFaults, TrailTheDrawingCannotTakeIsSignalledAndErased)
{
    // Every figure on the display, each once: what the user sees.
    auto shown = [](const host::Host &h) {
        std::set<std::string> out;
        for (int i = 0; i < h.rec.capacity(); ++i)
            if (h.fig.isFigureStart(i)) {
                if (h.fig.display(i) == host::Display::Drawn)
                    out.insert(host::figureLine(h.fig, i));
                i += host::entriesOfKind(h.fig.kindAt(i)) - 1;
            }
        return out;
    };
    auto inDrawing = [](const host::Host &h) {
        std::set<std::string> out;
        for (int i = 0; i < h.fig.drawingEnd(); ++i)
            if (h.fig.isFigureStart(i))
                out.insert(host::figureLine(h.fig, i));
        return out;
    };
    // A drawing of one line with room for one more arc: the closed trail of
    // four arcs does not fit and is refused; the next trail of one arc fits.
    auto h = play(kumo(std::string("panel ok\n") + kTrailWalk + "confirm\npoint 0 0\nmove 15 0\nconfirm\ncancel\n"
                       "panel cancel\n",
                       "setting kumo1 KumoMode 2\nset figureLimit 4\n"),
                  "line 100 100 200 100\n");
    std::vector<std::string> copies = traceLines(*h, "CopyFigureRange");
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_NE(copies[0].find("refused"), std::string::npos);
    EXPECT_EQ(h->signalErrors, 1);
    EXPECT_EQ(figureCount(*h), 2);
    EXPECT_EQ(h->fig.read(1).kind, 3);
    EXPECT_EQ(shown(*h), inDrawing(*h));
    std::vector<std::string> erased = traceLines(*h, "DrawFiguresFrom");
    ASSERT_EQ(erased.size(), 1u);
    EXPECT_EQ(erased[0].substr(0, 42), "DrawFiguresFrom drawIndex=20050 drawMode=2");

    // An empty trail confirmed in a full drawing copies nothing and is no fault.
    h = play(kumo("panel ok\npoint 0 0\nconfirm\ncancel\npanel cancel\n", "setting kumo1 KumoMode 2\nset figureLimit 2\n"),
             "line 100 100 200 100\n");
    EXPECT_EQ(h->signalErrors, 0);
    EXPECT_EQ(figureCount(*h), 1);
}

TEST(CloudFaults, StoredModeOutsideThePanelReopensIt)
{
    auto h = play(kumo("panel ok\npanel ok\npanel choose \"矩形指定（ 凸型） \"\npanel ok\npoint 0 0\npoint 4 4\ncancel\n"
                       "panel cancel\n",
                       "setting kumo1 KumoMode 7\n"));
    EXPECT_EQ(traceLines(*h, "OpenPanel").size(), 4u);
    EXPECT_EQ(writes(*h).size(), 12u);
    EXPECT_EQ(traceLine(*h, "WriteSetting \"KumoMode\"", 0), "WriteSetting \"KumoMode\" 7 0 null"); // kept as stored
    EXPECT_EQ(h->settings.get("kumo1", "KumoMode"), 1.0);
}

TEST(CloudFaults, HookInertOutsideTheTrailRequest)
{
    // a trail confirmed open, then mouse moves at the next start-point prompt
    auto h = play(kumo("panel ok\npoint 0 0\nmove 15 0\nconfirm\nmove 40 0\nmove 80 0\ncancel\n"
                       "panel choose \"矩形指定（ 凹型） \"\npanel ok\nmove 90 0\npoint 1 1\nmove 99 0\ncancel\n"
                       "cancel\npanel cancel\n",
                       "setting kumo1 KumoMode 2\n"));
    EXPECT_EQ(perHook(*h, "AddArc"), (std::vector<int>{1, 0, 0, 0, 0}));
    EXPECT_EQ(perHook(*h, "ScreenToDrawingX"), (std::vector<int>{1, 0, 0, 0, 0}));
    EXPECT_EQ(figureCount(*h), 1);

    // even when armed, modes 0 and 1 leave everything as it was
    kumoTracking = 1;
    kumoMode = 0;
    int32_t pos = kumoListPos;
    EXPECT_EQ(h->callUsa(), 0);
    kumoTracking = 0;
    EXPECT_EQ(kumoListPos, pos);
    EXPECT_EQ(trailSteps, 1);
    EXPECT_TRUE(perHook(*h, "AddArc").back() == 0);
}

TEST(CloudHost, WritersKeepRoomForTheEndMarker)
{
    auto h = play("set figureLimit 12\nset workBase 100\nset workEnd 120\n");
    DrawingTables *t = gHostState->tables;
    HostServices *s = gHostServices;
    EXPECT_EQ(s->AddArc(t, 7, 9, 0, 0, 1, 0, 90, 1, 0, 1, 1), 9); // entries 9, 10; the marker fits at 11
    EXPECT_EQ(s->AddArc(t, 7, 10, 0, 0, 1, 0, 90, 1, 0, 1, 1), -1);
    EXPECT_EQ(s->AddLine(t, 7, 10, 0, 0, 1, 1, 1, 0, 1, 1), 10);
    EXPECT_EQ(s->AddLine(t, 7, 11, 0, 0, 1, 1, 1, 0, 1, 1), -1);
    EXPECT_EQ(s->AddArc(t, 7, 118, 0, 0, 1, 0, 90, 1, 0, 1, 1), 118); // the work area alike
    EXPECT_EQ(s->AddArc(t, 7, 119, 0, 0, 1, 0, 90, 1, 0, 1, 1), -1);
    EXPECT_EQ(s->AddLine(t, 7, 120, 0, 0, 1, 1, 1, 0, 1, 1), -1);
    EXPECT_EQ(h->fig.read(9).kind, 3);
    EXPECT_EQ(h->fig.type(11), 0); // refused figures left nothing
}
