/*
 * DxfExplode.cpp - DXF entities to host figures, inserts exploded.
 *
 * Every entity is taken to the drawing's coordinates through one affine
 * map: the insert chain (position, rotation, scale, MINSERT array offset,
 * block base point) and the entity's object coordinate system, which the
 * host follows when the extrusion is +Z or -Z (a -Z entity is the +Z one
 * mirrored in x); any other extrusion lies outside the drawing plane and
 * is skipped.  Lines, points and texts follow any map exactly; an arc or
 * circle only a map that scales x and y alike (a mirrored one included),
 * because under unequal scales it would be an ellipse: such arcs are
 * reported, never guessed.  Polylines give a line per straight segment and
 * an arc per bulged one (a bulge whose arc differs from its chord by less
 * than half a stored unit is a line), and the closing segment of a closed
 * one.  A DIMENSION is the content of its block.
 *
 * Texts.  TEXT alignment to the host's origin code (4 x vertical +
 * horizontal; the host has no baseline, so baseline and bottom are both
 * its bottom row):
 *
 *   72 \ 73      0 baseline   1 bottom   2 middle   3 top
 *   0 left           8           8          4         0
 *   1 centre         9           9          5         1
 *   2 right         10          10          6         2
 *   4 middle: 5 at the alignment point; 3 aligned and 5 fit: 8 at the
 *   first point, turned towards the second.
 *
 * MTEXT attachment n (1..9) is origin 4 x ((n-1)/3) + (n-1)%3.  Height is
 * the character height; the host's character width is that of a
 * half-width cell, so width = height x width factor / 2 (a full-width
 * character is square at factor 1).  Rotation and oblique angle are the
 * host's direction and slant angles.  An MTEXT becomes one host text per
 * paragraph, each with the MTEXT's attachment, placed 5/3 x height x line
 * spacing factor apart; lines are not wrapped at the reference width.
 * A mirrored text (a mirrored insert, extrusion -Z, or the backward and
 * upside-down flags) stays readable, filling the mirrored text's box: its
 * direction is kept when that reads left to right (the vertical origin is
 * flipped), else reversed (the horizontal origin is flipped), as the
 * module's own mirror does with origin flipping on.
 */
#include "host/formats/Dxf.h"
#include "host/formats/DxfParts.h"
#include "host/text/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

namespace host {

namespace {

using namespace dxf;

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxDepth = 32;
constexpr int kMaxTextNotices = 20;
constexpr size_t kMaxRepairsListed = 40;

double radians(double deg) { return deg * kPi / 180.0; }
double degrees(double rad) { return rad * 180.0 / kPi; }

/* Degrees as stored millionths in [0, 360). */
int32_t turnMillionths(double deg)
{
    long long m = std::llround(std::fmod(deg, 360.0) * 1e6) % kFullTurn;
    return static_cast<int32_t>(m < 0 ? m + kFullTurn : m);
}

/* x' = a x + b y + tx, y' = c x + d y + ty */
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    void apply(double x, double y, double &ox, double &oy) const
    {
        ox = a * x + b * y + tx;
        oy = c * x + d * y + ty;
    }
    void turn(double x, double y, double &ox, double &oy) const
    {
        ox = a * x + b * y;
        oy = c * x + d * y;
    }
    double det() const { return a * d - b * c; }
    /* Scales every direction alike (a rotation, a mirror, a uniform scale). */
    bool uniform() const
    {
        double p = a * a + c * c, q = b * b + d * d, r = a * b + c * d, m = std::max(p, q);
        return m > 0 && std::fabs(p - q) <= 1e-9 * m && std::fabs(r) <= 1e-9 * m;
    }
};

/* outer after inner */
Affine operator*(const Affine &o, const Affine &i)
{
    Affine r;
    r.a = o.a * i.a + o.b * i.c;
    r.b = o.a * i.b + o.b * i.d;
    r.c = o.c * i.a + o.d * i.c;
    r.d = o.c * i.b + o.d * i.d;
    r.tx = o.a * i.tx + o.b * i.ty + o.tx;
    r.ty = o.c * i.tx + o.d * i.ty + o.ty;
    return r;
}

/* What an insert hands down to the figures of its block. */
struct Holder {
    Affine m;
    int32_t layer = 0, color = 0, lineType = 0; /* the insert's own (colour 0: ByLayer of `layer`) */
    bool inBlock = false;
    int depth = 0;
    std::vector<std::string> blocks; /* upper-case names of the blocks being exploded */
    std::string via;                 /* for messages: where the block was inserted */
};

struct Attrs {
    int32_t layer = 0, color = 0, lineType = 0, group = 0, link = 0, spacing = 0;
    int32_t origin = -1; /* a text's origin code that is no position (3, 7, 11..15) */
    bool second = false; /* a text of the host's second kind */
};

/* A text in its entity's coordinates. */
struct TextSpec {
    double px = 0, py = 0, ux = 1, uy = 0, vx = 0, vy = 1; /* origin point, direction, up */
    double height = 0, widthFactor = 1, oblique = 0;
    int vpos = 2, hpos = 0;
    std::string text;
    int32_t style = 0;
};

struct Vertex {
    double x = 0, y = 0, bulge = 0;
};

class Builder {
public:
    Builder(const File &f, size_t maxEntries, DxfDrawing &d)
        : f_(f), max_(maxEntries), d_(d), names_(f, d.names, notKept_, fault_),
          scale_(100.0 * dxfUnitLength(f.insUnits))
    {
    }

