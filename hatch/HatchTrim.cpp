/*
 * HatchTrim.cpp - trimming the generated lines and circles to the hatch
 * region, and the crossings of a line or circle with the region edges.
 *
 * A line is judged by its two ends alone: both inside, kept whole; both
 * outside, deleted; one inside, cut at the crossing with the last region
 * edge (in edge order) that it meets, and deleted when that leaves nothing
 * of it (its inside end lay on the boundary).  A circle is judged by its four axis
 * points: all inside, kept; none, deleted; otherwise cut to the arc between
 * its smallest and largest crossing angle, oriented by the axis point that
 * starts each crossing's quadrant.
 *
 * With the pass's edge index the crossing searches look only at edges that
 * can meet the figure, which come in no particular order, and give what a
 * search over every edge in edge order gives; the host's IntersectLines is
 * then asked about fewer edges.
 */
#include "hatch/HatchIndex.h"

#include <math.h>

/* Region edge k (1-based) as it stands in the work area. */
static struct HatchEdge regionEdge(int32_t k)
{
    struct HatchEdge e;
    HatchIndexEdge(k - 1, &e.x1, &e.y1, &e.x2, &e.y2);
    return e;
}

static void redraw(int32_t h)
{
    gHostState->drawIndex = h;
    gHostState->drawMode = 3;
    gHostState->drawFlag = 0;
    gHostServices->DrawFigure();
}

/* IntersectLines of edge C-D with the hatch line E-F: 1 with the point. */
static int32_t meetsEdge(const struct HatchEdge *e, double x1, double y1, double x2, double y2, double *cx, double *cy)
{
    HostState *s = gHostState;
    s->argCx = e->x1;
    s->argCy = e->y1;
    s->argDx = e->x2;
    s->argDy = e->y2;
    s->argEx = x1;
    s->argEy = y1;
    s->argFx = x2;
    s->argFy = y2;
    if (gHostServices->IntersectLines() == 0)
        return 0;
    *cx = gHostServices->IntersectionX();
    *cy = gHostServices->IntersectionY();
    return 1;
}

int32_t HatchLineCrossing(double x1, double y1, double x2, double y2, double *cx, double *cy)
{
    if (!HatchIndexUsable()) {
        int32_t found = 0;
        for (int32_t k = 1; k <= regionLineCount; ++k) {
            struct HatchEdge e = regionEdge(k);
            found |= meetsEdge(&e, x1, y1, x2, y2, cx, cy);
        }
        return found;
    }
    /* The last edge in edge order that meets the line: the index gives the
       edges in no particular order, so keep the latest that meets and ask
       the host only about later ones.  Segments whose boxes do not meet
       cannot meet. */
    double lowX = fmin(x1, x2), highX = fmax(x1, x2), lowY = fmin(y1, y2), highY = fmax(y1, y2);
    int32_t best = -1;
    struct HatchIndexWalk w;
    HatchIndexWalkStart(&w, lowY, highY);
    for (int32_t k = HatchIndexWalkNext(&w); k >= 0; k = HatchIndexWalkNext(&w)) {
        if (k <= best)
            continue;
        struct HatchEdge e = regionEdge(k + 1);
        if (fmax(e.x1, e.x2) < lowX || fmin(e.x1, e.x2) > highX || fmax(e.y1, e.y2) < lowY ||
            fmin(e.y1, e.y2) > highY)
            continue;
        if (meetsEdge(&e, x1, y1, x2, y2, cx, cy))
            best = k;
    }
    return best >= 0;
}

int32_t HatchCircleLineIntersect(double cx, double cy, double r, double x1, double y1, double x2, double y2,
                                 double *ax, double *ay, double *bx, double *by)
{
    double dx = x2 - x1, dy = y2 - y1;
    double m = dx * dx + dy * dy;
    if (m == 0.0)
        return 0;
    double c = dx * (cy - y1) - dy * (cx - x1);
    double disc = r * r * m - c * c;
    if (disc < 0.0)
        return 0;
    double d = dx * (cx - x1) + dy * (cy - y1);
    if (disc == 0.0) {
        double t = d / m;
        *ax = x1 + t * dx;
        *ay = y1 + t * dy;
        return 1;
    }
    double root = sqrt(disc);
    double t1 = (d - root) / m, t2 = (d + root) / m;
    *ax = x1 + t1 * dx;
    *ay = y1 + t1 * dy;
    *bx = x1 + t2 * dx;
    *by = y1 + t2 * dy;
    return 2;
}

