/*
 * Engine.cpp - the host and the module for JavaScript (nerolit.mjs wraps
 * these functions; README, "JavaScript interface").  One host per
 * WebAssembly instance; the page makes a new instance for a new session.
 *
 * The texts these functions return are malloc'd; the caller frees them.
 */
#include "host/Host.h"
#include "host/Svg.h"
#include "host/text/Text.h"
#include "host/wasm/InteractiveUser.h"
#include "host/wasm/Json.h"
#include "host/wasm/Snap.h"

#include <emscripten.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace host;

namespace {

std::unique_ptr<Host> gEngineHost;
InteractiveUser gUser;
SessionRecorder gRecorder;
std::string gDrawingName;   /* the drawing the session starts from, empty for none */
std::string gSessionHeader; /* what the recording starts with: comments and the store's values */

EM_JS(void, nerolitFailed, (int code, const char *message), {
    Module["nerolitEvent"]("failed", JSON.stringify({code: code, message: UTF8ToString(message)}));
});

/* A failed session answers nothing more: its frames stay where the failure
   found them (read the outputs; play nothing more). */
EM_ASYNC_JS(void, nerolitHalt, (), { await new Promise(function() {}); });

/* While a DXF is read: 1 when the page stopped the read, 2 when it is time
   to let the page run, 0 to go on.  The read lets the page run every 50 ms,
   telling it how far the read has come, so it shows the progress and
   hears Escape on a large file. */
EM_JS(int, nerolitOpeningPoll, (), { return Module["nerolitOpeningPoll"](); });
EM_ASYNC_JS(void, nerolitOpeningYield, (double read, int figures), {
    await Module["nerolitOpeningYield"](read, figures);
});

bool openingGoesOn(const DxfProgress &p)
{
    int poll = nerolitOpeningPoll();
    if (poll == 2) {
        nerolitOpeningYield(p.read, static_cast<int>(p.figures));
        poll = nerolitOpeningPoll();
    }
    return poll != 1;
}

char *copyOut(const std::string &s)
{
    char *p = static_cast<char *>(std::malloc(s.size() + 1));
    std::memcpy(p, s.c_str(), s.size() + 1);
    return p;
}

char *errorJson(const std::optional<std::string> &e)
{
    return copyOut(e ? "{\"error\":" + jsonString(*e) + "}" : std::string("{}"));
}

/* The store's values as `setting` lines; an error names a value no line can
   say (a section or key with blanks, quotes or a leading #). */
std::optional<std::string> settingLines(const SettingsStore &store, std::string &out)
{
    for (const auto &e : store.entries()) {
        std::string line = "setting " + std::get<0>(e) + " " + std::get<1>(e) + " " + formatDouble(std::get<2>(e));
        std::string error;
        std::optional<std::vector<ScriptLine>> parsed = parseScript(line, "settings", error);
        if (!parsed || parsed->size() != 1 || parsed->front().value != std::get<0>(e) ||
            parsed->front().name != std::get<1>(e))
            return "[" + std::get<0>(e) + "] " + std::get<1>(e) + ": a session cannot set this setting";
        out += line + "\n";
    }
    return std::nullopt;
}

/* An INI text read into a store, and the `setting` lines that set every
   value of it (a store whose values no session line can set is refused). */
std::optional<std::string> readSettings(const char *text, const char *name, SettingsStore &store, std::string &lines)
{
    std::optional<std::string> e = store.load(text, name);
    if (!e)
        e = settingLines(store, lines);
    return e;
}

} // namespace

