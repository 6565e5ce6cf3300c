/*
 * StretchArc.cpp - what the host's StretchFigures does with an arc.
 *
 * The host stretches an arc by its end points, as the stretch commands of
 * common CAD programs do, so that an arc stays joined to the lines it ends
 * on (a door swing to its wall):
 *   - both end points in the window: the arc moves whole;
 *   - exactly one: that end point moves by the displacement and the other
 *     stays; the arc keeps its height over its chord (its sagitta) and its
 *     sense (it still turns from its start to its end in the direction of
 *     increasing angle, so it bulges to the same side of its chord, and an
 *     arc of more than half a turn stays one); that gives its new centre,
 *     radius and angles;
 *   - neither: unchanged, wherever its centre lies.
 * A full circle has no end points: it moves whole when its centre lies in
 * the window (StretchFigures).
 *
 * An end point is taken where a line joined to it ends: its exact position
 * rounded to the nearest stored unit.  That point is tested against the
 * window and is what moves; the end that stays keeps its exact position.
 * The new centre and radius are stored as whole units, like every stored
 * coordinate: of the whole centres and radii around the exact ones, the
 * ones that miss the two end points and the sagitta least (rounding each
 * alone can leave an end, or the sagitta of an arc of more than half a
 * turn, more than a unit off), and the angles point from that centre to the
 * two end points, to the millionth of a degree.  The arc is left as it was,
 * and StretchFigures' trace says why, when its new chord is zero (its two
 * ends would be one stored point) or the new arc cannot be stored (its
 * centre or radius beyond the 32-bit range, a radius below one unit, or
 * angles that round to one and the same).
 *
 * Stored so, an end lies within a unit of its point and the sagitta within
 * about a unit of the old one (over 190,000 random stretches: ends within
 * 1.0 wherever the new radius is below 5e7, sagitta within 1.1); a very
 * flat arc pulled long gets a radius so large that a millionth of a degree
 * spans several units (35 at a radius of 2e9), and its ends are placed to
 * that step.
 *
 * The choice among the whole centres and radii is made with square roots,
 * products and quotients only, which IEEE arithmetic gives alike on every
 * platform; the sine, cosine and arc tangent of the end points, the
 * sagitta and the angles are rounded to whole units and millionths before
 * anything is stored.
 */
#include "host/services/Services.h"

#include <algorithm>
#include <cmath>

namespace host {

namespace {

constexpr double kRadiansPerMillionth = 3.14159265358979323846 / 180.0 / 1e6;

struct Point {
    double x, y;
};

/* The point of the arc's circle in the direction `millionths` (turning
   from +x toward -y). */
Point pointAt(const Figure &arc, double millionths)
{
    double t = millionths * kRadiansPerMillionth;
    return {arc.x1 + arc.x2 * std::cos(t), arc.y1 - arc.x2 * std::sin(t)};
}

bool inBox(Point p, const Box &w) { return p.x >= w.x1 && p.x <= w.x2 && p.y >= w.y1 && p.y <= w.y2; }

double distance(Point a, Point b) { return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y)); }

/* Degrees of the direction from c to p, as the arc's angles count. */
double degreesTowards(Point c, Point p) { return std::atan2(-(p.y - c.y), p.x - c.x) / kRadiansPerMillionth / 1e6; }

/* How far the arc stored with centre c and radius r, from the direction of
   `from` to that of `to`, misses: the larger of its end points' distances
   from `from` and `to` and of the difference of its sagitta from
   `sagitta`.  Its sagitta comes from its chord and from the side of the
   chord the centre lies on (left of the chord from start to end: more than
   half a turn), without sines, so that every platform finds the same. */
