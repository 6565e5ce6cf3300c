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
 * visits only the edges whose Y range may hold y, in no particular order,
 * and sorts by X and then edge number in O(k log k): in module storage, or
 * for a scan line of more than HATCH_CROSS_SLOTS crossings in the work area.
 * The straightforward one visits every edge, exchanges through the host and
 * keeps its crossing records in the work area at crossBase + 1 ...; it
 * serves when there is no index.  Both keep their records in the work area
 * at crossBase + 1 ..., as many as the scratch rule lets in.  Both give the
 * same result for every point and call PollKey the same number of times in
 * the same order, so Escape behaves alike; only the host's exchange calls
 * and what the records hold beside X and mark differ.
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

/* The crossings of the indexed scan, 1-based, in the work area where
   the straightforward scan keeps its own: X, edge number, mark. */
struct HatchCrossings {
    int32_t *x, *edge, *mark;
};

/* 1 when record a comes after record b: by edge number alone (byEdge), or
   by X and then edge number. */
static int32_t after(const struct HatchCrossings *r, int32_t a, int32_t b, int32_t byEdge)
{
    if (byEdge || r->x[a] == r->x[b])
        return r->edge[a] > r->edge[b];
    return r->x[a] > r->x[b];
}

static void exchange(const struct HatchCrossings *r, int32_t a, int32_t b)
{
    int32_t x = r->x[a], e = r->edge[a], m = r->mark[a];
    r->x[a] = r->x[b];
    r->edge[a] = r->edge[b];
    r->mark[a] = r->mark[b];
    r->x[b] = x;
    r->edge[b] = e;
    r->mark[b] = m;
}

/* Restores the max-heap 1..n below record i. */
static void siftDown(const struct HatchCrossings *r, int32_t i, int32_t n, int32_t byEdge)
{
    for (;;) {
        int32_t top = i, left = 2 * i, right = left + 1;
        if (left <= n && after(r, left, top, byEdge))
            top = left;
        if (right <= n && after(r, right, top, byEdge))
            top = right;
        if (top == i)
            return;
        exchange(r, i, top);
        i = top;
    }
}

static void heapify(const struct HatchCrossings *r, int32_t n, int32_t byEdge)
{
    for (int32_t i = n / 2; i >= 1; --i)
        siftDown(r, i, n, byEdge);
}

/* Merges equal neighbours of the sorted records 1..count in place (the
   rule's merge, see the file's head) and gives the crossings that stay. */
static int32_t mergeCrossings(const struct HatchCrossings *r, int32_t count)
{
    int32_t out = 0, next = 1;
    while (next <= count) {
        if (next < count && r->x[next] == r->x[next + 1]) {
            next += r->mark[next] == r->mark[next + 1] ? 2 : 1;
            continue;
        }
        r->x[++out] = r->x[next++];
    }
    return out;
}

/* The region edges in the work area, edge k at [k]. */
struct Edges {
    const int32_t *x1, *y1, *x2, *y2;
};

static struct Edges regionEdges(void)
{
    DrawingTables *t = gHostState->tables;
    int32_t first = t->workBase + 1;
    struct Edges e = {t->figureX1 + first, t->figureY1 + first, t->figureX2 + first, t->figureY2 + first};
    return e;
}

/* The crossing of edge k with the scan line through y, by the rule: 1 with
   its X and mark, or 0 when the edge gives none. */
static int32_t crossingOf(const struct Edges *e, int32_t k, double y, int32_t *cx, int32_t *mark)
{
    int32_t up = e->y1[k] > e->y2[k]; /* the lower end first */
    double x1 = up ? e->x2[k] : e->x1[k], y1 = up ? e->y2[k] : e->y1[k];
    double x2 = up ? e->x1[k] : e->x2[k], y2 = up ? e->y1[k] : e->y2[k];
    if ((y1 > y && y2 > y) || (y1 < y && y2 < y) || (y1 == y && y2 == y))
        return 0;
    /* As y1 <= y <= y2 the value lies between x1 and x2 but for a rounding
       far below one unit, so truncating it is defined. */
    *cx = (int32_t)((x2 - x1) * (y - y1) / (y2 - y1) + x1);
    *mark = y1 < y && y2 == y ? -1 : y1 == y && y2 > y ? 1 : 0;
    return 1;
}

/* The indexed scan for a scan line of more than HATCH_CROSS_SLOTS
   crossings: the records in the work area, sorted there by heap sort. */
