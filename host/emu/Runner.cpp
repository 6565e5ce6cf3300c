/*
 * Runner.cpp - loading and calling a module in Unicorn.  At a thunk's int3
 * the interrupt hook calls the host function right there, inside the
 * emulation: stopping and restarting the emulator costs some 4 us a call,
 * the hook some 60 ns, and a hatch pass makes a quarter of a million service
 * calls.  A host function that calls the module again (a hook, _initterm)
 * starts a nested emulation from inside the hook, which Unicorn 2 allows;
 * the outer call's EIP and ESP are put back afterwards.  So a session may end
 * (Host::fail, exit) from inside the emulator: the runner is never destroyed
 * at exit, and a fail hook must not throw through the emulator's frames
 * (the host program's does not; only the in-process tests set one).
 */
#include "host/emu/Runner.h"

#include "host/module/ExitCodes.h"
#include "host/module/ModuleBinding.h"
#include "host/emu/Imports.h"
#include "host/emu/Thunks.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/mman.h>
#include <unicorn/unicorn.h>

namespace host::emu {

namespace {

constexpr uint32_t kStackSize = 0x00800000u;               /* 8 MiB, as the native build's thread */
constexpr uint32_t kStackBase = kThunkBase - kStackSize;    /* below it, an unmapped gap */
constexpr uint32_t kGdtOffset = 0x100;
constexpr uint16_t kCodeSel = 0x08, kDataSel = 0x10, kFsSel = 0x18;

Runner *gCurrent;

std::string hex(uint64_t v)
{
    char b[24];
    std::snprintf(b, sizeof b, "0x%08llX", static_cast<unsigned long long>(v));
    return b;
}

uint8_t *stackMemory()
{
    static uint8_t *s = [] {
        void *m = mmap(hostPtr<void>(kStackBase), kStackSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE, -1, 0);
        if (m != hostPtr<void>(kStackBase)) {
            std::fprintf(stderr, "nerolit-host: cannot reserve the module's stack at %s\n", hex(kStackBase).c_str());
            std::exit(kExitNoModule);
        }
        return static_cast<uint8_t *>(m);
    }();
    return s;
}

/* A flat 4 GiB segment, or the one page of the TEB for FS. */
uint64_t descriptor(uint32_t base, uint32_t limitPages, bool code)
{
    uint64_t d = limitPages & 0xFFFF;
    d |= uint64_t(base & 0xFFFFFF) << 16;
    uint64_t access = 0x80 /* present */ | 0x10 /* code or data */ | (code ? 0x0A : 0x02) | 0x01;
    d |= access << 40;
    d |= uint64_t((limitPages >> 16) & 0xF) << 48;
    d |= uint64_t(0xC) << 52; /* 4 KiB granules, 32-bit */
    d |= uint64_t(base >> 24) << 56;
    return d;
}

uint32_t reg(uc_engine *uc, int r)
{
    uint32_t v = 0;
    uc_reg_read(uc, r, &v);
    return v;
}

void setReg(uc_engine *uc, int r, uint32_t v) { uc_reg_write(uc, r, &v); }

int ucProt(uint32_t characteristics)
{
    int p = 0;
    if (characteristics & 0x40000000u)
        p |= UC_PROT_READ;
    if (characteristics & 0x80000000u)
        p |= UC_PROT_WRITE | UC_PROT_READ;
    if (characteristics & 0x20000000u)
        p |= UC_PROT_EXEC | UC_PROT_READ;
    return p;
}

const char *accessName(int type)
{
    switch (type) {
    case UC_MEM_READ_UNMAPPED: return "read from unmapped address";
    case UC_MEM_WRITE_UNMAPPED: return "write to unmapped address";
    case UC_MEM_FETCH_UNMAPPED: return "jump to unmapped address";
    case UC_MEM_WRITE_PROT: return "write to write-protected address";
    case UC_MEM_READ_PROT: return "read from read-protected address";
    case UC_MEM_FETCH_PROT: return "jump to non-executable address";
    default: return "invalid memory access at";
    }
}

} // namespace

struct RunnerHooks {
    static void interrupt(uc_engine *uc, uint32_t intno, void *user)
    {
        Runner *r = static_cast<Runner *>(user);
        uint32_t eip = reg(uc, UC_X86_REG_EIP);
        const ThunkInfo *t = intno == 3 ? thunkAt(eip - 1) : nullptr;
        if (!t) {
            r->stopInterrupt_ = static_cast<int>(intno);
            uc_emu_stop(uc);
            return;
        }
        uint32_t sp = reg(uc, UC_X86_REG_ESP), eax = reg(uc, UC_X86_REG_EAX);
        double st0 = 0;
        t->invoke(t->fn, hostPtr(sp + 4), eax, st0);
        if (t->returnsDouble)
            std::memcpy(hostPtr(doubleResultAddress()), &st0, 8);
        setReg(uc, UC_X86_REG_EAX, eax);
    }

