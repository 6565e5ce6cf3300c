/*
 * Imports.h - the Windows functions and data a module imports, implemented
 * by the host (Imports.cpp): only what the module file asks for.
 */
#ifndef NEROLIT_HOST_EMU_IMPORTS_H
#define NEROLIT_HOST_EMU_IMPORTS_H

#include <cstdint>
#include <string>

namespace host::emu {

class Runner;

/* The address the module's import of `name` from `dll` binds to (a thunk,
   or the data); 0 when the runner does not provide it. */
uint32_t importAddress(Runner &runner, const std::string &dll, const std::string &name);

} // namespace host::emu

#endif