static int32_t recordsInside(double x, double y, int32_t room)
{
    DrawingTables *t = gHostState->tables;
    struct HatchCrossings r = {t->figureX1 + crossBase, t->figureX2 + crossBase, t->figureW + crossBase};
    struct Edges e = regionEdges();
    int32_t count = 0, heaped = 0, cx, mark;
    struct HatchIndexWalk w;
    HatchIndexWalkStart(&w, y, y);
    for (int32_t k = HatchIndexWalkNext(&w); k >= 0; k = HatchIndexWalkNext(&w)) {
        if (!crossingOf(&e, k, y, &cx, &mark))
            continue;
        if (count < room) {
            ++count;
            r.x[count] = cx;
            r.edge[count] = k;
            r.mark[count] = mark;
            continue;
        }
        /* The scratch is full: the rule keeps the first crossings in edge
           order, so a crossing of an earlier edge takes the place of the
           latest edge kept (the top of a heap by edge number). */
        if (!heaped) {
            heapify(&r, count, 1);
            heaped = 1;
        }
        if (k < r.edge[1]) {
            r.x[1] = cx;
            r.edge[1] = k;
            r.mark[1] = mark;
            siftDown(&r, 1, count, 1);
        }
    }
    if (count < 2)
        return 0;
    heapify(&r, count, 0);
    for (int32_t end = count; end > 1; --end) {
        exchange(&r, 1, end);
        siftDown(&r, 1, end - 1, 0);
    }
    return scanSpans(r.x + 1, mergeCrossings(&r, count), x);
}

/* Edge number of a crossing key (see indexedInside). */
static uint32_t keyEdge(uint64_t key)
{
    return (uint32_t)key >> 2;
}

/* Restores the max-heap by edge number of keys[0..n-1] below i. */
static void siftKeys(uint64_t *keys, int32_t i, int32_t n)
{
    for (;;) {
        int32_t top = i, left = 2 * i + 1, right = left + 1;
        if (left < n && keyEdge(keys[left]) > keyEdge(keys[top]))
            top = left;
        if (right < n && keyEdge(keys[right]) > keyEdge(keys[top]))
            top = right;
        if (top == i)
            return;
        uint64_t swap = keys[i];
        keys[i] = keys[top];
        keys[top] = swap;
        i = top;
    }
}

/* The indexed scan: the edges of the index walk, which come in no
   particular order, each crossing a key that holds its X, edge number and
   mark, sorted in module storage. */
static int32_t indexedInside(double x, double y)
{
    int32_t room = workRoom - regionLineCount + 1; /* crossings the scratch rule lets in */
    int32_t count = 0, heaped = 0, cx, mark;
    uint64_t *keys = hatchCrossKeys;
    if (room < 1)
        return 0;
    struct Edges e = regionEdges();
    struct HatchIndexWalk w;
    HatchIndexWalkStart(&w, y, y);
    for (int32_t k = HatchIndexWalkNext(&w); k >= 0; k = HatchIndexWalkNext(&w)) {
        if (!crossingOf(&e, k, y, &cx, &mark))
            continue;
        /* Keys: X in the high half (order kept for negative X), then the
           edge number, then the mark + 1 in the two lowest bits.  Edge
           numbers stay below 2^30: a 32-bit host's tables hold fewer. */
        uint64_t key = ((uint64_t)((uint32_t)cx ^ 0x80000000u) << 32) | ((uint32_t)k << 2) | (uint32_t)(mark + 1);
        if (count < room && count < HATCH_CROSS_SLOTS) {
            keys[count++] = key;
            continue;
        }
        if (count < room)
            return recordsInside(x, y, room); /* more than the module's sort holds */
        /* The scratch is full: the rule keeps the first crossings in edge
           order, so a crossing of an earlier edge takes the place of the
           latest edge kept (the top of a heap by edge number). */
        if (!heaped) {
            for (int32_t i = count / 2 - 1; i >= 0; --i)
                siftKeys(keys, i, count);
            heaped = 1;
        }
        if ((uint32_t)k < keyEdge(keys[0])) {
            keys[0] = key;
            siftKeys(keys, 0, count);
        }
    }
    if (count < 2)
        return 0; /* no span: outside, and nothing to poll */
    HatchSortKeys(keys, count);
    /* Merge equal neighbours in one walk, as mergeCrossings does. */
    int32_t out = 0, next = 0;
    while (next < count) {
        if (next + 1 < count && (keys[next] >> 32) == (keys[next + 1] >> 32)) {
            next += (keys[next] & 3) == (keys[next + 1] & 3) ? 2 : 1;
            continue;
        }
        hatchCrossX[out++] = (int32_t)((uint32_t)(keys[next] >> 32) ^ 0x80000000u);
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
