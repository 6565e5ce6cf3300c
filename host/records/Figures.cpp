/*
 * Figures.cpp - figure encoding, exact figure geometry and the figure-list
 * text format.
 */
#include "host/Figures.h"

#include "host/Text.h"

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

std::string attrs(const Figure &f)
{
    std::string s = " layer=" + std::to_string(f.layer) + " group=" + std::to_string(f.group) +
                    " color=" + std::to_string(f.color) + " ltype=" + std::to_string(f.ltype);
    if (f.link != 0)
        s += " link=" + std::to_string(f.link);
    return s;
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
    if (f.kind == 3) {
        f.start = r_.at(ArrX2, i + 1);
        f.end = r_.at(ArrY2, i + 1);
    } else if (f.kind == 5 || f.kind == 6) {
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
    if (f.kind == 3) {
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
    if (f.kind == 2)
        return {static_cast<double>(std::min(f.x1, f.x2)), static_cast<double>(std::min(f.y1, f.y2)),
                static_cast<double>(std::max(f.x1, f.x2)), static_cast<double>(std::max(f.y1, f.y2))};
    if (f.kind != 3)
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

std::string FigureTable::describe(int i) const
{
    Figure f = read(i);
    std::string s;
    switch (f.kind) {
    case 2:
        s = "line " + std::to_string(f.x1) + " " + std::to_string(f.y1) + " " + std::to_string(f.x2) + " " +
            std::to_string(f.y2);
        break;
    case 3:
        if (f.isCircle())
            s = "circle " + std::to_string(f.x1) + " " + std::to_string(f.y1) + " " + std::to_string(f.x2);
        else
            s = "arc " + std::to_string(f.x1) + " " + std::to_string(f.y1) + " " + std::to_string(f.x2) + " " +
                formatMillionths(f.start) + " " + formatMillionths(f.end);
        break;
    case 4:
        s = "point " + std::to_string(f.x1) + " " + std::to_string(f.y1);
        break;
    case 5:
    case 6:
        s = "text " + std::to_string(f.x1) + " " + std::to_string(f.y1) + " " + quoted(f.text) +
            " origin=" + std::to_string(f.origin) + " height=" + std::to_string(f.height) +
            " width=" + std::to_string(f.width) + " spacing=" + std::to_string(f.spacing) +
            " angle=" + formatMillionths(f.angle) + " slant=" + formatMillionths(f.angle2) +
            " style=" + std::to_string(f.style) + (f.kind == 6 ? " kind=6" : "");
        break;
    default: {
        std::ostringstream o;
        o << "raw " << r_.at(ArrType, i) << " " << r_.at(ArrW, i) << " " << r_.at(ArrAttr, i) << " "
          << r_.at(ArrX1, i) << " " << r_.at(ArrY1, i) << " " << r_.at(ArrX2, i) << " " << r_.at(ArrY2, i);
        return o.str();
    }
    }
    return s + attrs(f);
}

std::string FigureTable::dump() const
{
    std::string out;
    int end = drawingEnd();
    if (end < 0)
        end = r_.figureLimit();
    for (int i = 0; i < end;) {
        if (type(i) == kTypeEmpty) {
            ++i;
            continue;
        }
        out += std::to_string(i) + " " + describe(i) + "\n";
        int n = entriesOfKind(kindAt(i));
        i += n > 0 ? n : 1;
    }
    return out;
}

std::optional<ParsedFigure> parseFigureLine(const std::string &line, std::string &error)
{
    std::vector<std::string> words;
    for (size_t i = 0; i < line.size();) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::string w;
        if (line[i] == '"') {
            size_t j = i + 1;
            for (; j < line.size() && line[j] != '"'; ++j) {
                if (line[j] == '\\' && j + 1 < line.size())
                    ++j;
                w += line[j];
            }
            if (j >= line.size()) {
                error = "unterminated text";
                return std::nullopt;
            }
            words.push_back("\"" + w);
            i = j + 1;
        } else {
            size_t j = i;
            while (j < line.size() && line[j] != ' ' && line[j] != '\t')
                ++j;
            words.push_back(line.substr(i, j - i));
            i = j;
        }
    }
    ParsedFigure p;
    size_t k = 0;
    if (!words.empty() && parseInt32(words[0])) {
        p.index = *parseInt32(words[0]);
        if (p.index < 0) {
            error = "negative index";
            return std::nullopt;
        }
        ++k;
    }
    if (k >= words.size()) {
        error = "no figure";
        return std::nullopt;
    }
    std::string what = words[k++];
    Figure &f = p.figure;
    f.color = 1;
    f.ltype = 1;
    f.height = 100;
    f.width = 50;
    auto num = [&](int32_t &out) {
        if (k >= words.size() || !parseInt32(words[k])) {
            error = "expected an integer after " + what;
            return false;
        }
        out = *parseInt32(words[k++]);
        return true;
    };
    auto deg = [&](int32_t &out) {
        if (k >= words.size() || !parseMillionths(words[k])) {
            error = "expected an angle in degrees after " + what;
            return false;
        }
        out = *parseMillionths(words[k++]);
        return true;
    };
    if (what == "line") {
        f.kind = 2;
        if (!num(f.x1) || !num(f.y1) || !num(f.x2) || !num(f.y2))
            return std::nullopt;
    } else if (what == "arc") {
        f.kind = 3;
        if (!num(f.x1) || !num(f.y1) || !num(f.x2) || !deg(f.start) || !deg(f.end))
            return std::nullopt;
    } else if (what == "circle") {
        f.kind = 3;
        f.start = 0;
        f.end = kFullTurn;
        if (!num(f.x1) || !num(f.y1) || !num(f.x2))
            return std::nullopt;
    } else if (what == "point") {
        f.kind = 4;
        if (!num(f.x1) || !num(f.y1))
            return std::nullopt;
    } else if (what == "text") {
        f.kind = 5;
        if (!num(f.x1) || !num(f.y1))
            return std::nullopt;
        if (k >= words.size() || words[k][0] != '"') {
            error = "expected the text in double quotes";
            return std::nullopt;
        }
        f.text = words[k++].substr(1);
        /* A character without a Shift-JIS form is kept, as the DXF reader
           keeps it (the module sees only the text's length), so that every
           figure list the host writes reads back. */
        if (!isUtf8(f.text)) {
            error = "the text is not UTF-8";
            return std::nullopt;
        }
    } else {
        error = "unknown figure '" + what + "' (line, arc, circle, point or text)";
        return std::nullopt;
    }
    for (; k < words.size(); ++k) {
        size_t eq = words[k].find('=');
        std::string key = words[k].substr(0, eq), val = eq == std::string::npos ? "" : words[k].substr(eq + 1);
        int32_t *slot = key == "layer" ? &f.layer : key == "group" ? &f.group : key == "color" ? &f.color
                      : key == "ltype" ? &f.ltype : key == "link" ? &f.link : nullptr;
        bool text = what == "text"; /* kind=6 may come before any other attribute */
        if (!slot && text)
            slot = key == "origin" ? &f.origin : key == "height" ? &f.height : key == "width" ? &f.width
                 : key == "spacing" ? &f.spacing : key == "style" ? &f.style : nullptr;
        if (slot) {
            if (!parseInt32(val)) {
                error = key + "= needs an integer";
                return std::nullopt;
            }
            *slot = *parseInt32(val);
        } else if (text && (key == "angle" || key == "slant")) {
            if (!parseMillionths(val)) {
                error = key + "= needs degrees";
                return std::nullopt;
            }
            (key == "angle" ? f.angle : f.angle2) = *parseMillionths(val);
        } else if (text && key == "kind" && (val == "5" || val == "6")) {
            f.kind = val == "6" ? 6 : 5;
        } else {
            error = "unknown attribute '" + words[k] + "'";
            return std::nullopt;
        }
    }
    if (f.kind >= 5 && (f.origin < 0 || f.origin > 15)) {
        error = "origin= must be 0..15";
        return std::nullopt;
    }
    return p;
}

namespace {

/* The figures of a list with their indices, and where the end marker goes. */
struct ListFigures {
    std::vector<std::pair<int, Figure>> placed;
    int end = 0;
};

/* Reads a figure list whose entries all lie below `limit`. */
std::optional<std::string> readList(const std::string &text, const std::string &fileName, long long limit,
                                    ListFigures &out)
{
    int next = 0, lineNo = 0;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t b = line.find_first_not_of(" \t");
        if (b == std::string::npos || line[b] == '#')
            continue;
        std::string error;
        std::optional<ParsedFigure> p = parseFigureLine(line, error);
        std::string where = fileName + ":" + std::to_string(lineNo) + ": ";
        if (!p)
            return where + error;
        int at = p->index >= 0 ? p->index : next;
        if (at < next)
            return where + "index " + std::to_string(at) + " overlaps the figure before it";
        int n = entriesOfKind(p->figure.kind);
        if (static_cast<long long>(at) + n + 1 > limit)
            return where + "the drawing is full: figureLimit is " + std::to_string(limit);
        out.placed.emplace_back(at, p->figure);
        next = at + n;
    }
    out.end = next;
    return std::nullopt;
}

} // namespace

std::optional<std::string> FigureTable::load(const std::string &text, const std::string &fileName)
{
    int limit = r_.figureLimit();
    ListFigures list;
    if (std::optional<std::string> e = readList(text, fileName, limit, list))
        return e;
    for (int i = 0; i < limit; ++i)
        clearEntry(i);
    for (auto &pf : list.placed)
        write(pf.first, pf.second);
    setType(list.end, kTypeEnd);
    return std::nullopt;
}

std::optional<std::string> FigureTable::measure(const std::string &text, const std::string &fileName,
                                                long long &entries)
{
    ListFigures list; /* indices are 32-bit: any list the host could hold */
    if (std::optional<std::string> e = readList(text, fileName, 2147483647LL, list))
        return e;
    entries = static_cast<long long>(list.end) + 1;
    return std::nullopt;
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
