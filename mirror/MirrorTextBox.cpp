/*
 * MirrorTextBox.cpp - whether a text mirrored about a two-point axis keeps
 * its whole box inside the stored coordinate range.  The box is placed at
 * the mirrored origin point, turned by the text's direction angle and
 * sheared by its slant angle, with the origin where the text's origin code
 * says.  Only texts near the edge of the 32-bit range are refused.
 */
#include "mirror/Mirror.h"

#include <math.h>

/* Column and row factor of origin code v: 0, 1 or 2 for the start, middle
   or end of the box.  v is 4 x vertical + horizontal, so the column is v mod
   4 and the row v div 4; codes that are no position (3, 7, above 10) count
   as their nearest position rather than placing the box beyond the origin. */
static double boxFactor(int32_t position)
{
    if (position < 0)
        return 0.0; /* a negative code from the host */
    return position > 2 ? 2.0 : (double)position;
}

/* outOfRange = 1 when the box of the text at mirrorIndex, with its origin
   mirrored about the axis whose foot from the origin is `foot`, would have a
   corner beyond the 32-bit range, or a first-to-fourth-corner distance
   beyond 2147483647.  The box width (character count x (width + spacing))
   is computed in 64 bits, so no stored values can overflow it. */
void MirrorCheckTextBox(MirrorPoint foot)
{
    HostState *st = gHostState;
    DrawingTables *t = st->tables;
    int32_t i = mirrorIndex;
    textOrigin.x = 2.0 * foot.x - t->figureX1[i];
    textOrigin.y = 2.0 * foot.y - t->figureY1[i];

    double w = (double)((int64_t)t->figureX2[i] * ((int64_t)t->figureW[i + 1] + t->figureX1[i + 1]));
    double h = t->figureAttr[i + 1];
    double a1 = t->figureY1[i + 1] / 1000000.0 / 180.0 * st->pi;
    double a2 = t->figureX2[i + 1] / 1000000.0 / 180.0 * st->pi;
    textCosA1 = cos(a1);
    textSinA1 = sin(a1);
    textCosA2 = cos(a2);
    textSinA2 = sin(a2);

    int32_t v = gHostServices->GetTextOrigin(t->figureY2[i + 1]);
    double cf = boxFactor(v % 4), rf = boxFactor(v / 4);
    double bx = (-w / 2.0) * cf, by = (-h / 2.0) * rf;

    outOfRange = 0;
    MirrorPlaceTextCorner(bx, -by);
    MirrorPoint first = textCorner;
    MirrorPlaceTextCorner(bx, -h - by);
    MirrorPlaceTextCorner(w + bx, -h - by);
    MirrorPlaceTextCorner(w + bx, -by);
    double dx = textCorner.x - first.x, dy = textCorner.y - first.y;
    if (outOfRange == 0 && sqrt(dx * dx + dy * dy) > 2147483647.0)
        outOfRange = 1;
}

/* Places the box corner (cx, cy), relative to the origin, into the drawing
   (left in textCorner) and sets outOfRange = 1 when a coordinate lies
   beyond the 32-bit range. */
void MirrorPlaceTextCorner(double cx, double cy)
{
    double u = cx - textSinA2 * cy, t = textCosA2 * cy;
    double x = textCosA1 * u + textSinA1 * t + textOrigin.x;
    double y = -textSinA1 * u + textCosA1 * t + textOrigin.y;
    textCorner.x = x;
    textCorner.y = y;
    if (x < -2147483648.0 || x > 2147483647.0 || y < -2147483648.0 || y > 2147483647.0)
        outOfRange = 1;
}
