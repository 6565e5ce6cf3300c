/*
 * Imports.cpp - KERNEL32 and msvcrt as far as a module built by MinGW for the
 * CAD host uses them: its C runtime's start-up (critical sections, TLS,
 * _initterm, the pseudo-relocations' VirtualQuery/VirtualProtect), the
 * memory and string functions, and error output.  Each behaves as Windows
 * does for the calls such a module makes; the machine is a Japanese one, so
 * the ANSI code page is 932.  Names the runner does not know stay unbound:
 * loading fails with the name (Runner::bindImports), and GetProcAddress
 * answers NULL as Windows does for a missing function.
 */
#include "host/emu/Imports.h"

#include "host/text/Cp932Table.h"
#include "host/emu/Runner.h"
#include "host/emu/Thunks.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>
#include <unicorn/unicorn.h>

namespace host::emu {

namespace {

#define WINAPI __attribute__((stdcall))

uint32_t gLastError;

/* Data the module can see: on the heap, made once. */
template <class T> T *guestData(size_t count = 1)
{
    return static_cast<T *>(calloc(count, sizeof(T)));
}

const char *guestText(const char *text)
{
    static std::map<std::string, char *> made;
    char *&p = made[text];
    if (!p) {
        p = guestData<char>(std::strlen(text) + 1);
        std::strcpy(p, text);
    }
    return p;
}

/* Pseudo handles for the system DLLs (inside the thunk page: readable, never
   mistaken for the module). */
constexpr uint32_t kKernel32 = kThunkBase + 0x200, kMsvcrt = kThunkBase + 0x210;

std::string lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (s.size() < 4 || s.substr(s.size() - 4) != ".dll")
        s += ".dll";
    return s;
}

uint32_t systemHandle(const std::string &name)
{
    std::string n = lower(name);
    return n == "kernel32.dll" ? kKernel32 : n == "msvcrt.dll" ? kMsvcrt : 0;
}

[[noreturn]] void runtimeFault(const std::string &what)
{
    Runner *r = Runner::current();
    uint32_t ret = 0;
    if (r) {
        uint32_t esp = 0;
        uc_reg_read(r->engine(), UC_X86_REG_ESP, &esp);
        std::memcpy(&ret, hostPtr(esp), 4);
        r->fault(what, ret);
    }
    std::fprintf(stderr, "nerolit-host: module fault: %s\n", what.c_str());
    std::exit(3);
}

bool isCp932(uint32_t cp) { return cp == 0 || cp == 3 || cp == 932; } /* CP_ACP, CP_THREAD_ACP */

bool leadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

/* --- KERNEL32 ------------------------------------------------------------ */

void WINAPI DeleteCriticalSection(void *) {}
void WINAPI EnterCriticalSection(void *) {}
void WINAPI LeaveCriticalSection(void *) {}
void WINAPI InitializeCriticalSection(void *cs) { std::memset(cs, 0, 24); }
int32_t WINAPI DisableThreadLibraryCalls(uint32_t) { return 1; }
int32_t WINAPI FreeLibrary(uint32_t) { return 1; }
uint32_t WINAPI GetLastError() { return gLastError; }

uint32_t WINAPI GetModuleHandleA(const char *name)
{
    if (!name)
        return kKernel32 + 0x20; /* the process: nothing the module reads */
    uint32_t h = systemHandle(name);
    if (!h) {
        Runner *r = Runner::current();
        std::string self = r ? r->path().substr(r->path().find_last_of("/\\") + 1) : "";
        if (r && lower(name) == lower(self))
            return r->base();
        gLastError = 126; /* ERROR_MOD_NOT_FOUND */
    }
    return h;
}

uint32_t WINAPI GetModuleHandleW(const uint16_t *name)
{
    if (!name)
        return GetModuleHandleA(nullptr);
    std::string n;
    for (; *name; ++name)
        n += *name < 0x80 ? static_cast<char>(*name) : '?';
    return GetModuleHandleA(n.c_str());
}

uint32_t WINAPI LoadLibraryA(const char *name)
{
    uint32_t h = name ? GetModuleHandleA(name) : 0;
    if (!h)
        gLastError = 126;
    return h;
}

uint32_t WINAPI GetProcAddress(uint32_t module, const char *name)
{
    Runner *r = Runner::current();
    uint32_t a = 0;
    if (reinterpret_cast<uintptr_t>(name) < 0x10000)
        a = 0; /* by ordinal: none of ours */
    else if (r && module == r->base())
        a = r->exportAddress(name);
    else if (module == kKernel32 && r)
        a = importAddress(*r, "KERNEL32.dll", name);
    else if (module == kMsvcrt && r)
        a = importAddress(*r, "msvcrt.dll", name);
    if (!a)
        gLastError = 127; /* ERROR_PROC_NOT_FOUND */
    return a;
}

int32_t WINAPI IsDBCSLeadByteEx(uint32_t codePage, uint32_t byte)
{
    return isCp932(codePage) && leadByte(static_cast<uint8_t>(byte)) ? 1 : 0;
}

uint16_t decodeSingle(uint8_t b) { return b < 0x80 ? b : host::kCp932Single[b - 0x80]; }

int32_t WINAPI MultiByteToWideChar(uint32_t codePage, uint32_t, const char *src, int32_t n, uint16_t *dst, int32_t cap)
{
    if (!src || (!isCp932(codePage) && codePage != 20127)) {
        gLastError = 87; /* ERROR_INVALID_PARAMETER */
        return 0;
    }
    const uint8_t *s = reinterpret_cast<const uint8_t *>(src);
    size_t len = n < 0 ? std::strlen(src) + 1 : static_cast<size_t>(n);
    int32_t out = 0;
    for (size_t i = 0; i < len; ++i) {
        uint16_t c;
        if (leadByte(s[i]) && i + 1 < len && s[i + 1] >= 0x40 && s[i + 1] <= 0xFC) {
            int row = s[i] <= 0x9F ? s[i] - 0x81 : s[i] - 0xE0 + 31;
            c = host::kCp932Double[row][s[i + 1] - 0x40];
            ++i;
            if (!c)
                c = 0x30FB; /* Windows' default character for an unmapped pair */
        } else {
            c = decodeSingle(s[i]);
            if (!c && s[i])
                c = 0x003F;
        }
        if (cap) {
            if (out >= cap) {
                gLastError = 122; /* ERROR_INSUFFICIENT_BUFFER */
                return 0;
            }
            dst[out] = c;
        }
        ++out;
    }
    return out;
}

int32_t WINAPI WideCharToMultiByte(uint32_t codePage, uint32_t, const uint16_t *src, int32_t n, char *dst, int32_t cap,
                                   const char *defaultChar, int32_t *usedDefault)
{
    if (!src || !isCp932(codePage)) {
        gLastError = 87;
        return 0;
    }
    size_t len = 0;
    if (n < 0)
        while (src[len++]) {
        }
    else
        len = static_cast<size_t>(n);
    if (usedDefault)
        *usedDefault = 0;
    int32_t out = 0;
    for (size_t i = 0; i < len; ++i) {
        uint16_t code;
        if (src[i] < 0x80) {
            code = src[i];
        } else {
            const host::Cp932Pair *b = host::kCp932Encode, *e = b + host::kCp932EncodeSize;
            const host::Cp932Pair *p =
                std::lower_bound(b, e, src[i], [](const host::Cp932Pair &x, uint16_t c) { return x.character < c; });
            if (p != e && p->character == src[i]) {
                code = p->code;
            } else {
                code = defaultChar ? static_cast<uint8_t>(*defaultChar) : '?';
                if (usedDefault)
                    *usedDefault = 1;
            }
        }
        int bytes = code > 0xFF ? 2 : 1;
        if (cap) {
            if (out + bytes > cap) {
                gLastError = 122;
                return 0;
            }
            if (bytes == 2)
                dst[out] = static_cast<char>(code >> 8);
            dst[out + bytes - 1] = static_cast<char>(code & 0xFF);
        }
        out += bytes;
    }
    return out;
}

void WINAPI Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

uint32_t WINAPI TlsGetValue(uint32_t index)
{
    Runner *r = Runner::current();
    if (!r || index >= 64) {
        gLastError = 87;
        return 0;
    }
    gLastError = 0;
    uint32_t v;
    std::memcpy(&v, hostPtr(r->teb() + 0xE10 + index * 4), 4);
    return v;
}

/* The protection of the region holding `address`, as Windows names it. */
uint32_t windowsProtection(uint32_t address, uint32_t &regionBase, uint32_t &regionSize)
{
    Runner *r = Runner::current();
    uc_mem_region *regions = nullptr;
    uint32_t count = 0;
    uint32_t prot = 0x01; /* PAGE_NOACCESS */
    regionBase = address & ~0xFFFu;
    regionSize = 0x1000;
    if (r && uc_mem_regions(r->engine(), &regions, &count) == UC_ERR_OK) {
        for (uint32_t i = 0; i < count; ++i)
            if (address >= regions[i].begin && address <= regions[i].end) {
                uint32_t p = regions[i].perms;
                bool x = p & UC_PROT_EXEC, w = p & UC_PROT_WRITE, rd = p & UC_PROT_READ;
                prot = x ? (w ? 0x40 : rd ? 0x20 : 0x10) : (w ? 0x04 : rd ? 0x02 : 0x01);
                regionBase = static_cast<uint32_t>(regions[i].begin);
                regionSize = static_cast<uint32_t>(regions[i].end - regions[i].begin + 1);
            }
        uc_free(regions);
    }
    return prot;
}

int32_t WINAPI VirtualProtect(uint32_t address, uint32_t size, uint32_t prot, uint32_t *old)
{
    Runner *r = Runner::current();
    uint32_t b, s;
    uint32_t was = windowsProtection(address, b, s);
    if (!r || !old || address < r->base() || uint64_t(address) + size > uint64_t(r->base()) + r->size()) {
        gLastError = 487; /* ERROR_INVALID_ADDRESS: only the module's own pages change */
        return 0;
    }
    int p = 0;
    switch (prot & 0xFF) {
    case 0x02: p = UC_PROT_READ; break;
    case 0x04: case 0x08: p = UC_PROT_READ | UC_PROT_WRITE; break;
    case 0x10: p = UC_PROT_EXEC; break;
    case 0x20: p = UC_PROT_READ | UC_PROT_EXEC; break;
    case 0x40: case 0x80: p = UC_PROT_ALL; break;
    default: p = UC_PROT_NONE;
    }
    uint32_t first = address & ~0xFFFu, end = (address + size + 0xFFFu) & ~0xFFFu;
    if (uc_mem_protect(r->engine(), first, end - first, static_cast<uint32_t>(p)) != UC_ERR_OK) {
        gLastError = 487;
        return 0;
    }
    *old = was;
    return 1;
}

uint32_t WINAPI VirtualQuery(uint32_t address, uint32_t *info, uint32_t length)
{
    if (!info || length < 28) {
        gLastError = 24; /* ERROR_BAD_LENGTH */
        return 0;
    }
    Runner *r = Runner::current();
    uint32_t base, size;
    uint32_t prot = windowsProtection(address, base, size);
    bool image = r && address >= r->base() && address < r->base() + r->size();
    uint32_t v[7] = {base, image ? r->base() : base, prot, size, prot == 0x01 ? 0x10000u /* MEM_FREE */ : 0x1000u,
                     prot, image ? 0x1000000u : 0x20000u};
    std::memcpy(info, v, 28);
    return 28;
}

/* --- msvcrt -------------------------------------------------------------- */

int32_t *mbCurMax()
{
    static int32_t *p = [] {
        int32_t *v = guestData<int32_t>();
        *v = 1; /* the "C" locale */
        return v;
    }();
    return p;
}

uint8_t *iob()
{
    static uint8_t *p = guestData<uint8_t>(3 * 32);
    return p;
}

FILE *hostFile(const void *f)
{
    const uint8_t *b = static_cast<const uint8_t *>(f);
    if (b == iob() + 32)
        return stdout;
    if (b == iob() + 64)
        return stderr;
    return nullptr;
}

void __setusermatherr(uint32_t) {}
void _amsg_exit(int32_t code) { runtimeFault("the module's runtime ended it (_amsg_exit " + std::to_string(code) + ")"); }

int32_t *_errno()
{
    static int32_t *e = guestData<int32_t>();
    return e;
}

void _initterm(const uint32_t *begin, const uint32_t *end)
{
    Runner *r = Runner::current();
    for (const uint32_t *p = begin; r && p < end; ++p)
        if (*p)
            r->call(*p, {});
}

void _lock(int32_t) {}
void _unlock(int32_t) {}
void abort_() { runtimeFault("the module called abort"); }
int32_t atoi_(const char *s) { return static_cast<int32_t>(std::atoi(s)); }

bool inHeap(const void *p)
{
    uintptr_t a = reinterpret_cast<uintptr_t>(p);
    return a >= kHeapBase && a < uint64_t(kHeapBase) + kHeapSize;
}

void *malloc_(uint32_t n) { return std::malloc(n ? n : 1); }
void *calloc_(uint32_t n, uint32_t size) { return uint64_t(n) * size > 0xFFFFFFFFu ? nullptr : std::calloc(n ? n : 1, size ? size : 1); }

void free_(void *p)
{
    if (p && !inHeap(p))
        runtimeFault("free() of an address the heap did not give out");
    std::free(p);
}

void *realloc_(void *p, uint32_t n)
{
    if (p && !inHeap(p))
        runtimeFault("realloc() of an address the heap did not give out");
    return std::realloc(p, n);
}

int32_t fputc_(int32_t c, void *f)
{
    FILE *h = hostFile(f);
    return h ? std::fputc(c, h) : -1;
}

uint32_t fwrite_(const void *p, uint32_t size, uint32_t n, void *f)
{
    FILE *h = hostFile(f);
    return h ? static_cast<uint32_t>(std::fwrite(p, size, n, h)) : 0;
}

void *localeconv_()
{
    static uint32_t *l = [] {
        uint32_t *v = guestData<uint32_t>(16);
        v[0] = guestAddr(guestText("."));
        for (int i = 1; i < 10; ++i)
            v[i] = guestAddr(guestText(""));
        std::memset(v + 10, 0x7F, 8); /* the char fields: CHAR_MAX, not available */
        return v;
    }();
    return l;
}

void *memcpy_(void *d, const void *s, uint32_t n) { return std::memmove(d, s, n); }
void *memset_(void *d, int32_t c, uint32_t n) { return std::memset(d, c, n); }

const char *setlocale_(int32_t, const char *locale)
{
    if (!locale || !*locale || std::strcmp(locale, "C") == 0)
        return guestText("C");
    return nullptr;
}

const char *strchr_(const char *s, int32_t c) { return std::strchr(s, c); }
char *strcpy_(char *d, const char *s) { return std::strcpy(d, s); }
uint32_t strlen_(const char *s) { return static_cast<uint32_t>(std::strlen(s)); }
int32_t strncmp_(const char *a, const char *b, uint32_t n) { return std::strncmp(a, b, n); }
const char *strerror_(int32_t e) { return guestText(std::strerror(e)); }

uint32_t wcslen_(const uint16_t *s)
{
    uint32_t n = 0;
    while (s[n])
        ++n;
    return n;
}

/* The 32-bit va_list is a pointer to the arguments on the guest stack. */
int32_t vfprintf_(void *f, const char *format, const uint8_t *args)
{
    FILE *h = hostFile(f);
    std::string out;
    for (const char *p = format; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        std::string directive = "%"; /* flags, width and precision, as written */
        ++p;
        while (*p && std::strchr("-+ #0123456789.", *p))
            directive += *p++;
        bool wide = false;
        while (*p && std::strchr("hlLqjzt", *p)) {
            if (*p == 'l' && p[1] == 'l')
                wide = true, ++p;
            if (*p == 'q')
                wide = true;
            ++p;
        }
        char conv = *p;
        if (!conv)
            break;
        char buf[512];
        buf[0] = 0;
        uint32_t v;
        std::memcpy(&v, args, 4);
        switch (conv) {
        case 'd': case 'i':
            if (wide) {
                long long w;
                std::memcpy(&w, args, 8);
                args += 8;
                std::snprintf(buf, sizeof buf, (directive + "lld").c_str(), w);
            } else {
                args += 4;
                std::snprintf(buf, sizeof buf, (directive + "d").c_str(), static_cast<int32_t>(v));
            }
            break;
        case 'u': case 'x': case 'X': case 'o':
            if (wide) {
                unsigned long long w;
                std::memcpy(&w, args, 8);
                args += 8;
                std::snprintf(buf, sizeof buf, (directive + "ll" + conv).c_str(), w);
            } else {
                args += 4;
                std::snprintf(buf, sizeof buf, (directive + conv).c_str(), v);
            }
            break;
        case 'c':
            args += 4;
            std::snprintf(buf, sizeof buf, (directive + "c").c_str(), static_cast<int>(v));
            break;
        case 'p':
            args += 4;
            std::snprintf(buf, sizeof buf, "%08X", v);
            break;
        case 's':
            args += 4;
            std::snprintf(buf, sizeof buf, (directive + "s").c_str(), v ? hostPtr<const char>(v) : "(null)");
            break;
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A': {
            double d;
            std::memcpy(&d, args, 8);
            args += 8;
            std::snprintf(buf, sizeof buf, (directive + conv).c_str(), d);
            break;
        }
        case '%':
            std::strcpy(buf, "%");
            break;
        default:
            buf[0] = conv;
            buf[1] = 0;
        }
        out += buf;
    }
    if (!h)
        return -1;
    std::fputs(out.c_str(), h);
    return static_cast<int32_t>(out.size());
}

