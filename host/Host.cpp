/*
 * Host.cpp - session play, module calls, hooks, guard checks and failures.
 */
#include "host/Host.h"

#include "host/ScriptUser.h"
#include "host/Text.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#if defined(__i386__) || defined(__x86_64__)
#include <x86intrin.h> /* __rdtsc */
#endif

namespace host {

Host *gHost = nullptr;
std::atomic<long long> gCommandStartedMs{0};

const char *requestName(Request r)
{
    switch (r) {
    case Request::Command: return "a command or directive";
    case Request::GetPoint: return "a point (GetPoint)";
    case Request::GetCursorPoint: return "a point (GetCursorPoint)";
    case Request::GetPointOrFigure: return "a region point (GetPointOrFigure)";
    case Request::Select: return "a selection (SelectFigures)";
    case Request::Panel: return "a panel event (WaitPanelEvent)";
    case Request::Group: return "a group number (GetGroupNumber)";
    case Request::Message: return "an answer to a message (ShowMessage)";
    case Request::Poll: return "a key (PollKey)";
    }
    return "?";
}

bool answersRequest(Request r, Verb v)
{
    if (v == Verb::Cancel)
        return r != Request::Command && r != Request::Poll;
    switch (r) {
    case Request::Command: return v == Verb::Run;
    case Request::GetPoint:
        return v == Verb::Point || v == Verb::Move || v == Verb::Repaint;
    case Request::GetCursorPoint:
        return v == Verb::Point || v == Verb::Move || v == Verb::Repaint || v == Verb::Confirm;
    case Request::GetPointOrFigure:
        return v == Verb::Point || v == Verb::Move || v == Verb::Repaint || v == Verb::Close;
    case Request::Select: return v == Verb::Select;
    case Request::Panel: return v == Verb::Panel;
    case Request::Group: return v == Verb::Group;
    case Request::Message: return v == Verb::Message;
    case Request::Poll: return v == Verb::Key;
    }
    return false;
}

Host::Host(const ModuleBinding &module, const HostOptions &options)
    : fig(rec), module_(module), options_(options)
{
    gHost = this;
    if (std::optional<std::string> e = rec.layoutArrays(options.figureLimit, options.workBase, options.workEnd))
        fail(kExitBadInput, *e);
    fig.setType(0, kTypeEnd); /* an empty drawing */
    serviceCounts.assign(static_cast<size_t>(Svc::Count), 0);
    installServices(rec);
    initialState();
}

Host::~Host()
{
    if (gHost == this)
        gHost = nullptr;
}

/* What the host's records hold before the module is bound.  Every value is
   the reference host's own choice. */
void Host::initialState()
{
    rec.put(SF::viewContext, 1);
    rec.put(SF::charHeight, 16);
    rec.put(SF::charWidth, 8);
    rec.put(SF::cursorX, 160.0);
    rec.put(SF::cursorY, 120.0);
    rec.put(SF::selectMode, 1);
    rec.put(SF::pi, 3.14159265358979323846);
    rec.putAddr(SF::tables, rec.tables());
    rec.putAddr(SF::attrContext, rec.attrContext());
    rec.putAddr(SF::panelSurface, rec.panelSurface());
    int32_t contextValue = 7, surface = 0x5F;
    std::memcpy(static_cast<uint8_t *>(rec.attrContext()) + kAttrContextValueOffset, &contextValue, 4);
    std::memcpy(static_cast<uint8_t *>(rec.panelSurface()) + kPanelSurfaceValueOffset, &surface, 4);
    rec.put(TF::currentLayer, 1);
    rec.put(TF::currentGroup, 0);
    rec.put(TF::currentColor, 1);
    rec.put(TF::currentLineType, 1);
    rec.put(TF::previewColorA, 2);
    rec.put(TF::previewColorB, 7);
    rec.put(TF::unitFactor, 1.0);
    rec.put(TF::drawingScale, 1.0);
}

void Host::fail(int code, const std::string &message)
{
    trace.write("session failed: " + message);
    trace.flush();
    gCommandStartedMs = 0;
    if (failHook)
        failHook(code, message);
    std::fflush(stdout);
    std::fprintf(stderr, "nerolit-host: %s\n", message.c_str());
    std::fflush(stderr);
    std::exit(code);
}

void Host::trap(uint32_t slotOffset)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "the module called the service slot at 0x%03X, which the host does not provide",
                  slotOffset);
    fail(kExitModuleFault, buf + (commandActive_ ? " (while " + activeCommand_ + " ran)" : std::string()));
}