    std::optional<std::string> run()
    {
        names_.loadTables(d_);
        d_.unitFactor = 0.01;
        Holder top;
        size_t done = 0;
        for (const Record &r : f_.entities) {
            if (!fault_.empty())
                break;
            if (++done % kTellEvery == 0 && !goesOn(f_, 1, d_.figures.size()))
                return stopped(f_);
            entity(r, top);
        }
        if (!fault_.empty())
            return fault_;
        std::vector<std::string> repairs = f_.repairs;
        if (int n = names_.fallbacks())
            repairs.push_back(f_.where(names_.firstFallback()) + ": " +
                              (n == 1 ? std::string("a text") : std::to_string(n) + " texts") +
                              " not in UTF-8, which a DXF 2007 or later file must be: read in the file's code page " +
                              (f_.codePage.empty() ? std::string("(none given: ANSI_932)") : f_.codePage) +
                              (n == 1 ? "" : " (the first here)"));
        if (!repairs.empty())
            d_.notices.insert(d_.notices.begin(), repaired(f_.name, repairs));
        if (textNotices_ > kMaxTextNotices)
            d_.notices.push_back(f_.name + ": " + std::to_string(textNotices_ - kMaxTextNotices) +
                                 " more texts have characters without a Shift-JIS form");
        if (!skipped_.empty())
            d_.notices.push_back(f_.name + ": skipped: " + counted(skipped_));
        if (!notKept_.empty())
            d_.notices.push_back(f_.name + ": not kept: " + counted(notKept_));
        return std::nullopt;
    }

private:
    /* Every repair in one notice: a line that counts them, then one line
       each (the first kMaxRepairsListed). */
    static std::string repaired(const std::string &name, const std::vector<std::string> &repairs)
    {
        size_t n = repairs.size();
        std::string s = name + ": repaired " + std::to_string(n) + (n == 1 ? " fault" : " faults") +
                        " (the drawing is read as far as it is sound):";
        for (size_t k = 0; k < n && k < kMaxRepairsListed; ++k)
            s += "\n  " + repairs[k];
        if (n > kMaxRepairsListed)
            s += "\n  and " + std::to_string(n - kMaxRepairsListed) + " more";
        return s;
    }

    static std::string counted(const std::map<std::string, int> &m)
    {
        std::vector<std::pair<std::string, int>> v(m.begin(), m.end());
        std::stable_sort(v.begin(), v.end(), [](const auto &x, const auto &y) { return x.second > y.second; });
        std::string s;
        for (const auto &e : v)
            s += (s.empty() ? "" : ", ") + std::to_string(e.second) + " " + e.first;
        return s;
    }

    void setFault(int line, const std::string &what, const Holder &h)
    {
        if (fault_.empty())
            fault_ = f_.where(line) + ": " + what + h.via;
    }

    /* A length or coordinate in the drawing's unit as a stored integer. */
    bool store(double v, int32_t &out, const Record &r, const char *what, const Holder &h)
    {
        double s = std::round(v * scale_);
        if (s >= -2147483648.0 && s <= 2147483647.0) {
            out = static_cast<int32_t>(s);
            return true;
        }
        setFault(r.line, r.type + ": " + what + " = " + formatDouble(v) +
                             " lies beyond what the host can store (within " + formatDouble(2147483647.0 / scale_) +
                             " of the origin in this drawing's unit)",
                 h);
        return false;
    }

