/*
 * EmuModule.h - loading a module file into the emulated runner and binding
 * its exports for the host (the emulated build's loadModuleFile).
 */
#ifndef NEROLIT_HOST_EMU_EMUMODULE_H
#define NEROLIT_HOST_EMU_EMUMODULE_H

#include "host/module/ModuleBinding.h"

namespace host::emu {

bool loadModuleFile(const std::string &path, ModuleBinding &out, std::string &error);

} // namespace host::emu

#endif