    static bool memory(uc_engine *, uc_mem_type type, uint64_t address, int size, int64_t, void *user)
    {
        Runner *r = static_cast<Runner *>(user);
        r->stopMemType_ = type;
        r->stopMemAddress_ = address;
        r->stopMemSize_ = size;
        return false;
    }
};

Runner *Runner::current() { return gCurrent; }

std::unique_ptr<Runner> Runner::load(const std::string &path, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot read the module file";
        return nullptr;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::unique_ptr<Runner> r(new Runner());
    r->path_ = path;
    if (std::optional<std::string> e = r->file_.parse(std::move(bytes))) {
        error = path + ": " + *e;
        return nullptr;
    }
    if (uc_open(UC_ARCH_X86, UC_MODE_32, &r->uc_) != UC_ERR_OK) {
        error = path + ": the emulator cannot start";
        return nullptr;
    }
    reserveLowHeap();
    uint8_t *thunks = hostPtr(doubleResultAddress());
    uc_mem_map_ptr(r->uc_, kThunkBase, kThunkSize, UC_PROT_READ | UC_PROT_EXEC, thunks);
    uc_mem_map_ptr(r->uc_, kHeapBase, kHeapSize, UC_PROT_READ | UC_PROT_WRITE, hostPtr<void>(kHeapBase));
    uc_mem_map_ptr(r->uc_, kStackBase, kStackSize, UC_PROT_READ | UC_PROT_WRITE, stackMemory());
    if (!r->mapImage(error))
        return nullptr;
    uc_hook h;
    uc_hook_add(r->uc_, &h, UC_HOOK_INTR, reinterpret_cast<void *>(&RunnerHooks::interrupt), r.get(), 1, 0);
    uc_hook_add(r->uc_, &h, UC_HOOK_MEM_INVALID, reinterpret_cast<void *>(&RunnerHooks::memory), r.get(), 1, 0);
    gCurrent = r.get();
    r->setUpThread();
    r->bindImports();
    r->startModule();
    return r;
}

Runner::~Runner()
{
    if (uc_)
        uc_close(uc_);
    if (image_)
        munmap(image_, (file_.imageSize + 0xFFFu) & ~0xFFFu);
    if (gCurrent == this)
        gCurrent = nullptr;
}

bool Runner::mapImage(std::string &error)
{
    uint32_t size = (file_.imageSize + 0xFFFu) & ~0xFFFu;
    /* The preferred base, else the first free place below the stack that
       the relocations allow. */
    std::vector<uint32_t> bases{file_.imageBase};
    if (file_.hasRelocations())
        for (uint32_t b = 0x10000000u; b + size <= kStackBase; b += 0x01000000u)
            bases.push_back(b);
    for (uint32_t b : bases) {
        if (b < 0x00010000u || uint64_t(b) + size > kStackBase)
            continue;
        void *m = mmap(hostPtr<void>(b), size, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (m == hostPtr<void>(b)) {
            image_ = static_cast<uint8_t *>(m);
            base_ = b;
            break;
        }
        if (m != MAP_FAILED)
            munmap(m, size);
    }
    if (!image_) {
        error = path_ + ": no room for the module's image (" + hex(size) + " bytes) below " + hex(kStackBase);
        return false;
    }
    if (std::optional<std::string> e = file_.place(image_, base_)) {
        error = path_ + ": " + *e;
        return false;
    }
    uc_mem_map_ptr(uc_, base_, size, UC_PROT_READ, image_);
    for (const PeSection &s : file_.sections) {
        uint32_t first = s.rva & ~0xFFFu, end = (s.rva + std::max(s.virtualSize, s.rawSize) + 0xFFFu) & ~0xFFFu;
        if (end > first)
            uc_mem_protect(uc_, base_ + first, end - first, ucProt(s.characteristics));
    }
    for (const auto &e : file_.exports())
        exports_[e.first] = base_ + e.second;
    auto addSymbols = [this](const PeFile &f) {
        for (const auto &s : f.symbols())
            symbols_[base_ + s.first] = s.second;
    };
    addSymbols(file_);
    std::ifstream debug(path_ + ".debug", std::ios::binary);
    if (debug) {
        PeFile d;
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(debug)), std::istreambuf_iterator<char>());
        if (!d.parse(std::move(bytes)))
            addSymbols(d);
    }
    for (const auto &e : exports_)
        symbols_.emplace(e.second, e.first);
    return true;
}

