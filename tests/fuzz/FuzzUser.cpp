/*
 * FuzzUser.cpp - answers on demand from the fuzz bytes (FuzzUser.h).  The
 * tables below are the values a byte picks from: ordinary ones, so that the
 * commands get deep, and the extremes the module must refuse or survive.
 */
#include "tests/fuzz/FuzzUser.h"

#include "host/Host.h"
#include "host/Svg.h"
#include "host/text/Text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace fuzz {

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

/* Numbers for settings, fields, group numbers and out-of-range panel
   values: NaN, infinities, beyond the 32-bit range, tiny and huge. */
const double kExtremes[] = {kNan,   kInf,        -kInf,       1e300, -1e300,     -1,   0,     2147483648.0,
                            -2147483649.0, 2147483647.0, 4294967296.0, 1e-300, 0.001, 0.5, 1e9, -1e9};

/* Offsets from a point the user aims at. */
const double kNear[] = {0, 0, 1, -1, 3, -7, 20, -50, 100, -400, 1000, -2500, 0.5, -0.25, 10000};

/* Coordinates far off, or at the edge of what the drawing can store. */
const double kFar[] = {0,           2147483647.0, -2147483648.0, 2147483648.0, -2147483649.0, 1e9, -1e9,
                       4e9,         1e15,         -1e15,         1e300,        -1e300,        kNan, kInf,
                       -kInf,       1073741823.5};

const char *const kCommands[] = {"C66", "Hatch", "kumo1", "VeC92"};
const char *const kCommandsOtherCase[] = {"c66", "HATCH", "KUMO1", "vec92"};

const char *const kMirrorKeys[] = {"c66_DeleteSW", "c66_Direction", "c66_ChangeGroup", "c66_NewGroupNum",
                                   "Moji_gentenSW"};
const char *const kCloudKeys[] = {"KumoMode",      "KumoActiveMode", "KumoLayer",     "KumoColor",
                                  "KumoLine",      "KumoGroupMode",  "KumoPrintSize", "KumoGen"};
const char *const kStretchKeys[] = {"c92_drag_sw", "c251_mode", "c251_kakunin"};
const char *const kHatchSlotKeys[] = {"HatchPx", "HatchPy", "Hprint_sw", "Hich_sw", "Hkata_sw"};
const char *const kHatchElementKeys[] = {"Hsw", "HatchX1", "HatchQ1", "HatchR", "HatchY1"};

/* Host fields a user may set, with the values tried for each. */
struct FieldValues {
    const char *name;
    bool integer;
    double values[10];
    int count;
};
const FieldValues kFields[] = {
    {"selectMode", true, {0, 1, 2, 3, -1, 7}, 6},
    {"orthoMode", true, {0, 1, 2}, 3},
    {"snapMode", true, {0, 1, 5, -1}, 4},
    {"currentLayer", true, {0, 1, 2, 255, 256, 65535, 65536, -1}, 8},
    {"currentGroup", true, {0, 1, 7, 65536, -1, 2147483647}, 6},
    {"currentColor", true, {0, 1, 7, 255, 256, -1}, 6},
    {"currentLineType", true, {0, 1, 2, 255, 256, -1}, 6},
    {"previewColorA", true, {0, 2, 255, -1}, 4},
    {"previewColorB", true, {0, 7, 256, -1}, 4},
    {"unitFactor", false, {1, 0.01, 0, -1, 100, 1e-300, 1e300, kNan, kInf}, 9},
    {"drawingScale", false, {1, 25, 0, -1, 0.001, 1e300, kNan, -kInf}, 8},
    {"charWidth", true, {0, 1, 8, 16, -1, -8, 100000, 200000000, -2147483647 - 1, 2147483647}, 10},
    {"charHeight", true, {0, 1, 8, 16, -1, -16, 100000, 200000000, -2147483647 - 1, 2147483647}, 10},
    {"cursorX", false, {0, 160, -5000, 2147483647.0, 1e12, kNan, -kInf}, 7},
    {"cursorY", false, {0, 120, -5000, -2147483648.0, -1e12, kNan, kInf}, 7},
    {"viewRefX", false, {0, 1000, -1e9, kNan}, 4},
    {"viewRefY", false, {0, -1000, 1e9, kInf}, 4},
};

std::string number(double v) { return host::formatDouble(v); }

} // namespace

host::ScriptLine FuzzUser::line(const std::string &text)
{
    std::string error;
    std::optional<std::vector<host::ScriptLine>> lines = host::parseScript(text, "fuzz", error);
    if (!lines || lines->size() != 1) { /* the generator made a line the host cannot read: a bug here */
        std::fprintf(stderr, "fuzz user: bad generated line '%s': %s\n", text.c_str(), error.c_str());
        std::abort();
    }
    host::ScriptLine l = lines->front();
    l.line = ++lineNo_;
    return l;
}

