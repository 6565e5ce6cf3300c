/*
 * GuestMemory.h - where the emulated 32-bit module and the 64-bit host meet.
 *
 * The decision: every byte the module can reach lives at the same address in
 * the host process and in the emulator, below 4 GiB.  The host's records
 * already hold 32-bit addresses (Records::putAddr, putSlot truncate the host
 * pointer), so the least invasive 64-bit host is one whose pointers into the
 * shared memory fit in 32 bits: this build replaces the process's malloc
 * (LowHeap.cpp) by one that allocates from a reserved region below 4 GiB,
 * and that whole region is mapped into the emulator with uc_mem_map_ptr onto
 * the very same host pages.  The module's image, its stack, its TEB and the
 * host's service thunks are mapped the same way.  A 32-bit address the module
 * passes to a service is then a valid host pointer after zero extension, and
 * a record address the host stores is valid for the module, so the service
 * code, the records and their guard-zone checks run unchanged.  The
 * alternative (explicit guest/host translation in every service that takes
 * a pointer) would have touched some forty services that the other builds
 * share.
 *
 * What the module may do to the shared memory is still limited by the
 * emulator's page protections: the module's code and read-only data and the
 * thunk page are not writable, nothing outside the mapped regions exists, and
 * the host heap is not executable.  Guard zones inside the records are checked
 * by the host's shadow comparison as in every other build.
 *
 * The addresses (fixed, so that every run lays out alike):
 *   0x7FF00000  thunks: one small piece of code per service slot and import,
 *               and the return sentinel; executable, not writable
 *   0x80000000  the host heap, 1.75 GiB (the module's own malloc too)
 * The module's image goes to its preferred base, or is relocated below
 * 0x7FF00000 when that is taken.
 */
#ifndef NEROLIT_HOST_EMU_GUESTMEMORY_H
#define NEROLIT_HOST_EMU_GUESTMEMORY_H

#include <cstdint>

namespace host::emu {

constexpr uint32_t kThunkBase = 0x7FF00000u;
constexpr uint32_t kThunkSize = 0x00100000u;
constexpr uint32_t kHeapBase = 0x80000000u;
constexpr uint32_t kHeapSize = 0x70000000u;

/* The host address of a 32-bit guest address (they are the same). */
template <class T = uint8_t> T *hostPtr(uint32_t guest)
{
    return reinterpret_cast<T *>(static_cast<uintptr_t>(guest));
}

/* The guest address of host memory below 4 GiB; 0 for memory the module
   cannot see (the host's stack and static data). */
uint32_t guestAddr(const void *p);

/* Makes sure the heap region exists (the first malloc does it too). */
void reserveLowHeap();

} // namespace host::emu

#endif
