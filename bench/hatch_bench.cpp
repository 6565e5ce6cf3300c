// hatch_bench - speed of the hatch command on large regions and dense
// patterns, through the reference host (guard zones checked after commands
// only, trace off).
//
// For each region (star and noisy-circle polygons of 16 to 8,192 edges, and
// a spiky comb whose scan lines cross about 150 edges) and each pattern
// (short lines, circles, octagons) it runs a whole hatch pass and prints the
// figures generated and kept and the wall time; the same pass with the
// module built without its edge index (hatch_bench_straight, the
// straightforward scans) gives the ratio.  Then the short-line pass over
// stars of 4,096, 16,384, 16,385 and 65,536 edges, both sides again, and
// the growth from 16,384 to 65,536 edges.  Then it times the inside test
// alone on 100,000 random points of the region's box: the module's
// HatchInside, a straightforward even-odd scan kept here as the reference
// (every edge, exchange sort, the same PollKey calls), and GEOS's prepared
// polygon when the benchmark was built with GEOS; it counts disagreements.
//
//   hatch_bench [--quick]                 everything (the straight passes are
//                                         run as a subprocess)
//   hatch_bench --inside                  the inside test alone
//   hatch_bench_straight --pass R E P     one pass, printed as numbers
#include "hatch/Hatch.h"
#include "host/Host.h"

#ifdef HATCH_BENCH_GEOS
#include <geos_c.h>
#endif

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Edge {
    int32_t x1, y1, x2, y2;
};

using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

const int kCentre = 50000;

// Closed polygon through the vertices.
std::vector<Edge> ring(const std::vector<std::pair<int, int>> &v)
{
    std::vector<Edge> e;
    for (size_t i = 0; i < v.size(); ++i)
        e.push_back({v[i].first, v[i].second, v[(i + 1) % v.size()].first, v[(i + 1) % v.size()].second});
    return e;
}

// An eight-pointed star of n edges (at least 16): each of its 16 sides cut
// into n / 16 pieces, the first n % 16 sides into one more.
std::vector<Edge> star(int n)
{
    std::vector<std::pair<int, int>> v;
    for (int s = 0; s < 16; ++s) {
        int pieces = std::max(1, n / 16 + (s < n % 16 ? 1 : 0));
        double a0 = 2 * M_PI * s / 16, a1 = 2 * M_PI * (s + 1) / 16;
        double r0 = s % 2 ? 16000 : 40000, r1 = s % 2 ? 40000 : 16000;
        double x0 = r0 * std::cos(a0), y0 = r0 * std::sin(a0), x1 = r1 * std::cos(a1), y1 = r1 * std::sin(a1);
        for (int p = 0; p < pieces; ++p) {
            double t = static_cast<double>(p) / pieces;
            v.push_back({kCentre + static_cast<int>(std::lround(x0 + t * (x1 - x0))),
                         kCentre + static_cast<int>(std::lround(y0 + t * (y1 - y0)))});
        }
    }
    return ring(v);
}

// A circle of radius 40,000 whose n vertices wander by up to 1 %.
std::vector<Edge> noisyCircle(int n)
{
    std::mt19937 rng(static_cast<unsigned>(n));
    std::uniform_real_distribution<double> noise(-400, 400);
    std::vector<std::pair<int, int>> v;
    for (int i = 0; i < n; ++i) {
        double a = 2 * M_PI * i / n, r = 40000 + noise(rng);
        v.push_back({kCentre + static_cast<int>(std::lround(r * std::cos(a))),
                     kCentre + static_cast<int>(std::lround(r * std::sin(a)))});
    }
    return ring(v);
}

// A comb of 75 slanted teeth on a base: 150 edges on most scan lines.
std::vector<Edge> spiky()
{
    std::vector<std::pair<int, int>> v = {{10000, 10000}};
    for (int t = 0; t < 75; ++t) {
        int x = 10000 + t * 1060;
        v.push_back({x + 200, 20000});
        v.push_back({x + 330, 90000});
        v.push_back({x + 730, 90000});
        v.push_back({x + 860, 20000});
    }
    v.push_back({10000 + 75 * 1060, 10000});
    return ring(v);
}

std::vector<Edge> region(const std::string &kind, int n)
{
    return kind == "star" ? star(n) : kind == "circle" ? noisyCircle(n) : spiky();
}

