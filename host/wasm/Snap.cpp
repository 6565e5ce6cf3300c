/*
 * Snap.cpp - object snaps over the host's figure tables (Snap.h).
 *
 * Every figure is visited once per query: the tables have no spatial index,
 * and a drawing of 100,000 figures still answers within a millisecond or
 * two, well inside a mouse move.  Points on the cursor win over points
 * derived from a curve under it: end, middle, intersection and a centre
 * hovered directly come first (the nearest of them), then the centre of a
 * circle or arc whose curve is under the cursor, then the nearest point of
 * a curve.  Angles follow the host: millionths of a degree turning from +x
 * toward -y, so the point at angle a is (cx + r cos a, cy - r sin a).
 */
#include "host/wasm/Snap.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace host {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Shape {
    int index;
    bool line;          /* else a circle or arc */
    double x1, y1, x2, y2; /* line */
    double cx, cy, r;   /* circle, arc */
    double start, sweep; /* degrees; a circle sweeps 360 */
};

double angleOf(const Shape &s, double x, double y)
{
    return std::atan2(-(y - s.cy), x - s.cx) * 180 / kPi;
}

bool onArc(const Shape &s, double deg)
{
    if (s.sweep >= 360)
        return true;
    double a = std::fmod(deg - s.start, 360.0);
    if (a < 0)
        a += 360;
    return a <= s.sweep + 1e-9;
}

void arcPoint(const Shape &s, double deg, double &x, double &y)
{
    double a = deg * kPi / 180;
    x = s.cx + s.r * std::cos(a);
    y = s.cy - s.r * std::sin(a);
}

/* Nearest point of the shape to (x, y). */
void nearestOn(const Shape &s, double x, double y, double &nx, double &ny)
{
    if (s.line) {
        double dx = s.x2 - s.x1, dy = s.y2 - s.y1, len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? std::clamp(((x - s.x1) * dx + (y - s.y1) * dy) / len2, 0.0, 1.0) : 0.0;
        nx = s.x1 + t * dx;
        ny = s.y1 + t * dy;
        return;
    }
    double d = std::hypot(x - s.cx, y - s.cy);
    if (d > 0 && onArc(s, angleOf(s, x, y))) {
        nx = s.cx + (x - s.cx) * s.r / d;
        ny = s.cy + (y - s.cy) * s.r / d;
        return;
    }
    double ax, ay, bx, by;
    arcPoint(s, s.start, ax, ay);
    arcPoint(s, s.start + s.sweep, bx, by);
    bool a = std::hypot(x - ax, y - ay) <= std::hypot(x - bx, y - by);
    nx = a ? ax : bx;
    ny = a ? ay : by;
}

/* Intersection points of two shapes (segments and arcs as drawn). */
void intersections(const Shape &a, const Shape &b, std::vector<std::pair<double, double>> &out)
{
    if (a.line && b.line) {
        double rx = a.x2 - a.x1, ry = a.y2 - a.y1, sx = b.x2 - b.x1, sy = b.y2 - b.y1;
        double den = rx * sy - ry * sx;
        if (den == 0)
            return;
        double t = ((b.x1 - a.x1) * sy - (b.y1 - a.y1) * sx) / den;
        double u = ((b.x1 - a.x1) * ry - (b.y1 - a.y1) * rx) / den;
        if (t >= -1e-9 && t <= 1 + 1e-9 && u >= -1e-9 && u <= 1 + 1e-9)
            out.emplace_back(a.x1 + t * rx, a.y1 + t * ry);
        return;
    }
    if (!a.line && b.line) {
        intersections(b, a, out);
        return;
    }
    if (a.line) { /* a line and a circle or arc */
        double dx = a.x2 - a.x1, dy = a.y2 - a.y1, fx = a.x1 - b.cx, fy = a.y1 - b.cy;
        double qa = dx * dx + dy * dy, qb = 2 * (fx * dx + fy * dy), qc = fx * fx + fy * fy - b.r * b.r;
        double disc = qb * qb - 4 * qa * qc;
        if (qa <= 0 || disc < 0)
            return;
        double root = std::sqrt(disc);
        for (double t : {(-qb - root) / (2 * qa), (-qb + root) / (2 * qa)}) {
            double x = a.x1 + t * dx, y = a.y1 + t * dy;
            if (t >= -1e-9 && t <= 1 + 1e-9 && onArc(b, angleOf(b, x, y)))
                out.emplace_back(x, y);
            if (disc == 0)
                break;
        }
        return;
    }
    /* two circles or arcs */
    double dx = b.cx - a.cx, dy = b.cy - a.cy, d = std::hypot(dx, dy);
    if (d == 0 || d > a.r + b.r || d < std::fabs(a.r - b.r))
        return;
    double along = (a.r * a.r - b.r * b.r + d * d) / (2 * d);
    double h = std::sqrt(std::max(0.0, a.r * a.r - along * along));
    double mx = a.cx + along * dx / d, my = a.cy + along * dy / d;
    for (int sign : {1, -1}) {
        double x = mx + sign * h * -dy / d, y = my + sign * h * dx / d;
        if (onArc(a, angleOf(a, x, y)) && onArc(b, angleOf(b, x, y)))
            out.emplace_back(x, y);
        if (h == 0)
            break;
    }
}

} // namespace

