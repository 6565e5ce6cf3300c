/*
 * ParamGeometry.cpp - the parametric command's integer and range arithmetic:
 * the point-outside-window test of the link compensation, the coordinate
 * range check of a move, and the safe truncation of doubles into stored
 * 32-bit values.
 */
#include "parametric/Param.h"

int32_t ParamPointOutside(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t px, int32_t py)
{
    if ((px < x1 && px < x2) || (px > x1 && px > x2))
        return 1;
    if ((py < y1 && py < y2) || (py > y1 && py > y2))
        return 1;
    return 0;
}

int32_t ParamMoveFits(double dx, double dy)
{
    HostState *st = gHostState;
    if (st->rangeX1 + dx >= -2147483648.0 && st->rangeX2 + dx <= 2147483647.0 &&
        st->rangeY1 + dy >= -2147483648.0 && st->rangeY2 + dy <= 2147483647.0)
        return 1;
    return 0; /* NaN fails every comparison and lands here */
}