host::Reply FuzzUser::next(host::Host &host, const host::Ask &ask)
{
    if (ask.kind == host::Request::Poll)
        return poll();
    if (std::optional<host::ScriptLine> l = scripted(host, ask))
        return l;
    return generated(ask);
}

/* The session part's next line for this request, as the session-file user
   would give it, leaving out lines that would not fit. */
std::optional<host::ScriptLine> FuzzUser::scripted(host::Host &host, const host::Ask &ask)
{
    using host::Verb;
    while (pos_ < script_.size()) {
        const host::ScriptLine &l = script_[pos_];
        if (l.verb == Verb::Snapshot) { /* drawn, never written */
            (void)(l.value == "panel" ? host::panelSvg(host) : host::displaySvg(host));
            ++pos_;
            continue;
        }
        if (l.isDirective() || (ask.kind == host::Request::Command && l.verb == Verb::Run)) {
            ++pos_;
            unansweredMessages_ = 0;
            return l;
        }
        if (l.verb == Verb::Run) /* the command's lines have run out */
            return std::nullopt;
        if (ask.kind == host::Request::Message && l.verb != Verb::Message && l.verb != Verb::Cancel &&
            ++unansweredMessages_ <= 3) /* clicked away, as the session-file user does */
            return line("message ok");
        if (host::answersRequest(ask.kind, l.verb)) {
            ++pos_;
            unansweredMessages_ = 0;
            return l;
        }
        ++pos_; /* does not fit: left out */
    }
    return std::nullopt;
}

std::optional<host::ScriptLine> FuzzUser::poll()
{
    if (escapeCountdown_ < 0)
        return std::nullopt;
    if (escapeCountdown_-- > 0)
        return std::nullopt;
    return line("key esc");
}

std::optional<host::ScriptLine> FuzzUser::generated(const host::Ask &ask)
{
    using host::Request;
    if (ask.kind == Request::Command) {
        windDownAnswers_ = 0;
        lastCancelled_.clear();
    }
    if (ask.kind == Request::Command && queued_.empty())
        betweenCommands(ask);
    if (ask.kind == Request::Command) {
        if (queued_.empty())
            return std::nullopt;
        std::string text = queued_.front();
        queued_.pop_front();
        return line(text);
    }
    if (bytes_.exhausted())
        return windDown(ask);
    if (bytes_.chance(6)) /* Escape at a later poll of this command */
        escapeCountdown_ = bytes_.byte() * (bytes_.chance(20) ? 16 : 1);
    switch (ask.kind) {
    case Request::GetPoint:
    case Request::GetCursorPoint:
    case Request::GetPointOrFigure:
        return line(pointAnswer(ask));
    case Request::Select:
        return line(selectAnswer(ask));
    case Request::Panel:
        return line(panelAnswer(ask));
    case Request::Group:
        if (bytes_.chance(15))
            return line("cancel");
        return line("group " + number(bytes_.chance(50) ? bytes_.below(10) : bytes_.pick(kExtremes)));
    case Request::Message: {
        int r = bytes_.below(10);
        return line(r < 6 ? "message ok" : r < 9 ? "message cancel" : "cancel");
    }
    default:
        return line("cancel");
    }
}

std::optional<host::ScriptLine> FuzzUser::windDown(const host::Ask &ask)
{
    using host::Request;
    if (++windDownAnswers_ > kWindDownAnswers)
        return std::nullopt;
    std::string asked = std::string(host::requestName(ask.kind)) + " " + ask.prompt;
    if (asked != lastCancelled_) {
        lastCancelled_ = asked;
        return line("cancel");
    }
    lastCancelled_.clear(); /* asked again: move on */
    switch (ask.kind) {
    case Request::GetPoint:
    case Request::GetCursorPoint:
    case Request::GetPointOrFigure: {
        double x = std::isfinite(ask.cursorX) ? ask.cursorX : 0, y = std::isfinite(ask.cursorY) ? ask.cursorY : 0;
        return line("point " + number(x) + " " + number(y));
    }
    case Request::Select: return line("select");
    case Request::Panel: return line("panel ok");
    case Request::Group: return line("group 1");
    case Request::Message: return line("message ok");
    default: return line("cancel");
    }
}

