/*
 * ExitCodes.h - how nerolit-host ends a session that fails, for the scripts
 * and tests that run it.  Here, at the bottom of the host, because the
 * emulated runner ends a session from inside the emulator (a module fault)
 * as well as the host does.
 */
#ifndef NEROLIT_HOST_EXITCODES_H
#define NEROLIT_HOST_EXITCODES_H

namespace host {

constexpr int kExitBadInput = 2;    /* a malformed or unanswerable session line, an unreadable file */
constexpr int kExitModuleFault = 3; /* a trap, a guard-zone write, a hang */
constexpr int kExitNoModule = 4;    /* a module that cannot be loaded or lacks an export */

} // namespace host

#endif
