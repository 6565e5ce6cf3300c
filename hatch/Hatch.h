/*
 * Hatch.h - the pattern hatching command Hatch ("新ハッチング"): its routines,
 * its module-wide state and the texts it shows.
 *
 * One pass of the command: the pattern editor panel (HatchPanel.cpp,
 * HatchPreview.cpp) edits one of eight pattern slots; the region comes from
 * selected lines or from a polygon the user draws (HatchRegion.cpp); the
 * pattern cell is laid on a grid over the region's box (HatchGenerate.cpp);
 * every new line and circle is trimmed to the region by the even-odd rule
 * (HatchTrim.cpp, HatchInside.cpp, with the edge index of HatchIndex.cpp);
 * HatchCommand.cpp runs the passes.  The settings are in HatchSettings.cpp,
 * the state in HatchState.cpp, the texts in HatchTexts.cpp.
 */
#ifndef NEROLIT_HATCH_HATCH_H
#define NEROLIT_HATCH_HATCH_H

#include "frame/Module.h"

#define HATCH_SLOTS 8    /* pattern slots */
#define HATCH_ELEMENTS 8 /* elements of a slot */
#define HATCH_KINDS 9    /* element kinds 0..8 */

/* --- pattern settings (HatchSettings.cpp reads and writes all 362) --- */
extern int32_t hatchNo;                                    /* slot in use, 0..7 */
extern int32_t hkitenSw;                                   /* 1: the user gives a base point for the grid */
extern double hatchPx[HATCH_SLOTS];                        /* grid pitch in X, pattern length units */
extern double hatchPy[HATCH_SLOTS];                        /* grid pitch in Y */
extern int32_t hprintSw[HATCH_SLOTS];                      /* non-zero: the slot's lengths are print sizes */
extern int32_t hichSw[HATCH_SLOTS];                        /* non-zero: random position of kinds 1..7 */
extern int32_t hkataSw[HATCH_SLOTS];                       /* non-zero: random shape of kinds 1..7 */
extern int32_t hsw[HATCH_SLOTS][HATCH_ELEMENTS];           /* element kind 0..8 */
extern double hatchX1[HATCH_SLOTS][HATCH_ELEMENTS];        /* X offset of the element from the cell origin */
extern double hatchY1[HATCH_SLOTS][HATCH_ELEMENTS];        /* Y offset, subtracted from the cell origin's Y */
extern double hatchR[HATCH_SLOTS][HATCH_ELEMENTS];         /* dX of a line or rectangle, radius otherwise */
extern double hatchQ1[HATCH_SLOTS][HATCH_ELEMENTS];        /* dY of a line or rectangle, polygon rotation */

/* --- the editor panel --- */
extern int32_t hatchElement; /* element shown in the editor, 0..7; not stored */

/* --- one hatch pass --- */
extern int32_t workRoom;        /* workEnd - workBase - 50 */
extern int32_t lineLimit;       /* workRoom - 50: most region edges a pass accepts */
extern int32_t regionLineCount; /* region edges copied into the work area */
extern int32_t crossBase;       /* workBase + regionLineCount + 1: crossing records follow it */
extern int32_t rangeStart;      /* workBase + 1: the first copied region edge */
extern double regionX1, regionY1, regionX2, regionY2; /* region box: min X, min Y, max X, max Y */
extern double baseX, baseY;     /* grid origin of the pass */
extern double pitchX, pitchY;   /* scaled pitches of the slot in use */
extern int32_t writeStart;      /* the drawing's end marker when generation started */
extern int32_t writeNext;       /* where the next generated figure goes */
extern int32_t writeLimit;      /* figureLimit - 50: no cell is started beyond it */
extern int32_t hatchEscaped;    /* 1 once generation or an inside test saw Escape: the pass is abandoned */

/* --- texts (Shift-JIS in the module) --- */
extern const char hatchPanelTitle[];         /* "新ﾊｯﾁﾝｸﾞ byVelmar v0.1b" */
extern const char hatchBasePointCheck[];     /* "基点を指定する" */
extern const char hatchPatternLabel[];       /* "<=ﾊﾟﾀｰﾝ" */
extern const char hatchPitchXCaption[];      /* "ﾋﾟｯﾁ X" */
extern const char hatchPitchYCaption[];      /* "ﾋﾟｯﾁ Y" */
extern const char hatchPrintSizeCheck[];     /* "印刷ｻｲｽﾞ" */
extern const char hatchVaryLabel[];          /* "変形" */
extern const char hatchRandomPositionCheck[];/* "位　置" */
extern const char hatchRandomShapeCheck[];   /* "図　形" */
extern const char hatchElementEditLabel[];   /* "書込み図形編集" */
extern const char hatchElementLabel[];       /* "<=個目" */
extern const char hatchKindLabel[];          /* "図形=>" */
extern const char hatchKindNote[];           /* "↓／　長方形：○　多角形" */
extern const char hatchSizeXCaption[];       /* "⊿X:ｒ" */
extern const char hatchSizeYCaption[];       /* "⊿Y:θ" */
extern const char hatchOffsetLabel[];        /* "原点からの位置" */
extern const char hatchOffsetXCaption[];     /* "⊿Ｘ" */
extern const char hatchOffsetYCaption[];     /* "⊿Ｙ" */
extern const char *const hatchNumberTexts[HATCH_SLOTS]; /* "1".."8" */
extern const char *const hatchKindTexts[HATCH_KINDS];   /* "＊", "／", "○", "△", "□", "５", "６", "８", "長" */
extern const char hatchSelectPrompt[];       /* "ハッチング" */
extern const char hatchRegionStartPrompt[];  /* "ハッチング領域開始点" */
extern const char hatchRegionNextPrompt[];   /* "ハッチング領域指定" */
extern const char hatchBasePointPrompt[];    /* "基点を指定" */
extern const char hatchLimitMessage[];       /* the write-limit message, 69 bytes */

