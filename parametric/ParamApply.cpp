/*
 * ParamApply.cpp - the stretch of one pass: in link-update mode the texts
 * linked to lines are kept in step first (a text follows half the move of
 * a stretched line it is centred on), then the host stretches the work area,
 * updates the links and the work area is drawn again.
 *
 * The compensation is worked out in whole drawing units from the truncated
 * displacement (ix, iy) and its half (hx, hy), while the host stretches by
 * the unrounded one.  Sums are formed in 64 bits and stored saturated at the
 * 32-bit coordinate range: a text pushed beyond it stops at its end.
 */
#include "parametric/Param.h"

/* Scratch of one ParamApply call, shared by its helpers. */
static int32_t wx1, wy1, wx2, wy2; /* the window, normalised, in whole units */
static int64_t ix, iy;             /* the displacement truncated toward zero */
static int64_t hx, hy;             /* its half, rounded toward zero */

/* Work-area texts whose compensation is taken off after the host's stretch
   (compensateText): their index and the amounts, in x and y. */
#define LATE_TEXTS 256
static int32_t lateCount;             /* entries in use */
static int32_t lateIndex[LATE_TEXTS]; /* figure index of the text */
static int64_t lateX[LATE_TEXTS];     /* amount taken off figureX1 */
static int64_t lateY[LATE_TEXTS];     /* amount taken off figureY1 */

static int32_t saturated(int64_t v)
{
    if (v > 2147483647)
        return 2147483647;
    if (v < -2147483647 - 1)
        return (-2147483647 - 1);
    return (int32_t)v;
}

/* The drawing tables, reached afresh at every use. */
static DrawingTables *tables(void) { return gHostState->tables; }

static int32_t linkOf(int32_t i) { return tables()->figureAttr[i] >> 16; }

static int32_t kindOf(int32_t i) { return gHostServices->GetFigureKind(FrameFigureType(i)); }

/* Origin codes 1, 5 and 9 place the text's middle on its insertion point. */
static int32_t centred(int32_t textIndex)
{
    int32_t origin = gHostServices->GetTextOrigin(tables()->figureY2[textIndex + 1]);
    return origin == 1 || origin == 5 || origin == 9;
}

/* Work-area text i with link number link: takes off hx, hy for every linked
   line of the work area that has an end point outside the window when the
   text is centred, and ix, iy when no linked line was collected, so that
   the host's stretch then leaves it at half, all or none of the move.

   The host stretches the text when its stored position lies in the window.
   Where taking the amount off first would carry the position across the
   window's border, the host would stretch it wrongly (or not at all), so
   that text keeps its position for the stretch and the amount is taken off
   after it (see applyLateTexts); both orders end at the same place
   otherwise. */
static void compensateText(int32_t i, int32_t link, int32_t n, int32_t m)
{
    int64_t qualifying = 0, lines = 0;
    for (int32_t j = n + 1; j < m; ++j) {
        if (kindOf(j) != 2 || linkOf(j) != link)
            continue;
        ++lines;
        int32_t a = ParamPointOutside(wx1, wy1, wx2, wy2, tables()->figureX1[j], tables()->figureY1[j]);
        int32_t b = ParamPointOutside(wx1, wy1, wx2, wy2, tables()->figureX2[j], tables()->figureY2[j]);
        if (a + b > 0 && centred(i))
            ++qualifying;
    }
    int64_t offX = qualifying * hx + (lines == 0 ? ix : 0);
    int64_t offY = qualifying * hy + (lines == 0 ? iy : 0);
    if (offX == 0 && offY == 0)
        return;
    int32_t x = tables()->figureX1[i], y = tables()->figureY1[i];
    int32_t nx = saturated(x - offX), ny = saturated(y - offY);
    int32_t before = ParamPointOutside(wx1, wy1, wx2, wy2, x, y);
    int32_t after = ParamPointOutside(wx1, wy1, wx2, wy2, nx, ny);
    if (before != after && lateCount < LATE_TEXTS) {
        lateIndex[lateCount] = i;
        lateX[lateCount] = offX;
        lateY[lateCount] = offY;
        ++lateCount;
        return;
    }
    /* Taken off before the stretch; so is a crossing text once the table is
       full, which the host then stretches as it stands. */
    tables()->figureX1[i] = nx;
    tables()->figureY1[i] = ny;
}

/* Work-area line with link number link: every text of the drawing below N
   that carries the same link number and is centred follows half the move,
   taken off the display first.  Only texts are moved: any other figure, and
   a text's continuation entry, is left alone. */
static void compensateOutsideTexts(int32_t link, int32_t n)
{
    for (int32_t j = 0; j < n; ++j) {
        if (linkOf(j) != link)
            continue;
        int32_t k = kindOf(j);
        if ((k != 5 && k != 6) || !centred(j))
            continue;
        gHostState->drawIndex = j;
        gHostState->drawMode = 2;
        gHostState->drawFlag = 0;
        gHostServices->DrawFigure();
        tables()->figureX1[j] = saturated((int64_t)tables()->figureX1[j] + hx);
        tables()->figureY1[j] = saturated((int64_t)tables()->figureY1[j] + hy);
    }
}

/* Takes the compensation held back by compensateText off its texts, now that
   the host has stretched them. */
static void applyLateTexts(void)
{
    for (int32_t k = 0; k < lateCount; ++k) {
        int32_t i = lateIndex[k];
        tables()->figureX1[i] = saturated(tables()->figureX1[i] - lateX[k]);
        tables()->figureY1[i] = saturated(tables()->figureY1[i] - lateY[k]);
    }
    lateCount = 0;
}

void ParamApply(double dx, double dy, int32_t linkMode, int32_t linkConfirm)
{
    HostServices *s = gHostServices;
    HostState *st = gHostState;
    int32_t n = st->selFirst, m = st->selEnd;
    s->ClearHighlight(0, 0);
    st->linkRefresh = 1;
    s->UpdateLinkedFigures();

    wx1 = FrameTruncate(st->rangeX1);
    wx2 = FrameTruncate(st->rangeX2);
    wy1 = FrameTruncate(st->rangeY1);
    wy2 = FrameTruncate(st->rangeY2);
    ix = FrameTruncate(dx); /* ParamMoveInput admits only 32-bit displacements */
    iy = FrameTruncate(dy);
    hx = ix / 2; /* rounds toward zero: 7 gives 3, -7 gives -3 */
    hy = iy / 2;

    lateCount = 0;
    if (linkMode == 1) {
        for (int32_t i = n + 1; i < m; ++i) {
            int32_t link = linkOf(i);
            if (link <= 0)
                continue;
            int32_t k = kindOf(i);
            if (k == 5)
                compensateText(i, link, n, m);
            else if (k == 2)
                compensateOutsideTexts(link, n);
        }
    }

    st->windowX1 = wx1;
    st->windowY1 = wy1;
    st->windowX2 = wx2;
    st->windowY2 = wy2;
    st->argBx = dx;
    st->argBy = dy;
    st->drawIndex = n + 1;
    s->StretchFigures();
    applyLateTexts();

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
