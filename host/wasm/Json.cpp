/*
 * Json.cpp - the engine's JSON: a small writer and the four documents.
 */
#include "host/wasm/Json.h"

#include "host/formats/Dxf.h"
#include "host/text/Text.h"

#include <cmath>
#include <cstdio>

namespace host {

namespace {

/* Appends JSON values to a text; the caller writes the punctuation. */
class Out {
public:
    std::string s;
    Out &raw(const char *t)
    {
        s += t;
        return *this;
    }
    Out &str(const std::string &t)
    {
        s += '"';
        for (unsigned char c : t) {
            if (c == '"' || c == '\\') {
                s += '\\';
                s += static_cast<char>(c);
            } else if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                s += buf;
            } else {
                s += static_cast<char>(c);
            }
        }
        s += '"';
        return *this;
    }
    Out &num(double v)
    {
        s += std::isfinite(v) ? formatDouble(v) : "null"; /* JSON has no NaN */
        return *this;
    }
    /* ,"name": */
    Out &key(const char *name, bool first = false)
    {
        if (!first)
            s += ',';
        s += '"';
        s += name;
        s += "\":";
        return *this;
    }
};

void figureJson(Out &o, const FigureTable &fig, int i)
{
    Figure f = fig.read(i);
    o.raw("{").key("index", true).num(i);
    if (f.kind == kKindLine) {
        o.key("kind").str("line").key("x1").num(f.x1).key("y1").num(f.y1).key("x2").num(f.x2).key("y2").num(f.y2);
    } else if (f.kind == kKindArc) {
        o.key("kind").str(f.isCircle() ? "circle" : "arc").key("cx").num(f.x1).key("cy").num(f.y1).key("r").num(f.x2);
        if (!f.isCircle())
            o.key("start").num(f.start / 1e6).key("end").num(f.end / 1e6);
    } else if (f.kind == kKindPoint) {
        o.key("kind").str("point").key("x").num(f.x1).key("y").num(f.y1);
    } else {
        o.key("kind").str("text").key("second").raw(f.kind == kKindText6 ? "true" : "false");
        o.key("x").num(f.x1).key("y").num(f.y1).key("text").str(f.text).key("height").num(f.height);
        o.key("width").num(f.width).key("spacing").num(f.spacing).key("angle").num(f.angle / 1e6);
        o.key("slant").num(f.angle2 / 1e6).key("style").num(f.style).key("origin").num(f.origin);
    }
    o.key("layer").num(f.layer).key("group").num(f.group).key("color").num(f.color).key("ltype").num(f.ltype);
    o.key("link").num(f.link).raw("}");
}

} // namespace

std::string jsonString(const std::string &utf8)
{
    Out o;
    o.str(utf8);
    return o.s;
}

const char *requestKindName(Request r)
{
    switch (r) {
    case Request::Command: return "command";
    case Request::GetPoint: return "point";
    case Request::GetCursorPoint: return "cursor";
    case Request::GetPointOrFigure: return "region";
    case Request::Select: return "select";
    case Request::Panel: return "panel";
    case Request::Group: return "group";
    case Request::Message: return "message";
    case Request::Poll: return "poll";
    }
    return "?";
}

std::string requestJson(const Ask &a)
{
    static const char *const services[] = {"", "GetPoint", "GetCursorPoint", "GetPointOrFigure", "SelectFigures",
                                           "WaitPanelEvent", "GetGroupNumber", "ShowMessage", "PollKey"};
    Out o;
    o.raw("{").key("kind", true).str(requestKindName(a.kind)).key("service").str(services[static_cast<int>(a.kind)]);
    o.key("command").str(a.command).key("prompt").str(a.prompt).key("accepts").raw("[");
    bool first = true;
    for (int v = static_cast<int>(Verb::Set); v <= static_cast<int>(Verb::Message); ++v)
        if (static_cast<Verb>(v) > Verb::Snapshot && answersRequest(a.kind, static_cast<Verb>(v))) {
            if (!first)
                o.raw(",");
            o.str(verbName(static_cast<Verb>(v)));
            first = false;
        }
    o.raw("]").key("band").raw("{").key("kind", true).num(a.bandKind).key("option").num(a.bandOption);
    o.key("x").num(a.baseX).key("y").num(a.baseY).raw("}");
    o.key("cursor").raw("{").key("x", true).num(a.cursorX).key("y").num(a.cursorY).raw("}}");
    return o.s;
}

