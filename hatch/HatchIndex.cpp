/*
 * HatchIndex.cpp - the hatch region's edge index (HatchIndex.h): built once
 * per pass, then asked by every inside test and crossing search of the pass.
 *
 * Building costs a few passes over the edges.  The bucket count starts at
 * twice the edge count (at least 64) and is halved until every edge fits into the buckets its Y
 * range meets (long edges of a few regions meet many buckets); with one
 * bucket the index is a plain copy, so any region within HATCH_INDEX_EDGES
 * fits.
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

static void setBuckets(int32_t count, double low, double high)
{
    hatchBucketCount = count;
    hatchBucketLow = low;
    hatchBucketHigh = high;
    hatchBucketScale = high > low ? (double)count / (high - low) : 0.0;
}

static int32_t edgeLow(const struct HatchEdge *e) { return e->y1 < e->y2 ? e->y1 : e->y2; }
static int32_t edgeHigh(const struct HatchEdge *e) { return e->y1 < e->y2 ? e->y2 : e->y1; }

void HatchIndexRegion(void)
{
    int32_t n = regionLineCount;
    HatchIndexForget();
    if (n < 1 || n > HATCH_INDEX_EDGES)
        return; /* nothing to index, or too many edges: straightforward scans */
    DrawingTables *t = gHostState->tables;
    int32_t base = t->workBase;
    double low = 0.0, high = 0.0;
    for (int32_t k = 0; k < n; ++k) {
        struct HatchEdge *e = &hatchEdges[k];
        e->x1 = t->figureX1[base + k + 1];
        e->y1 = t->figureY1[base + k + 1];
        e->x2 = t->figureX2[base + k + 1];
        e->y2 = t->figureY2[base + k + 1];
        struct HatchScanEdge *scan = &hatchScanEdges[k];
        int32_t up = e->y1 > e->y2; /* the lower end first, as the inside test takes it */
        scan->y1 = up ? e->y2 : e->y1;
        scan->y2 = up ? e->y1 : e->y2;
        scan->x1 = up ? e->x2 : e->x1;
        scan->dx = (double)(up ? e->x1 : e->x2) - scan->x1;
        scan->dy = scan->y2 - scan->y1;
        if (k == 0 || edgeLow(e) < low)
            low = edgeLow(e);
        if (k == 0 || edgeHigh(e) > high)
            high = edgeHigh(e);
    }
    int32_t start = 2 * n < 64 ? 64 : 2 * n; /* about two buckets an edge, at least 64 */
    if (start > HATCH_INDEX_SLOTS)
        start = HATCH_INDEX_SLOTS;
    for (int32_t count = start;; count /= 2) { /* fewer buckets until the entries fit */
        setBuckets(count, low, high);
        long long entries = 0;
        for (int32_t k = 0; k < n; ++k)
            entries += bucketOf(edgeHigh(&hatchEdges[k])) - bucketOf(edgeLow(&hatchEdges[k])) + 1;
        if (entries <= HATCH_INDEX_ENTRIES || count == 1)
            break;
    }
    memset(hatchBucketStart, 0, sizeof(int32_t) * (size_t)(hatchBucketCount + 1));
    for (int32_t k = 0; k < n; ++k) {
        int32_t last = bucketOf(edgeHigh(&hatchEdges[k]));
        for (int32_t b = bucketOf(edgeLow(&hatchEdges[k])); b <= last; ++b)
            ++hatchBucketStart[b + 1];
    }
    for (int32_t b = 0; b < hatchBucketCount; ++b)
        hatchBucketStart[b + 1] += hatchBucketStart[b];
    /* Fill each bucket in edge order; hatchCandidates serves as the cursors. */
    memcpy(hatchCandidates, hatchBucketStart, sizeof(int32_t) * (size_t)hatchBucketCount);
    for (int32_t k = 0; k < n; ++k) {
        int32_t last = bucketOf(edgeHigh(&hatchEdges[k]));
        for (int32_t b = bucketOf(edgeLow(&hatchEdges[k])); b <= last; ++b)
            hatchBucketEntries[hatchCandidates[b]++] = k;
    }
    hatchIndexCount = n;
}

const int32_t *HatchIndexAt(double y, int32_t *count)
{
    if (!(y >= hatchBucketLow && y <= hatchBucketHigh)) {
        *count = 0; /* outside every edge's Y range (or not a number) */
        return hatchBucketEntries;
    }
    int32_t b = bucketOf(y);
    *count = hatchBucketStart[b + 1] - hatchBucketStart[b];
    return hatchBucketEntries + hatchBucketStart[b];
}

static const int32_t *everyEdge(int32_t *count)
{
    for (int32_t k = 0; k < hatchIndexCount; ++k)
        hatchCandidates[k] = k;
    *count = hatchIndexCount;
    return hatchCandidates;
}

const int32_t *HatchIndexAcross(double lo, double hi, int32_t *count)
{
    if (!(lo <= hi))
        return everyEdge(count); /* not a pair of numbers: no edge may be left out */
    if (hi < hatchBucketLow || lo > hatchBucketHigh) {
        *count = 0;
        return hatchCandidates;
    }
    int32_t b0 = bucketOf(lo), b1 = bucketOf(hi);
    if (b0 == b1) {
        *count = hatchBucketStart[b0 + 1] - hatchBucketStart[b0];
        return hatchBucketEntries + hatchBucketStart[b0];
    }
    int32_t first = hatchBucketStart[b0], end = hatchBucketStart[b1 + 1];
    if (end - first >= hatchIndexCount)
        return everyEdge(count); /* as many entries as edges: taking all is cheaper */
    if (++hatchCandidateQuery == 0) { /* the query numbers wrapped: start the marks afresh */
        memset(hatchCandidateMark, 0, sizeof hatchCandidateMark);
        hatchCandidateQuery = 1;
    }
    int32_t m = 0;
    for (int32_t i = first; i < end; ++i) {
        int32_t k = hatchBucketEntries[i];
        if (hatchCandidateMark[k] != hatchCandidateQuery) {
            hatchCandidateMark[k] = hatchCandidateQuery;
            hatchCandidateKeys[m++] = (uint64_t)(uint32_t)k;
        }
    }
    HatchSortKeys(hatchCandidateKeys, m);
    for (int32_t i = 0; i < m; ++i)
        hatchCandidates[i] = (int32_t)hatchCandidateKeys[i];
    *count = m;
    return hatchCandidates;
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