    void emit(const Figure &f, const Record &r, const Holder &h)
    {
        entries_ += static_cast<size_t>(entriesOfKind(f.kind));
        if (entries_ + 1 > max_) {
            setFault(r.line, "the drawing needs more figure entries than the host's tables hold (" +
                                 std::to_string(max_) + ")",
                     h);
            return;
        }
        d_.figures.push_back(f);
    }

    Attrs attrs(const Record &r, const Holder &h)
    {
        Attrs a;
        static const Tag layerZero{8, "0", 0};
        int32_t layer = names_.layer(r.find(8) ? *r.find(8) : layerZero);
        a.layer = h.inBlock && layer == 0 ? h.layer : layer;
        int32_t c = names_.color(r.integer(62, 256));
        if (c == kByBlock)
            c = !h.inBlock ? 7 : h.color != 0 || a.layer == h.layer ? h.color : names_.layerColor(h.layer);
        a.color = c;
        int32_t lt = r.find(6) ? names_.lineType(*r.find(6)) : 0;
        if (lt == kByBlock)
            lt = !h.inBlock ? 1 : h.lineType != 0 || a.layer == h.layer ? h.lineType : names_.layerLineType(h.layer);
        a.lineType = lt;
        if (r.find(420))
            ++notKept_["true colours (their ACI colour kept)"];
        if (r.integer(370, -1) != -1)
            ++notKept_["lineweights"];
        if (r.num(39, 0) != 0)
            ++notKept_["thicknesses"];
        bool ours = false, other = false;
        std::string label;
        for (size_t k = r.dataEnd(); k < r.tags.size(); ++k) {
            const Tag &t = r.tags[k];
            if (t.code == 1001) {
                ours = upper(t.value) == "NEROLIT";
                other = other || !ours;
            } else if (ours && t.code == 1000) {
                label = t.value;
            } else if (ours && (t.code == 1070 || t.code == 1071)) {
                long v = std::strtol(t.value.c_str(), nullptr, 10);
                if (label == "group")
                    a.group = static_cast<int32_t>(v);
                else if (label == "link")
                    a.link = static_cast<int32_t>(std::max(-32768L, std::min(32767L, v)));
                else if (label == "spacing")
                    a.spacing = static_cast<int32_t>(v);
                else if (label == "kind")
                    a.second = v == 6;
                else if (label == "origin" && v >= 0 && v <= 15)
                    a.origin = static_cast<int32_t>(v);
                label.clear();
            }
        }
        if (other)
            ++notKept_["XDATA of other applications"];
        return a;
    }

    Figure figure(int32_t kind, const Attrs &a)
    {
        Figure f;
        f.kind = kind;
        f.layer = a.layer;
        f.color = a.color;
        f.ltype = a.lineType;
        f.group = a.group;
        f.link = a.link;
        return f;
    }

    /* The map of an entity in object coordinates: the holder's, mirrored in
       x for extrusion -Z; false (counted) for any other extrusion. */
    bool plane(const Record &r, const Holder &h, Affine &m)
    {
        double ex = r.num(210, 0), ey = r.num(220, 0), ez = r.num(230, 1);
        double len = std::sqrt(ex * ex + ey * ey + ez * ez);
        if (len == 0 || std::fabs(ex) > 1e-6 * len || std::fabs(ey) > 1e-6 * len) {
            ++skipped_[r.type + " (not in the drawing plane)"];
            return false;
        }
        m = h.m;
        if (ez < 0)
            m = h.m * Affine{-1, 0, 0, 1, 0, 0};
        return true;
    }

