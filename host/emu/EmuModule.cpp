/*
 * EmuModule.cpp - a module file as the host binds it, in the emulated
 * runner: the same export names as the Windows build looks up, each bound
 * to a host function that calls the export in the emulator.  One module per
 * process (the host's binding holds plain function pointers).
 */
#include "host/emu/EmuModule.h"

#include "host/emu/GuestMemory.h"
#include "host/emu/Runner.h"

#include <cstring>
#include <memory>

namespace host::emu {

namespace {

/* Never destroyed: a session may end (exit) while the module runs. */
Runner *gModule;
uint32_t gAddress[9]; /* by the index in kExportNames */

/* A host pointer as the module's argument: the records are on the shared
   heap already; a text elsewhere (the command's argument on the host's
   stack) is copied there for the call. */
struct GuestText {
    char *copy = nullptr;
    uint32_t address = 0;
    explicit GuestText(void *p)
    {
        address = guestAddr(p);
        if (!address && p) {
            size_t n = std::strlen(static_cast<char *>(p)) + 1;
            copy = static_cast<char *>(std::malloc(n));
            std::memcpy(copy, p, n);
            address = guestAddr(copy);
        }
    }
    ~GuestText() { std::free(copy); }
};

void HOST_STDCALL start(void *services, void *state)
{
    gModule->call(gAddress[0], {guestAddr(services), guestAddr(state)});
}
int32_t usa() { return static_cast<int32_t>(gModule->call(gAddress[2], {})); }
int32_t ussr() { return static_cast<int32_t>(gModule->call(gAddress[3], {})); }
template <int I> void HOST_STDCALL command(char *argument)
{
    GuestText a(argument);
    gModule->call(gAddress[I], {a.address});
}

} // namespace

bool loadModuleFile(const std::string &path, ModuleBinding &out, std::string &error)
{
    if (path.empty()) {
        error = "no module file: this build of nerolit-host runs a module file given by --module DLL";
        return false;
    }
    delete gModule;
    gModule = nullptr;
    std::unique_ptr<Runner> r = Runner::load(path, error);
    if (!r)
        return false;
    for (int i = 0; i < 9; ++i)
        if (!(gAddress[i] = r->exportAddress(kExportNames[i]))) {
            error = path + ": the module has no export " + kExportNames[i];
            return false;
        }
    gModule = r.release();
    out.name = path;
    out.start = &start;
    out.usa = &usa;
    out.ussr = &ussr;
    ModuleBinding::CommandFn commands[] = {&command<5>, &command<6>, &command<7>, &command<8>};
    for (int i = 5; i < 9; ++i)
        out.commands[kExportNames[i]] = commands[i - 5];
    return true;
}

} // namespace host::emu