struct Import {
    const char *dll, *name;
    uint32_t (*make)();
};

#define K(fn) {"kernel32.dll", #fn, [] { return thunkFor(&fn, #fn, true); }}
#define M(name, fn) {"msvcrt.dll", name, [] { return thunkFor(&fn, name, false); }}
#define D(name, data) {"msvcrt.dll", name, [] { return guestAddr(data); }}

const Import kImports[] = {
    K(DeleteCriticalSection), K(DisableThreadLibraryCalls), K(EnterCriticalSection), K(FreeLibrary),
    K(GetLastError), K(GetModuleHandleA), K(GetModuleHandleW), K(GetProcAddress), K(InitializeCriticalSection),
    K(IsDBCSLeadByteEx), K(LeaveCriticalSection), K(LoadLibraryA), K(MultiByteToWideChar), K(Sleep),
    K(TlsGetValue), K(VirtualProtect), K(VirtualQuery), K(WideCharToMultiByte),
    D("__mb_cur_max", mbCurMax()), M("__setusermatherr", __setusermatherr), M("_amsg_exit", _amsg_exit),
    M("_errno", _errno), M("_initterm", _initterm), D("_iob", iob()), M("_lock", _lock), M("_unlock", _unlock),
    M("abort", abort_), M("atoi", atoi_), M("calloc", calloc_), M("fputc", fputc_), M("free", free_),
    M("fwrite", fwrite_), M("localeconv", localeconv_), M("malloc", malloc_), M("memcpy", memcpy_),
    M("memset", memset_), M("realloc", realloc_), M("setlocale", setlocale_), M("strchr", strchr_),
    M("strcpy", strcpy_), M("strerror", strerror_), M("strlen", strlen_), M("strncmp", strncmp_),
    M("vfprintf", vfprintf_), M("wcslen", wcslen_),
};

} // namespace

uint32_t importAddress(Runner &, const std::string &dll, const std::string &name)
{
    std::string d = lower(dll);
    for (const Import &i : kImports)
        if (d == i.dll && name == i.name)
            return i.make();
    return 0;
}

} // namespace host::emu
