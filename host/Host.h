/*
 * Host.h - the reference host: it owns the records, the drawing, the
 * settings store and the trace, binds a module with StartDLL, calls its
 * commands and hooks, checks the guard zones around every call, and ends a
 * failed session.  The services (services/) reach the running host through
 * gHost; everything runs on one thread, as in the CAD host.
 *
 * What shaped it: the module writes into the host's records directly and
 * calls back into the host from deep inside its own loops, so the host is
 * one object that every service can reach, and what a session does between
 * the module's calls (the user's lines, the recorder, the polls) is the
 * player's (session/Player.h), which the host owns and serves as its stage.
 * The drawing files (DrawingFiles.cpp), the directives (Directives.cpp) and
 * the pictures (Svg.h) are the host's too, each in a file of its own.
 *
 * Failures end the session at once: fail() calls failHook when one is set
 * (it ends the session its own way: throws, or ends the process), else it
 * writes one line to standard error and exits with an exit code of
 * module/ExitCodes.h.
 */
#ifndef NEROLIT_HOST_HOST_H
#define NEROLIT_HOST_HOST_H

#include "host/formats/Dxf.h"
#include "host/formats/FigureList.h"
#include "host/module/ExitCodes.h"
#include "host/module/ModuleBinding.h"
#include "host/records/Figures.h"
#include "host/records/Layout.h"
#include "host/records/Panel.h"
#include "host/records/Records.h"
#include "host/session/Player.h"
#include "host/session/Settings.h"
#include "host/Trace.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace host {

struct HostOptions {
    int figureLimit = 20000; /* entries of the drawing */
    int workBase = 20050;    /* the work area lies behind the drawing */
    int workEnd = 30000;
    bool guardEveryCall = true; /* also check the guard zones at every service call */
    int timeoutSeconds = 120;   /* a command that runs longer has hung */
    std::string snapshotDir;    /* where relative snapshot files go */
};

struct XorLine {
    double x1, y1, x2, y2;
};

class Host final : private Player::Stage {
public:
    explicit Host(const ModuleBinding &module, const HostOptions &options = HostOptions());
    ~Host();
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;

    /* --- the drawing files (DrawingFiles.cpp); errors end the session (kExitBadInput) */
    void loadDrawing(const std::string &text, const std::string &name);
    /* A DXF drawing instead: its figures, names, unit and current
       attributes; what it could not keep is written to standard error. */
    void loadDxf(const std::string &bytes, const std::string &name);
    /* The same without ending the session: the error (nothing loaded then),
       or nothing with the reader's notices in `notices`; `tell` hears how
       far the read has come and may stop it (readDxf). */
    std::optional<std::string> tryLoadDxf(const std::string &bytes, const std::string &name,
                                          std::vector<std::string> &notices, const DxfTell &tell = DxfTell());
    /* Makes the drawing part of the tables hold `entries` (see DrawingFiles.cpp). */
    void fitDrawing(long long entries, const std::string &name);
    std::string drawingDxf() const; /* the drawing as DXF 2000 */

    /* --- the session: StartDLL, then the player's session file (or user) */
    void loadScript(const std::string &text, const std::string &name) { player.loadScript(text, name); }
    void start();
    void runScript();

    /* --- module calls */
    /* One command call, outside a session (tests). */
    void callCommand(const std::string &name, char *argument);
    /* Whether the module has a command of this name (case does not matter). */
    bool hasCommand(const std::string &name) const { return findCommand(name) != nullptr; }
    /* The mouse hooks: USA at every mouse event of a point request, USSR
       after it while the band is a drag (see mouseEvent). */
    int32_t callUsa() { return callHook("USA", module_.usa); }
    int32_t callUssr() { return callHook("USSR", module_.ussr); }
    /* Mouse event at drawing point (x, y) during a point request. */
    void mouseEvent(Request r, double x, double y, bool update);

    /* --- failures, guards and service bookkeeping */
    /* Ends the session: the trace says why; then failHook, if set, and if
       it returns (or none is set) the process ends with `code` and the
       message on standard error.  After a failure the host is left as the
       failure found it: read its outputs, but play nothing more on it. */
    [[noreturn]] void fail(int code, const std::string &message) override;
    std::function<void(int code, const std::string &message)> failHook;
    /* The module called a service slot the host does not fill. */
    void trap(uint32_t slotOffset);
    /* Fails the session when the module wrote into a guard zone; the
       message says when, from the three parts (joined only on failure). */
    void checkGuards(const char *when, const char *name = "", const char *after = "");
    /* Around every service call (ServiceCall). */
    void enterService(Svc s);
    void leaveService();

