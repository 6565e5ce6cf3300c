/*
 * HatchPreview.cpp - the editor panel's picture of the cell of the slot in
 * use: a black background, the cell frame and the elements, scaled so that
 * the point farthest from the cell's centre fills 90 % of half the preview's
 * height, with pattern Y upward on the screen.  The random switches are not
 * applied.  Pixel positions are truncated toward zero, each term as below.
 */
#include "hatch/Hatch.h"

#include <math.h>
#include <stdint.h>

/* origin + trunc(v) as the double the panel operations take (no overflow
   whatever v is). */
static double pixel(double origin, double v)
{
    return origin + FrameTruncate(v);
}

/* 1 when v is a 32-bit integer. */
static int32_t fits(int64_t v)
{
    return v >= INT32_MIN && v <= INT32_MAX;
}

void HatchDrawPreview(void)
{
    HostState *s = gHostState;
    int32_t surface = s->panelSurface->surface;
    /* The area from the host's text cell size, in 64 bits: a cell size so
       large that the area's corners leave the 32-bit range leaves the
       preview out, background and all (its centre lies between them). */
    int64_t cw = s->charWidth, ch = s->charHeight;
    int64_t left64 = 14 * cw, top64 = 11 * ch, w64 = 10 * cw - 2, h64 = 5 * ch - 2;
    if (!fits(left64) || !fits(top64) || !fits(left64 + w64) || !fits(top64 + h64))
        return;
    int32_t left = (int32_t)left64, top = (int32_t)top64, w = (int32_t)w64, h = (int32_t)h64;
    gHostServices->PanelBox(surface, left, top, left + w, top + h, 0, "BF", -1, -1);

    int32_t p = hatchNo;
    double px = hatchPx[p], py = hatchPy[p];
    double minX = 0.0, maxX = px, minY = 0.0, maxY = py;
    for (int32_t e = 0; e < HATCH_ELEMENTS; ++e) {
        int32_t kind = hsw[p][e];
        double x1 = hatchX1[p][e], y1 = hatchY1[p][e], r = hatchR[p][e], q1 = hatchQ1[p][e];
        if (kind == 0)
            continue;
        if (kind == 1 || kind == 8) {
            minX = fmin(minX, x1);
            maxX = fmax(maxX, x1 + r);
            minY = fmin(minY, y1);
            maxY = fmax(maxY, y1 + q1);
        } else {
            minX = fmin(minX, x1 - r);
            maxX = fmax(maxX, x1 + r);
            minY = fmin(minY, y1 - r);
            maxY = fmax(maxY, y1 + r);
        }
    }
    double reach[4] = {fabs(maxX - px / 2), fabs(minX - px / 2), fabs(maxY - py / 2), fabs(minY - py / 2)};
    double d = reach[0];
    for (int32_t i = 1; i < 4; ++i)
        if (reach[i] > d)
            d = reach[i];
    double k = (h * 0.9) / (2 * d);
    if (!(d > 0.0) || !isfinite(d) || !(k > 0.0) || !isfinite(k))
        return; /* no scale: the background alone */

    int32_t gx = left + w / 2, gy = top + h / 2;
    DrawingTables *t = s->tables;
    int32_t frame = t->previewColorB, colour = t->previewColorA;
    double fx = FrameTruncate(k * px / 2), fy = FrameTruncate(k * py / 2);
    gHostServices->PanelBox(surface, gx - fx, gy - fy, gx + fx, gy + fy, frame, "B", -1, -1);
    double pi = s->pi;
    for (int32_t e = 0; e < HATCH_ELEMENTS; ++e) {
        int32_t kind = hsw[p][e];
        double x1 = hatchX1[p][e], y1 = hatchY1[p][e], r = hatchR[p][e], q1 = hatchQ1[p][e];
        double x0 = pixel(gx, (x1 - px / 2) * k), y0 = pixel(gy, (py / 2 - y1) * k);
        if (kind == 0)
            continue;
        if (kind == 1 || kind == 8) { /* a line, or the rectangle's outline */
            gHostServices->PanelBox(surface, x0, y0, pixel(x0, k * r), y0 - FrameTruncate(k * q1), colour,
                                    kind == 8 ? "B" : 0, -1, -1);
        } else if (kind == 2) {
            gHostServices->PanelCircle(surface, x0, y0, FrameTruncate(k * r), colour, 0, 0, 0, 0, 0, -1);
        } else {
            int32_t n = kind == 7 ? 8 : kind;
            double a0 = -q1 * pi / 180 + pi / n + pi / 2, step = 2 * pi / n, rho = k * r;
            for (int32_t j = 0; j < n; ++j) {
                double from = (j + 1) * step + a0, to = (j + 2) * step + a0;
                gHostServices->PanelBox(surface, pixel(gx, cos(from) * rho + (x1 - px / 2) * k),
                                        pixel(gy, sin(from) * rho + (py / 2 - y1) * k),
                                        pixel(gx, cos(to) * rho + (x1 - px / 2) * k),
                                        pixel(gy, sin(to) * rho + (py / 2 - y1) * k), colour, 0, -1, -1);
            }
        }
    }
}
