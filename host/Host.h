/*
 * Host.h - the reference host: it owns the records, the drawing, the
 * settings store and the trace, binds a module with StartDLL, and plays a
 * session: directives change the host, `run` calls a command export, and
 * the lines that follow answer the command's requests (README, "Session
 * contract").  The services (Svc*.cpp) reach the running host through gHost;
 * everything runs on one thread, as in the CAD host.
 *
 * The user who answers is behind an interface (User.h): the session file's
 * (loadScript) unless setUser() names another; a SessionRecorder set in
 * `recorder` writes the session down as it plays (Recorder.h).
 *
 * Failures end the session at once: fail() calls failHook when one is set
 * (it ends the session its own way: throws, or ends the process), else it
 * writes one line to standard error and exits with kExitBadInput (a
 * malformed or unanswerable session line, an unreadable file),
 * kExitModuleFault (a trap, a guard-zone write, a hang) or kExitNoModule (a
 * module that cannot be loaded or lacks an export).
 */
#ifndef NEROLIT_HOST_HOST_H
#define NEROLIT_HOST_HOST_H

#include "host/Dxf.h"
#include "host/Figures.h"
#include "host/Layout.h"
#include "host/ModuleBinding.h"
#include "host/Records.h"
#include "host/Recorder.h"
#include "host/Script.h"
#include "host/Settings.h"
#include "host/Trace.h"
#include "host/User.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace host {

constexpr int kExitBadInput = 2, kExitModuleFault = 3, kExitNoModule = 4;

/* Requests after the user had no more to say to a command that make the
   command count as hung. */
constexpr int kHangRequests = 1000;

struct HostOptions {
    int figureLimit = 20000; /* entries of the drawing */
    int workBase = 20050;    /* the work area lies behind the drawing */
    int workEnd = 30000;
    bool guardEveryCall = true; /* also check the guard zones at every service call */
    int timeoutSeconds = 120;   /* a command that runs longer has hung */
    std::string snapshotDir;    /* where relative snapshot files go */
};

/* An item of the open panel, as the module built it. */
enum class ItemKind { Check, Radio, Caption, Selector, Number, List, Header, Layer, LineType, Color, Group, GroupChoice };

struct PanelItem {
    ItemKind kind = ItemKind::Caption;
    int row = 0, first = 0, last = 0;
    std::string caption; /* UTF-8 */
    int32_t *boundInt = nullptr;
    int32_t *boundMode = nullptr; /* group items: the group mode */
    double *boundDouble = nullptr;
    double a = 0, b = 0, c = 0, d = 0; /* AddPanelItem's four doubles */
    double lowest = 0, highest = 0;    /* number fields */
    int decimals = 0, eventId = 0, firstValue = 0, modes = 0;
    std::vector<std::string> entries; /* lists, UTF-8 */
    bool kept = false;  /* the panel has closed: the values below stand for the bound ones */
    int32_t keptInt = 0;
    double keptDouble = 0;
    /* The bound value (boundInt or boundDouble must be set). */
    int32_t intValue() const { return kept ? keptInt : *boundInt; }
    double doubleValue() const { return kept ? keptDouble : *boundDouble; }
};

struct PanelShape {
    bool circle = false;
    int32_t surface = 0, colour = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, r = 0;
    std::string option; /* "B", "BF" or empty (a line) */
};

struct Panel {
    bool open = false;
    int rows = 0, columns = 0, x = 0, y = 0;
    std::vector<PanelItem> items;
    std::vector<PanelShape> shapes;
    int result = 1;        /* PanelResult */
    bool cancelled = false;
    std::string caption;   /* of the last WaitPanelEvent, UTF-8 */
    /* The bound variables may be the module's locals (the stretch binds
       its own), gone once the panel is closed: ClosePanel keeps their
       values for the panel's picture.  When a command returns with its
       panel still open the values are lost: forgetValues() drops the
       pointers. */
    void keepValues();
    void forgetValues();
};

struct XorLine {
    double x1, y1, x2, y2;
};

class Host {
public:
    explicit Host(const ModuleBinding &module, const HostOptions &options = HostOptions());
    ~Host();
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;

    /* Set-up.  Errors end the session (kExitBadInput). */
    void loadDrawing(const std::string &text, const std::string &name);
    /* A DXF drawing instead: its figures, names, unit and current
       attributes; what it could not keep is written to standard error. */
    void loadDxf(const std::string &bytes, const std::string &name);
    /* The same without ending the session: the error (nothing loaded then),
       or nothing with the reader's notices in `notices`. */
    std::optional<std::string> tryLoadDxf(const std::string &bytes, const std::string &name,
                                          std::vector<std::string> &notices);
    void loadScript(const std::string &text, const std::string &name);
    /* Makes the drawing part of the tables hold `entries` (see Host.cpp). */
    void fitDrawing(long long entries, const std::string &name);

    /* The user who answers from now on (not owned; it must outlive the
       session).  loadScript() makes the session file the user. */
    void setUser(User *user) { user_ = user; }

