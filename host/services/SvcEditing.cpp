/*
 * SvcEditing.cpp - services that pick out or change many figures at once:
 * the selection, the window collection, scaling and stretching.
 *
 * Figures taken out of the drawing (selection, collection) leave empty
 * entries (type 0) behind, so the indices of the other figures stay; the
 * taken figures stand behind the drawing's end marker, followed by a marker
 * of their own, and a command joins them back by clearing the marker before
 * them.  Nothing is taken when the figures would not fit below figureLimit.
 */
#include "host/services/Services.h"
#include "host/text/Text.h"

#include <algorithm>
#include <cmath>

namespace host {

namespace {

Box windowOf(const Records &r)
{
    double x1 = r.i32(StateField::windowX1), y1 = r.i32(StateField::windowY1), x2 = r.i32(StateField::windowX2), y2 = r.i32(StateField::windowY2);
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

bool inWindow(double x, double y, const Box &w) { return x >= w.x1 && x <= w.x2 && y >= w.y1 && y <= w.y2; }

/* Moves the figures `starts` (in index order) behind the end marker at
   `marker`; false when they do not fit, and then nothing changes. */
bool moveBehind(const std::vector<int> &starts, int marker, int &endMarker)
{
    Host &h = runningHost();
    int count = 0;
    for (int s : starts)
        count += entriesOfKind(h.fig.kindAt(s));
    if (!h.rec.writable(marker, count + 2))
        return false;
    int to = marker + 1;
    for (int s : starts) {
        int n = entriesOfKind(h.fig.kindAt(s));
        for (int k = 0; k < n; ++k) {
            h.fig.copyEntry(s + k, to++);
            h.fig.clearEntry(s + k);
        }
    }
    h.fig.setType(to, kTypeEnd);
    endMarker = to;
    return true;
}

/* `select I J ...` (figure indices of the drawing), `select window X1 Y1 X2
   Y2` (every figure whose box lies wholly inside) or `select all`.  The
   selection's box goes to rangeX1..rangeY2. */
void HOST_STDCALL SelectFigures()
{
    ServiceCall c(Svc::SelectFigures);
    Host &h = runningHost();
    Records &r = h.rec;
    if (h.trace.enabled()) /* the line is written here, before the answer */
        TraceLine(h.trace, "SelectFigures").fieldText("selectPromptText", r.text(StateField::selectPromptText));
    std::string prompt = cp932ToUtf8(r.text(StateField::selectPromptText));
    std::optional<ScriptLine> l = h.player.answer(h.ask(Request::Select, prompt));
    if (!l || l->verb == Verb::Cancel) {
        r.put(StateField::inputStatus, 2);
        h.traceAnswer(l ? "cancel" : "cancel (the command's lines ran out)");
        return;
    }
    h.traceAnswer(l->source);
    int end = h.fig.drawingEnd();
    std::vector<int> starts;
    if (l->select == SelectHow::Indices) {
        for (int i : l->indices) {
            if (i >= end || !h.fig.isFigureStart(i))
                h.fail(kExitBadInput, l->where() + ": " + std::to_string(i) + " is not a figure of the drawing");
            if (std::find(starts.begin(), starts.end(), i) == starts.end())
                starts.push_back(i);
        }
        std::sort(starts.begin(), starts.end());
    } else {
        Box w{std::min(l->x, l->x2), std::min(l->y, l->y2), std::max(l->x, l->x2), std::max(l->y, l->y2)};
        for (int i : figuresFrom(0)) {
            Box b = h.fig.box(i);
            if (l->select == SelectHow::All || (inWindow(b.x1, b.y1, w) && inWindow(b.x2, b.y2, w)))
                starts.push_back(i);
        }
    }
    Box box{0, 0, 0, 0};
    for (size_t k = 0; k < starts.size(); ++k) {
        Box b = h.fig.box(starts[k]);
        box = k ? Box{std::min(box.x1, b.x1), std::min(box.y1, b.y1), std::max(box.x2, b.x2), std::max(box.y2, b.y2)} : b;
    }
    int selEnd = 0;
    if (!moveBehind(starts, end, selEnd)) {
        r.put(StateField::inputStatus, 2);
        if (h.trace.enabled())
            h.traceAnswer("refused: the selection does not fit behind the drawing (figureLimit " +
                          std::to_string(r.figureLimit()) + ")");
        return;
    }
    r.put(StateField::selFirst, end);
    r.put(StateField::selEnd, selEnd);
    r.put(StateField::rangeX1, box.x1);
    r.put(StateField::rangeY1, box.y1);
    r.put(StateField::rangeX2, box.x2);
    r.put(StateField::rangeY2, box.y2);
    r.put(StateField::inputStatus, 1);
    if (h.trace.enabled())
        h.traceAnswer("selected " + std::to_string(starts.size()) + " figures: selFirst=" + std::to_string(end) +
                      " selEnd=" + std::to_string(selEnd));
}

/* Takes every figure from rangeFirst up to the drawing's end marker
   (rangeSecond - 1) that lies in or crosses the window out of the drawing
   and puts it from rangeSecond on, followed by an end marker; the copy must
   end below rangeLast.  A line counts when any part of it is in the closed
   window, an arc or circle when any point of its curve is, a text or point
   when its insertion point is.  The collected figures' entries are left
   empty, so the figures below the old end marker are exactly those that
   were not collected.  The stretch command then types that marker 0 (the
   collection joins the drawing) or -2 while it asks where to move it; the
   host treats both as an empty entry, so the drawing runs on to the
   collection's own marker either way. */
void HOST_STDCALL CollectWindowFigures()
{
    ServiceCall c(Svc::CollectWindowFigures);
    Host &h = runningHost();
    Records &r = h.rec;
    int32_t first = r.i32(StateField::rangeFirst), second = r.i32(StateField::rangeSecond), last = r.i32(StateField::rangeLast);
    Box w = windowOf(r);
    TraceLine t(h.trace, "CollectWindowFigures");
    t.field("windowX1", r.i32(StateField::windowX1)).field("windowY1", r.i32(StateField::windowY1))
        .field("windowX2", r.i32(StateField::windowX2)).field("windowY2", r.i32(StateField::windowY2))
        .field("rangeFirst", first).field("rangeSecond", second).field("rangeLast", last);
    requireIndex("CollectWindowFigures", "rangeFirst", first);
    requireIndex("CollectWindowFigures", "rangeSecond", second);
    std::vector<int> starts;
    for (int i : figuresFrom(first))
        if (i < second - 1 && h.fig.touchesWindow(i, w))
            starts.push_back(i);
    int count = 0;
    for (int s : starts)
        count += entriesOfKind(h.fig.kindAt(s));
    int endMarker = 0;
    if (second - 1 + count + 2 > std::min(last, r.figureLimit()) || !moveBehind(starts, second - 1, endMarker)) {
        if (r.writable(second, 1))
            h.fig.setType(second, kTypeEnd);
        t.result("refused: the collected figures do not fit below " + std::to_string(last));
        return;
    }
    t.resultInt(static_cast<long long>(starts.size()), "figures");
}

/* Scales every figure from drawIndex up to the next end marker by (argBx,
   argBy) about (refPointX, refPointY).  Arcs: radius times sqrt(|bx by|);
   a factor of -1 in one axis mirrors the angles (and so swaps start and
   end), in both axes turns them by 180 degrees; a full circle stays full.
   Texts: the insertion point moves, sizes scale by the factors' magnitudes,
   angles and origin code stay.  A figure whose result would leave the
   32-bit range is left as it was (the trace says so). */
void HOST_STDCALL ScaleFigures()
{
    ServiceCall c(Svc::ScaleFigures);
    Host &h = runningHost();
    Records &r = h.rec;
    double sx = r.f64(StateField::argBx), sy = r.f64(StateField::argBy);
    double px = r.i32(StateField::refPointX), py = r.i32(StateField::refPointY);
    int32_t first = r.i32(StateField::drawIndex);
    TraceLine t(h.trace, "ScaleFigures");
    t.field("drawIndex", first).field("drawMode", r.i32(StateField::drawMode)).field("argBx", sx).field("argBy", sy)
        .field("refPointX", r.i32(StateField::refPointX)).field("refPointY", r.i32(StateField::refPointY));
    requireIndex("ScaleFigures", "drawIndex", first);
    int left = 0;
    for (int i : figuresFrom(first)) {
        Figure f = h.fig.read(i);
        std::optional<int32_t> a = encodeCoordinate(px + (f.x1 - px) * sx), b = encodeCoordinate(py + (f.y1 - py) * sy);
        std::optional<int32_t> c2 = f.x2, d = f.y2;
        if (f.kind == kKindLine) {
            c2 = encodeCoordinate(px + (f.x2 - px) * sx);
            d = encodeCoordinate(py + (f.y2 - py) * sy);
        } else if (f.kind == kKindArc) {
            c2 = encodeCoordinate(f.x2 * std::sqrt(std::fabs(sx * sy)));
        }
        if (!a || !b || !c2 || !d) {
            ++left;
            continue;
        }
        f.x1 = *a;
        f.y1 = *b;
        f.x2 = *c2;
        f.y2 = *d;
        if (f.kind == kKindArc && !f.isCircle() && (sx < 0) != (sy < 0)) {
            double base = sy < 0 ? 0.0 : 180.0; /* alpha -> base - alpha */
            double s = base - f.end / 1e6, e = base - f.start / 1e6;
            encodeArcAngles(s, e, f.start, f.end);
        } else if (f.kind == kKindArc && !f.isCircle() && sx < 0 && sy < 0) {
            encodeArcAngles(f.start / 1e6 + 180.0, f.end / 1e6 + 180.0, f.start, f.end);
        } else if (f.kind == kKindText || f.kind == kKindText6) {
            f.height = static_cast<int32_t>(std::lround(f.height * std::fabs(sy)));
            f.width = static_cast<int32_t>(std::lround(f.width * std::fabs(sx)));
            f.spacing = static_cast<int32_t>(std::lround(f.spacing * std::fabs(sx)));
        }
        Display shown = h.fig.display(i);
        h.fig.write(i, f);
        h.fig.setDisplay(i, shown);
    }
    if (left)
        t.note(std::to_string(left) + " figures left as they were: outside the coordinate range");
}

/* Moves by (argBx, argBy) the points of the figures from drawIndex up to the
   next end marker that lie in the closed window: a line's end points one by
   one, a text's or point's insertion point, a full circle's centre; an arc
   by its end points (StretchArc.cpp: both inside, it moves whole; one, that
   end moves and the arc keeps its sagitta and sense; an arc that cannot be
   stretched so stays as it was, and the trace says why).  Moved points are
   rounded to nearest and clamped to the 32-bit range. */
void HOST_STDCALL StretchFigures()
{
    ServiceCall c(Svc::StretchFigures);
    Host &h = runningHost();
    Records &r = h.rec;
    Box w = windowOf(r);
    double dx = r.f64(StateField::argBx), dy = r.f64(StateField::argBy);
    int32_t first = r.i32(StateField::drawIndex);
    TraceLine t(h.trace, "StretchFigures");
    t.field("windowX1", r.i32(StateField::windowX1)).field("windowY1", r.i32(StateField::windowY1))
        .field("windowX2", r.i32(StateField::windowX2)).field("windowY2", r.i32(StateField::windowY2)).field("argBx", dx)
        .field("argBy", dy).field("drawIndex", first);
    requireIndex("StretchFigures", "drawIndex", first);
    auto moved = [&](int32_t v, double d) {
        double m = std::round(v + d);
        return static_cast<int32_t>(std::max(-2147483648.0, std::min(2147483647.0, std::isnan(m) ? v : m)));
    };
    for (int i : figuresFrom(first)) {
        int32_t &x1 = r.at(ArrX1, i), &y1 = r.at(ArrY1, i);
        bool firstIn = inWindow(x1, y1, w);
        if (h.fig.kindAt(i) == 3) {
            Figure f = h.fig.read(i);
            std::string why;
            ArcStretch how = f.isCircle() ? (firstIn ? ArcStretch::Whole : ArcStretch::Unchanged)
                                          : stretchArc(f, w, dx, dy, why);
            if (how == ArcStretch::Whole) {
                x1 = moved(x1, dx);
                y1 = moved(y1, dy);
            } else if (how == ArcStretch::Reshaped) {
                Display shown = h.fig.display(i);
                h.fig.write(i, f);
                h.fig.setDisplay(i, shown);
            } else if (how == ArcStretch::Refused) {
                t.note("arc " + std::to_string(i) + " left as it was: " + why);
            }
            continue;
        }
        if (h.fig.kindAt(i) == 2) {
            int32_t &x2 = r.at(ArrX2, i), &y2 = r.at(ArrY2, i);
            if (inWindow(x2, y2, w)) {
                x2 = moved(x2, dx);
                y2 = moved(y2, dy);
            }
        }
        if (firstIn) {
            x1 = moved(x1, dx);
            y1 = moved(y1, dy);
        }
    }
}

} // namespace

void registerEditingServices(Records &r)
{
    putService(r, Svc::SelectFigures, slot(&SelectFigures));
    putService(r, Svc::CollectWindowFigures, slot(&CollectWindowFigures));
    putService(r, Svc::ScaleFigures, slot(&ScaleFigures));
    putService(r, Svc::StretchFigures, slot(&StretchFigures));
}

} // namespace host