// Dense patterns over a region box of about 80,000 units.
std::string pattern(const std::string &p)
{
    auto set = [](const std::string &k, double v) { return "setting Hatch " + k + " " + std::to_string(v) + "\n"; };
    if (p == "none") /* a fresh store: the pass indexes the region and writes nothing */
        return "";
    if (p == "lines") /* two short lines a cell, 700 apart */
        return set("HatchPx[0]", 700) + set("HatchPy[0]", 700) + set("Hsw[0][0]", 1) + set("HatchR[0][0]", 300) +
               set("HatchQ1[0][0]", 300) + set("Hsw[0][1]", 1) + set("HatchX1[0][1]", 350) +
               set("HatchY1[0][1]", -350) + set("HatchR[0][1]", 300);
    if (p == "circles")
        return set("HatchPx[0]", 700) + set("HatchPy[0]", 700) + set("Hsw[0][0]", 2) + set("HatchR[0][0]", 250) +
               set("HatchX1[0][0]", 350) + set("HatchY1[0][0]", -350);
    return set("HatchPx[0]", 1400) + set("HatchPy[0]", 1400) + set("Hsw[0][0]", 7) + set("HatchR[0][0]", 500) +
           set("HatchX1[0][0]", 700) + set("HatchY1[0][0]", -700);
}

struct PassResult {
    long generated = 0, kept = 0, insideTests = 0;
    double seconds = 0;
    unsigned long digest = 0; /* of the figure list: the two modules must write the same figures */
};

unsigned long digestOf(const std::string &text)
{
    uint32_t h = 2166136261u; /* FNV-1a */
    for (unsigned char c : text)
        h = (h ^ c) * 16777619u;
    return h;
}

host::HostOptions benchOptions()
{
    host::HostOptions o; /* room for a region of 65,536 edges, its selection, and the pass */
    o.figureLimit = 200000;
    o.workBase = 200050;
    o.workEnd = 270100;
    o.guardEveryCall = false;
    o.timeoutSeconds = 3600;
    return o;
}

// One hatch pass over the region; the host stays alive for the inside tests.
PassResult runPass(std::unique_ptr<host::Host> &h, const std::vector<Edge> &edges, const std::string &p)
{
    std::ostringstream drawing;
    for (const Edge &e : edges)
        drawing << "line " << e.x1 << " " << e.y1 << " " << e.x2 << " " << e.y2 << "\n";
    h = std::make_unique<host::Host>(host::nativeModule(), benchOptions());
    h->trace.keepLines(false);
    h->loadDrawing(drawing.str(), "region");
    h->loadScript(pattern(p) + "run Hatch\npanel ok\nselect all\npanel cancel\n", "bench");
    Clock::time_point t0 = Clock::now();
    h->runScript();
    PassResult r;
    r.seconds = seconds(t0, Clock::now());
    long lines = h->serviceCounts[static_cast<size_t>(host::Svc::StoreLine)];
    long circles = h->serviceCounts[static_cast<size_t>(host::Svc::StoreArc)];
    r.generated = lines + circles;
    r.insideTests = 2 * lines + 4 * circles;
    int end = h->fig.drawingEnd();
    for (int i = 0; i < end; ++i)
        r.kept += host::entriesOfKind(h->fig.kindAt(i)) > 0;
    r.kept -= static_cast<long>(edges.size());
    r.digest = digestOf(host::figureList(h->fig));
    if (!h->messages.empty())
        std::fprintf(stderr, "hatch_bench: the pass hit the write limit\n");
    return r;
}

// The straightforward even-odd scan: every edge in order, crossings kept
// while the scratch rule allows, exchange sort, vertex merge, spans with a
// PollKey before each (as the module calls it).
int straightInside(const std::vector<Edge> &edges, int room, double x, double y)
{
    static std::vector<int32_t> cx, mark;
    cx.clear();
    mark.clear();
    int n = static_cast<int>(edges.size());
    for (const Edge &e : edges) {
        if (static_cast<int>(cx.size()) + n > room)
            continue;
        double x1 = e.x1, y1 = e.y1, x2 = e.x2, y2 = e.y2;
        if (y1 > y2) {
            std::swap(y1, y2);
            std::swap(x1, x2);
        }
        if ((y1 > y && y2 > y) || (y1 < y && y2 < y) || (y1 == y && y2 == y))
            continue;
        cx.push_back(static_cast<int32_t>((x2 - x1) * (y - y1) / (y2 - y1) + x1));
        mark.push_back(y1 < y && y2 == y ? -1 : y1 == y && y2 > y ? 1 : 0);
    }
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (size_t k = 0; k + 1 < cx.size(); ++k)
            if (cx[k] > cx[k + 1]) {
                std::swap(cx[k], cx[k + 1]);
                std::swap(mark[k], mark[k + 1]);
                swapped = true;
            }
    }
    for (size_t k = 0; k + 1 < cx.size();) {
        if (cx[k] != cx[k + 1]) {
            ++k;
            continue;
        }
        size_t gone = mark[k] == mark[k + 1] ? 2 : 1;
        cx.erase(cx.begin() + static_cast<long>(k), cx.begin() + static_cast<long>(k + gone));
        mark.erase(mark.begin() + static_cast<long>(k), mark.begin() + static_cast<long>(k + gone));
    }
    int result = 0;
    if (cx.size() < 2)
        return 0;
    for (size_t k = 0; k + 1 < cx.size(); k += 2) {
        if (gHostServices->PollKey() == 27)
            return result;
        if (cx[k] != cx[k + 1] && cx[k] <= x && x <= cx[k + 1])
            result = 1;
    }
    return result;
}