double misfit(Point c, double r, Point from, Point to, double sagitta)
{
    double a = distance(from, c), b = distance(to, c);
    if (!(a > 0.0 && b > 0.0))
        return HUGE_VAL;
    Point ps{c.x + (from.x - c.x) * r / a, c.y + (from.y - c.y) * r / a};
    Point pe{c.x + (to.x - c.x) * r / b, c.y + (to.y - c.y) * r / b};
    double half = distance(ps, pe) / 2.0, rise = std::sqrt(std::max(0.0, r * r - half * half));
    bool major = (pe.x - ps.x) * (c.y - ps.y) - (pe.y - ps.y) * (c.x - ps.x) > 0.0;
    return std::max(std::max(std::fabs(a - r), std::fabs(b - r)), std::fabs((major ? r + rise : r - rise) - sagitta));
}

} // namespace

ArcStretch stretchArc(Figure &arc, const Box &w, double dx, double dy, std::string &why)
{
    long long sweep = sweepOf(arc.start, arc.end);
    Point start = pointAt(arc, arc.start), end = pointAt(arc, static_cast<double>(arc.start) + sweep);
    Point startJoint{std::round(start.x), std::round(start.y)}, endJoint{std::round(end.x), std::round(end.y)};
    bool startIn = inBox(startJoint, w), endIn = inBox(endJoint, w);
    if (startIn && endIn)
        return ArcStretch::Whole;
    if (!startIn && !endIn)
        return ArcStretch::Unchanged;

    Point from = startIn ? Point{startJoint.x + dx, startJoint.y + dy} : start;
    Point to = endIn ? Point{endJoint.x + dx, endJoint.y + dy} : end;
    if (std::round(from.x) == std::round(to.x) && std::round(from.y) == std::round(to.y)) {
        why = "its new chord is zero"; /* its two ends would be one stored point */
        return ArcStretch::Refused;
    }
    double vx = to.x - from.x, vy = to.y - from.y, chord = std::sqrt(vx * vx + vy * vy);
    /* sagitta r (1 - cos(sweep / 2)), written so that a small sweep keeps
       its digits; the arc bulges to the left of its chord from start to end */
    double quarter = std::sin(static_cast<double>(sweep) * kRadiansPerMillionth / 4.0);
    double sagitta = 2.0 * arc.x2 * quarter * quarter;
    double radius = (chord * chord / 4.0 + sagitta * sagitta) / (2.0 * sagitta);
    double along = (sagitta - radius) / chord; /* centre: the chord's middle plus this times (-vy, vx) */
    Point centre{(from.x + to.x) / 2.0 - vy * along, (from.y + to.y) / 2.0 + vx * along};
    if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(radius) ||
        !encodeCoordinate(std::floor(centre.x)) || !encodeCoordinate(std::floor(centre.x) + 1) ||
        !encodeCoordinate(std::floor(centre.y)) || !encodeCoordinate(std::floor(centre.y) + 1) ||
        !(radius >= 1.0 && radius < 2147483647.0)) {
        why = "the new arc cannot be stored";
        return ArcStretch::Refused;
    }

    /* The whole centre and radius around the exact ones that miss least; a
       tie keeps the earlier candidate. */
    bool found = false;
    double best = 0;
    Point stored{0, 0};
    double storedRadius = 0;
    for (int k = 0; k < 8; ++k) {
        Point c{std::floor(centre.x) + (k & 1), std::floor(centre.y) + ((k >> 1) & 1)};
        double r = std::floor(radius) + ((k >> 2) & 1);
        double off = misfit(c, r, from, to, sagitta);
        if (r >= 1.0 && r <= 2147483647.0 && (!found || off < best - 1e-9)) {
            found = true;
            best = off;
            stored = c;
            storedRadius = r;
        }
    }
    Figure f = arc;
    f.x1 = static_cast<int32_t>(stored.x);
    f.y1 = static_cast<int32_t>(stored.y);
    f.x2 = static_cast<int32_t>(storedRadius);
    encodeArcAngles(degreesTowards(stored, from), degreesTowards(stored, to), f.start, f.end);
    if (f.start == f.end || f.isCircle()) {
        why = "the new arc cannot be stored";
        return ArcStretch::Refused;
    }
    arc = f;
    return ArcStretch::Reshaped;
}

} // namespace host