void Host::checkGuards(const char *when, const char *name, const char *after)
{
    if (std::optional<std::string> e = rec.checkGuards())
        fail(kExitModuleFault, *e + " (found " + when + name + after + ")");
}

uint64_t serviceCounter()
{
#if defined(__i386__) || defined(__x86_64__)
    return __rdtsc();
#else
    return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

void Host::enterService(Svc s)
{
#ifdef __EMSCRIPTEN__
    /* WebAssembly has no second thread to watch the command (nerolit-host's
       watchdog): the time is checked at every service call instead, so a
       module that spins without calling the host is not stopped there. */
    long long started = gCommandStartedMs.load();
    if (options_.timeoutSeconds > 0 && started != 0 &&
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                    .count() - started > options_.timeoutSeconds * 1000LL)
        fail(kExitModuleFault, "the command has hung: it ran for more than " + std::to_string(options_.timeoutSeconds) +
                                   " seconds");
#endif
    ++serviceCalls;
    ++serviceCounts[static_cast<size_t>(s)];
    if (timeServices && serviceNesting_++ == 0)
        serviceStart_ = serviceCounter();
    if (options_.guardEveryCall)
        checkGuards("at the call of ", serviceInfo(s).name);
    ++trace.depth;
}

void Host::leaveService()
{
    --trace.depth;
    if (serviceNesting_ > 0 && --serviceNesting_ == 0)
        serviceTicks += serviceCounter() - serviceStart_;
}

/* A drawing larger than the drawing part of the tables makes them larger
   rather than failing: figureLimit becomes twice its entries (so that a
   selection of every figure still fits behind it, as SelectFigures puts it)
   plus the configured figureLimit (room for new figures, as much as an
   empty drawing has), and the work area keeps its size behind it, 50
   entries on, as a set figureLimit moves it.  A session can set the sizes
   again afterwards. */
void Host::fitDrawing(long long entries, const std::string &name)
{
    if (entries <= rec.figureLimit())
        return;
    long long limit = 2 * entries + options_.figureLimit, base = limit + 50;
    long long end = base + (rec.workEnd() - rec.workBase());
    if (end + 1 + kGuardEntries > kMaxEntries)
        fail(kExitBadInput, name + ": the drawing takes " + std::to_string(entries) +
                                " entries; the host keeps at most " + std::to_string(kMaxEntries));
    if (std::optional<std::string> e =
            rec.layoutArrays(static_cast<int>(limit), static_cast<int>(base), static_cast<int>(end)))
        fail(kExitBadInput, name + ": " + *e);
    trace.write("tables sized for " + name + ": figureLimit " + std::to_string(limit) + ", workBase " +
                std::to_string(base) + ", workEnd " + std::to_string(end));
}

void Host::loadDrawing(const std::string &text, const std::string &name)
{
    long long entries = 0;
    if (std::optional<std::string> e = FigureTable::measure(text, name, entries))
        fail(kExitBadInput, *e);
    fitDrawing(entries, name);
    if (std::optional<std::string> e = fig.load(text, name))
        fail(kExitBadInput, *e);
}

/* A DXF's inserts can multiply a small file into any number of figures, each
   held in memory while the drawing is read: the reader stops beyond this
   many entries (file:line), far above any real plan, well within a 32-bit
   process. */
constexpr long long kDxfMaxEntries = 4000000;

void Host::loadDxf(const std::string &bytes, const std::string &name)
{
    std::vector<std::string> notices;
    if (std::optional<std::string> e = tryLoadDxf(bytes, name, notices))
        fail(kExitBadInput, *e);
    for (const std::string &n : notices)
        std::fprintf(stderr, "nerolit-host: %s\n", n.c_str());
}

std::optional<std::string> Host::tryLoadDxf(const std::string &bytes, const std::string &name,
                                            std::vector<std::string> &notices)
{
    DxfDrawing d;
    if (std::optional<std::string> e = readDxf(bytes, name, static_cast<size_t>(kDxfMaxEntries), d))
        return e;
    long long entries = 1;
    for (const Figure &f : d.figures)
        entries += entriesOfKind(f.kind);
    fitDrawing(entries, name);
    if (std::optional<std::string> e = fig.replace(d.figures))
        return name + ": " + *e;
    notices = d.notices;
    dxfNames = std::move(d.names);
    rec.put(TF::unitFactor, d.unitFactor);
    rec.put(TF::currentLayer, d.currentLayer);
    rec.put(TF::currentColor, d.currentColor);
    rec.put(TF::currentLineType, d.currentLineType);
    trace.write("drawing " + name + ": " + std::to_string(d.figures.size()) + " figures from DXF");
    return std::nullopt;
}

std::string Host::drawingDxf() const
{
    DxfCurrent current;
    current.layer = rec.i32(TF::currentLayer);
    current.color = rec.i32(TF::currentColor);
    current.lineType = rec.i32(TF::currentLineType);
    return writeDxf(fig, dxfNames, rec.f64(TF::unitFactor), current);
}

void Host::loadScript(const std::string &text, const std::string &name)
{
    std::string error;
    std::optional<std::vector<ScriptLine>> lines = parseScript(text, name, error);
    if (!lines)
        fail(kExitBadInput, error);
    scriptUser_ = std::make_unique<ScriptUser>(std::move(*lines));
    user_ = scriptUser_.get();
}

void Host::start()
{
    if (started_)
        return;
    started_ = true;
    trace.write("StartDLL");
    module_.start(rec.services(), rec.state());
    checkGuards("after StartDLL");
}

void Host::runScript()
{
    start();
    if (!user_)
        return;
    while (std::optional<ScriptLine> l = user_->next(*this, ask(Request::Command, ""))) {
        take(*l);
        runLine(*l);
    }
}

void Host::runLine(const ScriptLine &l)
{
    if (l.isDirective()) {
        applyDirective(l);
    } else if (l.verb == Verb::Run) {
        commandArgument = l.name;
        commandActive_ = true;
        activeCommand_ = l.name;
        userDone_ = false;
        idleRequests_ = 0;
        callCommand(l.name, &commandArgument[0]);
        commandActive_ = false;
        cancelsOwed_ = userDone_ ? idleRequests_ : 0;
    } else {
        fail(kExitBadInput, l.where() + ": '" + l.source + "' answers nothing: " +
                                (activeCommand_.empty() ? std::string("no command has run yet")
                                                        : activeCommand_ + " has returned"));
    }
}

ModuleBinding::CommandFn Host::findCommand(const std::string &name) const
{
    ModuleBinding::CommandFn fn = nullptr;
    for (const auto &e : module_.commands) {
        std::string plain = e.first;
        if (plain[0] == '?')
            plain = plain.substr(1, plain.find("@@") - 1);
        bool same = plain.size() == name.size();
        for (size_t i = 0; same && i < name.size(); ++i)
            same = std::tolower(static_cast<unsigned char>(plain[i])) == std::tolower(static_cast<unsigned char>(name[i]));
        if (same)
            fn = e.second;
    }
    return fn;
}

void Host::callCommand(const std::string &name, char *argument)
{
    ModuleBinding::CommandFn fn = findCommand(name);
    if (!fn)
        fail(kExitBadInput, "the module has no command '" + name + "' (C66, Hatch, kumo1 or VeC92)");
    rec.putText(SF::currentCommand, name);
    trace.write("run " + name);
    gCommandStartedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch()).count();
    fn(argument);
    gCommandStartedMs = 0;
    panel.forgetValues(); /* a panel left open: its bound variables may be gone */
    trace.write("return " + name);
    checkGuards("after ", name.c_str(), " returned");
}

