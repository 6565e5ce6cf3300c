/*
 * SvcPanel.cpp - option panels.  The module builds a panel out of items
 * bound to its own variables; each WaitPanelEvent takes one `panel` line
 * (or cancel), which edits a bound variable in place, as the real controls
 * do, and tells the module by PanelResult whether the panel stays open.
 *
 *   panel set "CAPTION" V   number field (V within its limits, else the
 *                           field refuses it and keeps its value), check box
 *                           (1 ticks it: stores its D value; 0 clears it) or
 *                           value item (V within C..D)
 *   panel choose "CAPTION"  radio button (stores its A value); check box
 *   panel pick ROW "ENTRY"  the list on that row (stores first value + n)
 *   panel set @group|@groupmode|@layer|@color|@linetype V
 *                           the host's attribute items
 *   panel ok / panel cancel close it; inputStatus 1 or 2 after ClosePanel
 *
 * panelEvent is the event id of the item the event changed (0 for ok and
 * cancel, and for a value the control refused).  Captions match exactly, or else with blanks (including the
 * ideographic space) trimmed at both ends.
 */
#include "host/services/Services.h"
#include "host/text/Text.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace host {

namespace {

std::string textOf(const char *sjis) { return sjis ? cp932ToUtf8(sjis) : std::string(); }

/* A whole number that a 32-bit control can hold. */
bool isInt32(double v) { return v >= -2147483648.0 && v <= 2147483647.0 && v == std::floor(v); }

PanelItem &addItem(ItemKind kind, int row, int first, int last)
{
    Panel &p = runningHost().panel;
    p.items.emplace_back();
    PanelItem &it = p.items.back();
    it.kind = kind;
    it.row = row;
    it.first = first;
    it.last = last;
    return it;
}

std::string itemValue(const PanelItem &it)
{
    if (it.boundDouble)
        return formatDouble(*it.boundDouble);
    std::string s = it.boundInt ? std::to_string(*it.boundInt) : "";
    if (it.boundMode)
        s += " mode " + std::to_string(*it.boundMode);
    return s;
}

void HOST_STDCALL OpenPanel(int32_t rows, int32_t columns, int32_t x, int32_t y)
{
    ServiceCall c(Svc::OpenPanel);
    Host &h = runningHost();
    h.panel = Panel();
    h.panel.open = true;
    h.panel.rows = rows;
    h.panel.columns = columns;
    h.panel.x = x;
    h.panel.y = y;
    h.rec.put(StateField::panelWidth, columns);
    TraceLine(h.trace, "OpenPanel").arg(rows).arg(columns).arg(x).arg(y);
}

void HOST_STDCALL OpenPanelByLayout()
{
    ServiceCall c(Svc::OpenPanelByLayout);
    Host &h = runningHost();
    Records &r = h.rec;
    h.panel = Panel();
    h.panel.open = true;
    h.panel.rows = r.i32(StateField::panelRows);
    h.panel.columns = r.i32(StateField::panelWidth);
    /* The module computes the cell from the cursor, which may lie anywhere
       (far off the drawing, or with a zero cell size: a saturated cell), so
       the pixel position is multiplied out in 64 bits and kept in range. */
    auto pixels = [](int32_t cells, int32_t cellSize) {
        long long v = static_cast<long long>(cells) * cellSize;
        return static_cast<int>(std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, v)));
    };
    h.panel.x = pixels(r.i32(StateField::panelColumn), r.i32(StateField::charWidth));
    h.panel.y = pixels(r.i32(StateField::panelRow), r.i32(StateField::charHeight));
    TraceLine(h.trace, "OpenPanelByLayout").field("panelRows", h.panel.rows).field("panelWidth", h.panel.columns)
        .field("panelColumn", r.i32(StateField::panelColumn)).field("panelRow", r.i32(StateField::panelRow));
}

void HOST_STDCALL ClearPanel()
{
    ServiceCall c(Svc::ClearPanel);
    runningHost().panel.items.clear();
    runningHost().panel.shapes.clear();
    runningHost().panel.keptInts.clear();
    runningHost().panel.keptDoubles.clear();
    TraceLine(runningHost().trace, "ClearPanel");
}

