/*
 * HatchIndex.h - the hatch region's edge index, shared by the inside test
 * and the crossing routines (HatchInside.cpp, HatchTrim.cpp).
 *
 * The index serves every region the host's work area can hold, however
 * large, without memory of its own per edge: the region's Y range is cut
 * into B uniform buckets (B a power of two, about two an edge, at most
 * HATCH_INDEX_BUCKETS), and the buckets are grouped into levels: a node of
 * level l covers 2^l neighbouring buckets.  Each edge goes into the lowest
 * level where its buckets meet at most two neighbouring nodes, and into
 * those one or two nodes, so a node holds only edges about its own size.
 * The nodes' lists are chained through the edge's own entry in the work
 * area (figureW for its first node, figureAttr for its second), which the
 * pass no longer needs once the region is measured; the list heads are the
 * module's, two per bucket.
 *
 * A query for the edges whose Y range may meet [lo, hi] visits, on every
 * level, the nodes that cover the buckets of lo..hi: every such edge comes
 * once, but not in edge order.  The callers restore that order where the
 * rule needs it (edge numbers in the sort keys, the last or first edges by
 * number).  A region of more than about HATCH_INDEX_BUCKETS / 2 edges puts
 * more edges into a bucket, so a query's cost grows with the edges per
 * bucket, smoothly.
 */
#ifndef NEROLIT_HATCH_HATCHINDEX_H
#define NEROLIT_HATCH_HATCHINDEX_H

#include "hatch/Hatch.h"

/* Largest bucket count (a power of two).  The benchmark builds the module a
   second time with HATCH_STRAIGHT defined to time the straightforward
   scans, which then serve every region. */
#define HATCH_INDEX_BUCKETS 131072
#define HATCH_INDEX_LEVELS 18 /* log2(HATCH_INDEX_BUCKETS) + 1 */
#define HATCH_CROSS_SLOTS 16384 /* crossings of one scan line sorted in module storage; more are sorted in the work area */

/* One region edge as it stands in the work area. */
struct HatchEdge {
    int32_t x1, y1, x2, y2;
};

/* A walk over the edges that an index query gives (HatchIndexWalkStart,
   HatchIndexWalkNext); plain data on the caller's stack. */
struct HatchIndexWalk {
    int32_t level;     /* level being walked; HATCH_INDEX_LEVELS once done */
    int32_t lowBucket; /* buckets of the query's lo and hi */
    int32_t highBucket;
    int32_t node;      /* node of `level` being walked, and the last to walk */
    int32_t lastNode;
    int32_t link;      /* next link in the node's list (2 * edge + slot), -1 at its end */
    int32_t every;     /* 1: every edge in order (next edge in `node`) */
    int32_t links;     /* links left to follow: two an edge at most */
};

/* The index and the inside test's crossing scratch (defined in
   HatchState.cpp with the command's other state). */
extern int32_t hatchIndexCount;                                /* edges indexed; 0: no index */
extern int32_t hatchIndexLevels;                               /* levels 0..hatchIndexLevels-1 */
extern int32_t hatchBucketCount;                               /* B, a power of two */
extern double hatchBucketLow, hatchBucketHigh;                 /* smallest and largest edge Y */
extern double hatchBucketScale;                                /* buckets per Y unit (0 with one bucket) */
extern int32_t hatchLevelStart[HATCH_INDEX_LEVELS + 1];        /* first head of each level in hatchHeads */
extern int32_t hatchHeads[2 * HATCH_INDEX_BUCKETS];            /* first link of each node's list, -1: empty */
extern uint64_t hatchCrossKeys[HATCH_CROSS_SLOTS];             /* inside test: (X, edge, mark) of each crossing */
extern uint64_t hatchSortAux[HATCH_CROSS_SLOTS];               /* merge buffer of HatchSortKeys */
extern int32_t hatchSortRuns[HATCH_CROSS_SLOTS + 1];           /* HatchSortKeys: where each sorted run starts */
extern int32_t hatchCrossX[HATCH_CROSS_SLOTS];                 /* inside test: merged crossing X */

/* 1 when the index describes the present region edges. */
int32_t HatchIndexUsable(void);

/* Starts a walk over the edges whose Y range may meet [lo, hi]: every edge
   with a Y value in [lo, hi] comes once, in no particular order; edges
   wholly outside may come too.  A range that is not a pair of numbers
   gives every edge, in edge order. */
void HatchIndexWalkStart(struct HatchIndexWalk *w, double lo, double hi);

/* The next edge of the walk (0-based edge number), or -1 when it is done. */
int32_t HatchIndexWalkNext(struct HatchIndexWalk *w);

/* Region edge k (0-based) as it stands in the work area. */
void HatchIndexEdge(int32_t k, int32_t *x1, int32_t *y1, int32_t *x2, int32_t *y2);

/* Sorts n distinct 64-bit keys ascending (the callers make them distinct by
   putting an edge number in the low bits, which orders equal values by
   edge).  O(n log n), and O(n) for keys already in a few runs up or down.
   n is at most HATCH_CROSS_SLOTS. */
void HatchSortKeys(uint64_t *keys, int32_t n);

#endif /* NEROLIT_HATCH_HATCHINDEX_H */
