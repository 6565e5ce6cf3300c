/*
 * HatchInside.cpp - the even-odd inside test of the hatch region.
 *
 * The rule, along the horizontal line through y: each region edge (taken
 * with its lower end first) that reaches the line from both sides or ends on
 * it gives a crossing at X truncated toward zero, marked -1 where the line
 * passes through the edge's upper end and +1 through its lower end; a
 * horizontal edge on the line gives none.  While the scratch area has room
 * (count + regionLineCount <= workRoom) the crossings are kept in edge
 * order, then sorted by X keeping equal X in that order; equal neighbours
 * merge (equal marks: both go, a vertex at a top or bottom; different marks:
 * the first goes, a vertex the boundary passes through); and the point is
 * inside when it lies in one of the spans between crossings 1-2, 3-4, ...,
 * ends included.  Each span is preceded by PollKey, and Escape ends the test
 * with the result found so far and sets hatchEscaped: that result may be
 * wrong, so the command then abandons the whole pass.
 *
 * Two scans follow that rule.  The indexed one (the edge index of a pass)
 * visits only the edges whose Y range holds y, sorts in O(k log k) and keeps
 * its crossings in module storage.  The straightforward one visits every
 * edge, exchanges through the host and keeps its crossing records in the
 * work area at crossBase + 1 ...; it serves a region the index does not
 * hold.  Both give the same result for every point and call PollKey the
 * same number of times in the same order, so Escape behaves alike; only the
 * host's exchange calls and the scratch records differ.
 */
#include "hatch/HatchIndex.h"

#include <math.h>

/* Spans of the merged crossings X[0..count-1] (all on the same scan line).
   Same points are skipped as the rule says; after the merge neighbours never
   share an X, so that test is kept only for the rule's sake. */
static int32_t scanSpans(const int32_t *crossX, int32_t count, double x)
{
    int32_t result = 0;
    if (count < 2)
        return 0;
    for (int32_t k = 0; k + 1 < count; k += 2) {
        if (gHostServices->PollKey() == 27) {
            hatchEscaped = 1; /* the command abandons the pass */
            return result;    /* Escape: the result found so far */
        }
        if (crossX[k] != crossX[k + 1] && crossX[k] <= x && x <= crossX[k + 1])
            result = 1;
    }
    return result;
}

/* The indexed scan. */
static int32_t indexedInside(double x, double y)
{
    int32_t visit = 0;
    const int32_t *edges = HatchIndexAt(y, &visit);
    int32_t room = workRoom - regionLineCount + 1; /* crossings the scratch rule lets in */
    int32_t count = 0;
    for (int32_t i = 0; i < visit && count < room; ++i) {
        const struct HatchScanEdge *e = &hatchScanEdges[edges[i]];
        double y1 = e->y1, y2 = e->y2;
        if ((y1 > y && y2 > y) || (y1 < y && y2 < y) || (y1 == y && y2 == y))
            continue;
        /* (x2 - x1) * (y - y1) / (y2 - y1) + x1, the differences exact.  As
           y1 <= y <= y2, the value lies between x1 and x2 but for a rounding
           far below one unit, so truncating it into 32 bits is defined. */
        int32_t cx = (int32_t)(e->dx * (y - y1) / e->dy + e->x1);
        hatchCrossMarks[count] = (int8_t)(y1 < y && y2 == y ? -1 : y1 == y && y2 > y ? 1 : 0);
        /* X in the high half (order kept for negative X), position in the low */
        hatchCrossKeys[count] = ((uint64_t)((uint32_t)cx ^ 0x80000000u) << 32) | (uint32_t)count;
        ++count;
    }
    if (count < 2)
        return 0; /* no span: outside, and nothing to poll */
    HatchSortKeys(hatchCrossKeys, count);
    /* Merge equal neighbours in one walk: `next` is the record the rule
       calls k, `out` the records that stay. */
    int32_t out = 0, next = 0;
    while (next < count) {
        int32_t xk = (int32_t)((uint32_t)(hatchCrossKeys[next] >> 32) ^ 0x80000000u);
        int8_t mk = hatchCrossMarks[(uint32_t)hatchCrossKeys[next]];
        if (next + 1 < count) {
            int32_t xn = (int32_t)((uint32_t)(hatchCrossKeys[next + 1] >> 32) ^ 0x80000000u);
            if (xk == xn) {
                next += mk == hatchCrossMarks[(uint32_t)hatchCrossKeys[next + 1]] ? 2 : 1;
                continue;
            }
        }
        hatchCrossX[out++] = xk;
        ++next;
    }
    return scanSpans(hatchCrossX, out, x);
}