/* Lists the items with their present values. */
void HOST_STDCALL ShowPanel()
{
    ServiceCall c(Svc::ShowPanel);
    Host &h = runningHost();
    TraceLine(h.trace, "ShowPanel").resultInt(static_cast<long long>(h.panel.items.size()), "items");
    if (!h.trace.enabled())
        return;
    ++h.trace.depth;
    for (const PanelItem &it : h.panel.items) {
        std::string s = "item row " + std::to_string(it.row) + " " + itemKindName(it.kind);
        if (!it.caption.empty())
            s += " " + quoted(it.caption);
        if (it.kind == ItemKind::Radio)
            s += " stores " + formatDouble(it.a);
        std::string v = itemValue(it);
        if (!v.empty())
            s += " = " + v;
        h.trace.write(s);
    }
    --h.trace.depth;
}

void HOST_STDCALL RefreshPanel(int32_t what)
{
    ServiceCall c(Svc::RefreshPanel);
    TraceLine(runningHost().trace, "RefreshPanel").arg(what);
}

int32_t HOST_STDCALL PanelResult()
{
    ServiceCall c(Svc::PanelResult);
    TraceLine(runningHost().trace, "PanelResult").resultInt(runningHost().panel.result);
    return runningHost().panel.result;
}

/* Closes the panel.  The items let go of the module's variables: each bound
   value is copied into the panel (Panel::keptInts) as it is now, and the
   item points at the copy, so that a picture or report of the closed panel
   never reads a variable of a command's frame that has ended. */
void HOST_STDCALL ClosePanel()
{
    ServiceCall c(Svc::ClosePanel);
    Host &h = runningHost();
    h.panel.open = false;
    std::map<const void *, void *> kept; /* items bound to one variable share its copy */
    for (PanelItem &it : h.panel.items) {
        for (int32_t **bound : {&it.boundInt, &it.boundMode})
            if (*bound) {
                void *&copy = kept[*bound];
                if (!copy) {
                    h.panel.keptInts.push_back(**bound);
                    copy = &h.panel.keptInts.back();
                }
                *bound = static_cast<int32_t *>(copy);
            }
        if (it.boundDouble) {
            void *&copy = kept[it.boundDouble];
            if (!copy) {
                h.panel.keptDoubles.push_back(*it.boundDouble);
                copy = &h.panel.keptDoubles.back();
            }
            it.boundDouble = static_cast<double *>(copy);
        }
    }
    h.rec.put(StateField::inputStatus, h.panel.cancelled ? 2 : 1);
    TraceLine(h.trace, "ClosePanel").result(h.panel.cancelled ? "cancelled" : "ok");
}

void HOST_STDCALL AddPanelItem(int32_t row, int32_t first, int32_t last, int32_t kind, int32_t style, const char *text,
                               double a, double b, double c2, double d, int32_t *bound, int32_t z1, int32_t z2,
                               int32_t z3, int32_t z4, int32_t id, double m1, double m2, double m3, double m4)
{
    ServiceCall c(Svc::AddPanelItem);
    ItemKind k = kind == 6 ? ItemKind::Check : kind == 7 ? ItemKind::Radio : kind == 1 ? ItemKind::Selector
                                                                                       : ItemKind::Caption;
    PanelItem &it = addItem(k, row, first, last);
    it.caption = textOf(text);
    it.a = a;
    it.b = b;
    it.c = c2;
    it.d = d;
    it.boundInt = bound;
    it.eventId = id;
    TraceLine(runningHost().trace, "AddPanelItem").arg(row).arg(first).arg(last).arg(kind).arg(style).argText(text).arg(a)
        .arg(b).arg(c2).arg(d).argPtr(bound).arg(z1).arg(z2).arg(z3).arg(z4).arg(id).arg(m1).arg(m2).arg(m3).arg(m4);
}

void HOST_STDCALL AddPanelNumber(int32_t row, const char *text, double step, int32_t z1, int32_t z2, int32_t z3,
                                 double *bound, int32_t z4, double lowest, double highest, double e, double f,
                                 int32_t decimals, int32_t first, int32_t last)
{
    ServiceCall c(Svc::AddPanelNumber);
    PanelItem &it = addItem(ItemKind::Number, row, first, last);
    it.caption = textOf(text);
    it.boundDouble = bound;
    it.lowest = lowest;
    it.highest = highest;
    it.decimals = decimals;
    TraceLine(runningHost().trace, "AddPanelNumber").arg(row).argText(text).arg(step).arg(z1).arg(z2).arg(z3).argPtr(bound)
        .arg(z4).arg(lowest).arg(highest).arg(e).arg(f).arg(decimals).arg(first).arg(last);
}

