// host_stretch_test.cpp - the host's StretchFigures on arcs, driven by the
// stretch command: an arc follows the end points that lie in the window,
// keeps its height over its chord and the side it bulges to, and stays
// joined to the lines it ends on; the drag preview shows the same shape.
#include "host/services/Services.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

using host::StateField;
using testing_support::play;
using testing_support::traceLine;
using testing_support::traceLines;

namespace {

const double kPi = 3.14159265358979323846;

struct Pt {
    double x, y;
};

Pt at(const host::Figure &a, double millionths)
{
    double t = millionths / 1e6 * kPi / 180.0;
    return {a.x1 + a.x2 * std::cos(t), a.y1 - a.x2 * std::sin(t)};
}

double sweep(const host::Figure &a) { return static_cast<double>(host::sweepOf(a.start, a.end)); }
Pt startOf(const host::Figure &a) { return at(a, a.start); }
Pt endOf(const host::Figure &a) { return at(a, a.start + sweep(a)); }
double sagitta(const host::Figure &a) { return a.x2 * (1.0 - std::cos(sweep(a) / 2e6 * kPi / 180.0)); }
double dist(Pt a, Pt b) { return std::hypot(a.x - b.x, a.y - b.y); }

// +1 when the arc's middle lies to the left of its chord from start to end.
int side(const host::Figure &a)
{
    Pt s = startOf(a), e = endOf(a), m = at(a, a.start + sweep(a) / 2);
    return (e.x - s.x) * (m.y - s.y) - (e.y - s.y) * (m.x - s.x) > 0 ? 1 : -1;
}

// The only arc of the drawing.
host::Figure arcOf(const host::Host &h)
{
    for (int i = 0; i < h.fig.drawingEnd(); ++i)
        if (h.fig.kindAt(i) == 3)
            return h.fig.read(i);
    ADD_FAILURE() << "no arc";
    return host::Figure();
}

// The arcs and circles of the drawing, in list form, in index order.
std::vector<std::string> arcsOf(const host::Host &h)
{
    std::vector<std::string> out;
    for (int i = 0; i < h.fig.drawingEnd(); ++i)
        if (h.fig.kindAt(i) == 3)
            out.push_back(host::figureLine(h.fig, i));
    return out;
}

// The line of the drawing that carries this link number (the tests' names).
host::Figure lineLinked(const host::Host &h, int link)
{
    for (int i = 0; i < h.fig.drawingEnd(); ++i)
        if (h.fig.kindAt(i) == 2 && h.fig.read(i).link == link)
            return h.fig.read(i);
    ADD_FAILURE() << "no line " << link;
    return host::Figure();
}

std::string stretch(const std::string &window, const std::string &move)
{
    return "run VeC92\npanel ok\n" + window + "point 0 0\npoint " + move + "\n";
}

} // namespace

TEST(HostStretch, ADoorSwingStaysJoinedToItsWallsEitherWayRound)
{
    // A swing of radius 400 about the hinge (-200, 500) between the wall
    // ending at (200, 500) (link 1) and the leaf ending at (-200, 100) or
    // (-200, 900) (link 2); only the wall's end lies in the window.  Stored
    // from the wall's end (0 .. 90) and towards it (270 .. 360).
    for (const char *swing : {"arc -200 500 400 0 90\nline -200 500 -200 100 link=2\n",
                              "arc -200 500 400 270 360\nline -200 500 -200 900 link=2\n"}) {
        std::string drawing = std::string("line 200 500 1000 500 link=1\n") + swing;
        auto before = play("", drawing);
        host::Figure old = arcOf(*before);
        auto h = play(stretch("point 100 400\npoint 1100 600\n", "150 -80"), drawing);
        host::Figure wall = lineLinked(*h, 1), leaf = lineLinked(*h, 2), arc = arcOf(*h);
        EXPECT_EQ(wall.x1, 350);
        EXPECT_EQ(wall.y1, 420);
        EXPECT_EQ(leaf.x1, -200); // the leaf and the hinge stay
        bool fromWall = old.start == 0;
        Pt moved = fromWall ? startOf(arc) : endOf(arc), kept = fromWall ? endOf(arc) : startOf(arc);
        EXPECT_LE(dist(moved, {350, 420}), 1.0) << swing;
        EXPECT_LE(dist(kept, {static_cast<double>(leaf.x2), static_cast<double>(leaf.y2)}), 1.0) << swing;
        EXPECT_NEAR(sagitta(arc), sagitta(old), 1.0) << swing;
        EXPECT_EQ(side(arc), side(old)) << swing;
        EXPECT_LT(sweep(arc), 180e6) << swing;
        EXPECT_NE(arc.x1, -200) << swing; // a new centre, not the old arc moved
        EXPECT_TRUE(traceLine(*h, "StretchFigures", 0).find("left as it was") == std::string::npos);
    }
}

