/*
 * HatchIndex.cpp - the hatch region's edge index (HatchIndex.h): built once
 * per pass, then walked by every inside test and crossing search of the
 * pass.
 *
 * Building reads the edges twice and clears two heads a bucket: linear in
 * the edges.  The lists come out in edge order within each node, because
 * the edges are pushed onto them last first.
 */
#include "hatch/HatchIndex.h"

#include <string.h>

int32_t HatchIndexUsable(void)
{
    return hatchIndexCount > 0 && hatchIndexCount == regionLineCount;
}

void HatchIndexForget(void)
{
    hatchIndexCount = 0;
}

void HatchIndexEdge(int32_t k, int32_t *x1, int32_t *y1, int32_t *x2, int32_t *y2)
{
    DrawingTables *t = gHostState->tables;
    int32_t e = t->workBase + 1 + k;
    *x1 = t->figureX1[e];
    *y1 = t->figureY1[e];
    *x2 = t->figureX2[e];
    *y2 = t->figureY2[e];
}

/* Bucket of a Y value: monotone in v, clamped into 0..B-1 (NaN gives 0). */
static int32_t bucketOf(double v)
{
    double t = (v - hatchBucketLow) * hatchBucketScale;
    if (!(t > 0.0))
        return 0;
    if (t >= (double)hatchBucketCount)
        return hatchBucketCount - 1;
    return (int32_t)t;
}

/* The chain field of a link (2 * edge + slot): figureW of the edge's entry
   for slot 0, figureAttr for slot 1. */
static int32_t *chain(int32_t link)
{
    DrawingTables *t = gHostState->tables;
    int32_t e = t->workBase + 1 + (link >> 1);
    return (link & 1) ? &t->figureAttr[e] : &t->figureW[e];
}

/* Level of an edge over buckets b0..b1 (b0 <= b1): the lowest where they
   meet at most two neighbouring nodes. */
static int32_t levelOf(int32_t b0, int32_t b1)
{
    int32_t l = 0;
    while ((b1 >> l) - (b0 >> l) > 1)
        ++l;
    return l;
}

void HatchIndexRegion(void)
{
    int32_t n = regionLineCount;
    HatchIndexForget();
#ifdef HATCH_STRAIGHT
    n = 0; /* the benchmark's module without an index */
#endif
    if (n < 1)
        return;
    int32_t x1, y1, x2, y2;
    double low = 0.0, high = 0.0;
    for (int32_t k = 0; k < n; ++k) {
        HatchIndexEdge(k, &x1, &y1, &x2, &y2);
        double lo = y1 < y2 ? y1 : y2, hi = y1 < y2 ? y2 : y1;
        if (k == 0 || lo < low)
            low = lo;
        if (k == 0 || hi > high)
            high = hi;
    }
    int32_t buckets = 64, levels = 7; /* about two buckets an edge, at least 64 */
    while (buckets < HATCH_INDEX_BUCKETS && buckets < 2 * n) {
        buckets *= 2;
        ++levels;
    }
    hatchBucketCount = buckets;
    hatchIndexLevels = levels;
    hatchBucketLow = low;
    hatchBucketHigh = high;
    hatchBucketScale = high > low ? (double)buckets / (high - low) : 0.0;
    hatchLevelStart[0] = 0;
    for (int32_t l = 0; l < levels; ++l)
        hatchLevelStart[l + 1] = hatchLevelStart[l] + (buckets >> l);
    memset(hatchHeads, 0xFF, sizeof(int32_t) * (size_t)hatchLevelStart[levels]); /* every list empty */
    for (int32_t k = n - 1; k >= 0; --k) {
        HatchIndexEdge(k, &x1, &y1, &x2, &y2);
        int32_t b0 = bucketOf(y1 < y2 ? y1 : y2), b1 = bucketOf(y1 < y2 ? y2 : y1);
        int32_t l = levelOf(b0, b1);
        int32_t first = hatchLevelStart[l] + (b0 >> l), second = hatchLevelStart[l] + (b1 >> l);
        *chain(2 * k) = hatchHeads[first];
        hatchHeads[first] = 2 * k;
        if (second != first) {
            *chain(2 * k + 1) = hatchHeads[second];
            hatchHeads[second] = 2 * k + 1;
        }
    }
    hatchIndexCount = n;
}