void HOST_STDCALL AddPanelList(int32_t row, int32_t first, int32_t last, int32_t *bound, int32_t firstValue,
                               int32_t id, const char *t0, const char *t1, const char *t2, const char *t3,
                               const char *t4, const char *t5, const char *t6, const char *t7, const char *t8,
                               const char *t9, const char *t10, const char *t11, const char *t12, const char *t13,
                               const char *t14, const char *t15, const char *t16, const char *t17, const char *t18,
                               const char *t19)
{
    ServiceCall c(Svc::AddPanelList);
    PanelItem &it = addItem(ItemKind::List, row, first, last);
    it.boundInt = bound;
    it.firstValue = firstValue;
    it.eventId = id;
    const char *texts[20] = {t0, t1, t2, t3, t4, t5, t6, t7, t8, t9, t10, t11, t12, t13, t14, t15, t16, t17, t18, t19};
    TraceLine t(runningHost().trace, "AddPanelList");
    t.arg(row).arg(first).arg(last).argPtr(bound).arg(firstValue).arg(id);
    for (size_t k = 0; k < 20; ++k) {
        t.argText(texts[k]);
        if (!texts[k])
            continue;
        if (it.entries.size() != k)
            runningHost().fail(kExitModuleFault, "AddPanelList: a text follows a null entry");
        it.entries.push_back(cp932ToUtf8(texts[k]));
    }
}

void HOST_STDCALL AddPanelHeader(int32_t row)
{
    ServiceCall c(Svc::AddPanelHeader);
    addItem(ItemKind::Header, row, 0, runningHost().panel.columns - 1);
    TraceLine(runningHost().trace, "AddPanelHeader").arg(row);
}

void HOST_STDCALL AddPanelGroupChoice(int32_t row, int32_t *number, int32_t *mode, int32_t modes)
{
    ServiceCall c(Svc::AddPanelGroupChoice);
    PanelItem &it = addItem(ItemKind::GroupChoice, row, 0, runningHost().panel.columns - 1);
    it.boundInt = number;
    it.boundMode = mode;
    it.modes = modes;
    TraceLine(runningHost().trace, "AddPanelGroupChoice").arg(row).argPtr(number).argPtr(mode).arg(modes);
}

void attributeItem(Svc s, ItemKind k, const char *name, int32_t row, int32_t *bound, int32_t z1, int32_t z2,
                   int32_t first, int32_t last, int32_t id)
{
    ServiceCall c(s);
    PanelItem &it = addItem(k, row, first, last);
    it.boundInt = bound;
    it.eventId = id;
    TraceLine(runningHost().trace, name).arg(row).argPtr(bound).arg(z1).arg(z2).arg(first).arg(last).arg(id);
}

void HOST_STDCALL AddPanelLayer(int32_t row, int32_t *bound, int32_t z1, int32_t z2, int32_t first, int32_t last, int32_t id)
{
    attributeItem(Svc::AddPanelLayer, ItemKind::Layer, "AddPanelLayer", row, bound, z1, z2, first, last, id);
}

void HOST_STDCALL AddPanelColor(int32_t row, int32_t *bound, int32_t z1, int32_t z2, int32_t first, int32_t last, int32_t id)
{
    attributeItem(Svc::AddPanelColor, ItemKind::Color, "AddPanelColor", row, bound, z1, z2, first, last, id);
}

void HOST_STDCALL AddPanelLineType(int32_t row, int32_t *bound, int32_t z1, int32_t z2, int32_t first, int32_t last,
                                   int32_t id)
{
    attributeItem(Svc::AddPanelLineType, ItemKind::LineType, "AddPanelLineType", row, bound, z1, z2, first, last, id);
}

void HOST_STDCALL AddPanelGroup(int32_t row, int32_t *number, int32_t *mode, int32_t modes, int32_t first,
                                int32_t last, int32_t id)
{
    ServiceCall c(Svc::AddPanelGroup);
    PanelItem &it = addItem(ItemKind::Group, row, first, last);
    it.boundInt = number;
    it.boundMode = mode;
    it.modes = modes;
    it.eventId = id;
    TraceLine(runningHost().trace, "AddPanelGroup").arg(row).argPtr(number).argPtr(mode).arg(modes).arg(first).arg(last).arg(id);
}

