/*
 * Figures.cpp - figure encoding and exact figure geometry: what the module
 * finds in the per-figure arrays, and boxes and window tests computed on
 * the stored integers, so that a selection never depends on rounding.
 */
#include "host/records/Figures.h"

#include "host/text/Text.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace host {

long long sweepOf(int32_t start, int32_t end)
{
    long long s = static_cast<long long>(end) - start;
    while (s <= 0)
        s += kFullTurn;
    while (s > kFullTurn)
        s -= kFullTurn;
    return s;
}

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;

int32_t clampTo(long long v, long long lo, long long hi) { return static_cast<int32_t>(std::max(lo, std::min(hi, v))); }

/* Is the direction a (millionths, any turn) on the arc start..start+sweep? */
bool onSweep(double aMillionths, int32_t start, long long sweep)
{
    double rel = std::fmod(aMillionths - start, static_cast<double>(kFullTurn));
    if (rel < 0)
        rel += kFullTurn;
    return rel <= static_cast<double>(sweep) + 1e-3;
}

bool inside(double x, double y, const Box &w) { return x >= w.x1 && x <= w.x2 && y >= w.y1 && y <= w.y2; }

/* Does the segment p-q meet the closed box (Liang-Barsky clipping)? */
bool segmentMeetsBox(double px, double py, double qx, double qy, const Box &w)
{
    double t0 = 0.0, t1 = 1.0, dx = qx - px, dy = qy - py;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {px - w.x1, w.x2 - px, py - w.y1, w.y2 - py};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0)
                return false;
            continue;
        }
        double t = q[k] / p[k];
        if (p[k] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

} // namespace

int entriesOfKind(int32_t kind)
{
    switch (kind) {
    case 2:
    case 4:
        return 1;
    case 3:
    case 5:
    case 6:
        return 2;
    default:
        return 0;
    }
}

bool FigureTable::isFigureStart(int i) const { return entriesOfKind(kindAt(i)) > 0; }

void FigureTable::setType(int i, int32_t low16)
{
    int32_t &w = r_.at(ArrType, i);
    w = static_cast<int32_t>((static_cast<uint32_t>(w) & 0xFFFF0000u) | (static_cast<uint32_t>(low16) & 0xFFFFu));
}

int FigureTable::figuresEnd() const
{
    int end = drawingEnd();
    return end < 0 ? r_.figureLimit() : end;
}

int FigureTable::findMarker(int from) const
{
    int cap = r_.capacity();
    for (int i = std::max(from, 0); i < cap; ++i)
        if ((r_.at(ArrType, i) & 0xFFFF) == 0xFFFF)
            return i;
    return -1;
}

int FigureTable::textId(const std::string &utf8)
{
    auto it = std::find(texts_.begin(), texts_.end(), utf8);
    if (it != texts_.end())
        return static_cast<int>(it - texts_.begin()) + 1;
    texts_.push_back(utf8);
    return static_cast<int>(texts_.size());
}

const std::string &FigureTable::textOf(int32_t id) const
{
    static const std::string unknown = "?";
    if (id < 1 || static_cast<size_t>(id) > texts_.size())
        return unknown;
    return texts_[static_cast<size_t>(id) - 1];
}

Figure FigureTable::read(int i) const
{
    Figure f;
    int32_t word = r_.at(ArrType, i);
    f.kind = figureKind(lowType(word));
    f.layer = static_cast<int32_t>(static_cast<uint32_t>(word) >> 16);
    f.group = r_.at(ArrW, i);
    int32_t attr = r_.at(ArrAttr, i);
    f.link = attr >> 16;
    f.color = (attr >> 8) & 0xFF;
    f.ltype = attr & 0xFF;
    f.x1 = r_.at(ArrX1, i);
    f.y1 = r_.at(ArrY1, i);
    f.x2 = r_.at(ArrX2, i);
    f.y2 = r_.at(ArrY2, i);
    if (f.kind == kKindArc) {
        f.start = r_.at(ArrX2, i + 1);
        f.end = r_.at(ArrY2, i + 1);
    } else if (f.kind == kKindText || f.kind == kKindText6) {
        f.text = textOf(f.y2);
        f.width = r_.at(ArrW, i + 1);
        f.spacing = r_.at(ArrX1, i + 1);
        f.height = r_.at(ArrAttr, i + 1);
        f.angle = r_.at(ArrY1, i + 1);
        f.angle2 = r_.at(ArrX2, i + 1);
        int32_t word2 = r_.at(ArrY2, i + 1);
        f.style = (word2 >> 8) & 0xFF;
        f.origin = word2 & 0xF;
    }
    return f;
}

