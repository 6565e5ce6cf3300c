// TestHost.cpp - helpers for the tests.
#include "tests/support/TestHost.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace testing_support {

std::unique_ptr<host::Host> play(const std::string &script, const std::string &drawing, host::HostOptions options)
{
    auto h = std::make_unique<host::Host>(host::nativeModule(), options);
    if (!drawing.empty())
        h->loadDrawing(drawing, "drawing");
    h->loadScript(script, "session");
    h->runScript();
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

int runHostProgram(const std::string &arguments, std::string &err)
{
    // one file per test process: ctest runs tests in parallel
    std::string errFile = scratchFile("stderr." + std::to_string(getpid()) + ".txt", "");
    std::string cmd = std::string(NEROLIT_HOST_PROGRAM) + " " + arguments + " 2>" + errFile;
#ifdef __EMSCRIPTEN__
    /* WebAssembly starts no processes: Node's child_process runs the command
       (NEROLIT_HOST_PROGRAM is then a script that runs nerolit-host.js). */
    int code = EM_ASM_INT({
        const r = require('child_process').spawnSync(UTF8ToString($0), {shell : true, stdio : 'inherit'});
        return r.status === null ? -1 : r.status;
    }, cmd.c_str());
    std::ifstream in(errFile);
    std::ostringstream s;
    s << in.rdbuf();
    err = s.str();
    return code;
#else
    int status = std::system(cmd.c_str());
    std::ifstream in(errFile);
    std::ostringstream s;
    s << in.rdbuf();
    err = s.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace testing_support
