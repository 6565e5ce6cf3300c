// TestHost.cpp - helpers for the tests.
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace testing_support {

namespace {
struct SessionFailed {
    int code;
    std::string message;
};

// A fault that makes the module read or write where nothing is mapped
// would end the test binary; while a session plays, the signal instead
// jumps back to play(), which fails the test that played it.  What the
// jump skips (the host's frames) is leaked; the failed test reads only
// what the host already holds.
sigjmp_buf gCrashJump;
volatile sig_atomic_t gCrashArmed = 0;

void onCrash(int sig)
{
    if (gCrashArmed) {
        gCrashArmed = 0;
        siglongjmp(gCrashJump, sig);
    }
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

const int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
} // namespace

std::unique_ptr<host::Host> play(const std::string &script, const std::string &drawing, host::HostOptions options)
{
    auto h = std::make_unique<host::Host>(host::nativeModule(), options);
    // A failing session (a guard-zone write, a hung command, a request the
    // script cannot answer) fails the test that played it; the host's own
    // way, ending the process, would take every later test with it.
    h->failHook = [](int code, const std::string &message) { throw SessionFailed{code, message}; };
    struct sigaction onFault = {}, before[4];
    onFault.sa_handler = onCrash;
    sigemptyset(&onFault.sa_mask);
    onFault.sa_flags = SA_NODEFER;
    for (int i = 0; i < 4; ++i)
        sigaction(kCrashSignals[i], &onFault, &before[i]);
    int crashed = sigsetjmp(gCrashJump, 1);
    try {
        if (crashed) {
            ADD_FAILURE() << "the session crashed (signal " << crashed << ")";
        } else {
            gCrashArmed = 1;
            if (!drawing.empty())
                h->loadDrawing(drawing, "drawing");
            h->loadScript(script, "session");
            h->runScript();
        }
    } catch (const SessionFailed &f) {
        const std::vector<std::string> &lines = h->trace.lines();
        std::string last;
        for (size_t i = lines.size() > 12 ? lines.size() - 12 : 0; i < lines.size(); ++i)
            last += "\n  " + lines[i];
        ADD_FAILURE() << "the session failed (exit status " << f.code << "): " << f.message
                      << "\nthe trace's last lines:" << last;
    }
    gCrashArmed = 0;
    for (int i = 0; i < 4; ++i)
        sigaction(kCrashSignals[i], &before[i], nullptr);
    return h;
}

std::vector<std::string> traceLines(const host::Host &h, const std::string &prefix)
{
    std::vector<std::string> out;
    for (const std::string &l : h.trace.lines()) {
        size_t b = l.find_first_not_of(' ');
        if (b != std::string::npos && l.compare(b, prefix.size(), prefix) == 0)
            out.push_back(l.substr(b));
    }
    return out;
}

std::string traceLine(const host::Host &h, const std::string &prefix, size_t i)
{
    std::vector<std::string> lines = traceLines(h, prefix);
    if (i < lines.size())
        return lines[i];
    ADD_FAILURE() << "the trace has " << lines.size() << " lines that start with '" << prefix << "', not " << i + 1;
    return "";
}

std::string settingLine(const std::string &section, const std::string &key, double value)
{
    std::ostringstream s;
    s.precision(17);
    s << "setting " << section << " " << key << " " << value << "\n";
    return s.str();
}

std::string scratchFile(const std::string &name, const std::string &text)
{
    mkdir("scratch", 0755);
    std::string path = "scratch/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    return path;
}

/* Runs a shell command; its exit status, or -1 when it did not exit. */
static int runCommand(const std::string &cmd)
{
#ifdef __EMSCRIPTEN__
    /* WebAssembly starts no processes: Node's child_process runs the command
       (NEROLIT_HOST_PROGRAM is then a script that runs nerolit-host.js). */
    return EM_ASM_INT({
        const r = require('child_process').spawnSync(UTF8ToString($0), {shell : true, stdio : 'inherit'});
        return r.status === null ? -1 : r.status;
    }, cmd.c_str());
#else
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

int runHostProgram(const std::string &arguments, std::string &err)
{
    // one file per test process: ctest runs tests in parallel, and under
    // emscripten every process has the same pid (42), so a random number
    // drawn once per process tells them apart
    static const std::string tag = std::to_string(getpid()) + "." + std::to_string(std::random_device{}());
    std::string errFile = scratchFile("stderr." + tag + ".txt", "");
    int code = runCommand(std::string(NEROLIT_HOST_PROGRAM) + " " + arguments + " 2>" + errFile);
    std::ifstream in(errFile);
    std::ostringstream s;
    s << in.rdbuf();
    err = s.str();
    return code;
}

} // namespace testing_support