    /* StartDLL, then the session: the user's actions between commands until
       it has none. */
    void start();
    void runScript();
    /* One command call, outside a script (tests). */
    void callCommand(const std::string &name, char *argument);
    /* Whether the module has a command of this name (case does not matter). */
    bool hasCommand(const std::string &name) const { return findCommand(name) != nullptr; }
    int32_t callHook(bool ussr);

    /* Outputs. */
    std::string drawingSvg() const;  /* the drawing */
    std::string displaySvg() const;  /* what is on the display now */
    std::string panelSvg() const;    /* the open (or last) panel */
    std::string drawingDxf() const;  /* the drawing as DXF 2000 */

    /* Ends the session: the trace says why; then failHook, if set, and if
       it returns (or none is set) the process ends with `code` and the
       message on standard error.  After a failure the host is left as the
       failure found it: read its outputs, but play nothing more on it. */
    [[noreturn]] void fail(int code, const std::string &message);
    std::function<void(int code, const std::string &message)> failHook;
    void trap(uint32_t slotOffset);

    /* Service bookkeeping (ServiceCall). */
    void enterService(Svc s);
    void leaveService();
    /* Fails the session when the module wrote into a guard zone; the
       message says when, from the three parts (joined only on failure). */
    void checkGuards(const char *when, const char *name = "", const char *after = "");

    /* A request of kind r, filled from the records: the running command,
       the prompt given, the band and its base point (point requests), the
       cursor, the open panel and the figures. */
    Ask ask(Request r, const std::string &prompt) const;
    /* The user's answer to `ask`: a line that fits the request, taken (and
       recorded), or nothing when the user has no more to say to the running
       command (the request is then cancelled).  Directives on the way are
       carried out; a line that does not fit the request fails the session
       (exit 2); too many requests answered by nothing, a hang (exit 3). */
    std::optional<ScriptLine> answer(const Ask &ask);
    /* The key at a poll of the keyboard: 27 (Escape) when a `key esc [after
       N]` line has counted down to this poll, or when the user presses it
       now (asked at most once per line taken), else 0. */
    int32_t pollKey();
    void traceAnswer(const std::string &what);

    /* Mouse event at drawing point (x, y) during a point request. */
    void mouseEvent(Request r, double x, double y, bool update);

    /* Screen <-> drawing.  The reference host shows one drawing unit per
       pixel with the y axis turned down: screen = (x, -y).  Exact both ways. */
    static double toScreenX(double x) { return x; }
    static double toScreenY(double y) { return -y; }
    static double toDrawingX(double sx) { return sx; }
    static double toDrawingY(double sy) { return -sy; }

    Records rec;
    FigureTable fig;
    DxfNames dxfNames; /* the names of the drawing's layers, line types and styles */
    Trace trace;
    SettingsStore settings;
    SessionRecorder *recorder = nullptr; /* writes the session down when set */
    Panel panel;
    std::vector<XorLine> xorLines;
    bool highlightOn = false;          /* HighlightPoint's mark, until ClearHighlight */
    double highlightX = 0, highlightY = 0;
    std::string statusText;            /* the last ShowStatusText, UTF-8 */

    struct Registration {
        std::string name, caption, second;
    };
    std::vector<Registration> registrations;
    std::vector<std::string> messages;     /* texts of ShowMessage, UTF-8 */
    int beginCommandCalls = 0, signalErrors = 0;
    long long serviceCalls = 0;
    std::vector<int> serviceCounts;        /* by Svc */
    /* Benchmarks: while timeServices is on, the time spent inside services
       (outermost calls only) adds up in serviceTicks, in serviceCounter()
       ticks, so that a hook's cost splits into the host's share and the
       module's. */
    bool timeServices = false;
    uint64_t serviceTicks = 0;
    uint64_t rng = 0x9E3779B97F4A7C15ull;  /* Random's state (seed directive) */
    int escAfter = -1;                     /* PollKey: 27 after this many more polls */
    int regionHandles = 0;
    bool regionClosed = false;             /* the last GetPointOrFigure was answered by close */
    double lastIntersectX = 0, lastIntersectY = 0;
    std::string formatBuffer;              /* FormatNumber's text */
    std::string commandArgument;           /* the text passed to a command */

private:
    ModuleBinding::CommandFn findCommand(const std::string &name) const;
    void take(const ScriptLine &l);
    std::optional<ScriptLine> nothingToSay();
    void applyDirective(const ScriptLine &l);
    void setField(const ScriptLine &l);
    void runLine(const ScriptLine &l);
    void writeSnapshot(const ScriptLine &l);
    void initialState();
    void startWatchdog();

    ModuleBinding module_;
    HostOptions options_;
    std::unique_ptr<User> scriptUser_; /* the session file's, made by loadScript */
    User *user_ = nullptr;
    bool commandActive_ = false;
    std::string activeCommand_;
    bool userDone_ = false;           /* the user has no more to say to the running command */
    int idleRequests_ = 0;            /* requests answered by nothing, in a row */
    int cancelsOwed_ = 0;             /* the last command's requests answered by nothing,
                                         written down as cancels before a directive (take) */
    long long pollsSinceTake_ = 0;    /* polls since the last line taken from the user */
    bool escapedSinceTake_ = false;   /* the user pressed Escape at one of them */
    bool started_ = false;
    int serviceNesting_ = 0; /* services entered while timeServices was on */
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
