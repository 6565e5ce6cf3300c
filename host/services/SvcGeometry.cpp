/*
 * SvcGeometry.cpp - the host's arithmetic services: angles, projections,
 * segment intersection, coordinate encoding, exchanges, random numbers and
 * the figure-kind and text-origin words (encoding in host/records/Figures.h).
 */
#include "host/services/Services.h"
#include "host/text/Text.h"

#include <cmath>

namespace host {

namespace {

constexpr double kTwoPi = 6.28318530717958647692;

/* vectorAngle = direction of (argBx, argBy) in radians, 0 <= a < 2 pi,
   measured from +x toward +y; (0, 0) gives 0.  Also returned. */
double HOST_STDCALL VectorAngle()
{
    ServiceCall c(Svc::VectorAngle);
    Records &r = runningHost().rec;
    double x = r.f64(StateField::argBx), y = r.f64(StateField::argBy);
    double a = (x == 0.0 && y == 0.0) ? 0.0 : std::atan2(y, x);
    if (a < 0.0)
        a += kTwoPi;
    if (!(a < kTwoPi))
        a = 0.0;
    r.put(StateField::vectorAngle, a);
    TraceLine(runningHost().trace, "VectorAngle").field("argBx", x).field("argBy", y).resultNumber(a);
    return a;
}

/* Foot of the perpendicular from (circleX, circleY) onto the line through
   C and D, into circleX, circleY; a zero-length line gives C. */
void HOST_STDCALL ProjectPointOnLine()
{
    ServiceCall c(Svc::ProjectPointOnLine);
    Records &r = runningHost().rec;
    double cx = r.f64(StateField::argCx), cy = r.f64(StateField::argCy), dx = r.f64(StateField::argDx) - cx, dy = r.f64(StateField::argDy) - cy;
    double px = r.f64(StateField::circleX), py = r.f64(StateField::circleY);
    double m = dx * dx + dy * dy, fx = cx, fy = cy;
    if (m > 0.0) {
        double t = ((px - cx) * dx + (py - cy) * dy) / m;
        fx = cx + t * dx;
        fy = cy + t * dy;
    }
    r.put(StateField::circleX, fx);
    r.put(StateField::circleY, fy);
    TraceLine(runningHost().trace, "ProjectPointOnLine").field("circleX", px).field("circleY", py).field("argCx", cx)
        .field("argCy", cy).field("argDx", cx + dx).field("argDy", cy + dy)
        .resultNumbers(fx, fy);
}

/* 1 when segment C-D meets segment E-F, end points included; parallel and
   collinear segments give 0.  The point is kept for IntersectionX/Y. */
int32_t HOST_STDCALL IntersectLines()
{
    ServiceCall c(Svc::IntersectLines);
    Host &h = runningHost();
    Records &r = h.rec;
    double cx = r.f64(StateField::argCx), cy = r.f64(StateField::argCy), dx = r.f64(StateField::argDx), dy = r.f64(StateField::argDy);
    double ex = r.f64(StateField::argEx), ey = r.f64(StateField::argEy), fx = r.f64(StateField::argFx), fy = r.f64(StateField::argFy);
    double ux = dx - cx, uy = dy - cy, vx = fx - ex, vy = fy - ey;
    double den = ux * vy - uy * vx;
    int32_t met = 0;
    if (den != 0.0) {
        double t = ((ex - cx) * vy - (ey - cy) * vx) / den;
        double s = ((ex - cx) * uy - (ey - cy) * ux) / den;
        if (t >= 0.0 && t <= 1.0 && s >= 0.0 && s <= 1.0) {
            met = 1;
            h.lastIntersectX = cx + t * ux;
            h.lastIntersectY = cy + t * uy;
        }
    }
    TraceLine t(h.trace, "IntersectLines");
    t.field("argCx", cx).field("argCy", cy).field("argDx", dx).field("argDy", dy)
        .field("argEx", ex).field("argEy", ey).field("argFx", fx).field("argFy", fy).resultInt(met);
    return met;
}

double HOST_STDCALL IntersectionX()
{
    ServiceCall c(Svc::IntersectionX);
    TraceLine(runningHost().trace, "IntersectionX").resultNumber(runningHost().lastIntersectX);
    return runningHost().lastIntersectX;
}

double HOST_STDCALL IntersectionY()
{
    ServiceCall c(Svc::IntersectionY);
    TraceLine(runningHost().trace, "IntersectionY").resultNumber(runningHost().lastIntersectY);
    return runningHost().lastIntersectY;
}

double HOST_STDCALL AbsValue(double v)
{
    ServiceCall c(Svc::AbsValue);
    TraceLine(runningHost().trace, "AbsValue").arg(v).resultNumber(std::fabs(v));
    return std::fabs(v);
}

/* Round to nearest, halves away from zero.  A value beyond the 32-bit range
   is clamped to it and NaN gives 0; the trace says so. */
int32_t HOST_STDCALL EncodeCoordinate(double v)
{
    ServiceCall c(Svc::EncodeCoordinate);
    std::optional<int32_t> e = encodeCoordinate(v);
    int32_t out = e ? *e : std::isnan(v) ? 0 : v > 0 ? INT32_MAX : INT32_MIN;
    TraceLine t(runningHost().trace, "EncodeCoordinate");
    t.arg(v).resultInt(out);
    if (!e)
        t.note("not a 32-bit coordinate");
    return out;
}

void HOST_STDCALL SwapInts(int32_t *a, int32_t *b)
{
    ServiceCall c(Svc::SwapInts);
    TraceLine(runningHost().trace, "SwapInts").arg(*a).arg(*b);
    int32_t t = *a;
    *a = *b;
    *b = t;
}

void HOST_STDCALL SwapDoubles(double *a, double *b)
{
    ServiceCall c(Svc::SwapDoubles);
    TraceLine(runningHost().trace, "SwapDoubles").arg(*a).arg(*b);
    double t = *a;
    *a = *b;
    *b = t;
}

/* Seedable (session line `seed N`), the same sequence on every platform:
   splitmix64, the top 53 bits as a double in [0, 1). */
double HOST_STDCALL Random(int32_t zero)
{
    ServiceCall c(Svc::Random);
    uint64_t z = (runningHost().rng += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    double v = static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
    TraceLine(runningHost().trace, "Random").arg(zero).resultNumber(v);
    return v;
}

int32_t HOST_STDCALL GetFigureKind(int32_t value)
{
    ServiceCall c(Svc::GetFigureKind);
    int32_t k = figureKind(value);
    TraceLine(runningHost().trace, "GetFigureKind").arg(value).resultInt(k);
    return k;
}

int32_t HOST_STDCALL GetTextOrigin(int32_t word)
{
    ServiceCall c(Svc::GetTextOrigin);
    int32_t v = word & 0xF;
    TraceLine(runningHost().trace, "GetTextOrigin").arg(word).resultInt(v);
    return v;
}

int32_t HOST_STDCALL SetTextOrigin(int32_t kindPart, int32_t origin)
{
    ServiceCall c(Svc::SetTextOrigin);
    int32_t w = ((kindPart & 0xFF) << 8) | (origin & 0xF);
    TraceLine(runningHost().trace, "SetTextOrigin").arg(kindPart).arg(origin).resultInt(w);
    return w;
}

} // namespace

void registerGeometryServices(Records &r)
{
    putService(r, Svc::VectorAngle, slot(&VectorAngle));
    putService(r, Svc::ProjectPointOnLine, slot(&ProjectPointOnLine));
    putService(r, Svc::IntersectLines, slot(&IntersectLines));
    putService(r, Svc::IntersectionX, slot(&IntersectionX));
    putService(r, Svc::IntersectionY, slot(&IntersectionY));
    putService(r, Svc::AbsValue, slot(&AbsValue));
    putService(r, Svc::EncodeCoordinate, slot(&EncodeCoordinate));
    putService(r, Svc::SwapInts, slot(&SwapInts));
    putService(r, Svc::SwapDoubles, slot(&SwapDoubles));
    putService(r, Svc::Random, slot(&Random));
    putService(r, Svc::GetFigureKind, slot(&GetFigureKind));
    putService(r, Svc::GetTextOrigin, slot(&GetTextOrigin));
    putService(r, Svc::SetTextOrigin, slot(&SetTextOrigin));
}

} // namespace host
