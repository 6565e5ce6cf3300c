/*
 * ModuleFile.cpp - the export names, and loading a module file.  Only the
 * Windows build loads modules from files, and so does the emulated runner
 * (host/emu); the 32-bit Linux build links them.
 */
#include "host/module/ModuleBinding.h"

#ifdef _WIN32
#include <windows.h>
#endif
#ifdef NEROLIT_EMU
#include "host/emu/EmuModule.h"
#endif

namespace host {

void (*gModuleFault)(const std::string &message) = nullptr;

const char *const kExportNames[9] = {"StartDLL", "EndDLL", "USA", "USSR", "UDRAW",
                                     "?C66@@YGXPAD@Z", "Hatch", "kumo1", "?VeC92@@YGXPAD@Z"};

bool loadModuleFile(const std::string &path, ModuleBinding &out, std::string &error)
{
#ifdef _WIN32
    HMODULE m = LoadLibraryA(path.c_str());
    if (!m) {
        error = path + ": cannot load the module (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    out.name = path;
    for (const char *name : kExportNames) {
        void *p = reinterpret_cast<void *>(GetProcAddress(m, name));
        if (!p) {
            error = path + ": the module has no export " + name;
            return false;
        }
        std::string n = name;
        if (n == "StartDLL")
            out.start = reinterpret_cast<ModuleBinding::StartFn>(p);
        else if (n == "USA")
            out.usa = reinterpret_cast<ModuleBinding::HookFn>(p);
        else if (n == "USSR")
            out.ussr = reinterpret_cast<ModuleBinding::HookFn>(p);
        else if (n != "EndDLL" && n != "UDRAW")
            out.commands[n] = reinterpret_cast<ModuleBinding::CommandFn>(p);
    }
    return true;
#elif defined(NEROLIT_EMU)
    return emu::loadModuleFile(path, out, error);
#else
    (void)out;
    error = path + ": this build of the host links its module and loads no module files";
    return false;
#endif
}

} // namespace host
