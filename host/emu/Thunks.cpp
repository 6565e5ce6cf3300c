/*
 * Thunks.cpp - the thunk page: its layout, and the table from a thunk's
 * address back to the host function it stands for.
 *
 *   +0x0000  eight bytes: a double result, loaded by the thunk's fld
 *   +0x0010  the return sentinel (hlt: never executed, the runner stops there)
 *   +0x0100  the GDT the runner sets up for FS
 *   +0x1000  thunks, 16 bytes each
 */
#include "host/emu/Thunks.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/mman.h>
#include <vector>

namespace host::emu {

namespace {

constexpr uint32_t kSentinelOffset = 0x10, kFirstThunk = 0x1000, kThunkBytes = 16;

std::vector<ThunkInfo> &table()
{
    static std::vector<ThunkInfo> t;
    return t;
}

uint8_t *page()
{
    static uint8_t *p = [] {
        void *m = mmap(hostPtr<void>(kThunkBase), kThunkSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (m != hostPtr<void>(kThunkBase)) {
            std::fprintf(stderr, "nerolit-host: cannot reserve the thunk page at 0x%08X\n", kThunkBase);
            std::exit(4);
        }
        uint8_t *b = static_cast<uint8_t *>(m);
        b[kSentinelOffset] = 0xF4; /* hlt */
        return b;
    }();
    return p;
}

} // namespace

uint32_t makeThunk(const ThunkInfo &info)
{
    static std::map<std::pair<void *, bool>, uint32_t> made;
    auto key = std::make_pair(info.fn, info.stdcall);
    auto found = made.find(key);
    if (found != made.end())
        return found->second;
    uint8_t *base = page();
    std::vector<ThunkInfo> &t = table();
    uint32_t offset = kFirstThunk + static_cast<uint32_t>(t.size()) * kThunkBytes;
    if (offset + kThunkBytes > kThunkSize) {
        std::fprintf(stderr, "nerolit-host: the thunk page is full\n");
        std::exit(4);
    }
    uint8_t *c = base + offset;
    *c++ = 0xCC; /* int3 */
    if (info.returnsDouble) {
        uint32_t at = doubleResultAddress();
        *c++ = 0xDD; /* fld qword [at] */
        *c++ = 0x05;
        std::memcpy(c, &at, 4);
        c += 4;
    }
    if (info.stdcall && info.argBytes) {
        *c++ = 0xC2; /* ret imm16 */
        std::memcpy(c, &info.argBytes, 2);
        c += 2;
    } else {
        *c++ = 0xC3;
    }
    t.push_back(info);
    made[key] = kThunkBase + offset;
    return kThunkBase + offset;
}

const ThunkInfo *thunkAt(uint32_t address)
{
    if (address < kThunkBase + kFirstThunk || address >= kThunkBase + kThunkSize)
        return nullptr;
    uint32_t offset = address - kThunkBase - kFirstThunk;
    if (offset % kThunkBytes)
        return nullptr;
    size_t i = offset / kThunkBytes;
    return i < table().size() ? &table()[i] : nullptr;
}

uint32_t sentinelAddress()
{
    page();
    return kThunkBase + kSentinelOffset;
}

uint32_t doubleResultAddress()
{
    page();
    return kThunkBase;
}

uint32_t visibleText(const void *p)
{
    if (!p)
        return 0;
    if (uint32_t g = guestAddr(p))
        return g;
    static std::string copies[4];
    static int next;
    std::string &s = copies[next++ % 4];
    s.assign(static_cast<const char *>(p));
    s.reserve(32); /* past the inline buffer: on the heap, where the module sees it */
    return guestAddr(s.c_str());
}

} // namespace host::emu
