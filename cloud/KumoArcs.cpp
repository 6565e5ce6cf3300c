/*
 * KumoArcs.cpp - the figures of a cloud: the twelve arcs of a rectangle
 * cloud, and the two writers that put one arc or one straight segment into
 * the figure list through the host and end the list after it.
 *
 * Every arc is a quarter circle on its chord: its centre lies half a chord
 * to the right of the chord's midpoint (x right, y up), so it bulges to the
 * left of the direction in which it is written.  Which way a chain of arcs
 * bulges is therefore chosen by the order of the chord's end points.
 */
#include "cloud/Cloud.h"

#include <math.h>

/* The four attributes of the next figure, by kumoActiveMode; 0 when that
   mode is neither 0 nor 1 (only a hand-edited store gives such a value): the
   caller then writes nothing. */
static int pickAttributes(int32_t *layer, int32_t *group, int32_t *colour, int32_t *lineType)
{
    const DrawingTables *t = gHostState->tables;
    if (kumoActiveMode == 0) {
        *layer = t->currentLayer; /* read afresh for every figure */
        *group = t->currentGroup;
        *colour = t->currentColor;
        *lineType = t->currentLineType;
        return 1;
    }
    if (kumoActiveMode == 1) {
        *layer = kumoLayer;
        *group = kumoGroupNumber;
        *colour = kumoColor;
        *lineType = kumoLine;
        return 1;
    }
    return 0;
}

/* The stored direction, in degrees, of the point (x, y) seen from the centre
   (cx, cy): 360 degrees minus the direction VectorAngle gives, unreduced. */
static double storedDegrees(double x, double y, double cx, double cy)
{
    HostState *s = gHostState;
    s->argBx = x - cx;
    s->argBy = y - cy;
    gHostServices->VectorAngle();
    return (2.0 * s->pi - s->vectorAngle) * 180.0 / s->pi;
}

int32_t KumoAddArc(int32_t n, double px, double py, double qx, double qy)
{
    HostState *s = gHostState;
    int32_t layer, group, colour, lineType;
    if (!pickAttributes(&layer, &group, &colour, &lineType))
        return n; /* nothing written: the position stays as it was */
    double pi = s->pi;
    s->argBx = qx - px;
    s->argBy = qy - py;
    double h = sqrt(s->argBx * s->argBx + s->argBy * s->argBy) * 0.5; /* half chord */
    double r = sqrt(2.0) * h;
    gHostServices->VectorAngle();
    double theta = s->vectorAngle;
    double mx = px + h * cos(theta), my = py + h * sin(theta);
    double cx = mx + h * cos(theta - pi / 2.0), cy = my + h * sin(theta - pi / 2.0);
    double endDegrees = storedDegrees(qx, qy, cx, cy);
    double startDegrees = storedDegrees(px, py, cx, cy);
    int32_t k = gHostServices->AddArc(s->tables, s->attrContext->value, n, cx, cy, r, startDegrees, endDegrees, layer,
                                      group, colour, lineType);
    if (k < 0)
        return -1; /* refused: the list is as it was */
    FrameSetFigureType(k + 2, HOST_END_MARKER);
    return k + 2;
}

int32_t KumoAddLine(int32_t n, double px, double py, double qx, double qy)
{
    HostState *s = gHostState;
    int32_t layer, group, colour, lineType;
    if (!pickAttributes(&layer, &group, &colour, &lineType))
        return n;
    int32_t k = gHostServices->AddLine(s->tables, s->attrContext->value, n, px, py, qx, qy, layer, group, colour,
                                       lineType);
    if (k < 0)
        return -1;
    FrameSetFigureType(k + 1, HOST_END_MARKER);
    return k + 1;
}

void KumoBoxCloud(double x1, double y1, double x2, double y2)
{
    double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
    double rx = fabs((x2 - x1) / 2.0), ry = fabs((y2 - y1) / 2.0);
    double step = gHostState->pi / 6.0; /* 30 degrees */
    for (int i = 0; i < 12; ++i) {
        double t0 = i * step, t1 = (i + 1) * step;
        /* vertices on the inscribed ellipse, running clockwise from (cx + rx, cy) */
        double ax = cx + rx * cos(t0), ay = cy - ry * sin(t0);
        double bx = cx + rx * cos(t1), by = cy - ry * sin(t1);
        int32_t next = kumoMode == 1 ? KumoAddArc(kumoListPos, ax, ay, bx, by)  /* with the run: bulging out */
                                     : KumoAddArc(kumoListPos, bx, by, ax, ay); /* against it: bulging in */
        if (next < 0)
            return; /* refused: the rest is not attempted, kumoListPos stays after the last arc written */
        kumoListPos = next;
    }
}