    void entity(const Record &r, const Holder &h)
    {
        if (++visited_ > 50000000) {
            setFault(r.line, "the inserts repeat their blocks more than the host can follow", h);
            return;
        }
        if (!h.inBlock && r.integer(67, 0) == 1) {
            ++skipped_["in paper space"];
            return;
        }
        if (r.integer(60, 0) == 1) {
            ++skipped_[r.type + " (invisible)"];
            return;
        }
        const std::string &t = r.type;
        if (t == "LINE" || t == "POINT")
            lineOrPoint(r, h);
        else if (t == "CIRCLE" || t == "ARC")
            circleOrArc(r, h);
        else if (t == "TEXT" || t == "ATTRIB" || (t == "ATTDEF" && (r.integer(70, 0) & 2)))
            text(r, h); /* a constant ATTDEF shows in every insert */
        else if (t == "ATTDEF")
            return;     /* the others only shape the inserts' ATTRIBs */
        else if (t == "MTEXT")
            mtext(r, h);
        else if (t == "LWPOLYLINE")
            lwpolyline(r, h);
        else if (t == "POLYLINE")
            polyline(r, h);
        else if (t == "INSERT" || t == "DIMENSION")
            insert(r, h);
        else
            ++skipped_[t];
    }

    void lineOrPoint(const Record &r, const Holder &h)
    {
        Attrs a = attrs(r, h);
        bool line = r.type == "LINE";
        Figure f = figure(line ? 2 : 4, a);
        double x, y;
        h.m.apply(r.num(10, 0), r.num(20, 0), x, y);
        if (!store(x, f.x1, r, "x", h) || !store(y, f.y1, r, "y", h))
            return;
        if (line) {
            h.m.apply(r.num(11, 0), r.num(21, 0), x, y);
            if (!store(x, f.x2, r, "x", h) || !store(y, f.y2, r, "y", h))
                return;
        }
        emit(f, r, h);
    }

    void circleOrArc(const Record &r, const Holder &h)
    {
        Affine m;
        if (!plane(r, h, m))
            return;
        Attrs a = attrs(r, h);
        bool circle = r.type == "CIRCLE";
        arc(r, h, a, m, r.num(10, 0), r.num(20, 0), r.num(40, 0), circle ? 0.0 : r.num(50, 0),
            circle ? 360.0 : r.num(51, 0), r.type);
    }

    /* An arc from start to end degrees, counter-clockwise, in the entity's
       coordinates; the host's angles turn the other way, so its arc runs
       from -end to -start. */
    void arc(const Record &r, const Holder &h, const Attrs &a, const Affine &m, double cx, double cy, double radius,
             double start, double end, const std::string &what)
    {
        if (!m.uniform()) {
            ++skipped_[what + " in an insert scaled unequally in x and y"];
            return;
        }
        Figure f = figure(3, a);
        double x, y;
        m.apply(cx, cy, x, y);
        if (!store(x, f.x1, r, "x", h) || !store(y, f.y1, r, "y", h) ||
            !store(std::fabs(radius) * std::sqrt(std::fabs(m.det())), f.x2, r, "radius", h))
            return;
        int32_t s = turnMillionths(start), e = turnMillionths(end);
        if (s == e) {
            f.start = 0;
            f.end = kFullTurn;
        } else {
            double sx, sy, ex, ey;
            m.turn(std::cos(radians(start)), std::sin(radians(start)), sx, sy);
            m.turn(std::cos(radians(end)), std::sin(radians(end)), ex, ey);
            double s2 = degrees(std::atan2(sy, sx)), e2 = degrees(std::atan2(ey, ex));
            if (m.det() < 0)
                std::swap(s2, e2);
            f.start = turnMillionths(-e2);
            f.end = turnMillionths(-s2);
        }
        emit(f, r, h);
    }

    void segment(const Record &r, const Holder &h, const Attrs &a, const Affine &m, const Vertex &p, const Vertex &q)
    {
        double dx = q.x - p.x, dy = q.y - p.y, chord = std::hypot(dx, dy), b = p.bulge;
        if (chord == 0)
            return;
        if (b == 0 || std::fabs(b) * chord / 2 * scale_ * std::sqrt(std::fabs(m.det())) < 0.5) {
            Figure f = figure(2, a);
            double x, y;
            m.apply(p.x, p.y, x, y);
            if (!store(x, f.x1, r, "x", h) || !store(y, f.y1, r, "y", h))
                return;
            m.apply(q.x, q.y, x, y);
            if (!store(x, f.x2, r, "x", h) || !store(y, f.y2, r, "y", h))
                return;
            emit(f, r, h);
            return;
        }
        /* bulge = tan(included angle / 4), positive counter-clockwise from p to q */
        double k = (1 - b * b) / (4 * b);
        double cx = (p.x + q.x) / 2 - dy * k, cy = (p.y + q.y) / 2 + dx * k;
        double radius = chord * (1 + b * b) / (4 * std::fabs(b));
        double ap = degrees(std::atan2(p.y - cy, p.x - cx)), aq = degrees(std::atan2(q.y - cy, q.x - cx));
        arc(r, h, a, m, cx, cy, radius, b > 0 ? ap : aq, b > 0 ? aq : ap, "arc segment of " + r.type);
    }

