/*
 * ParamPreview.cpp - the drag preview of the parametric command, run by
 * USSR on the host's mouse events while the end point of the move is asked.
 * It shows the collected figures stretched to the cursor, on the preview
 * copy behind the work area (M+1 .. P-1); the work area, the figures below
 * N, the markers and drawingModified are never touched.
 */
#include "parametric/Param.h"

/* Restores the preview copy from the work area and stretches it by the
   displacement from the base point to the cursor; in orthogonal mode only
   the larger component is kept (the horizontal one when they are equal). */
static void rebuildCopy(int32_t n, int32_t m, int32_t p)
{
    HostServices *s = gHostServices;
    HostState *st = gHostState;
    st->rangeFirst = n + 1;
    st->rangeSecond = p;
    st->rangeLast = m + 1;
    s->CopyFigureRange(); /* displacements never add up */
    s->ClearHighlight(0, 0);
    st->linkRefresh = 1;
    s->UpdateLinkedFigures();

    st->windowX1 = FrameTruncate(st->rangeX1);
    st->windowX2 = FrameTruncate(st->rangeX2);
    st->windowY1 = FrameTruncate(st->rangeY1);
    st->windowY2 = FrameTruncate(st->rangeY2);
    double dx = s->CursorToDrawingX(st->cursorX) - st->pointX;
    double dy = s->CursorToDrawingY(st->cursorY) - st->pointY;
    if (st->orthoMode == 0) {
        st->argBx = dx;
        st->argBy = dy;
    } else {
        double ax = s->AbsValue(dx);
        double ay = s->AbsValue(dy);
        st->argBx = ay > ax ? 0.0 : dx;
        st->argBy = ay > ax ? dy : 0.0;
    }
    st->drawIndex = m + 1;
    s->StretchFigures();
    s->ClearMarks(0, 0);
}

/* Rebuilds the copy when the host asks (previewUpdate 1), then draws the
   host's drag line and the copy in the preview mode.  Before ParamMoveInput
   has made the copy, and after the end-point request, it does nothing: the
   entries behind M would be whatever an earlier pass left there. */
int32_t ParamDragPreview(void)
{
    if (!paramPreviewReady)
        return 1;
    HostServices *s = gHostServices;
    HostState *st = gHostState;
    int32_t n = st->selFirst, m = st->selEnd, p = st->copyEnd;
    if (st->previewUpdate == 1)
        rebuildCopy(n, m, p);

    double snapped = s->SnapDragPoint(st->pointY, st->cursorX, st->cursorY, 0, st->snapMode, 7);
    double distance = s->MeasureDistance(st->pointX, snapped);
    s->DrawXorLine(0, 1, 0xFFFFFF, distance);

    st->tables->drawContext = st->viewContext;
    ParamDrawAtView(m + 1, 1);
    return 1;
}

/* The host calls USSR after USA at the mouse events of a drag; it is the
   drag preview's while VeC92 runs (1 once drawn), and otherwise returns
   the non-zero name comparison. */
extern "C" int32_t USSR(void)
{
    int32_t differs = FrameCompareName(gHostState->currentCommand, "VeC92");
    if (differs != 0)
        return differs;
    return ParamDragPreview();
}