int32_t Host::callHook(bool ussr)
{
    ++trace.depth;
    trace.write(ussr ? "USSR" : "USA");
    int32_t result = ussr ? module_.ussr() : module_.usa();
    if (trace.enabled())
        trace.write(std::string(ussr ? "USSR" : "USA") + " -> " + std::to_string(result));
    --trace.depth;
    checkGuards(ussr ? "after USSR returned" : "after USA returned");
    return result;
}

void Host::mouseEvent(Request r, double x, double y, bool update)
{
    rec.put(SF::cursorX, toScreenX(x));
    rec.put(SF::cursorY, toScreenY(y));
    rec.put(SF::previewUpdate, update ? 1 : 0);
    callHook(false);
    if (r == Request::GetPoint && rec.i32(SF::bandKind) == 13)
        callHook(true);
}

void Host::traceAnswer(const std::string &what)
{
    if (!trace.enabled())
        return;
    ++trace.depth;
    trace.write("<- " + what);
    --trace.depth;
}

Ask Host::ask(Request r, const std::string &prompt) const
{
    Ask a;
    a.kind = r;
    a.command = commandActive_ ? activeCommand_ : std::string();
    a.prompt = prompt;
    if (r == Request::GetPoint || r == Request::GetCursorPoint || r == Request::GetPointOrFigure) {
        a.bandKind = rec.i32(SF::bandKind);
        a.bandOption = rec.i32(SF::bandOption);
        SF bx = a.bandKind == 2 ? SF::boxAnchorX : a.bandKind == 6 ? SF::lineAnchorX : SF::pointX;
        SF by = a.bandKind == 2 ? SF::boxAnchorY : a.bandKind == 6 ? SF::lineAnchorY : SF::pointY;
        a.baseX = rec.f64(bx);
        a.baseY = rec.f64(by);
    }
    a.cursorX = toDrawingX(rec.f64(SF::cursorX));
    a.cursorY = toDrawingY(rec.f64(SF::cursorY));
    a.panel = panel.open ? &panel : nullptr;
    a.figures = &fig;
    return a;
}

