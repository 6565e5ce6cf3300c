/*
 * SvcFigures.cpp - the host's figure writers and figure-range services.
 *
 * Every writer refuses, rather than writes, a figure whose entries would
 * not all lie in the drawing (below figureLimit) or all in the work area
 * (workBase..workEnd), or whose numbers are not 32-bit coordinates:
 * StoreLine and StoreArc then set storeFailed to 1, AddLine and AddArc
 * return -1.  Writers do not write end markers; the module does.
 *
 * AddLine and AddArc also refuse a figure when the entry right after it
 * could not be written: their caller puts the end marker there, and a figure
 * that fills the drawing up to figureLimit would leave the list without an
 * end (or make the caller write beyond the arrays).
 */
#include "host/services/Services.h"
#include "host/text/Text.h"

#include <algorithm>
#include <cmath>

namespace host {

namespace {

/* A figure with the current attributes of the state record's store fields. */
Figure storeFigure(int32_t kind)
{
    Records &r = runningHost().rec;
    Figure f;
    f.kind = kind;
    f.layer = r.i32(StateField::storeLayer);
    f.group = r.i32(StateField::storeGroup);
    f.color = r.i32(StateField::storeColor);
    f.ltype = r.i32(StateField::storeLineType);
    return f;
}

bool encodeAll(std::initializer_list<std::pair<double, int32_t *>> values)
{
    for (const auto &v : values) {
        std::optional<int32_t> e = encodeCoordinate(v.first);
        if (!e)
            return false;
        *v.second = *e;
    }
    return true;
}

/* Writes f at index i when it may; the display shows it unless `quiet`. */
bool place(int i, const Figure &f, bool quiet)
{
    Host &h = runningHost();
    if (!h.rec.writable(i, entriesOfKind(f.kind)))
        return false;
    h.fig.write(i, f);
    if (quiet)
        for (int k = 0; k < entriesOfKind(f.kind); ++k)
            h.fig.setDisplay(i + k, Display::Hidden);
    return true;
}

/* AddLine, AddArc: the figure at i and the end marker after it fit alike
   (both in the drawing or both in the work area). */
bool roomForMarker(int i, const Figure &f)
{
    return runningHost().rec.writable(i, entriesOfKind(f.kind) + 1);
}

int32_t HOST_STDCALL FindMarker(int32_t *types, int32_t value, int32_t start)
{
    ServiceCall c(Svc::FindMarker);
    Host &h = runningHost();
    if (types != &h.rec.at(ArrType, 0))
        h.fail(kExitModuleFault, "FindMarker: the array passed is not the host's figureType array");
    requireIndex("FindMarker", "start", start);
    int found = -1;
    for (int i = start; i < h.rec.capacity(); ++i)
        if ((types[i] & 0xFFFF) == (value & 0xFFFF)) {
            found = i;
            break;
        }
    TraceLine(h.trace, "FindMarker").argPtr(types).arg(value).arg(start).resultInt(found);
    if (found < 0)
        h.fail(kExitModuleFault, "FindMarker: no entry with type " + std::to_string(value) + " at or after " +
                                     std::to_string(start));
    return found;
}

/* The line argC-argD at drawIndex; drawFlag 1 stores it without drawing. */
void HOST_STDCALL StoreLine()
{
    ServiceCall c(Svc::StoreLine);
    Records &r = runningHost().rec;
    int32_t i = r.i32(StateField::drawIndex);
    Figure f = storeFigure(2);
    bool ok = encodeAll({{r.f64(StateField::argCx), &f.x1}, {r.f64(StateField::argCy), &f.y1}, {r.f64(StateField::argDx), &f.x2},
                         {r.f64(StateField::argDy), &f.y2}}) &&
              place(i, f, r.i32(StateField::drawFlag) == 1);
    r.put(StateField::storeFailed, ok ? 0 : 1);
    TraceLine(runningHost().trace, "StoreLine").field("drawIndex", i).field("argCx", r.f64(StateField::argCx))
        .field("argCy", r.f64(StateField::argCy)).field("argDx", r.f64(StateField::argDx)).field("argDy", r.f64(StateField::argDy))
        .field("drawFlag", r.i32(StateField::drawFlag)).result(ok ? "stored" : "refused");
}

/* The arc circleX, circleY, circleR from arcStartAngle to arcEndAngle
   (degrees) at drawIndex. */
void HOST_STDCALL StoreArc()
{
    ServiceCall c(Svc::StoreArc);
    Records &r = runningHost().rec;
    int32_t i = r.i32(StateField::drawIndex);
    Figure f = storeFigure(3);
    encodeArcAngles(r.f64(StateField::arcStartAngle), r.f64(StateField::arcEndAngle), f.start, f.end);
    bool ok = encodeAll({{r.f64(StateField::circleX), &f.x1}, {r.f64(StateField::circleY), &f.y1}, {r.f64(StateField::circleR), &f.x2}}) &&
              f.x2 >= 0 && place(i, f, r.i32(StateField::drawFlag) == 1);
    r.put(StateField::storeFailed, ok ? 0 : 1);
    TraceLine(runningHost().trace, "StoreArc").field("drawIndex", i).field("circleX", r.f64(StateField::circleX))
        .field("circleY", r.f64(StateField::circleY)).field("circleR", r.f64(StateField::circleR))
        .field("arcStartAngle", r.f64(StateField::arcStartAngle)).field("arcEndAngle", r.f64(StateField::arcEndAngle))
        .field("drawFlag", r.i32(StateField::drawFlag)).result(ok ? "stored" : "refused");
}

void checkTables(const char *service, const void *tables)
{
    if (tables != runningHost().rec.tables())
        runningHost().fail(kExitModuleFault, std::string(service) + ": the tables argument is not the host's drawing tables");
}

int32_t HOST_STDCALL AddLine(void *tables, int32_t context, int32_t n, double x1, double y1, double x2, double y2,
                             int32_t layer, int32_t group, int32_t colour, int32_t ltype)
{
    ServiceCall c(Svc::AddLine);
    checkTables("AddLine", tables);
    Figure f;
    f.kind = kKindLine;
    f.layer = layer;
    f.group = group;
    f.color = colour;
    f.ltype = ltype;
    bool ok = encodeAll({{x1, &f.x1}, {y1, &f.y1}, {x2, &f.x2}, {y2, &f.y2}}) && roomForMarker(n, f) &&
              place(n, f, false);
    int32_t k = ok ? n : -1;
    TraceLine(runningHost().trace, "AddLine").argPtr(tables).arg(context).arg(n).arg(x1).arg(y1).arg(x2).arg(y2).arg(layer)
        .arg(group).arg(colour).arg(ltype).resultInt(k);
    return k;
}

int32_t HOST_STDCALL AddArc(void *tables, int32_t context, int32_t n, double cx, double cy, double radius,
                            double startDegrees, double endDegrees, int32_t layer, int32_t group, int32_t colour,
                            int32_t ltype)
{
    ServiceCall c(Svc::AddArc);
    checkTables("AddArc", tables);
    Figure f;
    f.kind = kKindArc;
    f.layer = layer;
    f.group = group;
    f.color = colour;
    f.ltype = ltype;
    encodeArcAngles(startDegrees, endDegrees, f.start, f.end);
    bool ok = encodeAll({{cx, &f.x1}, {cy, &f.y1}, {radius, &f.x2}}) && f.x2 >= 0 && roomForMarker(n, f) &&
              place(n, f, false);
    int32_t k = ok ? n : -1;
    TraceLine(runningHost().trace, "AddArc").argPtr(tables).arg(context).arg(n).arg(cx).arg(cy).arg(radius).arg(startDegrees)
        .arg(endDegrees).arg(layer).arg(group).arg(colour).arg(ltype).resultInt(k);
    return k;
}

/* Copies the entries from rangeFirst up to rangeSecond, or up to the first
   end marker if that comes sooner, to rangeLast on, and writes an end marker
   after the copy.  A copy that would not fit (see the writers) is refused
   whole: nothing is written. */
void HOST_STDCALL CopyFigureRange()
{
    ServiceCall c(Svc::CopyFigureRange);
    Host &h = runningHost();
    Records &r = h.rec;
    int32_t first = r.i32(StateField::rangeFirst), second = r.i32(StateField::rangeSecond), last = r.i32(StateField::rangeLast);
    TraceLine t(h.trace, "CopyFigureRange");
    t.field("rangeFirst", first).field("rangeSecond", second).field("rangeLast", last).field("drawFlag", r.i32(StateField::drawFlag));
    requireIndex("CopyFigureRange", "rangeFirst", first);
    int marker = h.fig.findMarker(first);
    int end = std::min<int>(second, marker < 0 ? r.capacity() : marker);
    int count = std::max(0, end - first);
    if (!r.writable(last, count + 1)) {
        t.result("refused: the copy does not fit");
        return;
    }
    /* taken whole before anything is written: the ranges may overlap */
    size_t n = static_cast<size_t>(count);
    std::vector<int32_t> copy(n * ArrCount);
    std::vector<Display> shown(n);
    for (size_t k = 0; k < n; ++k) {
        for (int a = 0; a < ArrCount; ++a)
            copy[k * ArrCount + static_cast<size_t>(a)] = r.at(static_cast<Arr>(a), first + static_cast<int>(k));
        shown[k] = h.fig.display(first + static_cast<int>(k));
    }
    for (size_t k = 0; k < n; ++k) {
        for (int a = 0; a < ArrCount; ++a)
            r.at(static_cast<Arr>(a), last + static_cast<int>(k)) = copy[k * ArrCount + static_cast<size_t>(a)];
        h.fig.setDisplay(last + static_cast<int>(k), shown[k]);
    }
    h.fig.setType(last + count, kTypeEnd);
    t.resultInt(count, "entries");
}

/* Registers the figures from rangeFirst up to the next end marker as new
   (for the host's undo); changes nothing in the tables. */
void HOST_STDCALL CommitNewFigures()
{
    ServiceCall c(Svc::CommitNewFigures);
    Records &r = runningHost().rec;
    int32_t first = r.i32(StateField::rangeFirst);
    requireIndex("CommitNewFigures", "rangeFirst", first);
    TraceLine t(runningHost().trace, "CommitNewFigures");
    t.field("rangeFirst", first).field("rangeSecond", r.i32(StateField::rangeSecond));
    if (runningHost().trace.enabled()) /* counting walks the figures: only for the trace */
        t.resultInt(static_cast<long long>(figuresFrom(first).size()), "figures");
}

/* Integer extent of the figures from rangeFirst up to the next end marker
   into windowX1..windowY2 (rounded outward); all 0 when there is none. */
void HOST_STDCALL MeasureExtent()
{
    ServiceCall c(Svc::MeasureExtent);
    Host &h = runningHost();
    Records &r = h.rec;
    int32_t first = r.i32(StateField::rangeFirst);
    requireIndex("MeasureExtent", "rangeFirst", first);
    std::vector<int> figs = figuresFrom(first);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    for (size_t k = 0; k < figs.size(); ++k) {
        Box b = h.fig.box(figs[k]);
        x1 = k ? std::min(x1, b.x1) : b.x1;
        y1 = k ? std::min(y1, b.y1) : b.y1;
        x2 = k ? std::max(x2, b.x2) : b.x2;
        y2 = k ? std::max(y2, b.y2) : b.y2;
    }
    r.put(StateField::windowX1, static_cast<int32_t>(std::floor(x1)));
    r.put(StateField::windowY1, static_cast<int32_t>(std::floor(y1)));
    r.put(StateField::windowX2, static_cast<int32_t>(std::ceil(x2)));
    r.put(StateField::windowY2, static_cast<int32_t>(std::ceil(y2)));
    TraceLine t(h.trace, "MeasureExtent");
    t.field("rangeFirst", first);
    if (h.trace.enabled())
        t.result(std::to_string(r.i32(StateField::windowX1)) + " " + std::to_string(r.i32(StateField::windowY1)) + " " +
                 std::to_string(r.i32(StateField::windowX2)) + " " + std::to_string(r.i32(StateField::windowY2)));
}

} // namespace

void registerFigureServices(Records &r)
{
    putService(r, Svc::FindMarker, slot(&FindMarker));
    putService(r, Svc::StoreLine, slot(&StoreLine));
    putService(r, Svc::StoreArc, slot(&StoreArc));
    putService(r, Svc::AddLine, slot(&AddLine));
    putService(r, Svc::AddArc, slot(&AddArc));
    putService(r, Svc::CopyFigureRange, slot(&CopyFigureRange));
    putService(r, Svc::CommitNewFigures, slot(&CommitNewFigures));
    putService(r, Svc::MeasureExtent, slot(&MeasureExtent));
}

} // namespace host
