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
    using VoidFn = void (*)(void);

    std::string name; /* shown in messages */
    StartFn start = nullptr;
    VoidFn end = nullptr;
    HookFn usa = nullptr;
    HookFn ussr = nullptr;
    VoidFn udraw = nullptr;
    std::map<std::string, CommandFn> commands; /* by export name */
};

/* The export names the host looks up, in the order it looks them up. */
extern const char *const kExportNames[9];

/* The module linked into this program (32-bit Linux builds). */
ModuleBinding nativeModule();

/* Loads a module file; on failure returns false with a reason (the file
   cannot be loaded, or an expected export is missing). */
bool loadModuleFile(const std::string &path, ModuleBinding &out, std::string &error);

} // namespace host

#endif