/* The points where the circle crosses one edge, in the rule's order, into
   p: 0, 1 or 2 of them (touching gives none). */
static int32_t edgePoints(const struct HatchEdge *edge, double cx, double cy, double r, double p[2][2])
{
    double x1 = edge->x1, y1 = edge->y1, x2 = edge->x2, y2 = edge->y2;
    if (x1 > x2) { /* exchanged as pairs: x1 <= x2 */
        double s = x1;
        x1 = x2;
        x2 = s;
        s = y1;
        y1 = y2;
        y2 = s;
    }
    double q[2][2];
    if (HatchCircleLineIntersect(cx, cy, r, x1, y1, x2, y2, &q[0][0], &q[0][1], &q[1][0], &q[1][1]) != 2)
        return 0; /* no crossing, or only touching */
    int32_t first = q[1][0] < q[0][0] || (q[1][0] == q[0][0] && q[1][1] < q[0][1]) ? 1 : 0;
    double lowY = y1 < y2 ? y1 : y2, highY = y1 < y2 ? y2 : y1;
    int32_t n = 0;
    for (int32_t i = 0; i < 2; ++i) {
        const double *c = q[i == 0 ? first : 1 - first];
        if (!(x1 <= c[0] && c[0] <= x2 && lowY <= c[1] && c[1] <= highY))
            continue;
        p[n][0] = c[0];
        p[n][1] = c[1];
        ++n;
    }
    return n;
}

/* Angles of the circle's crossings with one edge into angles[*n ...]. */
static void edgeAngles(const struct HatchEdge *edge, double cx, double cy, double r, double *angles, int32_t *n)
{
    double p[2][2];
    int32_t points = edgePoints(edge, cx, cy, r, p);
    for (int32_t i = 0; i < points; ++i) {
        HostState *s = gHostState;
        s->argBx = p[i][0] - cx;
        s->argBy = -(p[i][1] - cy);
        gHostServices->VectorAngle();
        angles[(*n)++] = gHostState->vectorAngle * 180.0 / gHostState->pi;
    }
}

int32_t HatchCircleCrossings(double cx, double cy, double r, double *aMin, double *aMax)
{
    double angles[9]; /* an edge looked at with 7 held can add two: room for nine */
    int32_t n = 0;
    if (!HatchIndexUsable()) {
        for (int32_t k = 1; k <= regionLineCount && n < 8; ++k) {
            struct HatchEdge e = regionEdge(k);
            edgeAngles(&e, cx, cy, r, angles, &n);
        }
    } else {
        /* The rule takes edges in edge order until 8 angles are held, and
           every edge that crosses adds at least one: only the first 8
           crossing edges by number can count.  The index gives the edges in
           no particular order, so keep the 8 lowest numbers that cross
           (sorted), then take their angles in order.  Edges whose box stays
           clear of the circle's box by more than the rounding of the
           intersection cross nowhere: leave them out.  The margin is far
           above that rounding for 32-bit coordinates. */
        int32_t first[8], kept = 0;
        double margin = 4.0 + fabs(r) / 4096.0, p[2][2];
        double lowX = cx - fabs(r) - margin, highX = cx + fabs(r) + margin;
        struct HatchIndexWalk w;
        HatchIndexWalkStart(&w, cy - fabs(r) - margin, cy + fabs(r) + margin);
        for (int32_t k = HatchIndexWalkNext(&w); k >= 0; k = HatchIndexWalkNext(&w)) {
            if (kept == 8 && k > first[7])
                continue;
            struct HatchEdge e = regionEdge(k + 1);
            if (fmax(e.x1, e.x2) < lowX || fmin(e.x1, e.x2) > highX || edgePoints(&e, cx, cy, r, p) == 0)
                continue;
            int32_t i = kept < 8 ? kept++ : 7; /* the latest of eight gives way */
            for (; i > 0 && first[i - 1] > k; --i)
                first[i] = first[i - 1];
            first[i] = k;
        }
        for (int32_t i = 0; i < kept && n < 8; ++i) {
            struct HatchEdge e = regionEdge(first[i] + 1);
            edgeAngles(&e, cx, cy, r, angles, &n);
        }
    }
    for (int32_t i = 0; i < n; ++i) {
        if (i == 0 || angles[i] < *aMin)
            *aMin = angles[i];
        if (i == 0 || angles[i] > *aMax)
            *aMax = angles[i];
    }
    return n;
}