void HOST_STDCALL PanelBox(int32_t surface, double x1, double y1, double x2, double y2, int32_t colour,
                           const char *option, int32_t m1, int32_t m2)
{
    ServiceCall c(Svc::PanelBox);
    PanelShape s;
    s.surface = surface;
    s.x1 = x1;
    s.y1 = y1;
    s.x2 = x2;
    s.y2 = y2;
    s.colour = colour;
    s.option = textOf(option);
    runningHost().panel.shapes.push_back(s);
    TraceLine(runningHost().trace, "PanelBox").arg(surface).arg(x1).arg(y1).arg(x2).arg(y2).arg(colour).argText(option).arg(m1).arg(m2);
}

void HOST_STDCALL PanelCircle(int32_t surface, double x, double y, double r, int32_t colour, int32_t z1, int32_t z2,
                              int32_t z3, int32_t z4, int32_t z5, int32_t m1)
{
    ServiceCall c(Svc::PanelCircle);
    PanelShape s;
    s.circle = true;
    s.surface = surface;
    s.x1 = x;
    s.y1 = y;
    s.r = r;
    s.colour = colour;
    runningHost().panel.shapes.push_back(s);
    TraceLine(runningHost().trace, "PanelCircle").arg(surface).arg(x).arg(y).arg(r).arg(colour).arg(z1).arg(z2).arg(z3).arg(z4)
        .arg(z5).arg(m1);
}

PanelItem *findCaption(const std::string &caption, std::initializer_list<ItemKind> kinds)
{
    for (int pass = 0; pass < 2; ++pass)
        for (PanelItem &it : runningHost().panel.items) {
            bool kindOk = false;
            for (ItemKind k : kinds)
                kindOk = kindOk || it.kind == k;
            if (kindOk && (pass == 0 ? it.caption == caption : trimBlanks(it.caption) == trimBlanks(caption)))
                return &it;
        }
    return nullptr;
}

[[noreturn]] void missingItem(const ScriptLine &l, const std::string &what)
{
    std::string have;
    for (const PanelItem &it : runningHost().panel.items)
        if (!it.caption.empty())
            have += " " + quoted(it.caption);
    runningHost().fail(kExitBadInput, l.where() + ": the panel has no " + what + " (its items:" + have + ")");
}

/* Carries out one panel line; returns what the trace shows. */
std::string panelEvent(const ScriptLine &l)
{
    Host &h = runningHost();
    auto missing = [&](const std::string &what) { missingItem(l, what); };
    PanelItem *it = nullptr;
    if (l.panel == PanelAction::Pick) {
        for (PanelItem &cand : h.panel.items)
            if (cand.kind == ItemKind::List && cand.row == l.count)
                it = &cand;
        if (!it)
            missing("list on row " + std::to_string(l.count));
        for (size_t k = 0; k < it->entries.size(); ++k)
            if (trimBlanks(it->entries[k]) == trimBlanks(l.name)) {
                *it->boundInt = it->firstValue + static_cast<int32_t>(k);
                h.rec.put(StateField::panelEvent, it->eventId);
                return "picked";
            }
        missing("entry " + quoted(l.name) + " in the list on row " + std::to_string(l.count));
    }
    if (l.panel == PanelAction::Choose) {
        it = findCaption(l.name, {ItemKind::Radio, ItemKind::Check});
        if (!it)
            missing("radio button or check box " + quoted(l.name));
        *it->boundInt = static_cast<int32_t>(it->kind == ItemKind::Radio ? it->a : it->d);
        h.rec.put(StateField::panelEvent, it->eventId);
        return "chosen";
    }
    if (!l.name.empty() && l.name[0] == '@') {
        std::string a = l.name;
        for (PanelItem &cand : h.panel.items) {
            bool group = cand.kind == ItemKind::Group || cand.kind == ItemKind::GroupChoice;
            if ((a == "@layer" && cand.kind == ItemKind::Layer) || (a == "@color" && cand.kind == ItemKind::Color) ||
                (a == "@linetype" && cand.kind == ItemKind::LineType) || ((a == "@group" || a == "@groupmode") && group))
                it = &cand;
        }
        if (!it)
            missing(a + " item");
        /* The control takes whole 32-bit numbers only (converting any other
           double, NaN or 1e300, would be undefined). */
        if (!isInt32(l.number))
            return a == "@groupmode" ? "refused: group mode " + l.value + " is not offered"
                                     : "refused: " + l.value + " is not a whole 32-bit number";
        int32_t v = static_cast<int32_t>(l.number);
        if (a == "@groupmode") {
            /* AddPanelGroup offers modes 0..modes, the group choice 1..modes */
            int lo = it->kind == ItemKind::Group ? 0 : 1;
            if (v < lo || v > it->modes)
                return "refused: group mode " + l.value + " is not offered";
            *it->boundMode = v;
        } else {
            *it->boundInt = v;
        }
        h.rec.put(StateField::panelEvent, it->eventId);
        return "set";
    }
    it = findCaption(l.name, {ItemKind::Number, ItemKind::Check, ItemKind::Selector});
    if (!it)
        missing("number field, check box or value item " + quoted(l.name));
    if (it->kind == ItemKind::Number) {
        if (!(l.number >= it->lowest && l.number <= it->highest))
            return "refused: " + l.value + " is outside " + formatDouble(it->lowest) + ".." + formatDouble(it->highest);
        *it->boundDouble = l.number;
    } else if (it->kind == ItemKind::Check) {
        if (l.number != 0 && l.number != 1)
            return "refused: a check box takes 0 or 1";
        *it->boundInt = l.number != 0 ? static_cast<int32_t>(it->d) : 0;
    } else {
        if (!(l.number >= it->c && l.number <= it->d) || !isInt32(l.number))
            return "refused: " + l.value + " is outside " + formatDouble(it->c) + ".." + formatDouble(it->d);
        *it->boundInt = static_cast<int32_t>(l.number);
    }
    h.rec.put(StateField::panelEvent, it->eventId);
    return "set";
}

