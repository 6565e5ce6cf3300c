/*
 * Hooks.cpp - the two mouse-event hooks.  While a command waits inside a
 * host point request, the host calls USA and USSR; each runs its command's
 * routine only when the host's current command is that command.
 */
#include "frame/Module.h"
#include "cloud/Cloud.h"
#include "parametric/Param.h"

int32_t FrameCompareName(const char *a, const char *b)
{
    for (;; ++a, ++b) {
        int ca = (unsigned char)*a, cb = (unsigned char)*b;
        if (ca >= 'A' && ca <= 'Z')
            ca += 'a' - 'A';
        if (cb >= 'A' && cb <= 'Z')
            cb += 'a' - 'A';
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

/* Cloud trail writer; 0 while kumo1 runs, else the non-zero comparison. */
extern "C" int32_t USA(void)
{
    int32_t differs = FrameCompareName(gHostState->currentCommand, "kumo1");
    if (differs != 0)
        return differs;
    return KumoTrailHook();
}

/* Parametric drag preview; 1 while VeC92 runs, else the comparison. */
extern "C" int32_t USSR(void)
{
    int32_t differs = FrameCompareName(gHostState->currentCommand, "VeC92");
    if (differs != 0)
        return differs;
    return ParamDragPreview();
}
