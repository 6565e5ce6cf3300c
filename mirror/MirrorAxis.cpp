/*
 * MirrorAxis.cpp - the mirror axis: two reference points (direction 3), or
 * one base point whose horizontal or vertical line is the axis (directions
 * 1 and 2), and the test that the mirror image of the selection box stays
 * inside the stored coordinate range.  A refused axis is asked for again.
 */
#include "mirror/Mirror.h"

#include <float.h>
#include <string.h>

/* One point request: `prompt`, input mode `mode`, option 1, rubber band
   `band` (its anchor set by the caller). */
static void askPoint(const char *prompt, int32_t mode, int32_t band)
{
    HostState *st = gHostState;
    strcpy(st->promptText, prompt);
    st->inputMode = mode;
    st->inputOption = 1;
    st->bandKind = band;
    gHostServices->GetPoint();
}

/* Whether an axis of direction (dx, dy) has a direction at all: its squared
   length must be a normal, finite number.  Two equal points give 0; points
   1e-170 apart give a square that underflows to 0 or to a subnormal number
   with few digits left, and points too far apart an infinite one.  The
   host's projection onto such an axis gives garbage (figures reflected
   through a point while arcs are mirrored about the x axis). */
static int usableAxis(double dx, double dy)
{
    double squared = dx * dx + dy * dy;
    return squared >= DBL_MIN && squared <= DBL_MAX; /* false for NaN too */
}

/* Asks "基準点 １" and "基準点 ２" into axisStart and axisEnd.  Cancelling the
   first point returns with inputStatus 2; cancelling the second asks the
   first again.  A second point that gives the axis no usable direction (the
   same point, or one so near or far that the squared length is 0, subnormal
   or not finite) is refused and asked again; an axis that
   would carry the selection box out of range is refused and both points are
   asked again. */
void MirrorPickAxis(void)
{
    HostServices *svc = gHostServices;
    HostState *st = gHostState;
    for (;;) {
        askPoint(mirrorFirstPointPrompt, 2, 0);
        if (st->inputStatus == 2)
            return;
        axisStart.x = st->pickX;
        axisStart.y = st->pickY;
        svc->ConfirmPoint();

        for (;;) {
            st->lineAnchorX = axisStart.x; /* rubber line from the first point */
            st->lineAnchorY = axisStart.y;
            askPoint(mirrorSecondPointPrompt, 2, 6);
            if (st->inputStatus == 2 || usableAxis(st->pickX - axisStart.x, st->pickY - axisStart.y))
                break;
            svc->SignalError(); /* no direction to mirror about */
        }
        if (st->inputStatus == 2)
            continue; /* back to the first point */
        axisEnd.x = st->pickX;
        axisEnd.y = st->pickY;
        svc->ConfirmPoint();

        st->argCx = axisStart.x;
        st->argCy = axisStart.y;
        st->argDx = axisEnd.x;
        st->argDy = axisEnd.y;
        MirrorCheckRange();
        if (outOfRange != 1)
            return;
        svc->SignalError();
    }
}

/* Asks "基準点" into basePoint and makes the axis the horizontal (direction
   1) or vertical (direction 2) line through it, coordLimit long each way.
   Cancelling returns with inputStatus 2; an axis that would carry the
   selection box out of range is refused and the point asked again.  Only
   directions 1 and 2 reach it (C66 refuses the others). */
void MirrorPickBase(void)
{
    HostServices *svc = gHostServices;
    HostState *st = gHostState;
    for (;;) {
        askPoint(mirrorBasePointPrompt, 4, 0);
        if (st->inputStatus == 2)
            return;
        basePoint.x = st->pickX;
        basePoint.y = st->pickY;
        if (c66_Direction == 1) {
            axisStart.x = -coordLimit;
            axisStart.y = basePoint.y;
            axisEnd.x = coordLimit;
            axisEnd.y = basePoint.y;
        } else {
            axisStart.x = basePoint.x;
            axisStart.y = -coordLimit;
            axisEnd.x = basePoint.x;
            axisEnd.y = coordLimit;
        }
        MirrorCheckRange();
        if (outOfRange != 1)
            return;
        svc->SignalError();
    }
}

/* outOfRange = 1 when a corner of the selection box (rangeX1..rangeY2),
   reflected about the axis, has a coordinate beyond coordLimit; all four
   corners are always examined.  Leaves the axis in argC-argD. */
void MirrorCheckRange(void)
{
    HostServices *svc = gHostServices;
    HostState *st = gHostState;
    outOfRange = 0;
    st->argCx = axisStart.x;
    st->argCy = axisStart.y;
    st->argDx = axisEnd.x;
    st->argDy = axisEnd.y;
    const double xs[4] = {st->rangeX1, st->rangeX2, st->rangeX2, st->rangeX1};
    const double ys[4] = {st->rangeY1, st->rangeY1, st->rangeY2, st->rangeY2};
    for (int k = 0; k < 4; ++k) {
        st->circleX = xs[k];
        st->circleY = ys[k];
        svc->ProjectPointOnLine();
        st->argAx = 2.0 * st->circleX - xs[k];
        st->argAy = 2.0 * st->circleY - ys[k];
        if (svc->AbsValue(st->argAx) > coordLimit || svc->AbsValue(st->argAy) > coordLimit)
            outOfRange = 1;
    }
}