void Runner::setUpThread()
{
    /* TEB: the SEH chain's end, the stack, itself, the TLS pointer, the PEB. */
    uint8_t *teb = static_cast<uint8_t *>(aligned_alloc(4096, 8192));
    std::memset(teb, 0, 8192);
    teb_ = guestAddr(teb);
    uint32_t words[][2] = {{0x00, 0xFFFFFFFFu}, {0x04, kStackBase + kStackSize}, {0x08, kStackBase},
                           {0x18, teb_}, {0x30, teb_ + 4096}};
    for (auto &w : words)
        std::memcpy(teb + w[0], &w[1], 4);
    uint64_t *gdt = reinterpret_cast<uint64_t *>(hostPtr(doubleResultAddress()) + kGdtOffset);
    gdt[0] = 0;
    gdt[1] = descriptor(0, 0xFFFFF, true);
    gdt[2] = descriptor(0, 0xFFFFF, false);
    gdt[3] = descriptor(teb_, 0, false);
    uc_x86_mmr gdtr{};
    gdtr.base = kThunkBase + kGdtOffset;
    gdtr.limit = 4 * 8 - 1;
    uc_reg_write(uc_, UC_X86_REG_GDTR, &gdtr);
    int sels[][2] = {{UC_X86_REG_SS, kDataSel}, {UC_X86_REG_CS, kCodeSel}, {UC_X86_REG_DS, kDataSel},
                     {UC_X86_REG_ES, kDataSel}, {UC_X86_REG_GS, kDataSel}, {UC_X86_REG_FS, kFsSel}};
    for (auto &s : sels)
        uc_reg_write(uc_, s[0], &s[1]);
    stackTop_ = kStackBase + kStackSize - 16;
    setReg(uc_, UC_X86_REG_ESP, stackTop_);
}

void Runner::bindImports()
{
    for (const PeImport &imp : file_.imports()) {
        uint32_t a = importAddress(*this, imp.dll, imp.name);
        if (!a)
            fault("the module imports " + (imp.name.empty() ? "ordinal " + std::to_string(imp.ordinal) : imp.name) +
                      " from " + imp.dll + ", which this runner does not provide (" + path_ + ")",
                  0);
        std::memcpy(image_ + imp.iatRva, &a, 4);
    }
}

void Runner::startModule()
{
    if (std::optional<PeTls> t = file_.tls()) {
        uint32_t delta = base_ - file_.imageBase;
        uint32_t dataSize = t->endVa - t->startVa, total = dataSize + t->zeroFill;
        uint8_t *block = static_cast<uint8_t *>(calloc(1, total + 16));
        if (dataSize && t->startVa)
            std::memcpy(block, hostPtr(t->startVa + delta), dataSize);
        uint32_t *slots = static_cast<uint32_t *>(calloc(64, 4));
        slots[0] = guestAddr(block);
        uint32_t slotsAddr = guestAddr(slots);
        std::memcpy(hostPtr(teb_) + 0x2C, &slotsAddr, 4);
        if (t->indexVa) {
            uint32_t zero = 0;
            std::memcpy(hostPtr(t->indexVa + delta), &zero, 4);
        }
        if (t->callbacksVa)
            for (uint32_t at = t->callbacksVa + delta;; at += 4) {
                uint32_t cb;
                std::memcpy(&cb, hostPtr(at), 4);
                if (!cb)
                    break;
                call(cb, {base_, 1, 0});
            }
    }
    if (file_.entryRva && call(base_ + file_.entryRva, {base_, 1 /* DLL_PROCESS_ATTACH */, 0}) == 0)
        fault("the module's DllMain refused to load (returned FALSE)", base_ + file_.entryRva);
}

uint32_t Runner::exportAddress(const std::string &name) const
{
    auto e = exports_.find(name);
    return e == exports_.end() ? 0 : e->second;
}

