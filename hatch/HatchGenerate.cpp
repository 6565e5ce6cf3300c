/*
 * HatchGenerate.cpp - laying the pattern cell of the slot in use on its grid
 * over the region's box and storing every element as line and circle
 * figures behind the drawing, without regard to the region's shape (the
 * trimming comes after).
 *
 * Rows run from baseY up to one pitch beyond the box's top (elements hang
 * from the cell origin toward smaller Y), columns from baseX to the box's
 * right.  Room: a cell is not started once writeNext is beyond writeLimit,
 * and no element is written unless it and the end marker after it lie below
 * figureLimit; either way the pass has overflowed, and since writeNext
 * never goes back nothing later could be written, so generation stops there.
 *
 * Cells that store nothing.  The write limit ends the walk only while cells
 * store figures.  An element the host can never store (a value that is not a
 * finite number, a circle of negative radius) is left out before the walk,
 * which changes no result, since every cell would have lost it anyway.  What
 * the host still refuses (an offset or size that leaves the 32-bit range in
 * some or all cells) is met cell by cell: a cell that stored nothing polls
 * Escape, and once more cells have stored nothing than the drawing has
 * entries left for the pass, the walk ends and the pass is dropped.  So a
 * pass visits at most about twice as many cells as the drawing could take
 * figures.  Only the cells that store nothing poll, so the polls of a pass
 * whose cells all store are what they always were (a recorded Escape lands
 * where it did).  The walk does not end at a row that stored nothing: near
 * the bottom of the coordinate range the first rows can lose every figure
 * while later rows store theirs.
 */
#include "hatch/Hatch.h"

#include <math.h>

/* Entries that an element of kind k writes (0 for none). */
static int32_t elementEntries(int32_t kind)
{
    switch (kind) {
    case 1: return 1;
    case 2: return 2;
    case 7: return 8;
    case 8: return 4;
    default: return kind >= 3 && kind <= 6 ? kind : 0;
    }
}

/* 1 when the entries and the end marker after them lie below figureLimit. */
static int32_t roomFor(int32_t entries)
{
    return (long long)writeNext + entries < (long long)gHostState->tables->figureLimit;
}

static double rnd(void)
{
    return gHostServices->Random(0);
}

/* Regular polygon of n sides around (cx, cy) kept in circleX, circleY. */
static void addPolygon(int32_t p, int32_t e, int32_t n, double cx, double cy, double s)
{
    double pi = gHostState->pi;
    double r = hkataSw[p] == 0 ? s * hatchR[p][e] : s * (rnd() * hatchR[p][e]);
    double turn = -hatchQ1[p][e] * pi / 180.0;
    double a0 = hkataSw[p] == 0 ? pi / n + pi / 2.0 + turn : rnd() * pi / 2.0;
    double step = 2.0 * pi / n;
    gHostState->circleX = cx;
    gHostState->circleY = cy;
    cx = gHostState->circleX;
    cy = gHostState->circleY;
    double firstX = cx + r * cos(a0), firstY = cy + r * sin(a0);
    double lastX = firstX, lastY = firstY;
    for (int32_t j = 1; j <= n - 1; ++j) {
        double rho = hkataSw[p] == 0 ? r : rnd() * r; /* each vertex its own radius */
        double vx = cx + rho * cos(a0 + j * step), vy = cy + rho * sin(a0 + j * step);
        HatchAddLine(lastX, lastY, vx, vy);
        lastX = vx;
        lastY = vy;
    }
    HatchAddLine(lastX, lastY, firstX, firstY);
}

/* 1 when s * v is a finite number. */
static int32_t finite(double s, double v)
{
    return isfinite(s * v);
}

int32_t HatchElementUsable(int32_t e)
{
    int32_t p = hatchNo;
    int32_t kind = hsw[p][e];
    double s = HatchScale();
    if (elementEntries(kind) == 0)
        return 0;
    int32_t fixedPlace = kind == 8 || hichSw[p] == 0;  /* the stored offsets are used */
    int32_t fixedShape = kind == 8 || hkataSw[p] == 0; /* the polygon's rotation is used */
    if (fixedPlace && (!finite(s, hatchX1[p][e]) || !finite(s, hatchY1[p][e])))
        return 0;
    if (!finite(s, hatchR[p][e]))
        return 0;
    if (kind == 2)
        return hatchR[p][e] >= 0.0; /* a negative radius (random or not) is no circle */
    if ((kind == 1 || kind == 8 || fixedShape) && !finite(s, hatchQ1[p][e]))
        return 0; /* dY of a line or rectangle, a polygon's rotation */
    return 1;
}