extern "C" {

/* A fresh host with its session recorder and the interactive user. */
EMSCRIPTEN_KEEPALIVE void nerolit_create(int keepTrace)
{
    HostOptions options;
    options.timeoutSeconds = 0; /* a person may think as long as they like */
    gEngineHost = std::make_unique<Host>(nativeModule(), options);
    gEngineHost->trace.keepLines(keepTrace != 0);
    gEngineHost->player.recorder = &gRecorder;
    gEngineHost->player.setUser(&gUser);
    gEngineHost->failHook = [](int code, const std::string &message) {
        nerolitFailed(code, message.c_str());
        nerolitHalt();
    };
}

/* Before nerolit_run: the drawing, as a figure list or DXF.  {} or
   {"error": "name:line: what"}; DXF also {"notices": [...]}. */
EMSCRIPTEN_KEEPALIVE char *nerolit_load_drawing(const char *text, const char *name)
{
    std::optional<std::string> e = loadFigureList(gEngineHost->fig, text, name);
    if (!e)
        gDrawingName = name;
    return errorJson(e);
}

/* Called asynchronously (Asyncify): a large file's read lets the page run. */
EMSCRIPTEN_KEEPALIVE char *nerolit_load_dxf(const char *bytes, int size, const char *name)
{
    std::vector<std::string> notices;
    std::optional<std::string> e =
        gEngineHost->tryLoadDxf(std::string(bytes, static_cast<size_t>(size)), name, notices, openingGoesOn);
    if (e)
        return errorJson(e);
    gDrawingName = name;
    std::string out = "{\"notices\":[";
    for (size_t k = 0; k < notices.size(); ++k)
        out += (k ? "," : "") + jsonString(notices[k]);
    return copyOut(out + "]}");
}

/* Before nerolit_run: the settings store as the session starts. */
EMSCRIPTEN_KEEPALIVE char *nerolit_load_settings(const char *text, const char *name)
{
    SettingsStore store;
    std::string lines;
    std::optional<std::string> e = readSettings(text, name, store, lines);
    if (!e)
        gEngineHost->settings = store;
    return errorJson(e);
}

/* During the session: the `setting` lines that set every value of an INI
   text: {"lines": "..."} or {"error": ...}. */
EMSCRIPTEN_KEEPALIVE char *nerolit_setting_lines(const char *text, const char *name)
{
    SettingsStore store;
    std::string lines;
    std::optional<std::string> e = readSettings(text, name, store, lines);
    return e ? errorJson(e) : copyOut("{\"lines\":" + jsonString(lines) + "}");
}

/* The session: StartDLL, then the user's actions, for as long as the page
   gives them.  Called asynchronously (Asyncify). */
EMSCRIPTEN_KEEPALIVE void nerolit_run()
{
    std::string lines;
    settingLines(gEngineHost->settings, lines);
    gSessionHeader = "# Nerolit session recorded by nerolit.mjs\n# replay: nerolit-host " +
                     (gDrawingName.empty() ? std::string() : "--drawing " + gDrawingName + " ") + "SESSION\n" + lines;
    gEngineHost->runScript();
}

/* Whether a line answers the pending request: null, or why not. */
EMSCRIPTEN_KEEPALIVE char *nerolit_check(const char *line)
{
    if (!gUser.waiting())
        return copyOut("the engine is not waiting for an action");
    std::optional<std::string> e = gUser.checkAction(*gEngineHost, line);
    return e ? copyOut(*e) : nullptr;
}

/* 0 figure list, 1 drawing SVG, 2 DXF, 3 display SVG, 4 panel SVG,
   5 settings INI, 6 recorded session, 7 figures JSON, 8 display JSON,
   9 panel JSON, 10 trace, 11 names JSON. */
EMSCRIPTEN_KEEPALIVE char *nerolit_output(int what)
{
    Host &h = *gEngineHost;
    switch (what) {
    case 0: return copyOut(figureList(h.fig));
    case 1: return copyOut(drawingSvg(h));
    case 2: return copyOut(h.drawingDxf());
    case 3: return copyOut(displaySvg(h));
    case 4: return copyOut(panelSvg(h));
    case 5: return copyOut(h.settings.text());
    case 6: return copyOut(gSessionHeader + gRecorder.text());
    case 7: return copyOut(figuresJson(h));
    case 8: return copyOut(displayJson(h));
    case 9: return copyOut(panelJson(h));
    case 10: {
        std::string t;
        for (const std::string &l : h.trace.lines())
            t += l + "\n";
        return copyOut(t);
    }
    case 11: return copyOut(namesJson(h));
    default: return copyOut("");
    }
}

/* The recorded lines from `from` on, for a page that shows them as they
   come: {"from": where the lines start, "lines": "..."}; the same cost
   whatever the session's length. */
EMSCRIPTEN_KEEPALIVE char *nerolit_session_since(int from)
{
    size_t start = 0;
    std::string lines = gRecorder.linesFrom(from < 0 ? 0 : static_cast<size_t>(from), start);
    return copyOut("{\"from\":" + std::to_string(start) + ",\"lines\":" + jsonString(lines) + "}");
}

/* The drawing's figures (up to its end marker) as numbers, for a page
   that draws large drawings: a malloc'd array of doubles, the count n
   first, then 13 per figure: index, kind (2 line, 3 arc, 4 point, 5 or 6
   text, 7 circle), x1, y1, x2, y2 (a circle's or arc's centre and radius
   in x1, y1, x2), start, end (degrees), layer, group, colour, line type,
   link.  Texts carry no text here: figuresJson's entries tell them. */
EMSCRIPTEN_KEEPALIVE double *nerolit_figures_packed()
{
    const Host &h = *gEngineHost;
    int limit = h.fig.figuresEnd();
    std::vector<double> out;
    out.reserve(1 + 13 * static_cast<size_t>(limit > 0 ? limit : 0));
    out.push_back(0);
    size_t n = 0;
    h.fig.eachFigure(limit, [&](int i) {
        Figure f = h.fig.read(i);
        bool circle = f.kind == kKindArc && f.isCircle();
        double v[13] = {static_cast<double>(i), static_cast<double>(circle ? 7 : f.kind),
                        static_cast<double>(f.x1), static_cast<double>(f.y1),
                        static_cast<double>(f.x2), static_cast<double>(f.y2),
                        f.kind == kKindArc ? f.start / 1e6 : 0.0, f.kind == kKindArc ? f.end / 1e6 : 0.0,
                        static_cast<double>(f.layer), static_cast<double>(f.group),
                        static_cast<double>(f.color), static_cast<double>(f.ltype),
                        static_cast<double>(f.link)};
        out.insert(out.end(), v, v + 13);
        ++n;
    });
    out[0] = static_cast<double>(n);
    double *p = static_cast<double *>(std::malloc(out.size() * sizeof(double)));
    std::memcpy(p, out.data(), out.size() * sizeof(double));
    return p;
}

/* The drawing's texts only, as figuresJson gives them. */
EMSCRIPTEN_KEEPALIVE char *nerolit_text_figures()
{
    return copyOut(textFiguresJson(*gEngineHost));
}

/* Whether a session text reads as nerolit-host reads it before playing:
   null, or "name:line: what". */
EMSCRIPTEN_KEEPALIVE char *nerolit_parse_session(const char *text, const char *name)
{
    std::string error;
    return parseScript(text, name, error) ? nullptr : copyOut(error);
}

/* The figures in the table before its end marker (the work so far of a
   long pass, an opened drawing). */
EMSCRIPTEN_KEEPALIVE int nerolit_figure_count()
{
    const FigureTable &fig = gEngineHost->fig;
    int count = 0;
    fig.eachFigure(fig.figuresEnd(), [&](int) { ++count; });
    return count;
}

/* Changes when the drawing's figures change (the page reads them again). */
EMSCRIPTEN_KEEPALIVE unsigned nerolit_drawing_stamp()
{
    return drawingStamp(*gEngineHost);
}

/* The object snap for the cursor (x, y): {"kind": "end"|"middle"|"centre"|
   "nearest"|"intersection", "x", "y", "index", "other"} or null, within
   `aperture` drawing units, among the kinds of the mask (Snap.h).  Read
   from the figure tables as they are now, between or during commands. */
EMSCRIPTEN_KEEPALIVE char *nerolit_snap(double x, double y, double aperture, int kinds)
{
    const FigureTable &fig = gEngineHost->fig;
    std::optional<SnapHit> hit = findSnap(fig, fig.figuresEnd(), x, y, aperture, kinds);
    if (!hit)
        return copyOut("null");
    return copyOut(std::string("{\"kind\":\"") + snapKindName(hit->kind) + "\",\"x\":" + formatDouble(hit->x) +
                   ",\"y\":" + formatDouble(hit->y) + ",\"index\":" + std::to_string(hit->index) +
                   ",\"other\":" + std::to_string(hit->other) + "}");
}

} // extern "C"
