/*
 * ModuleBinding.h - how the reference host reaches a module: the exported entry
 * points, found by their export names.  On Windows they come from the DLL
 * through LoadLibrary and GetProcAddress; in the 32-bit Linux build the
 * module's sources are linked in and nativeModule() lists them.
 */
#ifndef NEROLIT_HOST_MODULEBINDING_H
#define NEROLIT_HOST_MODULEBINDING_H

#include <cstdint>
#include <map>
#include <string>

#define HOST_STDCALL __attribute__((stdcall))

namespace host {

struct ModuleBinding {
    using StartFn = void(HOST_STDCALL *)(void *services, void *state);
    using CommandFn = void(HOST_STDCALL *)(char *unused);
    using HookFn = int32_t (*)(void);

    std::string name; /* shown in messages */
    /* EndDLL and UDRAW must be exported (a module without them does not
       load), but the reference host calls neither: it never unloads the
       module while a session plays, and redraws only what the services
       drew.  Both do nothing in Nerolit. */
    StartFn start = nullptr;
    HookFn usa = nullptr;
    HookFn ussr = nullptr;
    std::map<std::string, CommandFn> commands; /* by export name */
};

/* Where a binding that watches the module's code (the emulated runner)
   reports a fault it caught: the host that binds a module sets it to end
   the session its way (Host::fail); unset, the binding writes the message
   to standard error and ends the process with kExitModuleFault. */
extern void (*gModuleFault)(const std::string &message);

/* The export names the host looks up, in the order it looks them up. */
extern const char *const kExportNames[9];

/* The module linked into this program (32-bit Linux builds). */
ModuleBinding nativeModule();

/* Loads a module file; on failure returns false with a reason (the file
   cannot be loaded, or an expected export is missing). */
bool loadModuleFile(const std::string &path, ModuleBinding &out, std::string &error);

} // namespace host

#endif
