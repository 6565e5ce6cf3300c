/*
 * KumoTrail.cpp - the trail hook of the cloud-mark command.  While the trail
 * input waits in GetCursorPoint, the host calls USA on mouse events and USA
 * runs KumoTrailHook.  Each call adds at most one vertex, exactly one chord
 * length from the last one towards the cursor, and writes the arc (mode 2)
 * or segment (mode 3) to it into the work area; once the trail has come back
 * within a chord length of its start, the closing figure is written and the
 * trail is done.  After a fast movement the chain lags behind the cursor and
 * catches up with the following events.
 */
#include "cloud/Cloud.h"

#include <math.h>

/* Writes the trail's figure from P to Q at kumoListPos by the mode; 0 when
   the host refused it (the trail then stops, and kumoListPos stays after the
   last figure written, so that a confirm copies exactly those). */
static int writeTrailFigure(double px, double py, double qx, double qy)
{
    int32_t next = kumoMode == 2 ? KumoAddArc(kumoListPos, px, py, qx, qy) : KumoAddLine(kumoListPos, px, py, qx, qy);
    if (next < 0) {
        trailStopped = 1;
        return 0;
    }
    kumoListPos = next;
    return 1;
}

int32_t KumoTrailHook(void)
{
    /* The host may call USA during any point request; only the trail's own
       GetCursorPoint may extend the trail (not, say, the next start-point
       prompt after a trail that was confirmed open). */
    if (!kumoTracking)
        return 0;
    HostState *s = gHostState;
    double x = gHostServices->ScreenToDrawingX(s->cursorX);
    double y = gHostServices->ScreenToDrawingY(s->cursorY);
    const DrawingTables *t = s->tables;
    double c = kumoGen / t->unitFactor; /* chord length in drawing units */
    if (kumoPrintSize == 1)
        c = c * t->drawingScale;
    if (trailClosed == -1 || trailStopped)
        return 0;
    if (!(c > 0.0) || isinf(c))
        return 0; /* zero, negative, infinite or not a number: no trail */
    if ((int64_t)kumoListPos > (int64_t)t->workEnd - 200)
        return 0; /* headroom of the work area used up: the trail stays open */
    if (kumoMode != 2 && kumoMode != 3)
        return 0;
    s->argBx = x - trailLast.x;
    s->argBy = y - trailLast.y;
    double d = sqrt(s->argBx * s->argBx + s->argBy * s->argBy);
    gHostServices->VectorAngle();
    double theta = s->vectorAngle;
    double nx = trailLast.x + c * cos(theta), ny = trailLast.y + c * sin(theta);
    if (d >= c) {
        if (!writeTrailFigure(trailLast.x, trailLast.y, nx, ny))
            return 0;
        trailSteps = trailSteps + 1;
        trailLast.x = nx;
        trailLast.y = ny;
    }
    if (trailSteps <= 1)
        return 0; /* no closing test before the second vertex */
    s->argBx = trailStart.x - trailLast.x;
    s->argBy = trailStart.y - trailLast.y;
    double d0 = sqrt(s->argBx * s->argBx + s->argBy * s->argBy);
    if (d0 > c)
        return 0;
    if (writeTrailFigure(trailLast.x, trailLast.y, trailStart.x, trailStart.y))
        trailClosed = -1;
    return 0;
}

/* The host calls USA at every mouse event of a point request, whatever the
   command; it is the trail's while kumo1 runs, and otherwise returns the
   non-zero name comparison. */
extern "C" int32_t USA(void)
{
    int32_t differs = FrameCompareName(gHostState->currentCommand, "kumo1");
    if (differs != 0)
        return differs;
    return KumoTrailHook();
}