/* Between commands: a few directives and a `run`, queued. */
void FuzzUser::betweenCommands(const host::Ask &ask)
{
    if (bytes_.exhausted() || commands_ >= kMaxGeneratedCommands)
        return;
    for (int directives = 0; directives < 6; ++directives) {
        int r = bytes_.below(16);
        if (r < 9)
            break;
        if (r < 12) {
            queued_.push_back(settingLine());
        } else if (r < 14) {
            queued_.push_back(fieldLine());
        } else if (r == 14) {
            queued_.push_back(bytes_.chance(50) ? "seed " + std::to_string(bytes_.byte())
                                                : "key esc after " + std::to_string(bytes_.byte() * 4));
        } else if (commands_ == 0 && ask.figures) { /* tiny tables, while nothing lies behind the drawing */
            int end = ask.figures->drawingEnd();
            int limit = end + 1 + bytes_.below(40), base = limit + bytes_.below(20), last = base + 2 + bytes_.below(60);
            if (bytes_.chance(25)) { /* or roomy */
                limit = end + 1 + 100 * bytes_.below(60);
                base = limit + 50;
                last = base + 100 * bytes_.below(60) + 2;
            }
            queued_.push_back("set figureLimit " + std::to_string(limit));
            queued_.push_back("set workBase " + std::to_string(base));
            queued_.push_back("set workEnd " + std::to_string(last));
        }
    }
    ++commands_;
    int which = bytes_.below(4);
    queued_.push_back(std::string("run ") + (bytes_.chance(12) ? kCommandsOtherCase[which] : kCommands[which]));
}

std::string FuzzUser::settingLine()
{
    static const char *const sections[] = {"C66", "Hatch", "kumo1", "VeC92"};
    int s = bytes_.below(4);
    std::string key;
    if (s == 0) {
        key = bytes_.pick(kMirrorKeys);
    } else if (s == 2) {
        key = bytes_.pick(kCloudKeys);
    } else if (s == 3) {
        key = bytes_.pick(kStretchKeys);
    } else {
        int r = bytes_.below(8), slot = bytes_.below(8), element = bytes_.below(8);
        if (r == 0)
            key = "HatchNo";
        else if (r == 1)
            key = "Hkiten_sw";
        else if (r < 4)
            key = std::string(bytes_.pick(kHatchSlotKeys)) + "[" + std::to_string(slot) + "]";
        else
            key = std::string(bytes_.pick(kHatchElementKeys)) + "[" + std::to_string(slot) + "][" +
                  std::to_string(element) + "]";
    }
    double v = bytes_.chance(50) ? bytes_.below(13) - 2 : bytes_.pick(kExtremes);
    return std::string("setting ") + sections[s] + " " + key + " " + number(v);
}

std::string FuzzUser::fieldLine()
{
    const FieldValues &f = bytes_.pick(kFields);
    double v = f.values[bytes_.below(f.count)];
    return std::string("set ") + f.name + " " + (f.integer ? std::to_string(static_cast<long long>(v)) : number(v));
}

FuzzUser::Point FuzzUser::nearFigure(const host::Ask &ask)
{
    const host::FigureTable &fig = *ask.figures;
    int end = fig.drawingEnd();
    if (end <= 0)
        return {ask.cursorX, ask.cursorY};
    int i = bytes_.below(end);
    for (int tries = 0; tries < end && !fig.isFigureStart(i); ++tries)
        i = (i + 1) % end;
    if (!fig.isFigureStart(i))
        return {ask.cursorX, ask.cursorY};
    host::Figure f = fig.read(i);
    switch (bytes_.below(4)) {
    case 0: return {double(f.x1), double(f.y1)};
    case 1:
        if (f.kind == 2)
            return {double(f.x2), double(f.y2)};
        if (f.kind == 3)
            return {f.x1 + double(f.x2), double(f.y1)};
        return {double(f.x1), double(f.y1)};
    case 2:
        if (f.kind == 2)
            return {(double(f.x1) + f.x2) / 2, (double(f.y1) + f.y2) / 2};
        if (f.kind == 3)
            return {double(f.x1), f.y1 - double(f.x2)};
        return {double(f.x1), double(f.y1)};
    default: return {double(f.x1), double(f.y1)};
    }
}

FuzzUser::Point FuzzUser::somewhere(const host::Ask &ask)
{
    Point p{0, 0};
    switch (bytes_.below(8)) {
    case 0:
    case 1:
    case 2: p = nearFigure(ask); break;
    case 3: p = {ask.baseX, ask.baseY}; break;
    case 4: p = {ask.cursorX, ask.cursorY}; break;
    case 5: { /* on a grid around the origin */
        static const double steps[] = {1, 10, 100, 1000};
        double step = bytes_.pick(steps);
        p = {(bytes_.byte() - 128) * step, (bytes_.byte() - 128) * step};
        break;
    }
    case 6: return {bytes_.pick(kFar), bytes_.pick(kFar)};
    default: p = nearFigure(ask); return {p.x + bytes_.pick(kFar), p.y};
    }
    return {p.x + bytes_.pick(kNear), p.y + bytes_.pick(kNear)};
}