void Host::take(const ScriptLine &l)
{
    pollsSinceTake_ = 0;
    escapedSinceTake_ = false;
    if (recorder) {
        /* A user who said nothing more to a command and then gives a
           directive: a replay's session-file user would hand the directive
           to the command's next request (it stops a command's lines only at
           `run`), so the requests that were cancelled are written down as
           the cancels they were. */
        if (cancelsOwed_ > 0 && l.isDirective()) {
            ScriptLine cancel;
            cancel.verb = Verb::Cancel;
            cancel.source = "cancel";
            for (int i = 0; i < cancelsOwed_; ++i)
                recorder->take(cancel);
        }
        recorder->take(l);
    }
    cancelsOwed_ = 0;
}

std::optional<ScriptLine> Host::nothingToSay()
{
    userDone_ = true;
    if (++idleRequests_ > kHangRequests)
        fail(kExitModuleFault, activeCommand_ + " has hung: it made more than " + std::to_string(kHangRequests) +
                                   " requests after its lines ran out");
    return std::nullopt;
}

std::optional<ScriptLine> Host::answer(const Ask &a)
{
    if (userDone_ || !user_)
        return nothingToSay();
    for (;;) {
        std::optional<ScriptLine> l = user_->next(*this, a);
        if (!l)
            return nothingToSay();
        take(*l);
        if (l->isDirective()) {
            applyDirective(*l);
            continue;
        }
        if (!answersRequest(a.kind, l->verb))
            fail(kExitBadInput, l->where() + ": " + activeCommand_ + " asked for " + requestName(a.kind) +
                                    (a.prompt.empty() ? std::string() : " (\"" + a.prompt + "\")") +
                                    ", but the line says '" + l->source + "'");
        idleRequests_ = 0;
        return l;
    }
}

int32_t Host::pollKey()
{
    long long poll = pollsSinceTake_++;
    bool counted = escAfter == 0;
    if (escAfter >= 0)
        --escAfter;
    if (counted)
        return 27;
    if (!user_ || escapedSinceTake_)
        return 0;
    std::optional<ScriptLine> l = user_->next(*this, ask(Request::Poll, ""));
    if (!l)
        return 0;
    if (l->verb != Verb::Key)
        fail(kExitBadInput, l->where() + ": at a poll of the keyboard the user can only press Escape, but the line says '" +
                                l->source + "'");
    escapedSinceTake_ = true;
    if (recorder)
        recorder->escapeAtPoll(poll);
    return 27;
}