struct Timed {
    double ns = 0;
    long hits = 0;
    std::vector<char> answers;
};

template <class F> Timed timeTests(const std::vector<std::pair<double, double>> &pts, F test)
{
    Timed t;
    t.answers.resize(pts.size());
    Clock::time_point t0 = Clock::now();
    for (size_t i = 0; i < pts.size(); ++i)
        t.hits += t.answers[i] = static_cast<char>(test(pts[i].first, pts[i].second));
    t.ns = seconds(t0, Clock::now()) * 1e9 / static_cast<double>(pts.size());
    return t;
}

long differences(const Timed &a, const Timed &b)
{
    long d = 0;
    for (size_t i = 0; i < a.answers.size(); ++i)
        d += a.answers[i] != b.answers[i];
    return d;
}

#ifdef HATCH_BENCH_GEOS
struct Geos {
    GEOSContextHandle_t ctx = GEOS_init_r();
    GEOSGeometry *polygon = nullptr;
    const GEOSPreparedGeometry *prepared = nullptr;
    explicit Geos(const std::vector<Edge> &edges)
    {
        GEOSCoordSequence *seq = GEOSCoordSeq_create_r(ctx, static_cast<unsigned>(edges.size() + 1), 2);
        for (size_t i = 0; i <= edges.size(); ++i)
            GEOSCoordSeq_setXY_r(ctx, seq, static_cast<unsigned>(i), edges[i % edges.size()].x1,
                                 edges[i % edges.size()].y1);
        polygon = GEOSGeom_createPolygon_r(ctx, GEOSGeom_createLinearRing_r(ctx, seq), nullptr, 0);
        prepared = GEOSPrepare_r(ctx, polygon);
    }
    ~Geos()
    {
        GEOSPreparedGeom_destroy_r(ctx, prepared);
        GEOSGeom_destroy_r(ctx, polygon);
        GEOS_finish_r(ctx);
    }
    int inside(double x, double y)
    {
        GEOSGeometry *p = GEOSGeom_createPointFromXY_r(ctx, x, y);
        int in = GEOSPreparedIntersects_r(ctx, prepared, p) == 1;
        GEOSGeom_destroy_r(ctx, p);
        return in;
    }
};
#endif

