/*
 * Host.cpp - module calls, hooks, guard checks, failures and the requests
 * the player hands to the user.  Every call into the module is followed by
 * a guard check, so a stray write is reported at the call that made it.
 */
#include "host/Host.h"

#include "host/text/Text.h"

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

Host::Host(const ModuleBinding &module, const HostOptions &options)
    : fig(rec), player(*this, *this), module_(module), options_(options)
{
    gHost = this;
    gModuleFault = [](const std::string &message) {
        if (gHost)
            gHost->fail(kExitModuleFault, message);
    };
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
    rec.put(StateField::viewContext, 1);
    rec.put(StateField::charHeight, 16);
    rec.put(StateField::charWidth, 8);
    rec.put(StateField::cursorX, 160.0);
    rec.put(StateField::cursorY, 120.0);
    rec.put(StateField::selectMode, 1);
    rec.put(StateField::pi, 3.14159265358979323846);
    rec.putAddr(StateField::tables, rec.tables());
    rec.putAddr(StateField::attrContext, rec.attrContext());
    rec.putAddr(StateField::panelSurface, rec.panelSurface());
    /* The words behind the attribute context and panel surface pointers
       mean nothing to the module: it passes them back (to AddLine and
       AddArc, to PanelBox and PanelCircle), and the services only trace
       them.  Two values that no other field of a fresh host holds show in
       a trace at once whether the module passed the right word. */
    int32_t contextValue = 7, surface = 0x5F;
    std::memcpy(static_cast<uint8_t *>(rec.attrContext()) + kAttrContextValueOffset, &contextValue, 4);
    std::memcpy(static_cast<uint8_t *>(rec.panelSurface()) + kPanelSurfaceValueOffset, &surface, 4);
    rec.put(TableField::currentLayer, 1);
    rec.put(TableField::currentGroup, 0);
    rec.put(TableField::currentColor, 1);
    rec.put(TableField::currentLineType, 1);
    rec.put(TableField::previewColorA, 2);
    rec.put(TableField::previewColorB, 7);
    rec.put(TableField::unitFactor, 1.0);
    rec.put(TableField::drawingScale, 1.0);
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
    player.play();
}

void Host::runCommand(const std::string &name)
{
    commandArgument = name;
    commandActive_ = true;
    activeCommand_ = name;
    callCommand(name, &commandArgument[0]);
    commandActive_ = false;
}

ModuleBinding::CommandFn Host::findCommand(const std::string &name) const
{
    ModuleBinding::CommandFn fn = nullptr;
    for (const auto &e : module_.commands) {
        /* C66 and VeC92 are exported under their C++ names
           (?C66@@YGXPAD@Z): the user types the plain name. */
        std::string plain = e.first;
        if (plain[0] == '?')
            plain = plain.substr(1, plain.find("@@") - 1);
        if (sameIgnoringAsciiCase(plain, name))
            fn = e.second;
    }
    return fn;
}

void Host::callCommand(const std::string &name, char *argument)
{
    ModuleBinding::CommandFn fn = findCommand(name);
    if (!fn)
        fail(kExitBadInput, "the module has no command '" + name + "' (C66, Hatch, kumo1 or VeC92)");
    rec.putText(StateField::currentCommand, name);
    trace.write("run " + name);
    gCommandStartedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch()).count();
    fn(argument);
    gCommandStartedMs = 0;
    trace.write("return " + name);
    checkGuards("after ", name.c_str(), " returned");
}

int32_t Host::callHook(const char *name, ModuleBinding::HookFn hook)
{
    ++trace.depth;
    trace.write(name);
    int32_t result = hook();
    if (trace.enabled())
        trace.write(std::string(name) + " -> " + std::to_string(result));
    --trace.depth;
    checkGuards("after ", name, " returned");
    return result;
}

/* Only a drag (band 13, the stretch's second point) has the module's USSR
   hook draw its own preview after USA: the CAD host calls it for no other
   band, and Nerolit's USSR draws only the stretch. */
void Host::mouseEvent(Request r, double x, double y, bool update)
{
    rec.put(StateField::cursorX, toScreenX(x));
    rec.put(StateField::cursorY, toScreenY(y));
    rec.put(StateField::previewUpdate, update ? 1 : 0);
    callUsa();
    if (r == Request::GetPoint && rec.i32(StateField::bandKind) == kBandDrag)
        callUssr();
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
        a.bandKind = rec.i32(StateField::bandKind);
        a.bandOption = rec.i32(StateField::bandOption);
        StateField bx = a.bandKind == kBandBox ? StateField::boxAnchorX : a.bandKind == kBandLine ? StateField::lineAnchorX : StateField::pointX;
        StateField by = a.bandKind == kBandBox ? StateField::boxAnchorY : a.bandKind == kBandLine ? StateField::lineAnchorY : StateField::pointY;
        a.baseX = rec.f64(bx);
        a.baseY = rec.f64(by);
    }
    a.cursorX = toDrawingX(rec.f64(StateField::cursorX));
    a.cursorY = toDrawingY(rec.f64(StateField::cursorY));
    a.panel = panel.open ? &panel : nullptr;
    a.figures = &fig;
    return a;
}

} // namespace host