    void segments(const Record &r, const Holder &h, const Affine &m, const std::vector<Vertex> &v, bool closed)
    {
        Attrs a = attrs(r, h);
        size_t n = v.size(), count = closed && n > 1 ? n : n > 0 ? n - 1 : 0;
        for (size_t i = 0; i < count && fault_.empty(); ++i)
            segment(r, h, a, m, v[i], v[(i + 1) % n]);
    }

    void lwpolyline(const Record &r, const Holder &h)
    {
        Affine m;
        if (!plane(r, h, m))
            return;
        std::vector<Vertex> v;
        bool widths = r.num(43, 0) != 0;
        for (size_t k = 0, end = r.dataEnd(); k < end; ++k) {
            const Tag &t = r.tags[k];
            double val = std::strtod(t.value.c_str(), nullptr);
            if (t.code == 10)
                v.push_back({val, 0, 0});
            else if (v.empty())
                continue;
            else if (t.code == 20)
                v.back().y = val;
            else if (t.code == 42)
                v.back().bulge = val;
            else if ((t.code == 40 || t.code == 41) && val != 0)
                widths = true;
        }
        if (widths)
            ++notKept_["polyline widths"];
        segments(r, h, m, v, r.integer(70, 0) & 1);
    }

    void polyline(const Record &r, const Holder &h)
    {
        int flags = r.integer(70, 0);
        if (flags & (8 | 16 | 64)) {
            ++skipped_[flags & 8 ? "POLYLINE (3D)" : flags & 16 ? "POLYLINE (mesh)" : "POLYLINE (polyface)"];
            return;
        }
        Affine m;
        if (!plane(r, h, m))
            return;
        std::vector<Vertex> v;
        bool widths = r.num(40, 0) != 0 || r.num(41, 0) != 0;
        for (const Record &c : r.children) {
            if (c.type != "VERTEX" || (c.integer(70, 0) & 16))
                continue; /* a spline's frame point is not on the curve */
            v.push_back({c.num(10, 0), c.num(20, 0), c.num(42, 0)});
            widths = widths || c.num(40, 0) != 0 || c.num(41, 0) != 0;
        }
        if (widths)
            ++notKept_["polyline widths"];
        segments(r, h, m, v, flags & 1);
    }

    void text(const Record &r, const Holder &h)
    {
        if (r.type != "TEXT" && (r.integer(70, 0) & 1)) {
            ++skipped_[r.type + " (invisible)"];
            return;
        }
        Affine m;
        if (!plane(r, h, m))
            return;
        Attrs a = attrs(r, h);
        TextSpec t;
        t.text = r.find(1) ? names_.decode(*r.find(1), true) : "";
        t.style = r.find(7) ? names_.style(*r.find(7)) : 0;
        t.height = r.num(40, 0);
        if (t.height <= 0)
            t.height = names_.styleAt(t.style).fixedHeight;
        t.widthFactor = r.num(41, 1) > 0 ? r.num(41, 1) : 1;
        t.oblique = r.num(51, 0);
        double rotation = r.num(50, 0);
        int h72 = r.integer(72, 0), v73 = r.integer(r.type == "TEXT" ? 73 : 74, 0);
        double x10 = r.num(10, 0), y10 = r.num(20, 0);
        bool has11 = r.find(11) != nullptr;
        double x11 = has11 ? r.num(11, 0) : x10, y11 = has11 ? r.num(21, 0) : y10;
        if (r.integer(71, 0) & 6)
            ++notKept_["backward or upside-down texts (drawn readable)"];
        if (h72 == 3 || h72 == 5) {
            t.px = x10;
            t.py = y10;
            if (x11 != x10 || y11 != y10)
                rotation = degrees(std::atan2(y11 - y10, x11 - x10));
            ++notKept_["aligned or fitted texts (kept left-aligned at their first point)"];
        } else if (h72 == 4) {
            t.px = x11;
            t.py = y11;
            t.vpos = t.hpos = 1;
        } else {
            t.hpos = h72 >= 0 && h72 <= 2 ? h72 : 0;
            t.vpos = v73 == 3 ? 0 : v73 == 2 ? 1 : 2;
            bool first = t.hpos == 0 && (v73 <= 0 || v73 > 3);
            t.px = first ? x10 : x11;
            t.py = first ? y10 : y11;
            if (v73 == 1)
                ++notKept_["bottom alignments (written back on the baseline)"];
        }
        t.ux = std::cos(radians(rotation));
        t.uy = std::sin(radians(rotation));
        t.vx = -t.uy;
        t.vy = t.ux;
        place(r, h, a, m, t);
    }