void FigureTable::write(int i, const Figure &f)
{
    static const int32_t types[] = {kTypeEmpty, kTypeCont, kTypeLine, kTypeArc, kTypePoint, kTypeText, kTypeText6};
    int32_t low = f.kind >= 0 && f.kind <= 6 ? types[f.kind] : kTypeEmpty;
    uint32_t layer = static_cast<uint32_t>(clampTo(f.layer, 0, 0xFFFF));
    r_.at(ArrType, i) = static_cast<int32_t>((layer << 16) | static_cast<uint32_t>(low));
    r_.at(ArrW, i) = f.group;
    r_.at(ArrAttr, i) = static_cast<int32_t>((static_cast<uint32_t>(clampTo(f.link, -32768, 32767)) << 16) |
                                             (static_cast<uint32_t>(clampTo(f.color, 0, 255)) << 8) |
                                             static_cast<uint32_t>(clampTo(f.ltype, 0, 255)));
    r_.at(ArrX1, i) = f.x1;
    r_.at(ArrY1, i) = f.y1;
    r_.at(ArrX2, i) = f.x2;
    r_.at(ArrY2, i) = f.y2;
    setDisplay(i, Display::Drawn);
    if (entriesOfKind(f.kind) < 2)
        return;
    int j = i + 1;
    r_.at(ArrType, j) = static_cast<int32_t>((layer << 16) | static_cast<uint32_t>(kTypeCont));
    for (Arr a : {ArrW, ArrAttr, ArrX1, ArrY1, ArrX2, ArrY2})
        r_.at(a, j) = 0;
    setDisplay(j, Display::Drawn);
    if (f.kind == kKindArc) {
        r_.at(ArrX2, j) = f.start;
        r_.at(ArrY2, j) = f.end;
    } else {
        std::optional<std::string> sjis = utf8ToCp932(f.text);
        r_.at(ArrX2, i) = static_cast<int32_t>(sjis ? sjis->size() : f.text.size());
        r_.at(ArrY2, i) = textId(f.text);
        r_.at(ArrW, j) = f.width;
        r_.at(ArrX1, j) = f.spacing;
        r_.at(ArrAttr, j) = f.height;
        r_.at(ArrY1, j) = f.angle;
        r_.at(ArrX2, j) = f.angle2;
        r_.at(ArrY2, j) = (clampTo(f.style, 0, 255) << 8) | (f.origin & 0xF);
    }
}

void FigureTable::clearEntry(int i)
{
    for (int a = 0; a < ArrCount; ++a)
        r_.at(static_cast<Arr>(a), i) = 0;
    setDisplay(i, Display::Hidden);
}

void FigureTable::copyEntry(int from, int to)
{
    for (int a = 0; a < ArrCount; ++a)
        r_.at(static_cast<Arr>(a), to) = r_.at(static_cast<Arr>(a), from);
    setDisplay(to, display(from));
}

Display FigureTable::display(int i) const
{
    size_t k = static_cast<size_t>(i);
    return k < display_.size() ? display_[k] : Display::Hidden;
}

void FigureTable::setDisplay(int i, Display d)
{
    size_t k = static_cast<size_t>(i);
    if (display_.size() <= k)
        display_.resize(std::max<size_t>(static_cast<size_t>(r_.capacity()), k + 1), Display::Hidden);
    display_[k] = d;
}