void HOST_STDCALL WaitPanelEvent(const char *caption)
{
    ServiceCall c(Svc::WaitPanelEvent);
    Host &h = runningHost();
    TraceLine(h.trace, "WaitPanelEvent").argText(caption);
    h.panel.caption = textOf(caption);
    std::optional<ScriptLine> l = h.player.answer(h.ask(Request::Panel, h.panel.caption));
    if (!l || l->verb == Verb::Cancel || l->panel == PanelAction::Cancel || l->panel == PanelAction::Ok) {
        h.panel.result = 0;
        h.panel.cancelled = !(l && l->verb == Verb::Panel && l->panel == PanelAction::Ok);
        h.rec.put(StateField::panelEvent, 0);
        h.rec.put(StateField::inputStatus, h.panel.cancelled ? 2 : 1);
        h.traceAnswer(l ? l->source : "cancel (the command's lines ran out)");
        return;
    }
    h.panel.result = 1;
    /* A value the control refuses changes nothing, so the event carries no
       id; without this the id of the previous event would stay behind and
       the module would act on it again (the hatch panel would rebuild). */
    h.rec.put(StateField::panelEvent, 0);
    std::string what = panelEvent(*l);
    if (h.trace.enabled())
        h.traceAnswer(l->source + " (" + what + ")");
}

} // namespace

void registerPanelServices(Records &r)
{
    putService(r, Svc::OpenPanel, slot(&OpenPanel));
    putService(r, Svc::OpenPanelByLayout, slot(&OpenPanelByLayout));
    putService(r, Svc::ClearPanel, slot(&ClearPanel));
    putService(r, Svc::ShowPanel, slot(&ShowPanel));
    putService(r, Svc::RefreshPanel, slot(&RefreshPanel));
    putService(r, Svc::PanelResult, slot(&PanelResult));
    putService(r, Svc::ClosePanel, slot(&ClosePanel));
    putService(r, Svc::AddPanelItem, slot(&AddPanelItem));
    putService(r, Svc::AddPanelNumber, slot(&AddPanelNumber));
    putService(r, Svc::AddPanelList, slot(&AddPanelList));
    putService(r, Svc::AddPanelHeader, slot(&AddPanelHeader));
    putService(r, Svc::AddPanelGroupChoice, slot(&AddPanelGroupChoice));
    putService(r, Svc::AddPanelLayer, slot(&AddPanelLayer));
    putService(r, Svc::AddPanelColor, slot(&AddPanelColor));
    putService(r, Svc::AddPanelLineType, slot(&AddPanelLineType));
    putService(r, Svc::AddPanelGroup, slot(&AddPanelGroup));
    putService(r, Svc::PanelBox, slot(&PanelBox));
    putService(r, Svc::PanelCircle, slot(&PanelCircle));
    putService(r, Svc::WaitPanelEvent, slot(&WaitPanelEvent));
}

} // namespace host