std::string FuzzUser::pointAnswer(const host::Ask &ask)
{
    using host::Request;
    int r = bytes_.below(20);
    if (r < 3)
        return "cancel";
    if (r == 3)
        return "repaint";
    if (ask.kind == Request::GetCursorPoint && r < 7)
        return "confirm";
    if (ask.kind == Request::GetPointOrFigure && r < 7)
        return "close";
    Point p = somewhere(ask);
    bool move = r >= (ask.kind == Request::GetCursorPoint ? 10 : 15);
    return std::string(move ? "move " : "point ") + number(p.x) + " " + number(p.y);
}

std::string FuzzUser::selectAnswer(const host::Ask &ask)
{
    const host::FigureTable &fig = *ask.figures;
    int r = bytes_.below(12);
    if (r == 0)
        return "cancel";
    if (r == 1)
        return "select all";
    if (r < 4) {
        Point a = somewhere(ask), b = somewhere(ask);
        return "select window " + number(a.x) + " " + number(a.y) + " " + number(b.x) + " " + number(b.y);
    }
    std::string s = "select";
    int end = fig.drawingEnd();
    for (int k = 1 + bytes_.below(4); k > 0 && end > 0; --k) {
        int i = bytes_.below(end);
        while (i < end && !fig.isFigureStart(i))
            ++i;
        if (i < end)
            s += " " + std::to_string(i);
    }
    return s;
}

std::string FuzzUser::panelAnswer(const host::Ask &ask)
{
    using host::ItemKind;
    int r = bytes_.below(100);
    if (!ask.panel || r < 12)
        return "panel ok";
    if (r < 18)
        return bytes_.chance(50) ? "panel cancel" : "cancel";
    const std::vector<host::PanelItem> &items = ask.panel->items;
    if (items.empty())
        return "panel ok";
    const host::PanelItem &it = items[static_cast<size_t>(bytes_.below(static_cast<int>(items.size())))];
    bool extreme = bytes_.chance(20);
    switch (it.kind) {
    case ItemKind::Number: {
        double v = bytes_.pick(kExtremes);
        if (!extreme && it.highest >= it.lowest && std::isfinite(it.highest - it.lowest)) {
            double scale = std::pow(10.0, std::max(0, std::min(it.decimals, 6)));
            v = std::round((it.lowest + (it.highest - it.lowest) * bytes_.byte() / 255.0) * scale) / scale;
        }
        return "panel set " + host::quoted(it.caption) + " " + number(v);
    }
    case ItemKind::Check:
        if (bytes_.chance(30))
            return "panel choose " + host::quoted(it.caption);
        return "panel set " + host::quoted(it.caption) + " " + (extreme ? "2" : bytes_.chance(50) ? "1" : "0");
    case ItemKind::Radio: return "panel choose " + host::quoted(it.caption);
    case ItemKind::Selector: {
        double span = it.d - it.c; /* the module's limits, whatever they are */
        int values = span >= 0 && span < 255 ? static_cast<int>(span) + 1 : 256;
        double v = extreme ? bytes_.pick(kExtremes) : it.c + bytes_.below(values);
        return "panel set " + host::quoted(it.caption) + " " + number(v);
    }
    case ItemKind::List: {
        const host::PanelItem *list = &it; /* the host takes the last list on a row */
        for (const host::PanelItem &c : items)
            if (c.kind == ItemKind::List && c.row == it.row)
                list = &c;
        if (list->entries.empty())
            return "panel ok";
        const std::string &e = list->entries[static_cast<size_t>(bytes_.below(static_cast<int>(list->entries.size())))];
        return "panel pick " + std::to_string(list->row) + " " + host::quoted(e);
    }
    case ItemKind::Layer:
    case ItemKind::Color:
    case ItemKind::LineType: {
        const char *name = it.kind == ItemKind::Layer ? "@layer" : it.kind == ItemKind::Color ? "@color" : "@linetype";
        static const double values[] = {0, 1, 2, 5, 255, 256, -1, 65535, 70000};
        return std::string("panel set ") + name + " " + number(extreme ? bytes_.pick(kExtremes) : bytes_.pick(values));
    }
    case ItemKind::Group:
    case ItemKind::GroupChoice:
        if (bytes_.chance(50))
            return "panel set @groupmode " + number(extreme ? bytes_.pick(kExtremes) : bytes_.below(5));
        return "panel set @group " + number(extreme ? bytes_.pick(kExtremes) : bytes_.below(20));
    default: return "panel ok"; /* captions and headers take no events */
    }
}

} // namespace fuzz
