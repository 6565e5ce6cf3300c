/*
 * LowHeap.cpp - the process's malloc in the emulated runner: every block comes
 * from one reserved region below 4 GiB (GuestMemory.h says why), which the
 * emulator maps onto the same pages.  glibc lets a program replace malloc by
 * defining these functions; operator new and the C library's own allocations
 * then land here too.
 *
 * Small blocks (up to 256 KiB) come in 96 size classes, each with a free list;
 * larger ones are runs of 64 KiB pieces kept in an address-ordered list of
 * free extents that coalesce, and their pages go back to the system when
 * freed.  New space is cut from one bump pointer.  One spin lock guards it
 * all: the host has one working thread and a sleeping watchdog.
 */
#include "host/emu/GuestMemory.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

/* Sits right before every payload. */
struct Header {
    uint64_t capacity; /* usable bytes from the payload on (aligned: unused) */
    uint32_t magic;
    uint32_t info; /* small: the class; aligned: the distance back to the block's payload */
};
static_assert(sizeof(Header) == 16);

constexpr uint32_t kSmall = 0x5A11B10Cu, kLarge = 0x1A26EB1Cu, kAligned = 0xA1167ED0u;
constexpr int kClasses = 96;
constexpr size_t kSmallLimit = 256 * 1024;
constexpr size_t kLargeUnit = 64 * 1024;
constexpr int kMaxExtents = 4096;

struct Extent {
    uintptr_t start, size;
};

std::atomic_flag gLock = ATOMIC_FLAG_INIT;
bool gReady;
uintptr_t gBump, gEnd;
void *gFree[kClasses];      /* each free block's payload holds the next one */
Extent gExtents[kMaxExtents]; /* free large extents, by address */
int gExtentCount;

struct Guard {
    Guard()
    {
        while (gLock.test_and_set(std::memory_order_acquire))
            sched_yield();
    }
    ~Guard() { gLock.clear(std::memory_order_release); }
};

void reserve()
{
    if (gReady)
        return;
    void *p = mmap(host::emu::hostPtr<void>(host::emu::kHeapBase), host::emu::kHeapSize, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE, -1, 0);
    if (p != host::emu::hostPtr<void>(host::emu::kHeapBase)) {
        static const char msg[] = "nerolit-host: cannot reserve the shared memory below 4 GiB\n";
        (void)!write(2, msg, sizeof msg - 1);
        _exit(4);
    }
    gBump = host::emu::kHeapBase;
    gEnd = gBump + host::emu::kHeapSize;
    gReady = true;
}

int classOf(size_t n)
{
    if (n <= 1024)
        return n == 0 ? 0 : static_cast<int>((n + 15) / 16 - 1);
    int p = 63 - __builtin_clzll(n - 1); /* n in (2^p, 2^(p+1)] */
    size_t step = size_t(1) << (p - 2);
    size_t rounded = (n + step - 1) / step * step;
    return 64 + (p - 10) * 4 + static_cast<int>(rounded / step - 5);
}

size_t classSize(int c)
{
    if (c < 64)
        return static_cast<size_t>(c + 1) * 16;
    int k = c - 64, p = 10 + k / 4;
    return static_cast<size_t>(5 + k % 4) << (p - 2);
}

uintptr_t bump(size_t bytes, size_t align)
{
    uintptr_t at = (gBump + align - 1) & ~(align - 1);
    if (at + bytes > gEnd || at + bytes < at)
        return 0;
    gBump = at + bytes;
    return at;
}

void *payloadOf(uintptr_t block) { return reinterpret_cast<void *>(block + sizeof(Header)); }
Header *headerOf(void *p) { return reinterpret_cast<Header *>(static_cast<char *>(p) - sizeof(Header)); }

void removeExtent(int i)
{
    std::memmove(&gExtents[i], &gExtents[i + 1], sizeof(Extent) * static_cast<size_t>(gExtentCount - i - 1));
    --gExtentCount;
}

void *allocLarge(size_t n)
{
    size_t bytes = (n + sizeof(Header) + kLargeUnit - 1) / kLargeUnit * kLargeUnit;
    if (bytes < n)
        return nullptr;
    int best = -1;
    for (int i = 0; i < gExtentCount; ++i)
        if (gExtents[i].size >= bytes && (best < 0 || gExtents[i].size < gExtents[best].size))
            best = i;
    uintptr_t block;
    if (best >= 0) {
        block = gExtents[best].start;
        gExtents[best].start += bytes;
        gExtents[best].size -= bytes;
        if (gExtents[best].size == 0)
            removeExtent(best);
    } else if (!(block = bump(bytes, kLargeUnit))) {
        return nullptr;
    }
    Header *h = reinterpret_cast<Header *>(block);
    h->capacity = bytes - sizeof(Header);
    h->magic = kLarge;
    h->info = 0;
    return payloadOf(block);
}

