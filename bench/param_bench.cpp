// param_bench - speed of the stretch command VeC92 in link-update mode on
// generated drawings of rooms, through the reference host (guard zones
// checked after commands only, trace off).
//
// A drawing is a row of rooms of 4000 x 3000, each with four linked walls
// and two centred labels linked to them: one under the bottom wall, one
// beside the right wall (6 figures, 8 entries a room).  Two windows:
//   all   over every figure, moved 1000 to the right: every label is in
//         the work area;
//   band  over the lower part of every room, moved 500 up: the bottom walls
//         lie inside, the side walls cross the border, the top walls are not
//         collected and every label lies outside the window, below N.
// Each drawing is played as a whole session with the module as shipped
// (best of seven) and once with param_bench_straight, the module whose
// linked-text pass is the straightforward one (bench/ParamLinksStraight.cpp);
// both must write the same figure list, or the benchmark fails.  Times are
// the CPU time of the session's thread.
//
//   param_bench [--quick]                  everything, a few seconds (--quick
//                                          changes nothing here)
//   param_bench_straight --pass WINDOW N   one session, printed as numbers
#include "host/Host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <time.h>

namespace {

/* CPU time of this thread: the session runs on it, and time the machine
   gives to other work in between (2 shared cores) does not count. */
double cpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

struct Session {
    long collected = 0; /* figures in the work area */
    double seconds = 0;
    unsigned long digest = 0; /* of the figure list */
};

unsigned long digestOf(const std::string &text)
{
    uint32_t h = 2166136261u; /* FNV-1a */
    for (unsigned char c : text)
        h = (h ^ c) * 16777619u;
    return h;
}

std::string rooms(int count)
{
    std::ostringstream d;
    for (int k = 0; k < count; ++k) {
        int x = 5000 * k, link = 4 * k;
        d << "line " << x << " 0 " << x + 4000 << " 0 link=" << link + 1 << "\n"
          << "line " << x + 4000 << " 0 " << x + 4000 << " 3000 link=" << link + 2 << "\n"
          << "line " << x + 4000 << " 3000 " << x << " 3000 link=" << link + 3 << "\n"
          << "line " << x << " 3000 " << x << " 0 link=" << link + 4 << "\n"
          << "text " << x + 2000 << " -250 \"W" << k << "\" origin=5 link=" << link + 1 << "\n"
          << "text " << x + 4250 << " 1500 \"H" << k << "\" origin=5 angle=90 link=" << link + 2 << "\n";
    }
    return d.str();
}

Session play(const std::string &window, int figures)
{
    int count = figures / 6;
    host::HostOptions o;
    o.figureLimit = std::max(20000, 25 * count);
    o.workBase = o.figureLimit + 50;
    o.workEnd = o.workBase + 10000;
    o.guardEveryCall = false;
    o.timeoutSeconds = 3600;
    auto h = std::make_unique<host::Host>(host::nativeModule(), o);
    h->trace.keepLines(false);
    h->loadDrawing(rooms(count), "rooms");
    std::string right = std::to_string(5000 * count);
    std::string range = window == "all" ? "point -1000 -1000\npoint " + right + " 4000\npoint 0 0\npoint 1000 0\n"
                                        : "point -1000 -100\npoint " + right + " 1000\npoint 0 0\npoint 0 500\n";
    h->loadScript("run VeC92\npanel choose \"リンクを更新する\"\npanel ok\n" + range, "bench");
    double t0 = cpuSeconds();
    h->runScript();
    Session s;
    s.seconds = cpuSeconds() - t0;
    int n = h->rec.i32(host::StateField::selFirst), m = h->rec.i32(host::StateField::selEnd);
    for (int i = n + 1; i < m; ++i)
        s.collected += host::entriesOfKind(h->fig.kindAt(i)) > 0;
    s.digest = digestOf(host::figureList(h->fig));
    return s;
}

// The same session with the straightforward pass, in its own process.
bool straight(const char *self, const std::string &window, int figures, Session &s)
{
    std::string exe = self;
    size_t slash = exe.find_last_of('/');
    exe = (slash == std::string::npos ? std::string(".") : exe.substr(0, slash)) + "/param_bench_straight";
    FILE *f = popen((exe + " --pass " + window + " " + std::to_string(figures)).c_str(), "r");
    if (!f)
        return false;
    int got = std::fscanf(f, "%ld %lf %lu", &s.collected, &s.seconds, &s.digest);
    return pclose(f) == 0 && got == 3;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--pass") == 0) {
        Session s = play(argv[2], std::atoi(argv[3]));
        std::printf("%ld %.6f %lu\n", s.collected, s.seconds, s.digest);
        return 0;
    }
    const int sizes[] = {900, 1800, 3600, 7200, 14400};
    int status = 0;
    std::printf("\nStretch in link-update mode (the straightforward pass: every linked text looks through the\n"
                "work area, every linked line through the figures below N; both must write the same figures)\n");
    std::printf("%-6s %7s %9s %9s %13s %10s %8s\n", "window", "figures", "collected", "module s", "us/collected",
                "straight s", "ratio");
    for (const char *window : {"all", "band"}) {
        double at3600 = 0, at14400 = 0;
        for (int figures : sizes) {
            Session best = play(window, figures);
            for (int k = 0; k < 6; ++k) {
                Session again = play(window, figures);
                best.seconds = std::min(best.seconds, again.seconds);
            }
            at3600 = figures == 3600 ? best.seconds : at3600;
            at14400 = figures == 14400 ? best.seconds : at14400;
            std::printf("%-6s %7d %9ld %9.4f %13.2f ", window, figures, best.collected, best.seconds,
                        1e6 * best.seconds / static_cast<double>(std::max(1L, best.collected)));
            Session slow;
            if (!straight(argv[0], window, figures, slow)) {
                std::printf("%10s %8s  (the straightforward pass did not run)\n", "-", "-");
                status = 1;
                continue;
            }
            bool same = slow.digest == best.digest && slow.collected == best.collected;
            std::printf("%10.4f %7.1fx%s\n", slow.seconds, slow.seconds / best.seconds,
                        same ? "" : "  (the figures differ!)");
            status |= same ? 0 : 1;
        }
        std::printf("%-6s module 14,400 / 3,600 figures: %.1f (a linear pass: 4%s)\n", window, at14400 / at3600,
                    at14400 / at3600 > 6 ? "; more than 6!" : "");
    }
    return status;
}
