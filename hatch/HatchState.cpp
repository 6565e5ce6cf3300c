/*
 * HatchState.cpp - every module-wide variable of the hatching command, in
 * one place: the pattern settings, the editor's element, the values of one
 * pass, and the fixed storage of the region's edge index.  Hatch.h and
 * HatchIndex.h say what each is for.  All start at zero when the module is
 * loaded; the settings are reloaded at every start of the command.
 */
#include "hatch/HatchIndex.h"

/* Pattern settings. */
int32_t hatchNo;
int32_t hkitenSw;
double hatchPx[HATCH_SLOTS];
double hatchPy[HATCH_SLOTS];
int32_t hprintSw[HATCH_SLOTS];
int32_t hichSw[HATCH_SLOTS];
int32_t hkataSw[HATCH_SLOTS];
int32_t hsw[HATCH_SLOTS][HATCH_ELEMENTS];
double hatchX1[HATCH_SLOTS][HATCH_ELEMENTS];
double hatchY1[HATCH_SLOTS][HATCH_ELEMENTS];
double hatchR[HATCH_SLOTS][HATCH_ELEMENTS];
double hatchQ1[HATCH_SLOTS][HATCH_ELEMENTS];

/* Editor panel. */
int32_t hatchElement;

/* One pass. */
int32_t workRoom;
int32_t lineLimit;
int32_t regionLineCount;
int32_t crossBase;
int32_t rangeStart;
double regionX1, regionY1, regionX2, regionY2;
double baseX, baseY;
double pitchX, pitchY;
int32_t writeStart;
int32_t writeNext;
int32_t writeLimit;
int32_t hatchEscaped;

/* Edge index and the inside test's crossings (about 2.7 MB, zero-filled). */
int32_t hatchIndexCount;
struct HatchEdge hatchEdges[HATCH_INDEX_SLOTS];
struct HatchScanEdge hatchScanEdges[HATCH_INDEX_SLOTS];
int32_t hatchBucketCount;
double hatchBucketLow, hatchBucketHigh;
double hatchBucketScale;
int32_t hatchBucketStart[HATCH_INDEX_SLOTS + 1];
int32_t hatchBucketEntries[HATCH_INDEX_ENTRIES];
int32_t hatchCandidates[HATCH_INDEX_SLOTS];
uint32_t hatchCandidateMark[HATCH_INDEX_SLOTS];
uint32_t hatchCandidateQuery;
uint64_t hatchCandidateKeys[HATCH_INDEX_SLOTS];
uint64_t hatchSortAux[HATCH_INDEX_SLOTS];
int32_t hatchSortRuns[HATCH_INDEX_SLOTS + 1];
uint64_t hatchCrossKeys[HATCH_INDEX_SLOTS];
int8_t hatchCrossMarks[HATCH_INDEX_SLOTS];
int32_t hatchCrossX[HATCH_INDEX_SLOTS];