void Host::applyDirective(const ScriptLine &l)
{
    switch (l.verb) {
    case Verb::Set:
        setField(l);
        break;
    case Verb::Setting:
        if (std::optional<std::string> why = settings.set(l.value, l.name, l.number))
            fail(kExitBadInput, l.where() + ": " + *why + ": " + l.source);
        trace.write("setting [" + l.value + "] " + l.name + "=" + formatDouble(l.number));
        break;
    case Verb::Seed:
        rng = static_cast<uint64_t>(l.count) * 0x9E3779B97F4A7C15ull + 1;
        trace.write("seed " + std::to_string(l.count));
        break;
    case Verb::Key:
        escAfter = static_cast<int>(l.count);
        trace.write("key esc after " + std::to_string(l.count));
        break;
    case Verb::Snapshot:
        writeSnapshot(l);
        break;
    default:
        break;
    }
}

void Host::setField(const ScriptLine &l)
{
    auto bad = [&](const std::string &why) { fail(kExitBadInput, l.where() + ": " + why + ": " + l.source); };
    for (int i = 0; i < static_cast<int>(TF::Count); ++i) {
        TF f = static_cast<TF>(i);
        const FieldInfo &info = fieldInfo(f);
        if (l.name != info.name)
            continue;
        if (f == TF::figureLimit || f == TF::workBase || f == TF::workEnd) {
            if (commandActive_)
                bad(l.name + " can be set only between commands");
            std::optional<int32_t> v = parseInt32(l.value);
            if (!v)
                bad("expected an integer");
            /* in 64 bits: the work area moved behind a huge figureLimit
               lies beyond the 32-bit range, and is refused as too large */
            int64_t limit = f == TF::figureLimit ? *v : rec.figureLimit();
            int64_t base = f == TF::workBase ? *v : rec.workBase();
            int64_t end = f == TF::workEnd ? *v : rec.workEnd();
            if (f == TF::figureLimit && base < limit) { /* keep the work area behind the drawing */
                end += limit + 50 - base;
                base = limit + 50;
            }
            int drawingEnd = fig.drawingEnd();
            if (f == TF::figureLimit && (drawingEnd < 0 || drawingEnd >= limit))
                bad("the drawing does not fit below figureLimit " + std::to_string(limit));
            if (std::optional<std::string> e = rec.layoutArrays(limit, base, end))
                bad(*e);
        } else if (info.type == FieldType::I32) {
            std::optional<int32_t> v = parseInt32(l.value);
            if (!v)
                bad("expected an integer");
            rec.put(f, *v);
        } else if (info.type == FieldType::F64) {
            std::optional<double> v = parseDouble(l.value);
            if (!v)
                bad("expected a number");
            rec.put(f, *v);
        } else {
            bad(l.name + " is an address the host keeps");
        }
        trace.write("set " + l.name + " " + l.value);
        return;
    }
    for (int i = 0; i < static_cast<int>(SF::Count); ++i) {
        SF f = static_cast<SF>(i);
        const FieldInfo &info = fieldInfo(f);
        if (l.name != info.name)
            continue;
        if (info.type == FieldType::I32) {
            std::optional<int32_t> v = parseInt32(l.value);
            if (!v)
                bad("expected an integer");
            rec.put(f, *v);
        } else if (info.type == FieldType::F64) {
            std::optional<double> v = parseDouble(l.value);
            if (!v)
                bad("expected a number");
            rec.put(f, *v);
        } else if (info.type == FieldType::Text) {
            std::optional<std::string> s = utf8ToCp932(l.value);
            if (!s || s->size() >= info.size)
                bad("the text does not fit " + l.name);
            rec.putText(f, *s);
        } else {
            bad(l.name + " is an address the host keeps");
        }
        trace.write("set " + l.name + " " + l.value);
        return;
    }
    bad("no host field is called '" + l.name + "'");
}

void Host::writeSnapshot(const ScriptLine &l)
{
    std::string path = l.name;
    bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
    if (!absolute && !options_.snapshotDir.empty())
        path = options_.snapshotDir + "/" + path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << (l.value == "panel" ? panelSvg() : displaySvg());
    if (!out)
        fail(kExitBadInput, l.where() + ": cannot write " + path);
    trace.write("snapshot " + l.value + " " + l.name);
}

} // namespace host
