/*
 * Param.h - the parametric transform command VeC92: its routines, its
 * module-wide state and its texts.
 *
 * The command stretches every figure that lies in or crosses a window by a
 * displacement.  One pass: ParamRangeInput collects the figures into a work
 * area behind the drawing (indices N+1 .. M-1, N = selFirst, M = selEnd),
 * ParamMoveInput takes the base point, copies the work area behind M for
 * the drag preview (M+1 .. P-1, P = copyEnd) and takes the end point, and
 * ParamApply keeps linked texts in step and has the host stretch the work
 * area.  While the end point is asked with the drag switch on, the host
 * calls USSR, which runs ParamDragPreview on the copy.
 */
#ifndef NEROLIT_PARAMETRIC_PARAM_H
#define NEROLIT_PARAMETRIC_PARAM_H

#include "frame/Module.h"

/* --- module-wide state (ParamState.cpp) --------------------------------- */

extern int32_t paramDragSwitch;   /* "c92_drag_sw": non-zero asks the end point with the drag preview */
extern int32_t paramPreviewReady; /* 1 only while the end point is asked and the preview copy exists */
extern int32_t paramTextRoom;     /* slots the linked-text pass may use, 0 .. PARAM_TEXT_SLOTS (tests lower it) */

/* Texts below the work area whose places the linked-text pass can hold at
   once (ParamLinks.cpp); more take further batches. */
#define PARAM_TEXT_SLOTS 65536

/* --- texts (Shift-JIS in the module) ------------------------------------ */

extern const char paramCaption[];          /* panel caption "パラメトリック変形" */
extern const char paramDragLabel[];        /* check box "ドラッグ" */
extern const char paramConfirmLabel[];     /* check box "確認" */
extern const char paramUnlinkLabel[];      /* radio button "リンクを解除する" (linkMode 0) */
extern const char paramRelinkLabel[];      /* radio button "リンクを更新する" (linkMode 1) */
extern const char paramRangeStartPrompt[]; /* "パラメトリック範囲 始点" */
extern const char paramRangeEndPrompt[];   /* "パラメトリック範囲 終点" */
extern const char paramMoveStartPrompt[];  /* "移動 始点" */
extern const char paramMoveEndPrompt[];    /* "移動 終点" */

/* --- routines ------------------------------------------------------------ */

/* Asks the window by two corners and collects the figures that lie in or
   cross it into the work area.  1 when at least one figure was collected;
   0 when the user cancelled at the first corner or nothing was collected.
   A cancel at the second corner asks the first again; so does a window
   given while the drawing has no room behind its end marker for a
   collection, after SignalError. */
int32_t ParamRangeInput(void);

/* Asks the base point and the end point of the move.  1 with *dx, *dy the
   displacement in drawing units (end point minus base point, unrounded);
   0 when the user cancelled at the base point.  A cancel at the end point
   asks the base point again.  An end point that would carry the window out
   of the 32-bit coordinate range, or whose displacement is no 32-bit
   distance, is refused (SignalError) and asked again.  When the drawing has
   no room for the preview copy, the end point is asked without preview. */
int32_t ParamMoveInput(double *dx, double *dy);

/* 1 when the window (rangeX1 .. rangeY2) moved by (dx, dy) stays inside the
   32-bit coordinate range, else 0 (also for NaN). */
int32_t ParamMoveFits(double dx, double dy);

/* Keeps linked texts in step (linkMode 1 only), stretches the work area by
   (dx, dy), updates the links (linkMode 1), marks the drawing modified and
   draws the work area.  dx and dy must have passed ParamMoveInput. */
void ParamApply(double dx, double dy, int32_t linkMode, int32_t linkConfirm);

/* Link-update mode, before the host stretches the work area N+1 .. M-1 in
   the window (rangeX1 .. rangeY2) by (dx, dy): tallies the work area's
   linked lines by link number and moves every centred text below N that
   is linked to one of them with the line's middle (ParamLinks.cpp). */
void ParamLinksBeforeStretch(double dx, double dy);

/* Link-update mode, after the stretch: takes off each linked text of the
   work area what the stretch moved it beyond the middles of its lines, or
   all of it when none of its lines was collected.  Needs the tallies of
   ParamLinksBeforeStretch of the same pass. */
void ParamLinksAfterStretch(void);

/* DrawFiguresFrom for the figures from `first` up to the next end marker in
   drawing mode `mode` (1 preview, 3 final), unshifted, at the view's
   reference point (viewRefX, viewRefY truncated toward zero). */
void ParamDrawAtView(int32_t first, int32_t mode);

/* 1 when (px, py) lies strictly outside the window with corners (x1, y1)
   and (x2, y2) in either order; a point on the border is inside (0). */
int32_t ParamPointOutside(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t px, int32_t py);


/* Drag preview run by USSR while VeC92 asks for the end point; always 1.
   Does nothing unless the preview copy exists (paramPreviewReady). */
int32_t ParamDragPreview(void);

#endif /* NEROLIT_PARAMETRIC_PARAM_H */