    void mtext(const Record &r, const Holder &h)
    {
        Attrs a = attrs(r, h);
        std::string raw, last;
        for (size_t k = 0, end = r.dataEnd(); k < end; ++k) {
            if (r.tags[k].code == 3)
                raw += r.tags[k].value;
            else if (r.tags[k].code == 1)
                last = r.tags[k].value;
        }
        std::string why;
        std::optional<std::string> utf8 = decodeString(raw + last, f_.encoding, false, why);
        if (!utf8) {
            setFault(r.lineOf(1), why, h);
            return;
        }
        std::vector<std::string> lines = mtextLines(*utf8);
        TextSpec t;
        t.style = r.find(7) ? names_.style(*r.find(7)) : 0;
        t.height = r.num(40, 0) > 0 ? r.num(40, 0) : names_.styleAt(t.style).fixedHeight;
        int attach = std::max(1, std::min(9, r.integer(71, 1)));
        t.vpos = (attach - 1) / 3;
        t.hpos = (attach - 1) % 3;
        /* The direction vector wins over the rotation.  The rotation is taken
           in degrees, as the writers that give it (ezdxf among them) write
           it, although the format's reference speaks of radians; AutoCAD
           itself writes the vector. */
        double ux = r.num(11, 0), uy = r.num(21, 0), len = std::hypot(ux, uy);
        if (len == 0) {
            ux = std::cos(radians(r.num(50, 0)));
            uy = std::sin(radians(r.num(50, 0)));
            len = 1;
        }
        double up = r.num(230, 1) < 0 ? -1 : 1; /* seen from below, the text is mirrored */
        t.ux = ux / len;
        t.uy = uy / len;
        t.vx = -t.uy * up;
        t.vy = t.ux * up;
        double spacing = r.num(44, 1) > 0 ? r.num(44, 1) : 1;
        double pitch = 5.0 / 3.0 * t.height * spacing, n = static_cast<double>(lines.size());
        for (size_t i = 0; i < lines.size() && fault_.empty(); ++i) {
            if (lines[i].empty())
                continue;
            double k = t.vpos == 0 ? i : t.vpos == 1 ? i - (n - 1) / 2 : i - (n - 1);
            TextSpec line = t;
            line.text = lines[i];
            line.px = r.num(10, 0) - k * pitch * t.vx;
            line.py = r.num(20, 0) - k * pitch * t.vy;
            place(r, h, a, h.m, line);
        }
    }

    /* A text through the map: direction and up vector transformed, height
       across the direction, width factor along it; a mirrored result is
       made readable (see the file's comment). */
    void place(const Record &r, const Holder &h, const Attrs &a, const Affine &m, TextSpec t)
    {
        double ux, uy, vx, vy, px, py;
        m.turn(t.ux, t.uy, ux, uy);
        m.turn(t.vx, t.vy, vx, vy);
        m.apply(t.px, t.py, px, py);
        double cross = ux * vy - uy * vx, lenU = std::hypot(ux, uy);
        if (lenU == 0 || cross == 0) {
            ++skipped_[r.type + " (scaled to nothing)"];
            return;
        }
        double across = std::fabs(cross) / lenU;
        if (cross < 0) {
            bool readable = ux > 1e-9 * lenU || (std::fabs(ux) <= 1e-9 * lenU && uy > 0);
            if (readable) {
                t.vpos = 2 - t.vpos;
            } else {
                ux = -ux;
                uy = -uy;
                t.hpos = 2 - t.hpos;
            }
            t.oblique = -t.oblique;
        }
        Figure f = figure(a.second ? 6 : 5, a);
        double height = t.height * across;
        if (!store(px, f.x1, r, "x", h) || !store(py, f.y1, r, "y", h) || !store(height, f.height, r, "height", h) ||
            !store(height * t.widthFactor * lenU / across / 2, f.width, r, "width", h))
            return;
        f.spacing = a.spacing;
        f.angle = turnMillionths(degrees(std::atan2(uy, ux)));
        f.angle2 = static_cast<int32_t>(std::llround(std::fmod(t.oblique, 360.0) * 1e6));
        f.style = t.style;
        f.origin = a.origin >= 0 ? a.origin : 4 * t.vpos + t.hpos;
        f.text = t.text;
        std::string missing = firstWithoutSjis(f.text);
        if (!missing.empty() && ++textNotices_ <= kMaxTextNotices)
            d_.notices.push_back(f_.where(r.lineOf(1)) + ": " + r.type + " " + quoted(f.text) +
                                 ": " + missing +
                                 " has no Shift-JIS form; the text is kept as it is and written back with \\U+ "
                                 "escapes");
        emit(f, r, h);
    }