const char *snapKindName(int kind)
{
    switch (kind) {
    case SnapEnd: return "end";
    case SnapMiddle: return "middle";
    case SnapCentre: return "centre";
    case SnapNearest: return "nearest";
    case SnapIntersection: return "intersection";
    default: return "";
    }
}

std::optional<SnapHit> findSnap(const FigureTable &fig, int end, double x, double y, double aperture, int kinds)
{
    if (!(aperture > 0) || kinds == 0)
        return std::nullopt;
    std::optional<SnapHit> best;
    int bestRank = 3;
    double bestD = 0;
    auto offer = [&](int rank, int kind, double px, double py, int index, int other = -1) {
        double d = std::hypot(px - x, py - y);
        if (rank == 0 && d > aperture)
            return;
        if (rank < bestRank || (rank == bestRank && d < bestD)) {
            best = SnapHit{kind, px, py, index, other};
            bestRank = rank;
            bestD = d;
        }
    };
    std::vector<Shape> near; /* curves under the cursor, for intersections */
    for (int i = 0; i < end;) {
        int n = entriesOfKind(fig.kindAt(i));
        if (n <= 0) {
            ++i;
            continue;
        }
        Figure f = fig.read(i);
        Shape s{};
        s.index = i;
        if (f.kind == kKindPoint) {
            if (kinds & SnapEnd)
                offer(0, SnapEnd, f.x1, f.y1, i);
        } else if (f.kind == kKindLine || f.kind == kKindArc) {
            s.line = f.kind == kKindLine;
            if (s.line) {
                s.x1 = f.x1, s.y1 = f.y1, s.x2 = f.x2, s.y2 = f.y2;
                if (kinds & SnapEnd) {
                    offer(0, SnapEnd, s.x1, s.y1, i);
                    offer(0, SnapEnd, s.x2, s.y2, i);
                }
                if (kinds & SnapMiddle)
                    offer(0, SnapMiddle, (s.x1 + s.x2) / 2, (s.y1 + s.y2) / 2, i);
            } else {
                s.cx = f.x1, s.cy = f.y1, s.r = f.x2;
                s.start = f.start / 1e6;
                s.sweep = f.isCircle() ? 360 : sweepOf(f.start, f.end) / 1e6;
                if (!f.isCircle()) {
                    double px, py;
                    if (kinds & SnapEnd) {
                        arcPoint(s, s.start, px, py);
                        offer(0, SnapEnd, px, py, i);
                        arcPoint(s, s.start + s.sweep, px, py);
                        offer(0, SnapEnd, px, py, i);
                    }
                    if (kinds & SnapMiddle) {
                        arcPoint(s, s.start + s.sweep / 2, px, py);
                        offer(0, SnapMiddle, px, py, i);
                    }
                }
                if (kinds & SnapCentre)
                    offer(0, SnapCentre, s.cx, s.cy, i);
            }
            double nx, ny;
            nearestOn(s, x, y, nx, ny);
            if (std::hypot(nx - x, ny - y) <= aperture) {
                near.push_back(s);
                if (!s.line && (kinds & SnapCentre))
                    offer(1, SnapCentre, s.cx, s.cy, i);
                if (kinds & SnapNearest)
                    offer(2, SnapNearest, nx, ny, i);
            }
        }
        i += n;
    }
    if (kinds & SnapIntersection) {
        size_t count = std::min<size_t>(near.size(), 64);
        std::vector<std::pair<double, double>> pts;
        for (size_t a = 0; a < count; ++a)
            for (size_t b = a + 1; b < count; ++b) {
                pts.clear();
                intersections(near[a], near[b], pts);
                for (const auto &p : pts)
                    offer(0, SnapIntersection, p.first, p.second, near[a].index, near[b].index);
            }
    }
    return best;
}

} // namespace host
