/*
 * HatchIndex.h - the hatch region's edge index, shared by the inside test
 * and the crossing routines (HatchInside.cpp, HatchTrim.cpp).
 *
 * The index keeps a copy of the region edges and puts each into every one of
 * B uniform Y buckets that its Y range meets, in edge order.  The bucket of a
 * value is a monotone function of it, so every edge whose closed Y range
 * holds y is in the bucket of y: a query visits only that bucket's edges, in
 * edge order, and so finds exactly the edges the straightforward scan would
 * use, in the same order.  Storage is fixed; a region that does not fit is
 * left to the straightforward scans.
 */
#ifndef NEROLIT_HATCH_HATCHINDEX_H
#define NEROLIT_HATCH_HATCHINDEX_H

#include "hatch/Hatch.h"

/* Edges the index holds.  The benchmark builds the module a second time with
   0 to time the straightforward scans. */
#ifndef HATCH_INDEX_EDGES
#define HATCH_INDEX_EDGES 16384
#endif
#define HATCH_INDEX_SLOTS (HATCH_INDEX_EDGES > 64 ? HATCH_INDEX_EDGES : 64) /* storage, never empty */
#define HATCH_INDEX_ENTRIES (HATCH_INDEX_SLOTS * 16) /* bucket entries, all buckets together */

/* One region edge as it stands in the work area. */
struct HatchEdge {
    int32_t x1, y1, x2, y2;
};

/* A region edge as the inside test uses it: lower end first (y1 <= y2), its
   X and Y extents as exact doubles (differences of 32-bit integers). */
struct HatchScanEdge {
    double y1, y2, x1, dx, dy;
};

/* The index and the inside test's crossing scratch (defined in
   HatchState.cpp with the command's other state). */
extern int32_t hatchIndexCount;                              /* edges indexed; 0: no index */
extern struct HatchEdge hatchEdges[HATCH_INDEX_SLOTS];       /* copy of region edge k + 1 at k */
extern struct HatchScanEdge hatchScanEdges[HATCH_INDEX_SLOTS]; /* the same edges, ready for the inside test */
extern int32_t hatchBucketCount;                             /* B, 1..HATCH_INDEX_SLOTS */
extern double hatchBucketLow, hatchBucketHigh;               /* smallest and largest edge Y */
extern double hatchBucketScale;                              /* buckets per Y unit (0 with one bucket) */
extern int32_t hatchBucketStart[HATCH_INDEX_SLOTS + 1];      /* bucket b's entries start here; b + 1 ends them */
extern int32_t hatchBucketEntries[HATCH_INDEX_ENTRIES];      /* edge numbers, bucket by bucket, in edge order */
extern int32_t hatchCandidates[HATCH_INDEX_SLOTS];           /* answer of HatchIndexAcross */
extern uint32_t hatchCandidateMark[HATCH_INDEX_SLOTS];       /* last HatchIndexAcross query that took the edge */
extern uint32_t hatchCandidateQuery;                         /* number of the present query */
extern uint64_t hatchCandidateKeys[HATCH_INDEX_SLOTS];       /* HatchIndexAcross's sort keys */
extern uint64_t hatchSortAux[HATCH_INDEX_SLOTS];             /* merge buffer of HatchSortKeys */
extern int32_t hatchSortRuns[HATCH_INDEX_SLOTS + 1];         /* HatchSortKeys: where each sorted run starts */
extern uint64_t hatchCrossKeys[HATCH_INDEX_SLOTS];           /* inside test: (X, position) of each crossing */
extern int8_t hatchCrossMarks[HATCH_INDEX_SLOTS];            /* inside test: vertex mark by position */
extern int32_t hatchCrossX[HATCH_INDEX_SLOTS];               /* inside test: merged crossing X */

/* 1 when the index describes the present region edges. */
int32_t HatchIndexUsable(void);

/* Edges whose Y range holds y, in edge order: *count of them from the
   returned list (0-based edge numbers).  Nothing for y outside the region or
   not a number. */
const int32_t *HatchIndexAt(double y, int32_t *count);

/* Edges whose Y range may meet [lo, hi], in edge order, each once: every
   edge with a Y value in [lo, hi] is among them.  A range that is not a
   pair of numbers gives every edge. */
const int32_t *HatchIndexAcross(double lo, double hi, int32_t *count);

/* Sorts n distinct 64-bit keys ascending (the callers make them distinct by
   putting the original position in the low bits, which keeps equal values in
   their order).  O(n log n), and O(n) for keys already in a few runs up or
   down, as crossings in edge order usually are. */
void HatchSortKeys(uint64_t *keys, int32_t n);

#endif /* NEROLIT_HATCH_HATCHINDEX_H */