    /* --- requests: what the module asks, as the player hands it to the user */
    /* A request of kind r, filled from the records: the running command,
       the prompt given, the band and its base point (point requests), the
       cursor, the open panel and the figures. */
    Ask ask(Request r, const std::string &prompt) const override;
    void traceAnswer(const std::string &what);

    /* Screen <-> drawing.  The reference host shows one drawing unit per
       pixel with the y axis turned down: screen = (x, -y).  Exact both ways. */
    static double toScreenX(double x) { return x; }
    static double toScreenY(double y) { return -y; }
    static double toDrawingX(double sx) { return sx; }
    static double toDrawingY(double sy) { return -sy; }

    /* --- what the module and the user work on */
    Records rec;          /* the host's records: state, tables, service table, guard zones */
    FigureTable fig;      /* the drawing in the records' per-figure arrays */
    DxfNames dxfNames;    /* the names of the drawing's layers, line types and styles */
    SettingsStore settings;
    Trace trace;
    Player player;        /* the session: its user, recorder and what it knows between lines */

    /* --- what the display and the panel show */
    Panel panel;
    std::vector<XorLine> xorLines;
    bool highlightOn = false;          /* HighlightPoint's mark, until ClearHighlight */
    double highlightX = 0, highlightY = 0;
    std::string statusText;            /* the last ShowStatusText, UTF-8 */
    std::vector<std::string> messages; /* texts of ShowMessage, UTF-8 */

    /* --- what the services keep between calls */
    struct Registration {
        std::string name, caption, second;
    };
    std::vector<Registration> registrations; /* RegisterCommand */
    int beginCommandCalls = 0, signalErrors = 0;
    uint64_t rng = 0x9E3779B97F4A7C15ull;  /* Random's state (seed directive) */
    int regionHandles = 0;
    bool regionClosed = false;             /* the last GetPointOrFigure was answered by close */
    double lastIntersectX = 0, lastIntersectY = 0;
    std::string formatBuffer;              /* FormatNumber's text */
    std::string commandArgument;           /* the text passed to a command */

    /* --- counts and times, for traces and benchmarks */
    long long serviceCalls = 0;
    std::vector<int> serviceCounts;        /* by Svc */
    /* While timeServices is on, the time spent inside services (outermost
       calls only) adds up in serviceTicks, in serviceCounter() ticks, so
       that a hook's cost splits into the host's share and the module's. */
    bool timeServices = false;
    uint64_t serviceTicks = 0;

private:
    /* Player::Stage: what the player asks of the host. */
    void runCommand(const std::string &name) override;
    void applyDirective(const ScriptLine &l, bool commandRunning) override;
    void setField(const ScriptLine &l, bool commandRunning);
    void setTableSize(TableField f, const ScriptLine &l, bool commandRunning);
    void writeSnapshot(const ScriptLine &l);

    ModuleBinding::CommandFn findCommand(const std::string &name) const;
    int32_t callHook(const char *name, ModuleBinding::HookFn hook);
    void initialState();

    ModuleBinding module_;
    HostOptions options_;
    bool started_ = false;          /* StartDLL was called */
    bool commandActive_ = false;    /* a command of the session runs */
    std::string activeCommand_;     /* the command `run` named last */
    int serviceNesting_ = 0;        /* services entered while timeServices was on */
    uint64_t serviceStart_ = 0;
};

/* The counter of Host::serviceTicks: the processor's time-stamp counter on
   x86 (rdtsc, a few nanoseconds a read where a clock read costs ten times
   as much), the steady clock elsewhere. */
uint64_t serviceCounter();

/* The host whose services the module is calling. */
extern Host *gHost;

/* Milliseconds (steady clock) when the running command was called, 0 when
   none runs; read by the watchdog of nerolit-host. */
extern std::atomic<long long> gCommandStartedMs;

/* Guard check, call counting and trace depth around one service call. */
class ServiceCall {
public:
    explicit ServiceCall(Svc s) { gHost->enterService(s); }
    ~ServiceCall() { gHost->leaveService(); }
    ServiceCall(const ServiceCall &) = delete;
    ServiceCall &operator=(const ServiceCall &) = delete;
};

/* Fills the service table: every slot the module may call, and a trap in
   every other slot. */
void installServices(Records &r);

} // namespace host

#endif
