/*
 * ParamInput.cpp - the parametric command's two input stages: the window
 * (two corners, then the collection of the figures in or crossing it into
 * the work area) and the move (base point, preview copy, end point with its
 * range check, and the displacement offered to three other commands).
 */
#include "parametric/Param.h"

#include <math.h>
#include <string.h>

/* Sections and keys under which the host's move ("C72"), copy ("C75") and
   array ("C80") commands keep their default distance, X then Y. */
static const char *const distanceSection[3] = {"C72", "C75", "C80"};
static const char *const distanceKey[3][2] = {
    {"c72_DistX-0", "c72_DistY-0"},
    {"c75_DistanceX-0", "c75_DistanceY-0"},
    {"c80_DistX-0", "c80_DistY-0"},
};

/* Asks one point with GetCursorPoint; the caller has set the band. */
static void askCorner(const char *prompt)
{
    strcpy(gHostState->promptText, prompt);
    gHostServices->GetCursorPoint();
}

int32_t ParamRangeInput(void)
{
    HostServices *s = gHostServices;
    HostState *st = gHostState;
    for (;;) {
        st->inputMode = 2;
        st->inputOption = 2;
        st->bandKind = 0;
        askCorner(paramRangeStartPrompt);
        if (st->inputStatus == 2)
            return 0;
        st->rangeX1 = st->pickX;
        st->rangeY1 = st->pickY;
        s->ConfirmPoint();

        st->boxAnchorX = st->pointX;
        st->boxAnchorY = st->pointY;
        st->bandKind = 2; /* rubber box from the first corner */
        st->bandOption = 2;
        st->inputMode = 0;
        askCorner(paramRangeEndPrompt);
        if (st->inputStatus == 2)
            continue; /* the first corner again */
        st->rangeX2 = st->pickX;
        st->rangeY2 = st->pickY;
        if (st->rangeX1 > st->rangeX2)
            s->SwapDoubles(&st->rangeX1, &st->rangeX2);
        if (st->rangeY1 > st->rangeY2)
            s->SwapDoubles(&st->rangeY1, &st->rangeY2);

        int32_t drawingEnd = s->FindMarker(st->tables->figureType, HOST_END_MARKER, 0);
        st->tables->drawingEnd = drawingEnd;
        /* The collection stands behind the drawing's end marker, followed by
           a marker of its own; with no room for even one entry and that
           marker there is nothing to collect into, and the marker the rest
           relies on could not be written.  The window is refused. */
        if ((int64_t)drawingEnd + 2 >= st->tables->figureLimit) {
            s->SignalError();
            continue;
        }
        /* A corner beyond the 32-bit range bounds the same stored points as
           one at the range's end, so the window saturates there. */
        st->windowX1 = FrameTruncate(st->rangeX1);
        st->windowY1 = FrameTruncate(st->rangeY1);
        st->windowX2 = FrameTruncate(st->rangeX2);
        st->windowY2 = FrameTruncate(st->rangeY2);
        st->rangeFirst = 0;
        st->rangeSecond = drawingEnd + 1;
        st->rangeLast = st->tables->figureLimit;
        s->CollectWindowFigures();

        int32_t n = s->FindMarker(st->tables->figureType, HOST_END_MARKER, 0);
        st->selFirst = n;
        FrameSetFigureType(n, 0); /* the work area joins the drawing */
        int32_t m = s->FindMarker(st->tables->figureType, HOST_END_MARKER, n + 1);
        st->selEnd = m;
        return m - n >= 2 ? 1 : 0;
    }
}

/* Copies the work area N+1 .. M-1 behind M for the drag preview and sets
   copyEnd.  0, and no copy, when the copy and its end marker would not fit
   below figureLimit: the move then goes on without a preview. */
static int32_t copyWorkArea(int32_t n, int32_t m)
{
    HostState *st = gHostState;
    if ((int64_t)m + (m - n) >= st->tables->figureLimit)
        return 0;
    st->rangeFirst = n + 1;
    st->rangeSecond = m;
    st->rangeLast = m + 1;
    gHostServices->CopyFigureRange();
    st->copyEnd = gHostServices->FindMarker(st->tables->figureType, HOST_END_MARKER, m + 1);
    return 1;
}

/* Writes the displacement as the default distance of the host's move, copy
   and array commands, in user units; their Y distance counts the other way. */
static void offerDistance(double dx, double dy)
{
    double unit = gHostState->tables->unitFactor;
    double fx = dx * unit;
    double fy = 0.0 - dy * unit; /* a move without a y part stores 0, not -0 */
    for (int k = 0; k < 3; ++k) {
        gHostServices->WriteSetting(distanceKey[k][0], fx, 0, distanceSection[k]);
        gHostServices->WriteSetting(distanceKey[k][1], fy, 0, distanceSection[k]);
    }
}

int32_t ParamMoveInput(double *dx, double *dy)
{
    HostServices *s = gHostServices;
    HostState *st = gHostState;
    int32_t n = st->selFirst, m = st->selEnd;
    for (;;) {
        FrameSetFigureType(n, 0);
        strcpy(st->promptText, paramMoveStartPrompt);
        st->inputMode = 2;
        st->bandKind = 0;
        st->inputOption = 2;
        s->GetPoint();
        if (st->inputStatus == 2)
            return 0;
        s->ConfirmPoint(); /* the base point is (pointX, pointY) */
        int32_t copied = copyWorkArea(n, m);

        for (;;) {
            FrameSetFigureType(n, -2);
            strcpy(st->promptText, paramMoveEndPrompt);
            st->inputMode = 2;
            st->inputOption = 1;
            st->bandKind = paramDragSwitch != 0 && copied ? 13 : 1;
            st->bandOption = 1;
            paramPreviewReady = copied; /* USSR may preview from now on ... */
            s->GetPoint();
            paramPreviewReady = 0; /* ... and no longer */
            FrameSetFigureType(n, 0);
            if (st->inputStatus == 2)
                break; /* the base point again */

            int32_t ey = s->EncodeCoordinate(st->pickY - st->pointY);
            int32_t ex = s->EncodeCoordinate(st->pickX - st->pointX);
            double mx = st->pickX - st->pointX, my = st->pickY - st->pointY;
            /* The window must stay in the coordinate range, and the
               displacement itself must be a stored 32-bit distance (the host
               could encode it within a unit): a larger one could not be
               truncated for the link compensation. */
            if (!ParamMoveFits((double)ex, (double)ey) || !(fabs(mx - ex) < 1.0 && fabs(my - ey) < 1.0)) {
                s->SignalError();
                continue; /* the end point again; the copy is kept */
            }
            *dx = mx;
            *dy = my;
            st->drawShiftX = 0;
            st->drawShiftY = 0;
            st->drawMode = 2; /* the work area off the display */
            st->drawIndex = n + 1;
            s->DrawFiguresFrom();
            offerDistance(mx, my);
            return 1;
        }
    }
}
