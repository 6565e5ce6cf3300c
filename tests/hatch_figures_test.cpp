// What a hatch pass writes: the element kinds, print size and the random
// switches; and how lines and circles are trimmed to the region.
#include "hatch/Hatch.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

using testing_support::play;
using testing_support::traceLines;

namespace {

std::string set(const std::string &key, double v) { return testing_support::settingLine("Hatch", key, v); }

// Element e of slot 0: kind, size values and offset.
std::string element(int e, int kind, double r, double q1, double x1, double y1)
{
    std::string k = "[0][" + std::to_string(e) + "]";
    return set("Hsw" + k, kind) + set("HatchR" + k, r) + set("HatchQ1" + k, q1) + set("HatchX1" + k, x1) +
           set("HatchY1" + k, y1);
}

const char *kSquare = "line 0 0 1000 0\nline 1000 0 1000 1000\nline 1000 1000 0 1000\nline 0 1000 0 0\n";

std::unique_ptr<host::Host> hatchSquare(const std::string &settings)
{
    return play(settings + "run Hatch\npanel ok\nselect all\npanel cancel\n", kSquare);
}

host::Figure at(const host::Host &h, int k) { return h.fig.read(writeStart + 1 + k); }

// The end point two lines share (trimming turns lines toward larger X, so a
// polygon's vertex is found as the point its two sides share).
std::pair<int, int> shared(const host::Figure &a, const host::Figure &b)
{
    for (auto p : {std::make_pair(a.x1, a.y1), std::make_pair(a.x2, a.y2)})
        if (p == std::make_pair(b.x1, b.y1) || p == std::make_pair(b.x2, b.y2))
            return p;
    return {-1, -1};
}

TEST(HatchElements, KindsDrawPolygonsCirclesRectanglesAndLines)
{
    // One cell at the box's corner, every figure inside and kept whole.
    auto h = hatchSquare(set("HatchPx[0]", 400) + set("HatchPy[0]", 400) + element(0, 7, 50, 0, 100, -100) +
                         element(1, 8, 60, 40, 200, -300) + element(2, 2, 30, 0, 300, -100) +
                         element(3, 3, 40, 0, 100, -300) + element(4, 4, 40, 45, 300, -300) +
                         element(5, 1, 20, 10, 50, -350));
    int horizontal = 0, vertical = 0;
    for (int k = 0; k < 8; ++k) { /* kind 7: an octagon with level sides, closed */
        host::Figure f = at(*h, k), next = at(*h, (k + 1) % 8);
        ASSERT_EQ(2, f.kind);
        EXPECT_NE(-1, shared(f, next).first);
        horizontal += f.y1 == f.y2;
        vertical += f.x1 == f.x2;
        EXPECT_NEAR(50.0, std::hypot(f.x1 - 100, f.y1 - 100), 0.8);
    }
    EXPECT_EQ(2, horizontal);
    EXPECT_EQ(2, vertical);
    const int rect[4][4] = {{200, 300, 200, 260}, {200, 260, 260, 260}, {260, 260, 260, 300}, {200, 300, 260, 300}};
    for (int k = 0; k < 4; ++k) { /* kind 8: four lines from the corner, down then right */
        host::Figure f = at(*h, 8 + k);
        EXPECT_EQ(rect[k][0], f.x1);
        EXPECT_EQ(rect[k][1], f.y1);
        EXPECT_EQ(rect[k][2], f.x2);
        EXPECT_EQ(rect[k][3], f.y2);
    }
    host::Figure circle = at(*h, 12);
    EXPECT_TRUE(circle.isCircle());
    EXPECT_EQ(300, circle.x1);
    EXPECT_EQ(100, circle.y1);
    EXPECT_EQ(30, circle.x2);
    EXPECT_EQ(1, h->fig.kindAt(writeStart + 14)); /* its continuation */
    // kind 3: one level side, the opposite vertex straight below the centre
    EXPECT_EQ(320, at(*h, 16).y1);
    EXPECT_EQ(320, at(*h, 16).y2);
    EXPECT_EQ(260, at(*h, 15).y1);
    EXPECT_EQ(100, at(*h, 15).x1);
    // kind 4 turned by 45 degrees: a diamond starting at its top vertex
    EXPECT_EQ(std::make_pair(300, 340), shared(at(*h, 17), at(*h, 20)));
    for (int k = 17; k < 21; ++k)
        EXPECT_TRUE(at(*h, k).x1 != at(*h, k).x2 && at(*h, k).y1 != at(*h, k).y2);
    host::Figure line = at(*h, 21); /* kind 1: dY is subtracted */
    EXPECT_EQ(50, line.x1);
    EXPECT_EQ(350, line.y1);
    EXPECT_EQ(70, line.x2);
    EXPECT_EQ(340, line.y2);
    EXPECT_EQ(at(*h, 0).x1 + 400, at(*h, 22).x1); /* 22 entries a cell: the next cell's octagon */
    EXPECT_EQ(at(*h, 0).y1, at(*h, 22).y1);
}

TEST(HatchElements, PrintSizeAndUnitsScaleTheGridAndTheElements)
{
    std::string slot = set("HatchPx[0]", 100) + set("HatchPy[0]", 100) + element(0, 1, 20, 0, 10, -10);
    auto plain = hatchSquare(slot + "set drawingScale 2\n");
    EXPECT_EQ(10, at(*plain, 0).x1);
    EXPECT_EQ(30, at(*plain, 0).x2);
    EXPECT_EQ(110, at(*plain, 1).x1); /* next column one pitch on */
    auto print = hatchSquare(slot + set("Hprint_sw[0]", 1) + "set drawingScale 2\n");
    EXPECT_EQ(20, at(*print, 0).x1);
    EXPECT_EQ(20, at(*print, 0).y1);
    EXPECT_EQ(60, at(*print, 0).x2);
    EXPECT_EQ(220, at(*print, 1).x1);
    auto units = hatchSquare(slot + "set unitFactor 2\n");
    EXPECT_EQ(5, at(*units, 0).x1);
    EXPECT_EQ(15, at(*units, 0).x2);
    EXPECT_EQ(55, at(*units, 1).x1);
}

TEST(HatchElements, RandomPositionAndShapeAreRepeatableWithASeed)
{
    // Ten entries a cell (circle, rectangle, square); cell (200, 200) is the
    // eighth, its entries from 70.
    std::string slot = set("HatchPx[0]", 200) + set("HatchPy[0]", 200) + element(0, 2, 20, 0, 100, -100) +
                       element(1, 8, 30, 20, 40, -60) + element(2, 4, 40, 45, 100, -100);
    auto position = hatchSquare("seed 5\n" + slot + set("Hich_sw[0]", 1));
    host::Figure c = at(*position, 70), r = at(*position, 72), q = at(*position, 76);
    EXPECT_TRUE(c.x1 != 300 || c.y1 != 300); /* off its offset, within half a pitch of the cell */
    EXPECT_LE(std::abs(c.x1 - 200), 100);
    EXPECT_LE(std::abs(c.y1 - 200), 100);
    EXPECT_EQ(20, c.x2);
    EXPECT_EQ(240, r.x1); /* the rectangle keeps its corner */
    EXPECT_EQ(260, r.y1);
    EXPECT_TRUE(q.x1 != 300 || q.y1 != 340); /* the square moved too */
    auto again = hatchSquare("seed 5\n" + slot + set("Hich_sw[0]", 1));
    EXPECT_EQ(host::figureList(position->fig), host::figureList(again->fig));
    EXPECT_NE(host::figureList(position->fig), host::figureList(hatchSquare("seed 6\n" + slot + set("Hich_sw[0]", 1))->fig));

    auto shape = hatchSquare("seed 5\n" + slot + set("Hkata_sw[0]", 1));
    std::set<int> radii;
    for (int cell = 0; cell < 4; ++cell) {
        host::Figure sc = at(*shape, 70 + cell * 10);
        EXPECT_EQ(300 + 200 * cell, sc.x1); /* stored offsets: cells 7..10 of the row at 200 */
        EXPECT_EQ(300, sc.y1);
        EXPECT_LE(sc.x2, 20);
        radii.insert(sc.x2);
    }
    EXPECT_GT(radii.size(), 1u); /* random radii below R */
    host::Figure sr = at(*shape, 72), far = at(*shape, 74), sq = at(*shape, 76); /* the square's first side */
    EXPECT_EQ(240, sr.x1); /* the rectangle keeps corner and size */
    EXPECT_EQ(240, sr.y2);
    EXPECT_EQ(270, far.x1);
    // The square's rotation is ignored: its first vertex lies at a random
    // angle in [0, 90) degrees instead of on top.
    std::pair<int, int> v0 = shared(sq, at(*shape, 79));
    EXPECT_FALSE(v0.first == 300 && v0.second > 300);
    EXPECT_GE(v0.first, 300);
    EXPECT_GE(v0.second, 300);
}

// A region and a figure written straight into the drawing behind it, trimmed.
struct Trim {
    std::unique_ptr<host::Host> h;
    host::Figure run(host::Figure f)
    {
        int i = 200; /* beyond the drawing's end */
        h->fig.write(i, f);
        HatchTrimFigure(i);
        return h->fig.read(i);
    }
};

Trim region(const std::string &lines)
{
    Trim t;
    t.h = play("run Hatch\npanel ok\nselect all\n", lines);
    return t;
}

host::Figure line(int x1, int y1, int x2, int y2)
{
    host::Figure f;
    f.kind = 2;
    f.x1 = x1;
    f.y1 = y1;
    f.x2 = x2;
    f.y2 = y2;
    return f;
}

host::Figure circle(int cx, int cy, int r)
{
    host::Figure f;
    f.kind = 3;
    f.x1 = cx;
    f.y1 = cy;
    f.x2 = r;
    return f;
}

TEST(HatchTrim, LinesAreJudgedByTheirEndsAndCutAtTheLastEdgeMet)
{
    // A U: the notch 100..200 wide comes down from the top to y = 100.
    Trim u = region("line 0 0 300 0\nline 300 0 300 300\nline 300 300 200 300\nline 200 300 200 100\n"
                    "line 200 100 100 100\nline 100 100 100 300\nline 100 300 0 300\nline 0 300 0 0\n");
    EXPECT_EQ(0, u.run(line(-50, 50, 350, 50)).kind); /* both ends out: deleted though it crosses */
    EXPECT_EQ(0u, traceLines(*u.h, "DrawFigure drawIndex=200").size()); /* and not redrawn */
    host::Figure whole = u.run(line(50, 200, 250, 200)); /* both in: kept across the notch */
    EXPECT_EQ(250, whole.x2);
    EXPECT_EQ(50, whole.x1);
    // One end in: cut where it meets the last edge in edge order (the
    // notch's left side, edge 5), not the nearest to its end.
    host::Figure cut = u.run(line(50, 250, 350, 250));
    EXPECT_EQ(50, cut.x1);
    EXPECT_EQ(100, cut.x2);
    EXPECT_EQ(250, cut.y2);
    host::Figure back = u.run(line(350, 250, 50, 250)); /* turned toward larger X first */
    EXPECT_EQ(50, back.x1);
    EXPECT_EQ(100, back.x2);
    host::Figure start = u.run(line(-30, 10, 30, 20)); /* start outside: the start moves */
    EXPECT_EQ(0, start.x1);
    EXPECT_EQ(15, start.y1);
    EXPECT_EQ(30, start.x2);
    // Starting on the boundary and pointing out: cut to nothing, so deleted
    // (a zero-length line would stay in the drawing, invisible).
    EXPECT_EQ(0, u.run(line(300, 50, 350, 60)).kind);
    EXPECT_EQ(0, u.run(line(-40, 120, 0, 120)).kind);
    EXPECT_EQ(2, u.run(line(299, 50, 350, 60)).kind); /* a unit inside: kept, one unit long */
    // Inside rules on their own: a point on a vertical edge is inside; the
    // notch's floor lies on its scan line and gives no crossing, its two
    // ends count once each, so the floor itself reads as outside.
    EXPECT_EQ(1, HatchInside(0, 150));
    EXPECT_EQ(1, HatchInside(300, 150));
    EXPECT_EQ(0, HatchInside(150, 100));
    EXPECT_EQ(1, HatchInside(50, 100));
    EXPECT_EQ(1, HatchInside(250, 100));
    Trim diamond = region("line 150 0 300 150\nline 300 150 150 300\nline 150 300 0 150\nline 0 150 150 0\n");
    EXPECT_EQ(0, HatchInside(150, 300)); /* through the top vertex: no crossing, */
    EXPECT_EQ(0, HatchInside(149, 300)); /* so nothing on that line is inside */
    EXPECT_EQ(1, HatchInside(299, 150)); /* a side vertex counts once */
    EXPECT_EQ(0, HatchInside(301, 150));
    // A whole pass: the last column's lines start on the square's right side.
    auto pass = hatchSquare(set("HatchPx[0]", 100) + set("HatchPy[0]", 100) + element(0, 1, 50, 0, 0, 50));
    int kept = 0;
    for (int i = writeStart + 1; pass->fig.kindAt(i) != -1; ++i) {
        host::Figure f = pass->fig.read(i);
        if (f.kind != 2)
            continue;
        ++kept;
        EXPECT_TRUE(f.x1 != f.x2 || f.y1 != f.y2) << i;
    }
    EXPECT_EQ(10 * 10, kept); /* columns 0..900, rows 50..950 */
}

TEST(HatchTrim, CirclesKeepCutOrLoseTheirArcByTheirAxisPoints)
{
    Trim d = region("line 150 0 300 150\nline 300 150 150 300\nline 150 300 0 150\nline 0 150 150 0\n");
    host::Figure full = d.run(circle(150, 150, 140)); /* all four axis points in, cut between them */
    EXPECT_TRUE(full.isCircle());
    EXPECT_EQ(0, d.run(circle(300, 300, 160)).kind); /* none in, though cut */
    EXPECT_EQ(0, d.h->fig.type(201));
    host::Figure arc = d.run(circle(300, 150, 50)); /* one axis point in: the arc through it */
    EXPECT_EQ(3, arc.kind);
    EXPECT_EQ(135000000, arc.start);
    EXPECT_EQ(225000000, arc.end);
    EXPECT_EQ(3u, traceLines(*d.h, "DrawFigure drawIndex=200 drawMode=3").size()); /* redrawn in every case */
    // Touching an edge gives no angle.
    double lo = 0, hi = 0;
    Trim square = region("line 0 0 300 0\nline 300 0 300 300\nline 300 300 0 300\nline 0 300 0 0\n");
    EXPECT_EQ(0, HatchCircleCrossings(150, 50, 50, &lo, &hi));
    // Seven angles held, then an edge with two more: nine, all counted.
    Trim comb = region("line -90 -200 -90 200\nline -60 -200 -60 200\nline -30 -200 -30 200\nline 30 0 30 200\n"
                       "line 60 -200 60 200\nline 90 -200 90 200\n");
    EXPECT_EQ(9, HatchCircleCrossings(0, 0, 100, &lo, &hi));
    EXPECT_NEAR(53.130102, lo, 1e-6);
    EXPECT_NEAR(306.869898, hi, 1e-6);
    // A drawn region need not be closed: a circle that meets its open end
    // crosses it once, which gives no arc, and it goes.
    Trim open = region("line 0 0 300 0\nline 300 0 300 170\nline 0 300 0 0\nline 0 300 300 300\n");
    EXPECT_EQ(1, HatchCircleCrossings(300, 150, 50, &lo, &hi)); /* at (300, 100) on the right side */
    EXPECT_NEAR(90.0, lo, 1e-9);
    EXPECT_EQ(1, HatchInside(250, 150));
    EXPECT_EQ(1, HatchInside(300, 100));
    EXPECT_EQ(0, open.run(circle(300, 150, 50)).kind);
    EXPECT_EQ(0, open.h->fig.type(201));
    EXPECT_EQ(2, open.run(line(50, 150, 250, 150)).kind); /* the region still hatches inside */
    double ax = 0, ay = 0, bx = 0, by = 0;
    EXPECT_EQ(1, HatchCircleLineIntersect(0, 0, 5, -10, 5, 10, 5, &ax, &ay, &bx, &by));
    EXPECT_EQ(0.0, ax);
    EXPECT_EQ(5.0, ay);
    EXPECT_EQ(0, HatchCircleLineIntersect(0, 0, 5, 3, 3, 3, 3, &ax, &ay, &bx, &by));
    EXPECT_EQ(2, HatchCircleLineIntersect(0, 0, 5, -10, 3, 10, 3, &ax, &ay, &bx, &by));
    EXPECT_EQ(-4.0, ax);
    EXPECT_EQ(4.0, bx);
}

// The crossings of a circle r = 100 round the origin with the region's
// edges, with the pass's edge index and with the straightforward scan over
// every edge (the index forgotten): count, smallest and largest angle.
void expectCrossings(int n, double lo, double hi, const char *what)
{
    for (int indexed : {1, 0}) {
        if (!indexed)
            HatchIndexForget();
        double a = -1, b = -1;
        EXPECT_EQ(n, HatchCircleCrossings(0, 0, 100, &a, &b)) << what << " indexed " << indexed;
        EXPECT_NEAR(lo, a, 1e-9) << what << " indexed " << indexed;
        EXPECT_NEAR(hi, b, 1e-9) << what << " indexed " << indexed;
    }
}

TEST(HatchTrim, CircleCrossingsComeFromTheFirstEdgesThatCrossByNumber)
{
    const double a60 = 60.0, a53 = std::atan2(4.0, 3.0) * 180 / M_PI; /* 53.13 */
    // Eight short strokes inside the circle, then the last edge, x = 50,
    // crossing it at 60 and 300 degrees: the strokes meet the circle's box
    // but not the circle, so they take none of the eight places.
    std::string strokes;
    for (int x = -40; x <= 30; x += 10)
        strokes += "line " + std::to_string(x) + " -5 " + std::to_string(x) + " 5\n";
    Trim inner = region(strokes + "line 50 -200 50 200\n");
    EXPECT_EQ(9, regionLineCount);
    expectCrossings(2, a60, 360 - a60, "strokes");
    double cx = 0, cy = 0;
    EXPECT_EQ(1, HatchLineCrossing(40, 0, 60, 0, &cx, &cy)); /* the last edge counts for a line too */
    EXPECT_EQ(50.0, cx);

    // The first edge, x = 60, is tall (it crosses at 53.13 and 306.87
    // degrees); eight short level edges on the left cross once each, near
    // 180 degrees.  The index gives the short ones first, yet the first
    // edge takes its place among the first eight: it and the next six give
    // the eight angles.
    std::string level;
    for (int y = -35; y <= 35; y += 10)
        level += "line -120 " + std::to_string(y) + " -80 " + std::to_string(y) + "\n";
    Trim tall = region("line 60 -200 60 200\n" + level);
    expectCrossings(8, a53, 360 - a53, "tall first");
    // With the tall edge ninth, the eight level edges give the eight
    // angles, from 159.5 to 200.5 degrees, and the tall one counts no more.
    Trim late = region(level + "line 60 -200 60 200\n");
    double a35 = std::atan2(35.0, std::sqrt(10000.0 - 35 * 35)) * 180 / M_PI;
    expectCrossings(8, 180 - a35, 180 + a35, "tall last");
}

} // namespace
