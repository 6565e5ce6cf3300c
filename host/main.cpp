/*
 * main.cpp - nerolit-host, the reference host's command-line program:
 *
 *   nerolit-host [--module DLL] [--drawing FILE] [--settings FILE]
 *                [--dump FILE] [--svg FILE] [--trace FILE]
 *                [--snapshot-dir DIR] [--timeout SECONDS] [--summary]
 *                [--fast] SESSION
 *
 * Exit status 0 for a clean session, 2 for a bad command line, session line
 * or input file, 3 when the module misbehaved (trap, guard-zone write, hang),
 * 4 when the module cannot be loaded or lacks an export; one line on
 * standard error says what happened.
 */
#include "host/Host.h"
#include "host/Svg.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#ifndef __EMSCRIPTEN__
#include <thread>
#endif

#ifdef _WIN32
#include <windows.h>
#endif

using namespace host;

namespace {

[[noreturn]] void die(int code, const std::string &message)
{
    std::fprintf(stderr, "nerolit-host: %s\n", message.c_str());
    std::exit(code);
}

std::string readFile(const std::string &path, const char *what)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        die(kExitBadInput, path + ": cannot read the " + what + " file");
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        die(kExitBadInput, path + ": cannot write");
}

const char *kUsage =
    "usage: nerolit-host [--module DLL] [--drawing FILE] [--settings FILE] [--dump FILE]\n"
    "                    [--svg FILE] [--trace FILE] [--snapshot-dir DIR] [--timeout SECONDS]\n"
    "                    [--summary] [--fast] SESSION";

std::string defaultModulePath()
{
#ifdef _WIN32
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string self(buf, n);
    size_t slash = self.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) + "Nerolit.dll";
#else
    return "";
#endif
}

/* Ends the process when a command runs longer than the timeout: a module
   that spins without asking the host for anything cannot be stopped
   otherwise.  (WebAssembly has no threads: the host checks the time at each
   service call there.) */
void startWatchdog(int seconds)
{
#ifdef __EMSCRIPTEN__
    (void)seconds;
#else
    std::thread([seconds] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            long long started = gCommandStartedMs.load();
            long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now().time_since_epoch()).count();
            if (started != 0 && now - started > seconds * 1000LL) {
                std::fprintf(stderr, "nerolit-host: the command has hung: it ran for more than %d seconds\n", seconds);
                std::fflush(stderr);
                std::_Exit(kExitModuleFault);
            }
        }
    }).detach();
#endif
}

std::string summary(const Host &h, const std::string &session, int before)
{
    int counts[7] = {};
    int total = 0;
    h.fig.eachFigure(h.fig.drawingEnd(), [&](int i) {
        int k = h.fig.kindAt(i);
        ++total;
        ++counts[k == 3 && h.fig.read(i).isCircle() ? 0 : k];
    });
    std::ostringstream o;
    o << session << ": " << total << " figures (" << (total - before >= 0 ? "+" : "") << total - before << "): "
      << counts[2] << " lines, " << counts[3] << " arcs, " << counts[0] << " circles, " << counts[5] + counts[6]
      << " texts";
    return o.str();
}

int countFigures(const Host &h)
{
    int total = 0;
    h.fig.eachFigure(h.fig.drawingEnd(), [&](int) { ++total; });
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    std::string module, drawing, settingsPath, dump, svg, tracePath, session;
    HostOptions options;
    bool wantSummary = false, fast = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= argc)
                die(kExitBadInput, a + " needs a value\n" + kUsage);
            out = argv[++i];
        };
        if (a == "--module")
            value(module);
        else if (a == "--drawing")
            value(drawing);
        else if (a == "--settings")
            value(settingsPath);
        else if (a == "--dump")
            value(dump);
        else if (a == "--svg")
            value(svg);
        else if (a == "--trace")
            value(tracePath);
        else if (a == "--snapshot-dir")
            value(options.snapshotDir);
        else if (a == "--timeout") {
            std::string t;
            value(t);
            options.timeoutSeconds = std::atoi(t.c_str());
            if (options.timeoutSeconds <= 0)
                die(kExitBadInput, "--timeout needs a number of seconds above 0");
        } else if (a == "--summary")
            wantSummary = true;
        else if (a == "--fast")
            fast = true;
        else if (a == "--help" || a == "-h") {
            std::puts(kUsage);
            return 0;
        } else if (!a.empty() && a[0] == '-')
            die(kExitBadInput, "unknown option " + a + "\n" + kUsage);
        else if (session.empty())
            session = a;
        else
            die(kExitBadInput, "only one session file, please\n" + std::string(kUsage));
    }
    if (session.empty())
        die(kExitBadInput, std::string("no session file\n") + kUsage);

    ModuleBinding binding;
#if defined(_WIN32) || defined(NEROLIT_EMU)
    std::string error;
    if (!loadModuleFile(module.empty() ? defaultModulePath() : module, binding, error))
        die(kExitNoModule, error);
#else
    if (!module.empty())
        die(kExitNoModule, module + ": this build of nerolit-host links its module; --module is for the Windows build");
    binding = nativeModule();
#endif

    options.guardEveryCall = !fast;
    Host h(binding, options);
    h.trace.keepLines(false); /* the trace goes to its file, or nowhere */
    if (!tracePath.empty() && !h.trace.openFile(tracePath))
        die(kExitBadInput, tracePath + ": cannot write the trace");
    if (!drawing.empty() && isDxfName(drawing))
        h.loadDxf(readFile(drawing, "drawing"), drawing);
    else if (!drawing.empty())
        h.loadDrawing(readFile(drawing, "drawing"), drawing);
    if (!settingsPath.empty())
        if (std::optional<std::string> e = h.settings.loadFile(settingsPath))
            die(kExitBadInput, *e);
    h.loadScript(readFile(session, "session"), session);
    int before = countFigures(h);

    startWatchdog(options.timeoutSeconds);
    h.runScript();

    if (!dump.empty())
        writeFile(dump, isDxfName(dump) ? h.drawingDxf() : figureList(h.fig));
    if (!svg.empty())
        writeFile(svg, drawingSvg(h));
    if (!settingsPath.empty())
        if (std::optional<std::string> e = h.settings.saveFile(settingsPath))
            die(kExitBadInput, *e);
    if (wantSummary)
        std::printf("%s\n", summary(h, session, before).c_str());
    h.trace.flush();
    return 0;
}
