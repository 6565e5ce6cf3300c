/*
 * ServiceTable.cpp - fills the service table: a trap in every slot, then
 * each service in its slot, at the offsets of host/records/Layout.h.  A trap stops
 * the session and names the slot the module called.
 */
#include "host/services/Services.h"

#include <cmath>
#include <utility>

namespace host {

namespace {

constexpr int kSlots = static_cast<int>(kServiceTableSize / 4);

/* A trap never returns, so it does not matter how many stack words the
   caller pushed. */
template <int I> void HOST_STDCALL trapSlot() { gHost->trap(static_cast<uint32_t>(I) * 4); }

template <int... I> void putTraps(Records &r, std::integer_sequence<int, I...>)
{
    (r.putSlot(static_cast<uint32_t>(I) * 4, slot(&trapSlot<I>)), ...);
}

} // namespace

void putService(Records &r, Svc s, Slot fn) { r.putSlot(serviceInfo(s).offset, fn); }

void installServices(Records &r)
{
    putTraps(r, std::make_integer_sequence<int, kSlots>());
    registerInputServices(r);
    registerDisplayServices(r);
    registerGeometryServices(r);
    registerFigureServices(r);
    registerEditingServices(r);
    registerGroupServices(r);
    registerCommandServices(r);
    registerPanelServices(r);
}

std::optional<int32_t> encodeCoordinate(double v)
{
    double r = std::round(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        return std::nullopt;
    return static_cast<int32_t>(r);
}

void encodeArcAngles(double startDegrees, double endDegrees, int32_t &start, int32_t &end)
{
    double s = std::round(startDegrees * 1000000.0), e = std::round(endDegrees * 1000000.0);
    if (!std::isfinite(s) || !std::isfinite(e)) {
        start = 0;
        end = kFullTurn;
        return;
    }
    if (e - s == static_cast<double>(kFullTurn)) {
        start = 0;
        end = kFullTurn;
        return;
    }
    s = std::fmod(s, static_cast<double>(kFullTurn));
    e = std::fmod(e, static_cast<double>(kFullTurn));
    start = static_cast<int32_t>(s < 0 ? s + kFullTurn : s);
    end = static_cast<int32_t>(e < 0 ? e + kFullTurn : e);
}

void requireIndex(const char *service, const char *what, long long first, long long count)
{
    if (first < 0 || first + count > runningHost().rec.capacity())
        runningHost().fail(kExitModuleFault, std::string(service) + ": " + what + " " + std::to_string(first) +
                                       " is outside the figure arrays (0.." + std::to_string(runningHost().rec.capacity() - 1) +
                                       ")");
}

std::vector<int> figuresFrom(int first)
{
    std::vector<int> out;
    Host &h = runningHost();
    int end = h.fig.findMarker(first);
    if (end < 0)
        end = h.rec.capacity();
    for (int i = first; i < end;) {
        int n = entriesOfKind(h.fig.kindAt(i));
        if (n > 0 && i + n <= end)
            out.push_back(i);
        i += n > 0 ? n : 1;
    }
    return out;
}

} // namespace host
