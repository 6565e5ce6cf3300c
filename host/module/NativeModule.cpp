/*
 * NativeModule.cpp - the module linked into the 32-bit Linux host, listed
 * under the export names that the Windows host looks up in the DLL.
 */
#include "host/module/ModuleBinding.h"

extern "C" void HOST_STDCALL StartDLL(void *services, void *state);
extern "C" int32_t USA(void);
extern "C" int32_t USSR(void);
extern "C" void HOST_STDCALL Hatch(char *);
extern "C" void HOST_STDCALL kumo1(char *);
void HOST_STDCALL C66(char *);
void HOST_STDCALL VeC92(char *);

namespace host {

ModuleBinding nativeModule()
{
    ModuleBinding m;
    m.name = "Nerolit (linked)";
    m.start = &StartDLL;
    m.usa = &USA;
    m.ussr = &USSR;
    m.commands["?C66@@YGXPAD@Z"] = &C66;
    m.commands["Hatch"] = &Hatch;
    m.commands["kumo1"] = &kumo1;
    m.commands["?VeC92@@YGXPAD@Z"] = &VeC92;
    return m;
}

} // namespace host