    /* INSERT (a MINSERT array included) and DIMENSION: the block's entities
       through the insert's map; then an INSERT's ATTRIBs, which are placed
       in the holder's coordinates already. */
    void insert(const Record &r, const Holder &h)
    {
        Attrs a = attrs(r, h);
        bool dimension = r.type == "DIMENSION";
        std::string raw = r.find(2) ? r.find(2)->value : "", name = r.find(2) ? names_.decode(*r.find(2), true) : "";
        auto it = f_.blocks.find(upper(raw)); /* blocks are known by their bytes */
        Affine m = h.m;
        if (it == f_.blocks.end())
            ++skipped_[dimension ? "DIMENSION without its block" : "INSERT of an undefined block"];
        else if (it->second.flags & 4)
            ++skipped_["INSERT of an external reference"];
        else if (h.depth >= kMaxDepth || std::count(h.blocks.begin(), h.blocks.end(), upper(raw)) > 0)
            ++skipped_["INSERT of a block inside itself"];
        else if (dimension || plane(r, h, m)) {
            Holder in;
            in.layer = a.layer;
            in.color = a.color;
            in.lineType = a.lineType;
            in.inBlock = true;
            in.depth = h.depth + 1;
            in.blocks = h.blocks;
            in.blocks.push_back(upper(raw));
            in.via = h.inBlock ? h.via : " (in block " + quoted(name) + " inserted at " + (f_.binary ? "byte " : "line ") + std::to_string(r.line) + ")";
            const Block &b = it->second;
            if (dimension) {
                in.m = h.m * Affine{1, 0, 0, 1, r.num(12, 0), r.num(22, 0)};
                for (const Record &e : b.entities)
                    if (fault_.empty())
                        entity(e, in);
            } else {
                double sx = r.num(41, 1), sy = r.num(42, 1), rot = radians(r.num(50, 0));
                int columns = std::max(1, r.integer(70, 1)), rows = std::max(1, r.integer(71, 1));
                Affine turn{std::cos(rot), -std::sin(rot), std::sin(rot), std::cos(rot), r.num(10, 0), r.num(20, 0)};
                for (int row = 0; row < rows && fault_.empty(); ++row)
                    for (int col = 0; col < columns && fault_.empty(); ++col) {
                        Affine scale{sx, 0, 0, sy, -sx * b.baseX + col * r.num(44, 0), -sy * b.baseY + row * r.num(45, 0)};
                        in.m = m * turn * scale;
                        for (const Record &e : b.entities)
                            if (fault_.empty())
                                entity(e, in);
                    }
            }
        }
        for (const Record &c : r.children)
            if (fault_.empty() && c.type == "ATTRIB")
                entity(c, h);
    }

    const File &f_;
    size_t max_;
    DxfDrawing &d_;
    std::string fault_;
    std::map<std::string, int> skipped_, notKept_;
    Names names_;
    double scale_; /* stored units per drawing unit */
    size_t entries_ = 0;
    long long visited_ = 0;
    int textNotices_ = 0;
};

} // namespace

std::optional<std::string> dxf::explodeFile(const File &f, std::size_t maxEntries, DxfDrawing &out)
{
    DxfDrawing d;
    if (std::optional<std::string> e = Builder(f, maxEntries, d).run())
        return e;
    out = std::move(d);
    return std::nullopt;
}

} // namespace host
