/*
 * Runner.h - one 32-bit x86 module file running in the emulator (Unicorn 2):
 * loaded as Windows loads a DLL (map, relocate, bind imports, TLS, DllMain),
 * and called by its exports.  Calls nest: a host service the module called
 * may call the module again (a hook), on the same guest stack.
 *
 * Anything the module does that a Windows process would not survive, or that
 * the runner does not provide, ends the session as a module fault (exit 3,
 * or the host's fail hook): the message says what happened, at which module
 * address, and the nearest symbol (exports, or the COFF symbols of
 * MODULE.debug beside the file).
 */
#ifndef NEROLIT_HOST_EMU_RUNNER_H
#define NEROLIT_HOST_EMU_RUNNER_H

#include "host/emu/Pe.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>

struct uc_struct;

namespace host::emu {

class Runner {
public:
    /* Loads the module; nothing (and `error` says why) when the file cannot
       be read or is no 32-bit DLL.  Faults while it starts end the session. */
    static std::unique_ptr<Runner> load(const std::string &path, std::string &error);
    ~Runner();

    /* The address of an export, 0 when there is none. */
    uint32_t exportAddress(const std::string &name) const;

    /* Calls guest code at `address` with 32-bit arguments (pushed right to
       left); returns EAX.  Works for stdcall and cdecl alike (the stack is
       restored after the call). */
    uint32_t call(uint32_t address, std::initializer_list<uint32_t> args);

    /* Ends the session as a module fault: `what` at `address`, with the
       nearest symbol. */
    [[noreturn]] void fault(const std::string &what, uint32_t address) const;

    /* The module's image. */
    uint32_t base() const { return base_; }
    uint32_t size() const { return file_.imageSize; }
    const std::string &path() const { return path_; }

    /* "Nerolit.dll+0x1234 (Hatch+0x10)" */
    std::string describe(uint32_t address) const;

    /* For the imports: the engine, and the TEB's thread-local slots. */
    uc_struct *engine() const { return uc_; }
    uint32_t teb() const { return teb_; }

    static Runner *current(); /* the runner whose module is running or was loaded last */

private:
    Runner() = default;
    bool mapImage(std::string &error);
    void bindImports();
    void setUpThread();
    void startModule();
    [[noreturn]] void faultAtStop(int err);

    uc_struct *uc_ = nullptr;
    std::string path_;
    PeFile file_;
    uint32_t base_ = 0;
    uint8_t *image_ = nullptr;
    uint32_t teb_ = 0, stackTop_ = 0;
    std::map<std::string, uint32_t> exports_;
    std::map<uint32_t, std::string> symbols_; /* address -> name */
    int depth_ = 0;
    std::string running_; /* the export the host called, for messages */
    /* What stopped the emulator, set by the hooks (RunnerHooks). */
    int stopInterrupt_ = -1;      /* any other interrupt or exception */
    int stopMemType_ = 0;         /* an invalid memory access: its kind, */
    uint64_t stopMemAddress_ = 0; /* address */
    int stopMemSize_ = 0;         /* and size */
    friend struct RunnerHooks;
};

} // namespace host::emu

#endif