static void trimLine(int32_t h)
{
    DrawingTables *t = gHostState->tables;
    if (t->figureX1[h] > t->figureX2[h]) { /* run toward larger X */
        gHostServices->SwapInts(&t->figureX1[h], &t->figureX2[h]);
        t = gHostState->tables;
        gHostServices->SwapInts(&t->figureY1[h], &t->figureY2[h]);
    }
    t = gHostState->tables;
    double x1 = t->figureX1[h], y1 = t->figureY1[h], x2 = t->figureX2[h], y2 = t->figureY2[h];
    int32_t a = HatchInside(x1, y1);
    int32_t b = HatchInside(x2, y2);
    int32_t code = a + 2 * b;
    if (code == 0) {
        FrameSetFigureType(h, 0); /* both ends outside: deleted, not redrawn */
        return;
    }
    if (code != 3) {
        double cx = 0.0, cy = 0.0;
        if (HatchLineCrossing(x1, y1, x2, y2, &cx, &cy)) {
            t = gHostState->tables;
            if (code == 1) { /* start inside: the end moves to the boundary */
                t->figureX2[h] = FrameTruncate(cx);
                t->figureY2[h] = FrameTruncate(cy);
            } else {
                t->figureX1[h] = FrameTruncate(cx);
                t->figureY1[h] = FrameTruncate(cy);
            }
            /* A line that starts on the boundary and leaves the region is
               cut to nothing: a zero-length line would stay as invisible
               junk, so it goes. */
            if (t->figureX1[h] == t->figureX2[h] && t->figureY1[h] == t->figureY2[h])
                FrameSetFigureType(h, 0);
        } else {
            FrameSetFigureType(h, 0);
        }
    }
    redraw(h);
}

/* Quadrant q (0..3) with q * 90 < a <= (q + 1) * 90, or -1. */
static int32_t quadrantOf(double a)
{
    for (int32_t q = 0; q < 4; ++q)
        if (q * 90.0 < a && a <= (q + 1) * 90.0)
            return q;
    return -1;
}

static void trimCircle(int32_t h)
{
    DrawingTables *t = gHostState->tables;
    double cx = t->figureX1[h], cy = t->figureY1[h], r = t->figureX2[h];
    int32_t axis[4]; /* inside state of the points at 0, 90, 180 and 270 degrees */
    axis[3] = HatchInside(cx, cy + r);
    axis[1] = HatchInside(cx, cy - r);
    axis[0] = HatchInside(cx + r, cy);
    axis[2] = HatchInside(cx - r, cy);
    int32_t sum = axis[0] + axis[1] + axis[2] + axis[3];
    if (sum != 4) {
        double start = 0.0, end = 360.0, aMin = 0.0, aMax = 0.0;
        int32_t n = sum == 0 ? 0 : HatchCircleCrossings(cx, cy, r, &aMin, &aMax);
        if (n < 2) {
            FrameSetFigureType(h, 0);
            FrameSetFigureType(h + 1, 0);
        } else {
            double ends[2] = {aMin, aMax};
            for (int32_t i = 0; i < 2; ++i) {
                int32_t q = quadrantOf(ends[i]);
                if (q < 0)
                    continue; /* an angle in no quadrant changes nothing */
                if (axis[q] == 1)
                    end = ends[i]; /* the arc leaves the region here */
                else
                    start = ends[i];
            }
            int32_t startCode = gHostServices->EncodeCoordinate(start * 1000000.0);
            int32_t endCode = gHostServices->EncodeCoordinate(end * 1000000.0);
            t = gHostState->tables;
            t->figureX2[h + 1] = startCode;
            t->figureY2[h + 1] = endCode;
        }
    }
    redraw(h);
}

void HatchTrimFigure(int32_t h)
{
    int32_t kind = gHostServices->GetFigureKind(FrameFigureType(h));
    if (kind == 2)
        trimLine(h);
    else if (kind == 3)
        trimCircle(h);
}
