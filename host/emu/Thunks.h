/*
 * Thunks.h - how the emulated module calls host code: every service slot and
 * every import is a 32-bit address on the thunk page, where a few bytes of
 * x86 code wait:
 *
 *     int3                  ; the runner stops here and calls the host function
 *     fld qword [result]    ; only when the function returns a double (ST0)
 *     ret N                 ; stdcall: N bytes of arguments; cdecl: ret
 *
 * The host function is called with the arguments read from the guest stack
 * in their 32-bit layout (int32 and pointers four bytes, doubles eight); a
 * pointer argument is the guest address, which is also the host address
 * (GuestMemory.h).  Its result goes to EAX, or as a double through the x87
 * load, so that ST0 holds exactly the value the host computed.
 *
 * The adapter is derived from the host function's own type, so the
 * services keep the signatures the other builds compile.
 */
#ifndef NEROLIT_HOST_EMU_THUNKS_H
#define NEROLIT_HOST_EMU_THUNKS_H

#include "host/emu/GuestMemory.h"

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

namespace host::emu {

struct ThunkInfo {
    const char *name;                                              /* for messages */
    void (*invoke)(void *fn, const uint8_t *args, uint32_t &eax, double &st0);
    void *fn;
    uint16_t argBytes; /* the size of the arguments on the guest stack */
    bool stdcall;      /* the callee pops them */
    bool returnsDouble;
};

/* A thunk for `info` (one per distinct function and convention); its guest
   address.  The thunk page is made on first use. */
uint32_t makeThunk(const ThunkInfo &info);

/* The thunk whose int3 is at `address`, or nothing. */
const ThunkInfo *thunkAt(uint32_t address);

/* The address where the module's calls from the host return to: reaching it
   ends the call. */
uint32_t sentinelAddress();

/* The guest address of the thunk page's eight bytes for a double result. */
uint32_t doubleResultAddress();

template <class T> struct GuestArg {
    static_assert(std::is_pointer_v<T> || std::is_integral_v<T> || std::is_floating_point_v<T>,
                  "a service argument is an integer, a double or a pointer");
    static constexpr unsigned size = std::is_same_v<T, double> ? 8 : 4;
    static T read(const uint8_t *p)
    {
        if constexpr (std::is_pointer_v<T>) {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return reinterpret_cast<T>(static_cast<uintptr_t>(v));
        } else if constexpr (std::is_same_v<T, double>) {
            T v;
            std::memcpy(&v, p, 8);
            return v;
        } else {
            int32_t v;
            std::memcpy(&v, p, 4);
            return static_cast<T>(v);
        }
    }
};

template <class F> struct Adapter;

template <class R, class... A> struct Adapter<R (*)(A...)> {
    static constexpr unsigned argBytes = (0u + ... + GuestArg<A>::size);

    template <size_t... I> static R call(R (*f)(A...), const uint8_t *args, std::index_sequence<I...>)
    {
        constexpr unsigned sizes[] = {GuestArg<A>::size..., 0u};
        unsigned offsets[sizeof...(A) + 1] = {};
        for (size_t i = 0; i < sizeof...(A); ++i)
            offsets[i + 1] = offsets[i] + sizes[i];
        (void)offsets;
        (void)args;
        return f(GuestArg<A>::read(args + offsets[I])...);
    }

    static void invoke(void *fn, const uint8_t *args, uint32_t &eax, double &st0)
    {
        auto f = reinterpret_cast<R (*)(A...)>(fn);
        if constexpr (std::is_void_v<R>) {
            call(f, args, std::index_sequence_for<A...>());
        } else if constexpr (std::is_same_v<R, double>) {
            st0 = call(f, args, std::index_sequence_for<A...>());
        } else if constexpr (std::is_pointer_v<R>) {
            eax = guestResult(call(f, args, std::index_sequence_for<A...>()));
        } else {
            eax = static_cast<uint32_t>(call(f, args, std::index_sequence_for<A...>()));
        }
        (void)eax;
        (void)st0;
    }

    static uint32_t guestResult(const void *p);
};

/* A pointer result the module cannot see (on the host's stack or in its
   static data) is copied to the heap, as a text: the only such results are
   texts. */
uint32_t visibleText(const void *p);

template <class R, class... A> uint32_t Adapter<R (*)(A...)>::guestResult(const void *p)
{
    return visibleText(p);
}

template <class R, class... A> uint32_t thunkFor(R (*fn)(A...), const char *name, bool stdcall)
{
    using Ad = Adapter<R (*)(A...)>;
    ThunkInfo info{name, &Ad::invoke, reinterpret_cast<void *>(fn), static_cast<uint16_t>(Ad::argBytes), stdcall,
                   std::is_same_v<R, double>};
    return makeThunk(info);
}

} // namespace host::emu

#endif