std::string displayJson(const Host &h)
{
    /* previews: shown as a preview anywhere; work: drawn behind the
       drawing's end marker (the work area: a trail cloud growing);
       erased: drawing figures taken off the display. */
    std::string previews, work, erased;
    int end = h.fig.drawingEnd();
    for (int i = 0; i < h.rec.capacity();) {
        int n = entriesOfKind(h.fig.kindAt(i));
        if (n > 0 && i + n <= h.rec.capacity()) {
            Display d = h.fig.display(i);
            std::string *to = d == Display::Preview                           ? &previews
                              : d == Display::Drawn && end >= 0 && i > end     ? &work
                              : d == Display::Erased && (end < 0 || i < end) ? &erased
                                                                               : nullptr;
            if (to == &erased) {
                *to += (to->empty() ? "" : ",") + std::to_string(i);
            } else if (to) {
                Out f;
                figureJson(f, h.fig, i);
                *to += (to->empty() ? "" : ",") + f.s;
            }
        }
        i += n > 0 ? n : 1;
    }
    Out o;
    o.raw("{").key("previews", true).raw("[").raw(previews.c_str()).raw("]");
    o.key("work").raw("[").raw(work.c_str()).raw("]");
    o.key("erased").raw("[").raw(erased.c_str()).raw("]").key("dragLine");
    if (h.xorLines.empty()) {
        o.raw("null");
    } else {
        const XorLine &l = h.xorLines.back();
        o.raw("{").key("x1", true).num(l.x1).key("y1").num(l.y1).key("x2").num(l.x2).key("y2").num(l.y2).raw("}");
    }
    o.key("highlight");
    if (h.highlightOn)
        o.raw("{").key("x", true).num(h.highlightX).key("y").num(h.highlightY).raw("}");
    else
        o.raw("null");
    o.key("status").str(h.statusText).raw("}");
    return o.s;
}

std::string panelJson(const Host &h)
{
    const Panel &p = h.panel;
    if (!p.open)
        return "null";
    Out o;
    o.raw("{").key("caption", true).str(p.caption).key("rows").num(p.rows).key("columns").num(p.columns);
    o.key("items").raw("[");
    for (size_t k = 0; k < p.items.size(); ++k) {
        const PanelItem &it = p.items[k];
        o.raw(k ? ",{" : "{").key("kind", true).str(itemKindName(it.kind)).key("row").num(it.row);
        o.key("first").num(it.first).key("last").num(it.last).key("caption").str(it.caption);
        o.key("eventId").num(it.eventId).key("value");
        if (it.boundDouble)
            o.num(*it.boundDouble);
        else if (it.boundInt)
            o.num(*it.boundInt);
        else
            o.raw("null");
        switch (it.kind) {
        case ItemKind::Check:
            o.key("checked").raw(it.boundInt && *it.boundInt != 0 ? "true" : "false").key("stores").num(it.d);
            break;
        case ItemKind::Radio:
            o.key("checked").raw(it.boundInt && *it.boundInt == static_cast<int32_t>(it.a) ? "true" : "false");
            o.key("stores").num(it.a);
            break;
        case ItemKind::Number:
            o.key("lowest").num(it.lowest).key("highest").num(it.highest).key("decimals").num(it.decimals);
            break;
        case ItemKind::Selector:
            o.key("lowest").num(it.c).key("highest").num(it.d);
            break;
        case ItemKind::List: {
            o.key("firstValue").num(it.firstValue).key("entries").raw("[");
            for (size_t e = 0; e < it.entries.size(); ++e) {
                if (e)
                    o.raw(",");
                o.str(it.entries[e]);
            }
            o.raw("]").key("selected");
            long long sel = it.boundInt ? static_cast<long long>(*it.boundInt) - it.firstValue : -1;
            if (sel >= 0 && sel < static_cast<long long>(it.entries.size()))
                o.num(static_cast<double>(sel));
            else
                o.raw("null");
            break;
        }
        case ItemKind::GroupChoice:
            o.key("mode");
            if (it.boundMode)
                o.num(*it.boundMode);
            else
                o.raw("null");
            o.key("modes").num(it.modes);
            break;
        default:
            break;
        }
        o.raw("}");
    }
    o.raw("]").key("shapes").raw("[");
    for (size_t k = 0; k < p.shapes.size(); ++k) {
        const PanelShape &s = p.shapes[k];
        o.raw(k ? ",{" : "{").key("circle", true).raw(s.circle ? "true" : "false").key("x1").num(s.x1);
        o.key("y1").num(s.y1).key("x2").num(s.x2).key("y2").num(s.y2).key("r").num(s.r);
        o.key("colour").num(s.colour).key("option").str(s.option).raw("}");
    }
    o.raw("]}");
    return o.s;
}

