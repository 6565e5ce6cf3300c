// The hatch inside test and crossing searches against a straightforward
// reference kept here: every edge scanned in order, crossings sorted keeping
// equal X in edge order, merged and spanned exactly as the rule says, with
// PollKey counted.  The module's indexed scans (and its straightforward
// scans, used when there is no index) must agree on every point, call
// PollKey the same number of times, and end alike on Escape, for regions of
// any size.
#include "hatch/Hatch.h"
#include "hatch/HatchIndex.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>

#include <unistd.h>

namespace {

struct Edge {
    int32_t x1, y1, x2, y2;
};

struct RefInside {
    int inside = 0;
    int polls = 0;
};

int32_t trunc32(double v) { return static_cast<int32_t>(v); }

// The rule as written: scratch room, sort keeping equal X in edge order,
// merge, spans with a poll before each.  escAt: the poll (0-based) that sees Escape.
// faultyMerge drops every equal pair whatever its marks: a deliberate fault
// that proves the probe points reach the vertex cases.
RefInside referenceInside(const std::vector<Edge> &edges, int workRoom, double x, double y, int escAt = -1,
                          bool faultyMerge = false)
{
    struct Rec {
        int32_t x, y, mark;
    };
    std::vector<Rec> r;
    int n = static_cast<int>(edges.size());
    for (const Edge &e : edges) {
        if (static_cast<int>(r.size()) + n > workRoom)
            continue;
        double x1 = e.x1, y1 = e.y1, x2 = e.x2, y2 = e.y2;
        if (y1 > y2) {
            std::swap(y1, y2);
            std::swap(x1, x2);
        }
        if ((y1 > y && y2 > y) || (y1 < y && y2 < y) || (y1 == y && y2 == y))
            continue;
        int mark = (y1 < y && y2 == y) ? -1 : (y1 == y && y2 > y) ? 1 : 0;
        r.push_back({trunc32((x2 - x1) * (y - y1) / (y2 - y1) + x1), trunc32(y), mark});
    }
    // The exchange sort moves a record past greater X only, so it keeps
    // equal X in their order: a stable sort gives the same, in O(k log k)
    // for the scan lines of many thousand crossings below.
    std::stable_sort(r.begin(), r.end(), [](const Rec &a, const Rec &b) { return a.x < b.x; });
    std::vector<Rec> merged;
    for (size_t k = 0; k < r.size();) { /* the merge, walking once instead of shifting */
        if (k + 1 < r.size() && r[k].x == r[k + 1].x) {
            k += faultyMerge || r[k].mark == r[k + 1].mark ? 2 : 1;
            continue;
        }
        merged.push_back(r[k++]);
    }
    r.swap(merged);
    RefInside out;
    if (r.size() < 2)
        return out;
    for (size_t k = 0; k + 1 < r.size(); k += 2) {
        if (out.polls++ == escAt)
            return out;
        bool same = r[k].x == r[k + 1].x && r[k].y == r[k + 1].y;
        if (!same && r[k].x <= x && x <= r[k + 1].x)
            out.inside = 1;
    }
    return out;
}

// Circle crossings over every edge, as written (angles from the host).
int referenceCircle(const std::vector<Edge> &edges, double cx, double cy, double r, double &aMin, double &aMax)
{
    std::vector<double> angles;
    for (const Edge &e : edges) {
        if (angles.size() >= 8)
            break;
        double x1 = e.x1, y1 = e.y1, x2 = e.x2, y2 = e.y2;
        if (x1 > x2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        double dx = x2 - x1, dy = y2 - y1, m = dx * dx + dy * dy;
        if (m == 0.0)
            continue;
        double c = dx * (cy - y1) - dy * (cx - x1), disc = r * r * m - c * c;
        if (disc <= 0.0)
            continue;
        double d = dx * (cx - x1) + dy * (cy - y1), root = std::sqrt(disc);
        double t[2] = {(d - root) / m, (d + root) / m};
        double p[2][2] = {{x1 + t[0] * dx, y1 + t[0] * dy}, {x1 + t[1] * dx, y1 + t[1] * dy}};
        int first = (p[1][0] < p[0][0] || (p[1][0] == p[0][0] && p[1][1] < p[0][1])) ? 1 : 0;
        for (int i = 0; i < 2; ++i) {
            const double *q = p[i == 0 ? first : 1 - first];
            if (!(x1 <= q[0] && q[0] <= x2 && std::min(y1, y2) <= q[1] && q[1] <= std::max(y1, y2)))
                continue;
            gHostState->argBx = q[0] - cx;
            gHostState->argBy = -(q[1] - cy);
            gHostServices->VectorAngle();
            angles.push_back(gHostState->vectorAngle * 180.0 / gHostState->pi);
        }
    }
    for (size_t i = 0; i < angles.size(); ++i) {
        aMin = i ? std::min(aMin, angles[i]) : angles[i];
        aMax = i ? std::max(aMax, angles[i]) : angles[i];
    }
    return static_cast<int>(angles.size());
}

// The last edge in order that the host's IntersectLines says meets the line.
int referenceLine(const std::vector<Edge> &edges, double x1, double y1, double x2, double y2, double &cx, double &cy)
{
    int found = 0;
    for (const Edge &e : edges) {
        gHostState->argCx = e.x1;
        gHostState->argCy = e.y1;
        gHostState->argDx = e.x2;
        gHostState->argDy = e.y2;
        gHostState->argEx = x1;
        gHostState->argEy = y1;
        gHostState->argFx = x2;
        gHostState->argFy = y2;
        if (gHostServices->IntersectLines()) {
            found = 1;
            cx = gHostServices->IntersectionX();
            cy = gHostServices->IntersectionY();
        }
    }
    return found;
}

// A host after one hatch pass over `edges` chosen with SelectFigures (a
// fresh store writes nothing), its trace off so that many calls stay cheap.
std::unique_ptr<host::Host> regionHost(const std::vector<Edge> &edges, host::HostOptions options = host::HostOptions())
{
    std::ostringstream drawing;
    for (const Edge &e : edges)
        drawing << "line " << e.x1 << " " << e.y1 << " " << e.x2 << " " << e.y2 << "\n";
    options.guardEveryCall = false;
    auto h = testing_support::play("run Hatch\npanel ok\nselect all\n", drawing.str(), options);
    h->trace.keepLines(false);
    EXPECT_EQ(regionLineCount, static_cast<int32_t>(edges.size()));
    return h;
}

int polls(const host::Host &h) { return h.serviceCounts[static_cast<size_t>(host::Svc::PollKey)]; }

// The host's exchange calls (SwapInts, SwapDoubles): the straightforward
// scan makes them, the indexed one sorts in module storage and makes none.
int exchanges(const host::Host &h)
{
    return h.serviceCounts[static_cast<size_t>(host::Svc::SwapInts)] +
           h.serviceCounts[static_cast<size_t>(host::Svc::SwapDoubles)];
}

// Compares the module with the reference on `points`; returns mismatches.
int compareInside(host::Host &h, const std::vector<Edge> &edges, const std::vector<std::pair<double, double>> &points)
{
    int bad = 0;
    for (const auto &p : points) {
        int before = polls(h);
        RefInside ref = referenceInside(edges, workRoom, p.first, p.second);
        int got = HatchInside(p.first, p.second);
        int used = polls(h) - before;
        if (got != ref.inside || used != ref.polls) {
            if (++bad <= 5)
                ADD_FAILURE() << "point (" << p.first << ", " << p.second << "): module " << got << " with " << used
                              << " polls, reference " << ref.inside << " with " << ref.polls;
        }
    }
    return bad;
}

// Points that meet the special cases: every vertex, the middle and integer
// points of every edge, vertex heights with random X, and random points.
std::vector<std::pair<double, double>> probePoints(const std::vector<Edge> &edges, std::mt19937 &rng, int randomCount,
                                                   int lo, int hi)
{
    std::vector<std::pair<double, double>> pts;
    std::uniform_int_distribution<int> coord(lo, hi);
    std::uniform_real_distribution<double> real(lo, hi);
    for (const Edge &e : edges) {
        pts.push_back({double(e.x1), double(e.y1)});
        pts.push_back({(e.x1 + e.x2) / 2.0, (e.y1 + e.y2) / 2.0});
        pts.push_back({double(coord(rng)), double(e.y2)});
        if (e.x1 == e.x2 || e.y1 == e.y2)
            pts.push_back({double(e.x1 == e.x2 ? e.x1 : coord(rng)), double(e.y1 == e.y2 ? e.y1 : coord(rng))});
    }
    for (int i = 0; i < randomCount; ++i)
        pts.push_back(i % 2 ? std::make_pair(double(coord(rng)), double(coord(rng))) : std::make_pair(real(rng), real(rng)));
    return pts;
}

std::vector<Edge> randomPolygon(std::mt19937 &rng, int n, int grid)
{
    std::uniform_int_distribution<int> c(0, grid);
    std::vector<Edge> edges;
    int fx = c(rng), fy = c(rng), px = fx, py = fy;
    for (int i = 1; i < n; ++i) {
        int x = c(rng), y = rng() % 3 == 0 ? py : c(rng); /* many horizontal edges */
        if (rng() % 5 == 0)
            x = px; /* and vertical ones */
        edges.push_back({px, py, x, y});
        px = x;
        py = y;
    }
    edges.push_back({px, py, fx, fy});
    return edges;
}

TEST(HatchInsideDifferential, RandomRegionsAgreeWithTheRuleEverywhere)
{
    std::mt19937 rng(20240611);
    int checked = 0, straightChecked = 0, faultsSeen = 0, straightSwaps = 0;
    for (int round = 0; round < 40; ++round) {
        int n = 3 + static_cast<int>(rng() % (round < 20 ? 12 : 300));
        int grid = round % 3 == 0 ? 8 : round % 3 == 1 ? 40 : 100000;
        std::vector<Edge> edges = randomPolygon(rng, n, grid);
        if (round % 7 == 6) { /* an edge soup: random segments in random directions, some of zero length */
            std::uniform_int_distribution<int> c(0, grid);
            for (Edge &e : edges)
                e = {c(rng), c(rng), rng() % 9 ? c(rng) : e.x1, rng() % 9 ? c(rng) : e.y1};
        }
        auto h = regionHost(edges);
        auto pts = probePoints(edges, rng, 400, -2, grid + 2);
        int swapsBefore = exchanges(*h);
        EXPECT_EQ(0, compareInside(*h, edges, pts)) << "round " << round << ", " << n << " edges";
        EXPECT_EQ(swapsBefore, exchanges(*h)) << "round " << round << ": the index serves the region";
        checked += static_cast<int>(pts.size());
        for (const auto &p : pts)
            faultsSeen += referenceInside(edges, workRoom, p.first, p.second, -1, true).inside != HatchInside(p.first, p.second);
        if (round < 20) { /* the small regions again without their index: the straightforward scan */
            HatchIndexForget();
            EXPECT_EQ(0, compareInside(*h, edges, pts)) << "round " << round << ", straightforward";
            straightSwaps += exchanges(*h) - swapsBefore;
            straightChecked += static_cast<int>(pts.size());
        }
    }
    EXPECT_GT(checked, 20000);
    EXPECT_GT(straightChecked, 8000);
    /* The exchange count does see a scan's sorting: the straightforward
       scan sorts through the host (some regions, not every one: a region
       whose crossings come in order needs no exchange). */
    EXPECT_GT(straightSwaps, 0);
    EXPECT_GT(faultsSeen, 100); /* the deliberate fault shows: the vertex cases are reached */
}

TEST(HatchInsideDifferential, CollinearPiecesAndAScratchAreaThatFills)
{
    // A comb of 70 teeth: 140 crossings on most scan lines, while the scratch
    // rule lets only 51 in (workRoom = edges + 50).  Its baseline and teeth
    // are cut into collinear pieces, so vertices lie on many scan lines.
    std::vector<Edge> edges;
    int x = 0;
    for (int t = 0; t < 70; ++t, x += 20) {
        edges.push_back({x, 0, x, 50});
        edges.push_back({x, 50, x, 100});
        edges.push_back({x, 100, x + 10, 100});
        edges.push_back({x + 10, 100, x + 10, 0});
        edges.push_back({x + 10, 0, x + 20, 0});
    }
    edges.push_back({x, 0, x, -20});
    edges.push_back({x, -20, 0, -20});
    edges.push_back({0, -20, 0, 0});
    host::HostOptions small;
    small.workEnd = small.workBase + 100 + static_cast<int>(edges.size());
    auto h = regionHost(edges, small);
    ASSERT_EQ(workRoom - regionLineCount + 1, 51);
    std::mt19937 rng(7);
    auto pts = probePoints(edges, rng, 3000, -5, x + 5);
    EXPECT_EQ(0, compareInside(*h, edges, pts));
    // The cap matters here: on the scan line y = 60 only the first 51 teeth
    // edges count, so the last teeth read as outside.
    EXPECT_EQ(1, HatchInside(5, 60));
    EXPECT_EQ(0, HatchInside(1355, 60));
}

TEST(HatchInsideDifferential, AnEdgeThroughAnotherEdgesTopVertex)
{
    // On the scan line y = 500 the first edge passes through (500, 500),
    // where the triangle's two sides end at their upper ends: three
    // crossings at one X, the one passing through first.  The rule drops it
    // (its mark differs from the next), then the equal pair: no crossing is
    // left at 500, only the left side's, so nothing on that line is inside.
    std::vector<Edge> edges = {{300, 0, 700, 1000}, {400, 200, 500, 500}, {600, 200, 500, 500}, {400, 200, 600, 200},
                               {700, 1000, 0, 1000}, {0, 1000, 0, 0},       {0, 0, 300, 0}};
    auto h = regionHost(edges);
    std::vector<std::pair<double, double>> pts;
    for (int x = -25; x <= 1025; x += 25) /* also y = 200, where the triangle's sides start */
        for (double y : {199.5, 200.0, 200.5, 499.5, 500.0, 500.5})
            pts.push_back({double(x), y});
    for (int indexed : {1, 0}) { /* the indexed scan, then the straightforward one */
        if (!indexed)
            HatchIndexForget();
        EXPECT_EQ(0, compareInside(*h, edges, pts)) << indexed;
        EXPECT_EQ(0, HatchInside(250.0, 500.0)) << indexed;
        EXPECT_EQ(1, HatchInside(250.0, 500.5)) << indexed;
        EXPECT_EQ(1, HatchInside(500.0, 200.0)) << indexed; /* the triangle's base */
        // Circles over the first and the last edge cross them as the rule says.
        for (double cx : {150.0, 420.0}) {
            double a0 = 0, a1 = 0, b0 = 0, b1 = 0;
            int n = referenceCircle(edges, cx, cx == 150.0 ? 0.0 : 300.0, 40.0, a0, a1);
            EXPECT_GE(n, 2) << cx;
            ASSERT_EQ(n, HatchCircleCrossings(cx, cx == 150.0 ? 0.0 : 300.0, 40.0, &b0, &b1)) << cx << " " << indexed;
            EXPECT_EQ(a0, b0);
            EXPECT_EQ(a1, b1);
        }
    }
}

TEST(HatchInsideDifferential, EscapeEndsTheSameTestWithTheSameResult)
{
    // Zigzag region: many spans per scan line, so Escape can land on each.
    std::vector<Edge> edges;
    for (int t = 0; t < 10; ++t)
        edges.push_back({t * 10, t % 2 ? 100 : 0, (t + 1) * 10, t % 2 ? 0 : 100});
    edges.push_back({100, 0, 100, -10});
    edges.push_back({100, -10, 0, -10});
    edges.push_back({0, -10, 0, 0});
    auto h = regionHost(edges);
    int compared = 0;
    for (int esc = 0; esc < 6; ++esc)
        for (double px = -1; px <= 101; px += 3.5) {
            RefInside ref = referenceInside(edges, workRoom, px, 37.0, esc);
            h->player.escAfter = esc;
            int before = polls(*h);
            EXPECT_EQ(ref.inside, HatchInside(px, 37.0)) << "x " << px << ", Escape at poll " << esc;
            EXPECT_EQ(ref.polls, polls(*h) - before);
            h->player.escAfter = -1;
            ++compared;
        }
    EXPECT_EQ(compared, 180);
}

TEST(HatchInsideDifferential, CrossingSearchesFindWhatAFullScanFinds)
{
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> c(0, 2000), small(-60, 60), radius(0, 120);
    for (int round = 0; round < 6; ++round) {
        std::vector<Edge> edges = randomPolygon(rng, 200 + round * 150, 2000);
        auto h = regionHost(edges);
        for (int i = 0; i < 400; ++i) {
            double x1 = c(rng), y1 = c(rng), x2 = x1 + small(rng), y2 = y1 + small(rng);
            double rx = -1, ry = -1, mx = -2, my = -2;
            int ref = referenceLine(edges, x1, y1, x2, y2, rx, ry);
            ASSERT_EQ(ref, HatchLineCrossing(x1, y1, x2, y2, &mx, &my)) << x1 << " " << y1 << " " << x2 << " " << y2;
            if (ref) {
                EXPECT_EQ(rx, mx);
                EXPECT_EQ(ry, my);
            }
            double cx = c(rng), cy = c(rng), r = radius(rng), a0 = 0, a1 = 0, b0 = 0, b1 = 0;
            int n = referenceCircle(edges, cx, cy, r, a0, a1);
            ASSERT_EQ(n, HatchCircleCrossings(cx, cy, r, &b0, &b1)) << cx << " " << cy << " " << r;
            if (n > 0) {
                EXPECT_EQ(a0, b0);
                EXPECT_EQ(a1, b1);
            }
        }
    }
}

// A circle of radius 100,000 whose n vertices wander by up to 3 %.
std::vector<Edge> noisyCircle(int n, unsigned seed)
{
    std::vector<Edge> edges;
    std::mt19937 rng(seed);
    std::vector<std::pair<int, int>> v;
    for (int i = 0; i < n; ++i) {
        double a = 2 * M_PI * i / n, r = 100000 + static_cast<int>(rng() % 3000);
        v.push_back({static_cast<int>(r * std::cos(a)), static_cast<int>(r * std::sin(a))});
    }
    for (int i = 0; i < n; ++i)
        edges.push_back({v[i].first, v[i].second, v[(i + 1) % n].first, v[(i + 1) % n].second});
    return edges;
}

// A host whose drawing and work area hold the region, with scratch for
// spare + 1 crossings behind its edges.
host::HostOptions roomFor(size_t edges, int spare)
{
    host::HostOptions o;
    o.figureLimit = 2 * static_cast<int>(edges) + 100; /* the drawing, and the selection behind it */
    o.workBase = o.figureLimit + 50;
    o.workEnd = o.workBase + static_cast<int>(edges) + 50 + spare;
    return o;
}

TEST(HatchInsideDifferential, RegionsOfAnySizeKeepTheirIndex)
{
    // Around the old fixed index's size (16,384 edges) and four times it:
    // the index serves each, agrees with the rule, and so does the module's
    // straightforward scan once the index is forgotten.
    for (int n : {16384, 16385, 65536}) {
        std::vector<Edge> edges = noisyCircle(n, static_cast<unsigned>(n));
        auto h = regionHost(edges, roomFor(edges.size(), 1000));
        ASSERT_EQ(n, hatchIndexCount) << n;
        std::mt19937 rng(3);
        std::uniform_int_distribution<int> c(-110000, 110000), small(-3000, 3000), radius(0, 4000);
        std::vector<std::pair<double, double>> pts;
        for (int i = 0; i < 150; ++i)
            pts.push_back({double(c(rng)), double(c(rng))});
        for (int i = 0; i < 50; ++i) /* vertices, and points next to the boundary */
            pts.push_back({double(edges[static_cast<size_t>(i) * 300].x1), double(edges[static_cast<size_t>(i) * 300].y1)});
        for (int i = 0; i < 50; ++i)
            pts.push_back({double(edges[static_cast<size_t>(i) * 301].x1 + small(rng) / 100),
                           double(edges[static_cast<size_t>(i) * 301].y1)});
        EXPECT_EQ(0, compareInside(*h, edges, pts)) << n << " edges";
        EXPECT_EQ(1, HatchInside(0, 0));
        // Hatch lines and circles near the boundary, where they cross it.
        for (int i = 0; i < 60; ++i) {
            const Edge &near = edges[static_cast<size_t>(rng() % edges.size())];
            double x1 = near.x1 + small(rng), y1 = near.y1 + small(rng), x2 = x1 + small(rng), y2 = y1 + small(rng);
            double rx = -1, ry = -1, mx = -2, my = -2;
            int ref = referenceLine(edges, x1, y1, x2, y2, rx, ry);
            ASSERT_EQ(ref, HatchLineCrossing(x1, y1, x2, y2, &mx, &my)) << x1 << " " << y1 << " " << x2 << " " << y2;
            if (ref) {
                EXPECT_EQ(rx, mx);
                EXPECT_EQ(ry, my);
            }
            double r = radius(rng), a0 = 0, a1 = 0, b0 = 0, b1 = 0;
            int count = referenceCircle(edges, x1, y1, r, a0, a1);
            ASSERT_EQ(count, HatchCircleCrossings(x1, y1, r, &b0, &b1)) << x1 << " " << y1 << " " << r;
            if (count > 0) {
                EXPECT_EQ(a0, b0);
                EXPECT_EQ(a1, b1);
            }
        }
        HatchIndexForget();
        pts.resize(n == 65536 ? 20 : 60);
        EXPECT_EQ(0, compareInside(*h, edges, pts)) << n << " edges, straightforward";
    }
}

TEST(HatchInsideDifferential, ScanLinesOfManyThousandCrossings)
{
    // A comb of 8,300 teeth: 16,600 crossings on a scan line through the
    // teeth, more than the module sorts in its own storage, so they are
    // sorted in the work area.  Then the same comb with scratch room for
    // only 16,451 and 8,951 crossings: the first ones in edge order count.
    // The roomy case (scratch for twice the crossings) comes first and must
    // pass before the tight ones: a sort of the records that strays past
    // them reads only scratch there, where with tight scratch it would run
    // off the tables.
    std::vector<Edge> edges;
    const int teeth = 8300;
    for (int t = 0; t < teeth; ++t) {
        int x = t * 10;
        edges.push_back({x, 0, x + 2, 1000});
        edges.push_back({x + 2, 1000, x + 6, 1000});
        edges.push_back({x + 6, 1000, x + 8, 0});
        edges.push_back({x + 8, 0, x + 10, 0});
    }
    edges.push_back({teeth * 10, 0, teeth * 10, -50});
    edges.push_back({teeth * 10, -50, 0, -50});
    edges.push_back({0, -50, 0, 0});
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> cx(-5, teeth * 10 + 5), cy(1, 999);
    for (int spare : {34000, 16500 - 50, 9000 - 50}) {
        auto h = regionHost(edges, roomFor(edges.size(), spare));
        std::vector<std::pair<double, double>> pts;
        for (int i = 0; i < 12; ++i)
            pts.push_back({double(cx(rng)), i % 3 ? double(cy(rng)) : cy(rng) + 0.5});
        pts.push_back({3.0, 500.0});
        pts.push_back({teeth * 10.0 - 7.0, 500.0});
        EXPECT_EQ(0, compareInside(*h, edges, pts)) << "scratch for " << spare + 1 << " crossings";
        EXPECT_EQ(spare >= 16600, HatchInside(teeth * 10.0 - 7.0, 500.0)); /* the last tooth */
        ASSERT_FALSE(HasFailure()) << "scratch for " << spare + 1 << " crossings";
    }
}

TEST(HatchInsideDifferential, EdgesTheWalkMeetsLateStillCountInEdgeOrder)
{
    // 10,000 tall vertical edges (Y 0..1000) at the even X 0..19,998, then
    // 10,000 short ones (Y 400..600) at the odd X 1..19,999: 20,000
    // crossings on a scan line between 400 and 600, sorted in the work
    // area.  The index walk meets the short, later edges first (they sit on
    // a lower level), so once the scratch is full the tall ones met after
    // them must still take the places of the latest edges kept.
    const int half = 10000;
    std::vector<Edge> edges;
    for (int i = 0; i < half; ++i)
        edges.push_back({2 * i, i % 2 ? 0 : 1000, 2 * i, i % 2 ? 1000 : 0});
    for (int i = 0; i < half; ++i)
        edges.push_back({2 * i + 1, i % 2 ? 400 : 600, 2 * i + 1, i % 2 ? 600 : 400});
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> cx(-2, 2 * half + 2), cy(1, 999);
    // Room for twice the crossings first (all count; see
    // ScanLinesOfManyThousandCrossings), then for 17,000: every tall edge
    // and the first 7,000 short ones.
    for (int spare : {2 * 2 * half, 17000 - 1}) {
        auto h = regionHost(edges, roomFor(edges.size(), spare));
        ASSERT_EQ(spare + 1, workRoom - regionLineCount + 1);
        ASSERT_EQ(2 * half, hatchIndexCount);
        struct HatchIndexWalk w;
        HatchIndexWalkStart(&w, 500.0, 500.0);
        EXPECT_LE(half, HatchIndexWalkNext(&w)) << "the walk meets a short edge first";
        std::vector<std::pair<double, double>> pts = {{-1, 500}, {0, 500}, {0.5, 500}, {1, 500}, {1.5, 500},
                                                      {13999, 500}, {13999.5, 500}, {14001, 450.5},
                                                      {14001.5, 500}, {14003.5, 599}, {19997, 401},
                                                      {19999, 500}, {19999.5, 500}, {14001.5, 400},
                                                      {14001.5, 600}, {14001.5, 200}, {14001.5, 800}};
        for (int i = 0; i < 16; ++i)
            pts.push_back({double(cx(rng)), i % 2 ? 400.0 + cy(rng) / 5 : cy(rng) + 0.5});
        for (double x = 13996; x <= 14008; x += 0.5) /* where the short edges left out begin */
            pts.push_back({x, 500});
        for (double x = 19994; x <= 20000; x += 0.5) /* and where the last edges of both kinds stand */
            pts.push_back({x, 450.5});
        EXPECT_EQ(0, compareInside(*h, edges, pts)) << "scratch for " << spare + 1 << " crossings";
        bool tight = spare < 2 * half;
        // Every crossing counts: spans 0-1, 2-3, ...; with the tight scratch
        // the short edges from X 14,001 on are left out, so the spans beyond
        // 13,999 run between tall edges: 14,000-14,002, 14,004-14,006, ...
        EXPECT_EQ(1, HatchInside(0.5, 500.0));
        EXPECT_EQ(0, HatchInside(1.5, 500.0));
        EXPECT_EQ(1, HatchInside(13998.5, 500.0));
        EXPECT_EQ(tight ? 1 : 0, HatchInside(14001.5, 500.0));
        EXPECT_EQ(0, HatchInside(14003.5, 500.0));
        EXPECT_EQ(tight ? 1 : 0, HatchInside(19997.5, 500.0));
        EXPECT_EQ(1, HatchInside(14001.5, 200.0)); /* tall edges only: 0-2, 4-6, ... */
        EXPECT_EQ(0, HatchInside(14002.5, 200.0));
        ASSERT_FALSE(HasFailure()) << "scratch for " << spare + 1 << " crossings";
    }
}

TEST(HatchIndexWalk, AWorkAreaChangedUnderTheIndexEndsEveryWalk)
{
    // The index chains its lists through the region edges' entries in the
    // work area.  Should those change under it (a pass never does that),
    // every walk still ends: here each edge's links point back at
    // themselves, a list that never ends, and the inside test, the line
    // crossing and the circle crossings each come back.  The check runs in
    // a child process with an alarm, so that a walk that loops fails the
    // test instead of hanging it.
#if GTEST_HAS_DEATH_TEST
    using ::testing::ExitedWithCode;
    std::vector<Edge> edges = {{0, 0, 1000, 0}, {1000, 0, 1000, 1000}, {1000, 1000, 0, 1000}, {0, 1000, 0, 0}};
    auto h = regionHost(edges);
    ASSERT_EQ(4, hatchIndexCount);
    ASSERT_EQ(1, HatchInside(500, 500)); /* the intact index */
    DrawingTables *t = gHostState->tables;
    for (int k = 0; k < 4; ++k) {
        t->figureW[t->workBase + 1 + k] = 2 * k;
        t->figureAttr[t->workBase + 1 + k] = 2 * k + 1;
    }
    auto everyWalk = [] {
        alarm(20);
        double a = 0, b = 0, px = 0, py = 0;
        int inside = HatchInside(500, 500) + HatchInside(500, 0) + HatchInside(-5, 1000);
        int line = HatchLineCrossing(-10, 500, 1010, 500, &px, &py);
        int circle = HatchCircleCrossings(500, 500, 600, &a, &b);
        exit(inside >= 0 && inside <= 3 && line >= 0 && circle >= 0 && circle <= 9 ? 0 : 1);
    };
    EXPECT_EXIT(everyWalk(), ExitedWithCode(0), "");
#else
    GTEST_SKIP() << "death tests need fork(), which WebAssembly has not";
#endif
}

} // namespace