void freeLarge(Header *h)
{
    uintptr_t start = reinterpret_cast<uintptr_t>(h), size = h->capacity + sizeof(Header);
    madvise(h, size, MADV_DONTNEED); /* zero pages again, and no longer resident */
    int i = 0;
    while (i < gExtentCount && gExtents[i].start < start)
        ++i;
    if (i > 0 && gExtents[i - 1].start + gExtents[i - 1].size == start) {
        --i;
        gExtents[i].size += size;
    } else {
        if (gExtentCount == kMaxExtents)
            return; /* too fragmented to keep track: the space stays unused */
        std::memmove(&gExtents[i + 1], &gExtents[i], sizeof(Extent) * static_cast<size_t>(gExtentCount - i));
        gExtents[i] = {start, size};
        ++gExtentCount;
    }
    if (i + 1 < gExtentCount && gExtents[i].start + gExtents[i].size == gExtents[i + 1].start) {
        gExtents[i].size += gExtents[i + 1].size;
        removeExtent(i + 1);
    }
    if (gExtents[i].start + gExtents[i].size == gBump) {
        gBump = gExtents[i].start;
        removeExtent(i);
    }
}

void *allocate(size_t n)
{
    Guard g;
    reserve();
    if (n > kSmallLimit)
        return allocLarge(n);
    int c = classOf(n);
    if (void *p = gFree[c]) {
        std::memcpy(&gFree[c], p, sizeof(void *));
        return p;
    }
    size_t size = classSize(c);
    uintptr_t block = bump(size + sizeof(Header), 16);
    if (!block)
        return nullptr;
    Header *h = reinterpret_cast<Header *>(block);
    h->capacity = size;
    h->magic = kSmall;
    h->info = static_cast<uint32_t>(c);
    return payloadOf(block);
}

/* The block a payload pointer belongs to (an aligned payload leads back). */
void *blockPayload(void *p)
{
    Header *h = headerOf(p);
    if (h->magic == kAligned)
        return static_cast<char *>(p) - h->info;
    return p;
}

void release(void *p)
{
    if (!p)
        return;
    Guard g;
    p = blockPayload(p);
    Header *h = headerOf(p);
    if (h->magic == kSmall) {
        std::memcpy(p, &gFree[h->info], sizeof(void *));
        gFree[h->info] = p;
    } else if (h->magic == kLarge) {
        freeLarge(h);
    } else {
        static const char msg[] = "nerolit-host: free() of memory the host's heap did not give out\n";
        (void)!write(2, msg, sizeof msg - 1);
        abort();
    }
}

size_t usable(void *p)
{
    void *b = blockPayload(p);
    return headerOf(b)->capacity - static_cast<size_t>(static_cast<char *>(p) - static_cast<char *>(b));
}

void *allocateAligned(size_t align, size_t n)
{
    if (align <= 16)
        return allocate(n);
    if (align & (align - 1))
        return nullptr;
    char *b = static_cast<char *>(allocate(n + align + sizeof(Header)));
    if (!b)
        return nullptr;
    uintptr_t at = (reinterpret_cast<uintptr_t>(b) + sizeof(Header) + align - 1) & ~(align - 1);
    Header *h = reinterpret_cast<Header *>(at - sizeof(Header));
    h->capacity = 0;
    h->magic = kAligned;
    h->info = static_cast<uint32_t>(at - reinterpret_cast<uintptr_t>(b));
    return reinterpret_cast<void *>(at);
}

} // namespace

namespace host::emu {

uint32_t guestAddr(const void *p)
{
    uintptr_t v = reinterpret_cast<uintptr_t>(p);
    return v >> 32 ? 0 : static_cast<uint32_t>(v);
}

void reserveLowHeap()
{
    Guard g;
    reserve();
}

} // namespace host::emu

extern "C" {

void *malloc(size_t n)
{
    void *p = allocate(n);
    if (!p)
        errno = ENOMEM;
    return p;
}

void free(void *p) { release(p); }

void *calloc(size_t count, size_t size)
{
    size_t n;
    if (__builtin_mul_overflow(count, size, &n)) {
        errno = ENOMEM;
        return nullptr;
    }
    void *p = malloc(n);
    if (p)
        std::memset(p, 0, n);
    return p;
}

void *realloc(void *p, size_t n)
{
    if (!p)
        return malloc(n);
    if (n == 0) {
        free(p);
        return nullptr;
    }
    size_t have = usable(p);
    if (n <= have)
        return p;
    void *q = malloc(n);
    if (q) {
        std::memcpy(q, p, have);
        free(p);
    }
    return q;
}

void *memalign(size_t align, size_t n)
{
    void *p = allocateAligned(align, n);
    if (!p)
        errno = align & (align - 1) ? EINVAL : ENOMEM;
    return p;
}

void *aligned_alloc(size_t align, size_t n) { return memalign(align, n); }

int posix_memalign(void **out, size_t align, size_t n)
{
    if (align < sizeof(void *) || (align & (align - 1)))
        return EINVAL;
    void *p = allocateAligned(align, n);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}

void *valloc(size_t n) { return memalign(4096, n); }
void *pvalloc(size_t n) { return memalign(4096, (n + 4095) & ~size_t(4095)); }
size_t malloc_usable_size(void *p) { return p ? usable(p) : 0; }

} // extern "C"
