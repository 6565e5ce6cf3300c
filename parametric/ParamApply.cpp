/*
 * ParamApply.cpp - the stretch of one pass: in link-update mode the texts
 * linked to lines are kept in step (ParamLinks.cpp), around the host's
 * stretch of the work area; then the links are updated and the work area
 * is drawn again.
 *
 * The compensation is worked out in whole drawing units from the truncated
 * displacement and its half, while the host stretches by the unrounded one.
 */
#include "parametric/Param.h"

void ParamApply(double dx, double dy, int32_t linkMode, int32_t linkConfirm)
{
    HostServices *s = gHostServices;
    HostState *st = gHostState;
    int32_t n = st->selFirst, m = st->selEnd;
    s->ClearHighlight(0, 0);
    st->linkRefresh = 1;
    s->UpdateLinkedFigures();

    if (linkMode == 1)
        ParamLinksBeforeStretch(dx, dy);
    st->windowX1 = FrameTruncate(st->rangeX1);
    st->windowY1 = FrameTruncate(st->rangeY1);
    st->windowX2 = FrameTruncate(st->rangeX2);
    st->windowY2 = FrameTruncate(st->rangeY2);
    st->argBx = dx;
    st->argBy = dy;
    st->drawIndex = n + 1;
    s->StretchFigures();
    if (linkMode == 1)
        ParamLinksAfterStretch();

    if (linkMode == 1)
        s->UpdateLinks(st->tables, n + 1, m - 1, linkMode, linkConfirm);
    st->drawingModified = 1;
    s->ClearMarks(0, 0);

    ParamDrawAtView(n + 1, 3);
}

void ParamDrawAtView(int32_t first, int32_t mode)
{
    HostState *st = gHostState;
    st->drawShiftX = 0;
    st->drawShiftY = 0;
    st->drawMode = mode;
    st->drawIndex = first;
    st->refPointX = FrameTruncate(st->tables->viewRefX);
    st->refPointY = FrameTruncate(st->tables->viewRefY);
    gHostServices->DrawFiguresFrom();
}