uint32_t Runner::call(uint32_t address, std::initializer_list<uint32_t> args)
{
    Runner *outer = gCurrent;
    gCurrent = this;
    bool nested = depth_ > 0;
    uint32_t esp0 = nested ? reg(uc_, UC_X86_REG_ESP) : stackTop_;
    struct Depth {
        Runner *r, *outer;
        uint32_t esp, eip;
        bool nested;
        ~Depth()
        {
            --r->depth_;
            setReg(r->uc_, UC_X86_REG_ESP, esp);
            if (nested)
                setReg(r->uc_, UC_X86_REG_EIP, eip); /* where the outer emulation goes on */
            gCurrent = outer;
        }
    } depth{this, outer, esp0, nested ? reg(uc_, UC_X86_REG_EIP) : 0, nested};
    if (!nested) {
        running_.clear();
        for (const auto &e : exports_)
            if (e.second == address)
                running_ = e.first;
    }
    ++depth_;
    uint32_t esp = esp0;
    std::vector<uint32_t> a(args);
    for (auto i = a.rbegin(); i != a.rend(); ++i) {
        esp -= 4;
        std::memcpy(hostPtr(esp), &*i, 4);
    }
    esp -= 4;
    uint32_t sentinel = sentinelAddress();
    std::memcpy(hostPtr(esp), &sentinel, 4);
    setReg(uc_, UC_X86_REG_ESP, esp);
    uint32_t eip = address;
    stopInterrupt_ = -1;
    stopMemType_ = 0;
    uc_err err = uc_emu_start(uc_, eip, sentinel, 0, 0);
    eip = reg(uc_, UC_X86_REG_EIP);
    if (err != UC_ERR_OK || stopInterrupt_ >= 0 || stopMemType_)
        faultAtStop(err);
    if (eip != sentinel)
        fault("the emulation stopped unexpectedly", eip);
    return reg(uc_, UC_X86_REG_EAX);
}

void Runner::faultAtStop(int err)
{
    uint32_t eip = reg(uc_, UC_X86_REG_EIP);
    if (stopMemType_) {
        std::string what = std::string(accessName(stopMemType_)) + " " + hex(stopMemAddress_);
        if (stopMemType_ == UC_MEM_FETCH_UNMAPPED || stopMemType_ == UC_MEM_FETCH_PROT) {
            uint32_t ret = 0;
            uint32_t esp = reg(uc_, UC_X86_REG_ESP);
            if (esp >= kStackBase && esp + 4 <= kStackBase + kStackSize)
                std::memcpy(&ret, hostPtr(esp), 4);
            fault(what + ", called from the instruction before", ret);
        }
        fault(what + " (" + std::to_string(stopMemSize_) + " bytes)", eip);
    }
    if (stopInterrupt_ >= 0) {
        static const char *const names[] = {"division by zero", "debug trap", "NMI", "breakpoint", "overflow",
                                            "bound range exceeded", "invalid instruction", "no FPU",
                                            "double fault", "", "invalid TSS", "segment not present",
                                            "stack fault", "general protection fault", "page fault"};
        std::string n = stopInterrupt_ < 15 && names[stopInterrupt_][0] ? names[stopInterrupt_]
                                                                           : "interrupt " + std::to_string(stopInterrupt_);
        /* int n and int3 leave EIP after the instruction; faults at it. */
        fault(n, stopInterrupt_ == 3 ? eip - 1 : eip);
    }
    if (err == UC_ERR_INSN_INVALID)
        fault("an instruction the emulator refuses", eip);
    fault(std::string("the emulator stopped: ") + uc_strerror(static_cast<uc_err>(err)), eip);
}

std::string Runner::describe(uint32_t address) const
{
    if (const ThunkInfo *t = thunkAt(address))
        return hex(address) + " (the host's " + t->name + ")";
    if (address < base_ || address >= base_ + file_.imageSize)
        return hex(address);
    std::string name = path_.substr(path_.find_last_of("/\\") + 1);
    char b[64];
    std::snprintf(b, sizeof b, "%s (%s+0x%X", hex(address).c_str(), name.c_str(), address - base_);
    std::string out = b;
    auto s = symbols_.upper_bound(address);
    if (s != symbols_.begin()) {
        --s;
        std::snprintf(b, sizeof b, "+0x%X", address - s->first);
        out += ", " + s->second + (address == s->first ? "" : b);
    }
    return out + ")";
}

void Runner::fault(const std::string &what, uint32_t address) const
{
    std::string message = "module fault: " + what + (address ? " at " + describe(address) : std::string()) +
                          (depth_ > 0 && !running_.empty() ? " (while " + running_ + " ran)" : std::string());
    if (gModuleFault)
        gModuleFault(message);
    std::fflush(stdout);
    std::fprintf(stderr, "nerolit-host: %s\n", message.c_str());
    std::exit(kExitModuleFault);
}

} // namespace host::emu