/* The straightforward scan over every edge, with its crossing records in
   the work area (figureX1 = X, figureY1 = scan-line Y, figureW = mark). */
static int32_t straightInside(double x, double y)
{
    int32_t count = 0;
    for (int32_t k = 1; k <= regionLineCount; ++k) {
        if (count + regionLineCount > workRoom)
            continue; /* the scratch area is full */
        DrawingTables *t = gHostState->tables;
        int32_t e = t->workBase + k;
        double x1 = t->figureX1[e], y1 = t->figureY1[e], x2 = t->figureX2[e], y2 = t->figureY2[e];
        if (y1 > y2) {
            gHostServices->SwapDoubles(&y1, &y2);
            gHostServices->SwapDoubles(&x1, &x2);
        }
        if ((y1 > y && y2 > y) || (y1 < y && y2 < y) || (y1 == y && y2 == y))
            continue;
        ++count;
        t = gHostState->tables;
        t->figureX1[crossBase + count] = FrameTruncate((x2 - x1) * (y - y1) / (y2 - y1) + x1);
        t->figureY1[crossBase + count] = FrameTruncate(y);
        t->figureW[crossBase + count] = y1 < y && y2 == y ? -1 : y1 == y && y2 > y ? 1 : 0;
    }
    /* Exchange sort by X: equal X keep their order. */
    for (int32_t swapped = 1; swapped;) {
        swapped = 0;
        for (int32_t k = 1; k < count; ++k) {
            DrawingTables *t = gHostState->tables;
            int32_t a = crossBase + k, b = a + 1;
            if (t->figureX1[a] > t->figureX1[b]) {
                gHostServices->SwapInts(&t->figureX1[a], &t->figureX1[b]);
                gHostServices->SwapInts(&t->figureY1[a], &t->figureY1[b]);
                gHostServices->SwapInts(&t->figureW[a], &t->figureW[b]);
                swapped = 1;
            }
        }
    }
    /* Merge vertices: records move down over the ones removed. */
    for (int32_t k = 1; k + 1 <= count;) {
        DrawingTables *t = gHostState->tables;
        int32_t a = crossBase + k;
        if (t->figureX1[a] != t->figureX1[a + 1]) {
            ++k;
            continue;
        }
        int32_t gone = t->figureW[a] == t->figureW[a + 1] ? 2 : 1;
        for (int32_t j = k; j + gone <= count; ++j) {
            t->figureX1[crossBase + j] = t->figureX1[crossBase + j + gone];
            t->figureY1[crossBase + j] = t->figureY1[crossBase + j + gone];
            t->figureW[crossBase + j] = t->figureW[crossBase + j + gone];
        }
        count -= gone;
    }
    if (count < 2)
        return 0;
    int32_t result = 0;
    for (int32_t k = 1; k <= count - 1; k += 2) {
        if (gHostServices->PollKey() == 27) {
            hatchEscaped = 1; /* the command abandons the pass */
            return result;    /* Escape: the result found so far */
        }
        DrawingTables *t = gHostState->tables;
        int32_t a = crossBase + k;
        int32_t samePoint = t->figureX1[a] == t->figureX1[a + 1] && t->figureY1[a] == t->figureY1[a + 1];
        if (!samePoint && t->figureX1[a] <= x && x <= t->figureX1[a + 1])
            result = 1;
    }
    return result;
}

int32_t HatchInside(double x, double y)
{
    if (HatchIndexUsable() && y == y)
        return indexedInside(x, y);
    return straightInside(x, y);
}