/* Moves the walk to the first node of `level` (or beyond the last level). */
static void enterLevel(struct HatchIndexWalk *w, int32_t level)
{
    w->level = level;
    if (level >= hatchIndexLevels) {
        w->link = -1;
        return;
    }
    w->node = w->lowBucket >> level;
    w->lastNode = w->highBucket >> level;
    w->link = hatchHeads[hatchLevelStart[level] + w->node];
}

void HatchIndexWalkStart(struct HatchIndexWalk *w, double lo, double hi)
{
    w->every = 0;
    w->links = 2 * hatchIndexCount;
    if (!(lo <= hi)) { /* not a pair of numbers: no edge may be left out */
        w->every = 1;
        w->node = 0;
        return;
    }
    if (hi < hatchBucketLow || lo > hatchBucketHigh) {
        w->level = hatchIndexLevels; /* outside every edge's Y range */
        w->link = -1;
        return;
    }
    w->lowBucket = bucketOf(lo);
    w->highBucket = bucketOf(hi);
    enterLevel(w, 0);
}

int32_t HatchIndexWalkNext(struct HatchIndexWalk *w)
{
    if (w->every)
        return w->node < hatchIndexCount ? w->node++ : -1;
    for (;;) {
        while (w->link >= 0) {
            /* No list holds more: a work area changed under the index (it
               never is during a pass) ends the walk rather than looping. */
            if (--w->links < 0)
                return -1;
            int32_t link = w->link;
            w->link = *chain(link);
            /* An edge in two nodes is met in its second node only when its
               first node (the one before) lies outside the query. */
            if ((link & 1) == 0 || w->node - 1 < (w->lowBucket >> w->level))
                return link >> 1;
        }
        if (w->level >= hatchIndexLevels)
            return -1;
        if (w->node < w->lastNode) {
            w->node += 1;
            w->link = hatchHeads[hatchLevelStart[w->level] + w->node];
        } else {
            enterLevel(w, w->level + 1);
        }
    }
}

/* Merges the sorted runs a[lo..mid) and a[mid..hi) into out[lo..hi). */
static void mergeRuns(const uint64_t *a, uint64_t *out, int32_t lo, int32_t mid, int32_t hi)
{
    int32_t i = lo, j = mid, o = lo;
    while (i < mid && j < hi)
        out[o++] = a[j] < a[i] ? a[j++] : a[i++];
    while (i < mid)
        out[o++] = a[i++];
    while (j < hi)
        out[o++] = a[j++];
}

void HatchSortKeys(uint64_t *keys, int32_t n)
{
    if (n <= 16) { /* insertion sort: the usual few crossings */
        for (int32_t i = 1; i < n; ++i) {
            uint64_t v = keys[i];
            int32_t j = i;
            for (; j > 0 && keys[j - 1] > v; --j)
                keys[j] = keys[j - 1];
            keys[j] = v;
        }
        return;
    }
    /* Natural merge sort: cut into runs up or down (a run down is turned
       round; the keys are distinct, so that keeps the order), then merge
       neighbouring runs until one is left. */
    int32_t runs = 0;
    for (int32_t i = 0; i < n;) {
        int32_t j = i + 1;
        if (j < n && keys[j] < keys[i]) {
            while (j < n && keys[j] < keys[j - 1])
                ++j;
            for (int32_t a = i, b = j - 1; a < b; ++a, --b) {
                uint64_t t = keys[a];
                keys[a] = keys[b];
                keys[b] = t;
            }
        } else {
            while (j < n && keys[j] > keys[j - 1])
                ++j;
        }
        hatchSortRuns[runs++] = i;
        i = j;
    }
    hatchSortRuns[runs] = n;
    uint64_t *from = keys, *to = hatchSortAux;
    while (runs > 1) {
        int32_t merged = 0;
        for (int32_t r = 0; r < runs; r += 2) {
            int32_t lo = hatchSortRuns[r], mid = hatchSortRuns[r + 1];
            int32_t hi = r + 2 <= runs ? hatchSortRuns[r + 2] : mid;
            mergeRuns(from, to, lo, mid, hi);
            hatchSortRuns[merged++] = lo;
        }
        hatchSortRuns[merged] = n;
        runs = merged;
        uint64_t *swap = from;
        from = to;
        to = swap;
    }
    if (from != keys)
        memcpy(keys, from, sizeof(uint64_t) * (size_t)n);
}