/* Element e of slot p in the cell at (x, y); 0 when it does not fit. */
static int32_t addElement(int32_t p, int32_t e, double x, double y, double s, double px, double py)
{
    int32_t kind = hsw[p][e];
    int32_t entries = elementEntries(kind);
    if (entries == 0)
        return 1; /* "＊": nothing */
    if (!roomFor(entries))
        return 0;
    if (kind == 8) { /* rectangle: offsets and sizes never random */
        double cx = x + s * hatchX1[p][e], cy = y - s * hatchY1[p][e];
        double w = s * hatchR[p][e], h = s * hatchQ1[p][e];
        HatchAddLine(cx, cy, cx, cy - h);
        HatchAddLine(cx, cy - h, cx + w, cy - h);
        HatchAddLine(cx + w, cy - h, cx + w, cy);
        HatchAddLine(cx + w, cy, cx, cy);
        return 1;
    }
    double dx, dy;
    if (hichSw[p] == 0) {
        dx = s * hatchX1[p][e];
        dy = -(s * hatchY1[p][e]);
    } else { /* anywhere within half a pitch of the cell origin */
        dx = (0.5 - rnd()) * px;
        dy = (0.5 - rnd()) * py;
    }
    if (kind == 1) {
        double ex, ey;
        if (hkataSw[p] == 0) {
            ex = s * hatchR[p][e];
            ey = -(s * hatchQ1[p][e]);
        } else {
            ex = s * (rnd() * hatchR[p][e]);
            ey = -(s * hatchQ1[p][e]) + s * (rnd() * 2.0 * hatchQ1[p][e]);
        }
        HatchAddLine(x + dx, y + dy, x + dx + ex, y + dy + ey);
    } else if (kind == 2) {
        double r = hkataSw[p] == 0 ? s * hatchR[p][e] : s * (rnd() * hatchR[p][e]);
        HatchAddCircle(x + dx, y + dy, r);
    } else {
        addPolygon(p, e, kind == 7 ? 8 : kind, x + dx, y + dy, s);
    }
    return 1;
}

int32_t HatchGenerate(void)
{
    int32_t p = hatchNo;
    double s = HatchScale();
    double px = s * hatchPx[p], py = s * hatchPy[p];
    int32_t usable[HATCH_ELEMENTS]; /* elements the host can store at all */
    int32_t any = 0;
    for (int32_t e = 0; e < HATCH_ELEMENTS; ++e)
        any |= usable[e] = HatchElementUsable(e);
    if (!any)
        return 0; /* nothing to write: no grid to walk */
    int32_t emptyLeft = gHostState->tables->figureLimit - writeNext; /* cells that may store nothing */
    for (double y = baseY; y <= regionY2 + pitchY; y += pitchY)
        for (double x = baseX; x <= regionX2; x += pitchX) {
            if (writeNext > writeLimit)
                return 1; /* the cell is not started: overflow */
            int32_t before = writeNext;
            for (int32_t e = 0; e < HATCH_ELEMENTS; ++e)
                if (usable[e] && !addElement(p, e, x, y, s, px, py))
                    return 1; /* no room for the element: overflow */
            if (writeNext != before)
                continue;
            if (gHostServices->PollKey() == 27) {
                hatchEscaped = 1;
                return 2; /* Escape */
            }
            if (--emptyLeft < 0)
                return 2; /* the host refuses this pattern's figures */
        }
    return 0;
}

/* The attributes and flag common to StoreLine and StoreArc. */
static void prepareStore(void)
{
    HostState *s = gHostState;
    DrawingTables *t = s->tables;
    s->drawFlag = 1;
    s->storeLayer = t->currentLayer;
    s->storeGroup = t->currentGroup;
    s->storeColor = t->currentColor;
    s->storeLineType = t->currentLineType;
    s->drawIndex = writeNext;
}

/* After StoreLine or StoreArc: advance past a stored figure of `entries`,
   then the end marker. */
static void finishStore(int32_t entries)
{
    if (gHostState->storeFailed == 0)
        writeNext += entries;
    FrameSetFigureType(writeNext, -1);
    gHostState->drawFlag = 0;
}

void HatchAddLine(double x1, double y1, double x2, double y2)
{
    if (!roomFor(1))
        return;
    prepareStore();
    HostState *s = gHostState;
    s->argCx = x1;
    s->argCy = y1;
    s->argDx = x2;
    s->argDy = y2;
    gHostServices->StoreLine();
    finishStore(1);
}

void HatchAddCircle(double cx, double cy, double r)
{
    if (!roomFor(2))
        return;
    prepareStore();
    HostState *s = gHostState;
    s->circleX = cx;
    s->circleY = cy;
    s->circleR = r;
    s->arcStartAngle = 0.0;
    s->arcEndAngle = 360.0;
    gHostServices->StoreArc();
    finishStore(2);
}
