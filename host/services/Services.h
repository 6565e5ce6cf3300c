/*
 * Services.h - shared by the files that implement the host services
 * (Svc*.cpp): each file registers its services in the table, and uses the
 * few helpers declared here.
 */
#ifndef NEROLIT_HOST_SERVICES_H
#define NEROLIT_HOST_SERVICES_H

#include "host/Host.h"
#ifdef NEROLIT_EMU
#include "host/emu/Thunks.h"
#endif

#include <cstdint>
#include <string>

namespace host {

using Slot = void *;

#ifdef NEROLIT_EMU
/* In the emulated runner a slot holds the address of the service's thunk. */
template <class F> Slot slot(F *fn) { return emu::hostPtr<void>(emu::thunkFor(fn, "service", true)); }
#else
template <class F> Slot slot(F *fn) { return reinterpret_cast<Slot>(fn); }
#endif
void putService(Records &r, Svc s, Slot fn);

void registerInputServices(Records &r);
void registerDisplayServices(Records &r);
void registerGeometryServices(Records &r);
void registerFigureServices(Records &r);
void registerEditingServices(Records &r);
void registerGroupServices(Records &r);
void registerCommandServices(Records &r);
void registerPanelServices(Records &r);

/* The host whose services the module is calling now (a service has no
   other way to find it: the module calls through a table of plain
   function pointers). */
inline Host &runningHost() { return *gHost; }

/* The host's coordinate encoding: round to nearest, halves away from zero.
   Values beyond the 32-bit range are not encodable (nothing); NaN neither. */
std::optional<int32_t> encodeCoordinate(double v);

/* Degrees as stored millionths, brought into [0, 360) degrees; a pair whose
   end lies exactly one turn after its start is the full circle (0, 360). */
void encodeArcAngles(double startDegrees, double endDegrees, int32_t &start, int32_t &end);

/* What StretchFigures does with an arc that is not a full circle
   (StretchArc.cpp): Whole, the caller moves its centre; Reshaped, `arc`
   holds the stretched arc; Refused, it stays and `why` says why. */
enum class ArcStretch { Unchanged, Whole, Reshaped, Refused };
ArcStretch stretchArc(Figure &arc, const Box &window, double dx, double dy, std::string &why);

/* Fails the session unless entries first..first+count-1 lie in the figure
   arrays: a service was asked for an index the host does not have. */
void requireIndex(const char *service, const char *what, long long first, long long count = 1);

/* The figure starts from `first` up to the next end marker, in order. */
std::vector<int> figuresFrom(int first);

} // namespace host

#endif
