/*
 * Module.h - what every part of the module shares: the two host pointers
 * kept by StartDLL, the exported entry points, and a few helpers for the
 * figure-type words and the numeric settings that every command uses.
 */
#ifndef NEROLIT_FRAME_MODULE_H
#define NEROLIT_FRAME_MODULE_H

#include "frame/HostRecords.h"

extern HostServices *gHostServices; /* host service table, set by StartDLL */
extern HostState *gHostState;       /* host state record, set by StartDLL */

/* Exports.  The host finds each by name (frame/Exports.def on Windows). */
extern "C" void HOST_API StartDLL(HostServices *services, HostState *state);
extern "C" void EndDLL(void);
extern "C" int32_t USA(void);
extern "C" int32_t USSR(void);
extern "C" void UDRAW(void);
extern "C" void HOST_API Hatch(char *unused);
extern "C" void HOST_API kumo1(char *unused);
void HOST_API C66(char *unused);   /* exported as ?C66@@YGXPAD@Z */
void HOST_API VeC92(char *unused); /* exported as ?VeC92@@YGXPAD@Z */

/* The host's figure-type word of entry i, sign-extended from its low 16 bits
   (an end marker gives -1). */
int32_t FrameFigureType(int32_t index);

/* Set the low 16 bits of entry i's figure-type word, keeping the high 16
   bits (FrameSetFigureType(i, -1) writes an end marker). */
void FrameSetFigureType(int32_t index, int32_t type);

/* A double truncated toward zero into 32 bits without undefined behaviour:
   beyond the 32-bit range it gives the nearest 32-bit value, and a value
   that is not a number gives 0.  (A plain cast of such a double is
   undefined.) */
int32_t FrameTruncate(double value);

/* A stored setting truncated toward zero into 32 bits.  The host stores
   doubles, and a hand-edited store can hold anything: a value that is not a
   number reads as the key's default, and a value beyond the 32-bit range reads
   as the nearest 32-bit value (so "KumoLayer" 1e12 reads as 2147483647).
   Converting such a double with a plain cast would be undefined behaviour. */
int32_t FrameSettingToInt(double stored, double fallback);

/* ReadSetting(key, 0, null, fallback) of the running command, converted with
   FrameSettingToInt. */
int32_t FrameReadIntSetting(const char *key, double fallback);

/* Case-insensitive comparison of two zero-terminated texts in which only the
   letters A-Z are folded (bytes of Shift-JIS characters are compared as they
   are).  0 when equal, else the difference of the first differing bytes. */
int32_t FrameCompareName(const char *a, const char *b);

#endif /* NEROLIT_FRAME_MODULE_H */
