/*
 * Names.cpp - command names compared as the CAD host compares them: the
 * host's current command is the name the user typed, in any case, so the
 * hooks (USA in cloud/, USSR in parametric/) compare it without regard to
 * ASCII case before they act.
 */
#include "frame/Module.h"

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
