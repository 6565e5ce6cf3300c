/*
 * Replay.cpp - nerolit-fuzz-replay, the session fuzzer's inputs played
 * without libFuzzer, in every Linux build:
 *
 *   nerolit-fuzz-replay [--write DIR] [--pending FILE] [--timeout SECONDS] PATH...
 *
 * Each PATH is an input file or a folder of them (its *.fuzz files, in name
 * order).  One line per input: "ok", "refused" (with the host's reason) or
 * "FINDING"; the status is 1 when there was a finding, 0 otherwise.
 * --pending names a list of inputs (one file name a line, # comments) that
 * are known to fail until a fix elsewhere is merged: they are skipped and
 * named.  --write writes each input down as plain files that nerolit-host
 * replays: DIR/NAME.session, NAME.drawing (or NAME.dxf), NAME.ini, and
 * NAME.status, the exit status nerolit-host must give (0 or 2), and
 * NAME.plain.fuzz, all of it as one input without bytes (a finding's
 * readable form, to be cut down into a regression input); a session that
 * kills the process is written down up to its last line first.  An
 * input that runs longer than the timeout (default 60 s) is a finding (a
 * hang).
 */
#include "tests/fuzz/FuzzSession.h"

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace {

std::atomic<long long> gStartedMs{0};
std::string gPlaying; /* the input playing now, for the watchdog's message */

long long nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void watchdog(int seconds)
{
#ifdef __EMSCRIPTEN__
    /* No threads in WebAssembly: the host itself checks the time at each
       service call there. */
    (void)seconds;
#else
    std::thread([seconds] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            long long started = gStartedMs.load();
            if (started != 0 && nowMs() - started > seconds * 1000LL) {
                fuzz::writeLiveSession();
                std::fprintf(stderr, "FINDING %s: the session ran for more than %d seconds (a hang)\n",
                             gPlaying.c_str(), seconds);
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    }).detach();
#endif
}

void onDeath() { fuzz::writeLiveSession(); }

void onSignal(int sig)
{
    fuzz::writeLiveSession();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

bool isFolder(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> inputsOf(const std::string &path)
{
    if (!isFolder(path))
        return {path};
    std::vector<std::string> files;
    DIR *d = opendir(path.c_str());
    if (!d) {
        std::fprintf(stderr, "%s: cannot read the folder: %s\n", path.c_str(), std::strerror(errno));
        std::exit(2);
    }
    errno = 0;  // readdir's end and its failure look alike but for errno
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".fuzz") == 0)
            files.push_back(path + "/" + name);
    }
    if (errno != 0) {  // a folder read half is a run that checked less than it says
        std::fprintf(stderr, "%s: reading the folder failed: %s\n", path.c_str(), std::strerror(errno));
        std::exit(2);
    }
    closedir(d);
    std::sort(files.begin(), files.end());
    return files;
}

std::string baseName(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::set<std::string> readPending(const std::string &path)
{
    std::set<std::string> names;
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "nerolit-fuzz-replay: %s: cannot read the pending list\n", path.c_str());
        std::exit(2);
    }
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        line.erase(0, line.find_first_not_of(" \t"));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        if (!line.empty())
            names.insert(line);
    }
    return names;
}

std::string firstLine(const std::string &s) { return s.substr(0, s.find('\n')); }

} // namespace

int main(int argc, char **argv)
{
    std::string writeDir, pendingFile;
    int timeout = 60;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--write" || a == "--pending" || a == "--timeout") && i + 1 < argc) {
            std::string v = argv[++i];
            if (a == "--write")
                writeDir = v;
            else if (a == "--pending")
                pendingFile = v;
            else
                timeout = std::max(1, std::atoi(v.c_str()));
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "usage: nerolit-fuzz-replay [--write DIR] [--pending FILE] [--timeout SECONDS] PATH...\n");
            return 2;
        } else {
            paths.push_back(a);
        }
    }
    std::set<std::string> pending = pendingFile.empty() ? std::set<std::string>() : readPending(pendingFile);
    if (!writeDir.empty())
        mkdir(writeDir.c_str(), 0755);
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(&onDeath);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(sig, &onSignal);
    watchdog(timeout);

    int played = 0, findings = 0;
    for (const std::string &path : paths) {
        for (const std::string &file : inputsOf(path)) {
            std::string name = baseName(file);
            if (pending.count(name)) {
                std::printf("pending  %s (known to fail until its fix is merged)\n", name.c_str());
                continue;
            }
            std::ifstream in(file, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "nerolit-fuzz-replay: %s: cannot read\n", file.c_str());
                return 2;
            }
            std::ostringstream s;
            s << in.rdbuf();
            std::string data = s.str();
            fuzz::PlayOptions options;
            std::string stem = name.size() > 5 && name.compare(name.size() - 5, 5, ".fuzz") == 0
                                   ? name.substr(0, name.size() - 5) : name;
            if (!writeDir.empty())
                options.writePrefix = writeDir + "/" + stem;
            gPlaying = name;
            gStartedMs = nowMs();
            fuzz::Played p = fuzz::playInput(reinterpret_cast<const uint8_t *>(data.data()), data.size(), options);
            gStartedMs = 0;
            ++played;
            if (!writeDir.empty())
                std::ofstream(options.writePrefix + ".status") << (p.verdict == fuzz::Verdict::Refused ? 2 : 0) << "\n";
            if (p.verdict == fuzz::Verdict::Finding) {
                ++findings;
                std::printf("FINDING  %s: %s\n", name.c_str(), p.message.c_str());
            } else if (p.verdict == fuzz::Verdict::Refused) {
                std::printf("refused  %s: %s\n", name.c_str(), firstLine(p.message).c_str());
            } else {
                std::printf("ok       %s (%d commands)\n", name.c_str(), p.commands);
            }
            std::fflush(stdout);
        }
    }
    std::printf("%d inputs played, %d findings\n", played, findings);
    return findings ? 1 : 0;
}