TEST(HostStretch, AnArcFollowsItsEndPointsNotItsCentre)
{
    // Only the centre inside: the ends (900, 500) and (100, 500) are not, so
    // the lower half circle stays although the window holds its centre and
    // its lowest point.
    auto centred = play(stretch("point 150 50\npoint 850 600\n", "100 0"), "arc 500 500 400 0 180\n");
    EXPECT_EQ(arcsOf(*centred), std::vector<std::string>{"arc 500 500 400 0 180 layer=0 group=0 color=1 ltype=1"});
    // Both ends inside, the centre far below the window: the arc moves whole.
    auto whole = play(stretch("point 0 0\npoint 1000 1000\n", "100 50"), "arc 500 -1000 1100 260 280\n");
    EXPECT_EQ(arcsOf(*whole), std::vector<std::string>{"arc 600 -950 1100 260 280 layer=0 group=0 color=1 ltype=1"});
    // A full circle moves by its centre, as before.
    auto circle = play(stretch("point 0 0\npoint 100 100\n", "30 -20"), "circle 50 50 60\ncircle 500 500 600\n");
    EXPECT_EQ(arcsOf(*circle), (std::vector<std::string>{"circle 80 30 60 layer=0 group=0 color=1 ltype=1",
                                                         "circle 500 500 600 layer=0 group=0 color=1 ltype=1"}));

    // More than half a turn (300 degrees, sagitta 1.87 r) stays more than
    // half a turn, on the same side of its chord, in either direction of
    // the move.
    for (const char *move : {"300 100", "-150 -400"}) {
        const char *drawing = "arc 0 0 1000 0 300\n"; // from (1000, 0) to (500, 866)
        auto h = play(stretch("point 900 -100\npoint 1100 100\n", move), drawing);
        host::Figure old = arcOf(*play("", drawing)), arc = arcOf(*h);
        double mx = std::atof(move), my = std::atof(std::strchr(move, ' '));
        EXPECT_LE(dist(startOf(arc), {1000 + mx, my}), 1.0) << move;
        EXPECT_LE(dist(endOf(arc), endOf(old)), 1.0) << move;
        EXPECT_NEAR(sagitta(arc), sagitta(old), 1.0) << move;
        EXPECT_GT(sweep(arc), 180e6) << move;
        EXPECT_EQ(side(arc), side(old)) << move;
    }
}

TEST(HostStretch, AnArcThatCannotBeStretchedStaysAndTheTraceSaysWhy)
{
    // The end (100, 0) moved onto the other end (0, -100): no chord.
    auto onto = play(stretch("point 50 -20\npoint 150 20\n", "-100 -100"), "arc 0 0 100 0 90\nline 100 0 300 0\n");
    EXPECT_EQ(arcsOf(*onto), std::vector<std::string>{"arc 0 0 100 0 90 layer=0 group=0 color=1 ltype=1"});
    EXPECT_NE(host::figureList(onto->fig).find("line 0 -100 300 0 "), std::string::npos); // the rest is stretched
    std::vector<std::string> calls = traceLines(*onto, "StretchFigures");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].find("(arc 4 left as it was: its new chord is zero)"), std::string::npos) << calls[0];

    // A nearly flat arc (radius 2e9, a millionth of a degree, 35 units long)
    // pulled out to 1035 units would need a radius of about 1e12.
    const char *flat = "arc 0 2000000000 2000000000 90 90.000001\n";
    auto far = play(stretch("point -10 -10\npoint 10 10\n", "1000 0"), flat);
    EXPECT_EQ(arcsOf(*far), arcsOf(*play("", flat)));
    EXPECT_NE(traceLine(*far, "StretchFigures", 0).find("left as it was: the new arc cannot be stored"),
              std::string::npos);
}

TEST(HostStretch, TheDragPreviewShowsTheShapeOfTheResult)
{
    const char *drawing = "line 200 500 1000 500 link=1\narc -200 500 400 0 90\n";
    std::string start = "run VeC92\npanel set \"ドラッグ\" 1\npanel ok\npoint 100 400\npoint 1100 600\npoint 0 0\n";
    auto dragged = play(start + "move 150 -80\ncancel\n", drawing);
    auto done = play(start + "point 150 -80\n", drawing);
    int m = dragged->rec.i32(StateField::selEnd), p = dragged->rec.i32(StateField::copyEnd);
    std::string preview;
    for (int i = m + 1; i < p; ++i)
        if (dragged->fig.kindAt(i) == 3)
            preview = host::figureLine(dragged->fig, i);
    EXPECT_EQ(preview, host::figureLine(done->fig, done->rec.i32(StateField::selFirst) + 2));
    EXPECT_EQ(preview.rfind("arc ", 0), 0u);
    EXPECT_NE(preview, "arc -200 500 400 0 90 layer=0 group=0 color=1 ltype=1");
}