Box FigureTable::box(int i) const
{
    Figure f = read(i);
    if (f.kind == kKindLine)
        return {static_cast<double>(std::min(f.x1, f.x2)), static_cast<double>(std::min(f.y1, f.y2)),
                static_cast<double>(std::max(f.x1, f.x2)), static_cast<double>(std::max(f.y1, f.y2))};
    if (f.kind != kKindArc)
        return {static_cast<double>(f.x1), static_cast<double>(f.y1), static_cast<double>(f.x1),
                static_cast<double>(f.y1)};
    double cx = f.x1, cy = f.y1, r = f.x2;
    long long sweep = f.isCircle() ? kFullTurn : sweepOf(f.start, f.end);
    auto at = [&](double m) {
        return std::pair<double, double>(cx + r * std::cos(m / 1e6 * kDegree), cy - r * std::sin(m / 1e6 * kDegree));
    };
    auto p = at(f.start), q = at(static_cast<double>(f.start) + static_cast<double>(sweep));
    Box b{std::min(p.first, q.first), std::min(p.second, q.second), std::max(p.first, q.first),
          std::max(p.second, q.second)};
    /* quarter points: 0 -> +x, 90 -> -y, 180 -> -x, 270 -> +y */
    for (int k = 0; k < 4; ++k) {
        if (!onSweep(k * 90000000.0, f.start, sweep))
            continue;
        double x = k == 0 ? cx + r : k == 2 ? cx - r : cx;
        double y = k == 1 ? cy - r : k == 3 ? cy + r : cy;
        b = {std::min(b.x1, x), std::min(b.y1, y), std::max(b.x2, x), std::max(b.y2, y)};
    }
    return b;
}

bool FigureTable::touchesWindow(int i, const Box &w) const
{
    Figure f = read(i);
    switch (f.kind) {
    case 2:
        return segmentMeetsBox(f.x1, f.y1, f.x2, f.y2, w);
    case 3: {
        double cx = f.x1, cy = f.y1, r = f.x2;
        long long sweep = f.isCircle() ? kFullTurn : sweepOf(f.start, f.end);
        double s = f.start / 1e6 * kDegree, e = (f.start + static_cast<double>(sweep)) / 1e6 * kDegree;
        if (inside(cx + r * std::cos(s), cy - r * std::sin(s), w) || inside(cx + r * std::cos(e), cy - r * std::sin(e), w))
            return true;
        /* Otherwise the arc must cross an edge of the window. */
        const double edges[4][4] = {{w.x1, w.y1, w.x2, w.y1}, {w.x2, w.y1, w.x2, w.y2},
                                    {w.x2, w.y2, w.x1, w.y2}, {w.x1, w.y2, w.x1, w.y1}};
        for (const auto &g : edges) {
            double dx = g[2] - g[0], dy = g[3] - g[1], fx = g[0] - cx, fy = g[1] - cy;
            double a = dx * dx + dy * dy, b = 2 * (fx * dx + fy * dy), c = fx * fx + fy * fy - r * r;
            double disc = b * b - 4 * a * c;
            if (a == 0.0 || disc < 0.0)
                continue;
            for (double t : {(-b - std::sqrt(disc)) / (2 * a), (-b + std::sqrt(disc)) / (2 * a)}) {
                if (t < 0.0 || t > 1.0)
                    continue;
                double px = g[0] + t * dx, py = g[1] + t * dy;
                double ang = std::atan2(-(py - cy), px - cx) / kDegree * 1e6;
                if (onSweep(ang, f.start, sweep))
                    return true;
            }
        }
        return false;
    }
    case 4:
    case 5:
    case 6:
        return inside(f.x1, f.y1, w);
    default:
        return false;
    }
}

std::optional<std::string> FigureTable::replace(const std::vector<Figure> &figures)
{
    int limit = r_.figureLimit();
    long long entries = 0;
    for (const Figure &f : figures)
        entries += entriesOfKind(f.kind);
    if (entries + 1 > limit)
        return "the drawing is full: " + std::to_string(entries) + " entries and an end marker, figureLimit is " +
               std::to_string(limit);
    for (int i = 0; i < limit; ++i)
        clearEntry(i);
    int next = 0;
    for (const Figure &f : figures) {
        write(next, f);
        next += entriesOfKind(f.kind);
    }
    setType(next, kTypeEnd);
    return std::nullopt;
}

} // namespace host