// The same pass with the straightforward module, in its own process.
bool straightPass(const char *self, const std::string &kind, int n, const std::string &p, PassResult &r)
{
    std::string exe = self;
    size_t slash = exe.find_last_of('/');
    exe = (slash == std::string::npos ? std::string(".") : exe.substr(0, slash)) + "/hatch_bench_straight";
    std::string cmd = exe + " --pass " + kind + " " + std::to_string(n) + " " + p;
    FILE *f = popen(cmd.c_str(), "r");
    if (!f)
        return false;
    int got = std::fscanf(f, "%ld %ld %lf %lu", &r.generated, &r.kept, &r.seconds, &r.digest);
    return pclose(f) == 0 && got == 4;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--pass") == 0) {
        std::unique_ptr<host::Host> h;
        PassResult r = runPass(h, region(argv[2], std::atoi(argv[3])), argv[4]);
        std::printf("%ld %ld %.6f %lu\n", r.generated, r.kept, r.seconds, r.digest);
        return 0;
    }
    bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    bool insideOnly = argc > 1 && std::strcmp(argv[1], "--inside") == 0;
    struct Case {
        std::string kind;
        int n;
    };
    std::vector<Case> cases;
    for (int n : {16, 256, 4096, 8192})
        for (const char *k : {"star", "circle"})
            if (!quick || n <= 4096)
                cases.push_back({k, n});
    cases.push_back({"spiky", 0});
    const char *patterns[] = {"lines", "circles", "octagons"};

    if (!insideOnly) {
        std::printf("Whole passes (the straightforward pass: the module built without its edge index; both\n"
                    "must write the same figure list)\n");
        std::printf("%-7s %5s %-9s %9s %8s %10s %10s %8s\n", "region", "edges", "pattern", "generated", "kept", "indexed s",
                    "straight s", "ratio");
        for (const Case &c : cases) {
            std::vector<Edge> edges = region(c.kind, c.n);
            for (const char *p : patterns) {
                std::unique_ptr<host::Host> h;
                PassResult fast = runPass(h, edges, p), slow;
                bool haveSlow = straightPass(argv[0], c.kind, c.n, p, slow);
                std::printf("%-7s %5zu %-9s %9ld %8ld %10.4f ", c.kind.c_str(), edges.size(), p, fast.generated, fast.kept,
                            fast.seconds);
                if (haveSlow)
                    std::printf("%10.4f %7.1fx%s\n", slow.seconds, slow.seconds / fast.seconds,
                                slow.digest != fast.digest ? "  (the figures differ!)" : "");
                else
                    std::printf("%10s %8s\n", "-", "-");
            }
        }

        // Region size: the same pass over stars of 4,096 to 65,536 edges.  The
        // old fixed index ended at 16,384 edges; every region now has an index,
        // so the time should grow smoothly, and 65,536 stay within 3x of 16,384.
        std::printf("\nRegion size: whole passes over a star, short lines (both sides must write the same figures)\n");
        std::printf("%5s %9s %8s %10s %10s %8s %s\n", "edges", "generated", "kept", "indexed s", "straight s", "ratio",
                    "digests");
        double at16384 = 0, at65536 = 0;
        bool same = true;
        for (int n : {4096, 16384, 16385, 65536}) {
            std::vector<Edge> edges = star(n);
            std::unique_ptr<host::Host> h;
            PassResult fast = runPass(h, edges, "lines"), slow;
            bool haveSlow = straightPass(argv[0], "star", n, "lines", slow);
            std::printf("%5zu %9ld %8ld %10.4f ", edges.size(), fast.generated, fast.kept, fast.seconds);
            if (haveSlow)
                std::printf("%10.4f %7.1fx %s\n", slow.seconds, slow.seconds / fast.seconds,
                            slow.digest == fast.digest ? "equal" : "DIFFER");
            else
                std::printf("%10s %8s -\n", "-", "-");
            same = same && haveSlow && slow.digest == fast.digest;
            if (n == 16384)
                at16384 = fast.seconds;
            if (n == 65536)
                at65536 = fast.seconds;
        }
        std::printf("65,536 edges / 16,384 edges: %.2fx (at most 3x wanted)%s\n", at65536 / at16384,
                    same ? "" : "; the figure lists differ!");

    }
    std::printf("\nInside test alone, 100,000 random points of the region's box (ns per test; PollKey included)\n");
    std::printf("%-7s %5s %9s %9s %9s %8s %9s %8s %6s %6s\n", "region", "edges", "polls", "module", "straight", "ratio",
                "GEOS", "ratio", "diff", "GEOSdif");
    for (const Case &c : cases) {
        std::vector<Edge> edges = region(c.kind, c.n);
        std::unique_ptr<host::Host> h;
        runPass(h, edges, "none");
        std::mt19937 rng(1);
        int lo = 1 << 30, hi = -(1 << 30), loY = lo, hiY = hi;
        for (const Edge &e : edges) {
            lo = std::min({lo, e.x1, e.x2});
            hi = std::max({hi, e.x1, e.x2});
            loY = std::min({loY, e.y1, e.y2});
            hiY = std::max({hiY, e.y1, e.y2});
        }
        std::uniform_int_distribution<int> dx(lo, hi), dy(loY, hiY);
        std::vector<std::pair<double, double>> pts(100000);
        for (auto &p : pts)
            p = {dx(rng), dy(rng)};
        int room = workRoom;
        long polls0 = h->serviceCounts[static_cast<size_t>(host::Svc::PollKey)];
        Timed mod = timeTests(pts, [](double x, double y) { return HatchInside(x, y); });
        double polls = static_cast<double>(h->serviceCounts[static_cast<size_t>(host::Svc::PollKey)] - polls0) /
                       static_cast<double>(pts.size());
        Timed ref = timeTests(pts, [&](double x, double y) { return straightInside(edges, room, x, y); });
        std::printf("%-7s %5zu %9.2f %9.1f %9.1f %7.1fx", c.kind.c_str(), edges.size(), polls, mod.ns, ref.ns,
                    ref.ns / mod.ns);
#ifdef HATCH_BENCH_GEOS
        Geos g(edges);
        Timed geos = timeTests(pts, [&](double x, double y) { return g.inside(x, y); });
        std::printf(" %9.1f %7.2fx %6ld %6ld\n", geos.ns, geos.ns / mod.ns, differences(mod, ref), differences(mod, geos));
#else
        std::printf(" %9s %8s %6ld %6s\n", "-", "-", differences(mod, ref), "-");
#endif
    }
    // What one PollKey call of the reference host costs.
    std::unique_ptr<host::Host> h = std::make_unique<host::Host>(host::nativeModule(), benchOptions());
    h->trace.keepLines(false);
    h->start();
    Clock::time_point t0 = Clock::now();
    for (int i = 0; i < 1000000; ++i)
        gHostServices->PollKey();
    std::printf("\nOne PollKey call of the reference host: %.1f ns\n", seconds(t0, Clock::now()) * 1e3);
    return 0;
}