namespace {

std::string figuresJsonOf(const Host &h, bool textsOnly)
{
    Out o;
    o.raw("[");
    bool first = true;
    h.fig.eachFigure(h.fig.figuresEnd(), [&](int i) {
        if (textsOnly && h.fig.kindAt(i) != 5 && h.fig.kindAt(i) != 6)
            return;
        if (!first)
            o.raw(",");
        figureJson(o, h.fig, i);
        first = false;
    });
    o.raw("]");
    return o.s;
}

} // namespace

std::string figuresJson(const Host &h)
{
    return figuresJsonOf(h, false);
}

std::string textFiguresJson(const Host &h)
{
    return figuresJsonOf(h, true);
}

std::string namesJson(const Host &h)
{
    const DxfNames &n = h.dxfNames;
    /* Stored units per unit of the DXF's lengths (DxfExplode's scale). */
    double perUnit = 100.0 * dxfUnitLength(n.insUnits);
    Out o;
    o.raw("{").key("unitFactor", true).num(h.rec.f64(TableField::unitFactor)).key("insUnits").num(n.insUnits);
    o.key("fromDxf").raw(n.layers.empty() && n.lineTypes.empty() ? "false" : "true").key("layers").raw("[");
    for (size_t k = 0; k < n.layers.size(); ++k) {
        const DxfLayer &l = n.layers[k];
        o.raw(k ? ",{" : "{").key("name", true).str(l.name).key("color").num(l.color < 0 ? -l.color : l.color);
        o.key("off").raw(l.color < 0 ? "true" : "false").key("lineType").str(l.lineType).raw("}");
    }
    o.raw("]").key("lineTypes").raw("[");
    for (size_t k = 0; k < n.lineTypes.size(); ++k) {
        const DxfLineType &t = n.lineTypes[k];
        o.raw(k ? ",{" : "{").key("name", true).str(t.name).key("dashes").raw("[");
        for (size_t d = 0; d < t.dashes.size(); ++d) {
            if (d)
                o.raw(",");
            o.num(t.dashes[d] * perUnit);
        }
        o.raw("]}");
    }
    o.raw("]}");
    return o.s;
}

uint32_t drawingStamp(const Host &h)
{
    int end = h.fig.drawingEnd();
    int n = end < 0 ? h.rec.figureLimit() : end + 1;
    if (n > h.rec.capacity())
        n = h.rec.capacity();
    uint32_t hash = 2166136261u;
    for (int a = 0; a < ArrCount; ++a)
        for (int i = 0; i < n; ++i) {
            uint32_t v = static_cast<uint32_t>(h.rec.at(static_cast<Arr>(a), i));
            hash = (hash ^ v) * 16777619u;
        }
    return hash ^ static_cast<uint32_t>(n);
}

} // namespace host