/* --- settings (HatchSettings.cpp) --- */

/* Loads all 362 values from the host's settings, in their fixed order.  A
   stored slot number outside 0..7 is clamped into it; a stored kind outside
   0..8 reads as 0 ("＊", nothing); integers that are not numbers read as
   their default and saturate beyond the 32-bit range. */
void HatchReadSettings(void);

/* Stores all 362 values, in the same order. */
void HatchWriteSettings(void);

/* Stored drawing units per pattern length unit of the slot in use:
   1 / unitFactor, or drawingScale / unitFactor for print sizes. */
double HatchScale(void);

/* --- editor panel (HatchPanel.cpp, HatchPreview.cpp) --- */

/* Opens the pattern editor at the cursor and runs it until the user closes
   it; inputStatus 2 afterwards means cancelled.  A list change (event 901)
   rebuilds the panel for the chosen slot and element. */
void HatchOptionsPanel(void);

/* Draws the preview of the slot in use into the open panel: the background,
   the cell frame and the elements, scaled so that the farthest point fills
   90 % of half the preview's height.  With no usable scale (all extents
   zero, or not finite) only the background is drawn; with a text cell so
   large that the preview's corners leave the 32-bit range, nothing. */
void HatchDrawPreview(void);

/* --- command flow (HatchCommand.cpp, HatchRegion.cpp) --- */

/* Polygon input of the region: the edges drawn stand between the end
   markers at selFirst and selEnd when it returns. */
void HatchRegionInput(void);

/* Copies the line figures from selFirst up to selEnd into the work area
   (stopping once more than lineLimit are found); sets regionLineCount and
   crossBase and writes the end marker at crossBase. */
void HatchCopyRegionLines(void);

/* The host's integer extent of the copied edges into rangeX1..rangeY2. */
void HatchMeasureRegion(void);

/* --- generation and trimming (HatchGenerate.cpp, HatchTrim.cpp) --- */

/* 1 when element e of the slot in use gives figures the host can store in
   some cell: a kind other than 0, finite values wherever the element uses
   them, and a circle's radius not negative.  Generation leaves out the
   others. */
int32_t HatchElementUsable(int32_t e);

/* Lays the slot in use over the region box from (baseX, baseY) and stores
   its figures from writeNext on.  0 when done; 1 when the write limit was
   reached; 2 when the walk was stopped: by Escape at a cell that stored
   nothing (hatchEscaped is then 1), or because more cells stored nothing
   than the drawing has entries left.  Unless 0 the pass must be dropped.
   Never writes an entry at or beyond figureLimit. */
int32_t HatchGenerate(void);

/* Stores one line (one circle) with the drawing's current attributes at
   writeNext, advances writeNext when the host stored it, and writes the end
   marker at writeNext.  With no room below figureLimit for the figure and
   the marker after it, writes nothing. */
void HatchAddLine(double x1, double y1, double x2, double y2);
void HatchAddCircle(double cx, double cy, double r);

/* Trims the line or circle at index h to the region and redraws it; a line
   with both ends outside is deleted without a redraw.  Other figure kinds
   are left alone. */
void HatchTrimFigure(int32_t h);

/* Even-odd inside test of the point against the region edges along the
   horizontal line through y: 1 inside (a point on a span's end counts as
   inside), 0 outside.  Escape during the span scan ends the test with the
   result found so far. */
int32_t HatchInside(double x, double y);

/* 1 when some region edge meets the segment, with the point of the last
   such edge in edge order in (*cx, *cy); else 0 and the point untouched. */
int32_t HatchLineCrossing(double x1, double y1, double x2, double y2, double *cx, double *cy);

/* Crossings of the circle with the region edges: the number of angles
   collected (at most 9), and when there are any the smallest and largest
   angle in degrees in (*aMin, *aMax). */
int32_t HatchCircleCrossings(double cx, double cy, double r, double *aMin, double *aMax);

/* Intersection of the circle with the infinite line through P1 and P2: 0
   (none, or P1 = P2), 1 (tangent: one point in (*ax, *ay)) or 2 points. */
int32_t HatchCircleLineIntersect(double cx, double cy, double r, double x1, double y1, double x2, double y2,
                                 double *ax, double *ay, double *bx, double *by);


/* --- edge index (HatchIndex.cpp) --- */

/* Indexes the region edges of the work area by their Y range, once per
   pass after HatchCopyRegionLines.  A region with more edges than the index
   holds is left unindexed and the straightforward scans are used. */
void HatchIndexRegion(void);

/* Forgets the index (the region edges changed). */
void HatchIndexForget(void);

#endif /* NEROLIT_HATCH_HATCH_H */
