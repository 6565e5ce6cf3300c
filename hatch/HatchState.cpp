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

/* Edge index and the inside test's crossings (about 1.4 MB, zero-filled). */
int32_t hatchIndexCount;
int32_t hatchIndexLevels;
int32_t hatchBucketCount;
double hatchBucketLow, hatchBucketHigh;
double hatchBucketScale;
int32_t hatchLevelStart[HATCH_INDEX_LEVELS + 1];
int32_t hatchHeads[2 * HATCH_INDEX_BUCKETS];
uint64_t hatchCrossKeys[HATCH_CROSS_SLOTS];
uint64_t hatchSortAux[HATCH_CROSS_SLOTS];
int32_t hatchSortRuns[HATCH_CROSS_SLOTS + 1];
int32_t hatchCrossX[HATCH_CROSS_SLOTS];
