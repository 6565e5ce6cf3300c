/*
 * ParamLinks.cpp - link-update mode of the stretch: a text linked to a line
 * and centred on it (origin code 1, 5 or 9) follows the middle of that line.
 *
 * A line's middle moves not at all when neither of its end points lies in
 * the window (the host leaves such a line as it is), by half the
 * displacement (hx, hy) when one does, and by all of it (ix, iy) when both
 * do.  A centred text below N, which was not collected and is not
 * stretched, gets that movement added, once per linked line of the work
 * area, after it was taken off the display.  A text of the work area, which
 * the host stretches by the whole displacement, gets the rest taken off:
 * ix, hx or nothing per linked line; and one whose link number no collected
 * line carries gets ix taken off, so that it stays.
 *
 * The work-area texts are compensated after the host's stretch, so that the
 * stretch sees each text at its own position: taken off first, the amount
 * could carry a text out over the window's border (or into the window),
 * where the stretch would treat it wrongly.  What a text gets depends only
 * on its link number and its origin code, so the lines are tallied per link
 * number before the stretch and nothing is kept per text: any number of
 * texts is handled in static storage.
 *
 * The texts below N are moved line by line in the order of the work area,
 * each line's texts in index order (that is the order of the DrawFigure
 * calls).  Rather than look through every figure below N for each line,
 * the pass counts the centred texts of each link number once, then lays the
 * texts of as many consecutive lines as the slots hold out by link number
 * with one more look through the figures below N, and moves them from
 * there.  A drawing whose texts do not fit takes a few such batches; only
 * a single line whose link number alone carries more texts than the slots
 * hold is served by looking through the figures below N for it.  The pass
 * is linear in the drawing when the slots hold every such text (one batch),
 * and no host call is made for a figure before its link number qualified it.
 */
#include "parametric/Param.h"

/* What the present pass knows of one link number. */
struct ParamLink {
    uint32_t pass;     /* linkPass when the entry was set up; otherwise it reads as all zero */
    int32_t lines;     /* linked lines (kind 2) of the work area */
    int32_t through;   /* of them, with both end points outside the window */
    int32_t crossing;  /* of them, with exactly one end point outside */
    int32_t texts;     /* centred texts below N carrying the number (counted only with lines) */
    uint32_t batch;    /* textBatch when its texts were last laid out in textSlots */
    int32_t slotFirst; /* there: the first slot of its texts ... */
    int32_t slotEnd;   /* ... and one past those filled in so far */
};

#define PARAM_LINKS 32768 /* link numbers 1 .. 32767: figureAttr >> 16 of 32 bits */

static struct ParamLink links[PARAM_LINKS]; /* by link number */
static uint32_t linkPass;                   /* number of the present pass; entries of others are stale */
static int32_t textSlots[PARAM_TEXT_SLOTS]; /* indices of the texts below N, by link number */
static int32_t textRoom;                    /* slots this pass uses: paramTextRoom, 0 .. PARAM_TEXT_SLOTS */
static uint32_t textBatch;                  /* number of the present batch; 0 is never one */
static int32_t wx1, wy1, wx2, wy2;          /* the window, normalised, in whole units */
static int64_t ix, iy;                      /* the displacement truncated toward zero */
static int64_t hx, hy;                      /* its half, rounded toward zero */

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

/* The entry of link number 1 .. 32767, cleared when first used in a pass. */
static struct ParamLink *linkEntry(int32_t link)
{
    struct ParamLink *e = &links[link];
    if (e->pass != linkPass) {
        e->pass = linkPass;
        e->lines = 0;
        e->through = 0;
        e->crossing = 0;
        e->texts = 0;
        e->batch = 0;
        e->slotFirst = 0;
        e->slotEnd = 0;
    }
    return e;
}

/* Linked line i of the work area: kind 2 and a link number above 0 (tested
   first, so that no host call is made for an unlinked figure). */
static int32_t linkedLine(int32_t i)
{
    return linkOf(i) > 0 && kindOf(i) == 2;
}

/* A text below N that follows its lines: kind 5 or 6, centred, and carrying
   a link number of a work-area line (tested first).  Its entry, or 0. */
static struct ParamLink *followingText(int32_t j)
{
    int32_t link = linkOf(j);
    if (link <= 0)
        return 0;
    struct ParamLink *e = linkEntry(link);
    if (e->lines == 0)
        return 0;
    int32_t k = kindOf(j);
    if ((k != 5 && k != 6) || !centred(j))
        return 0;
    return e;
}

/* End points of line i inside the window: 0, 1 or 2 (the border is inside). */
static int32_t endsInside(int32_t i)
{
    DrawingTables *t = tables();
    return 2 - ParamPointOutside(wx1, wy1, wx2, wy2, t->figureX1[i], t->figureY1[i]) -
           ParamPointOutside(wx1, wy1, wx2, wy2, t->figureX2[i], t->figureY2[i]);
}

/* The movement of line i's middle: nothing, half or all of the move. */
static void middleMove(int32_t i, int64_t *mx, int64_t *my)
{
    int32_t inside = endsInside(i);
    *mx = inside == 2 ? ix : inside == 1 ? hx : 0;
    *my = inside == 2 ? iy : inside == 1 ? hy : 0;
}

/* Takes text j off the display and moves it by (mx, my). */
static void moveText(int32_t j, int64_t mx, int64_t my)
{
    gHostState->drawIndex = j;
    gHostState->drawMode = 2;
    gHostState->drawFlag = 0;
    gHostServices->DrawFigure();
    tables()->figureX1[j] = saturated((int64_t)tables()->figureX1[j] + mx);
    tables()->figureY1[j] = saturated((int64_t)tables()->figureY1[j] + my);
}

/* Work-area line i whose link number carries more texts than the slots
   hold: its texts, looked for through every figure below N. */
static void moveTextsOfOneLine(int32_t i, int32_t n)
{
    int32_t link = linkOf(i);
    int64_t mx, my;
    middleMove(i, &mx, &my);
    for (int32_t j = 0; j < n; ++j)
        if (linkOf(j) == link && followingText(j))
            moveText(j, mx, my);
}

/* Lays out the link numbers of the linked lines from `first` on in the
   slots, one after the other, until the next one's texts do not fit; gives
   the index where the batch stops (the line that did not fit, or m).  The
   batch is empty (the result is `first`) when the linked line at `first`
   alone needs more than the slots. */
static int32_t planBatch(int32_t first, int32_t m, int32_t *used)
{
    *used = 0;
    for (int32_t i = first; i < m; ++i) {
        if (!linkedLine(i))
            continue;
        struct ParamLink *e = linkEntry(linkOf(i));
        if (e->batch == textBatch)
            continue; /* laid out for an earlier line of the batch */
        if (e->texts > textRoom - *used)
            return i;
        e->batch = textBatch;
        e->slotFirst = *used;
        e->slotEnd = *used;
        *used += e->texts;
    }
    return m;
}

/* Moves the texts below N with the lines of the work area N+1 .. M-1, in
   batches of consecutive lines whose texts the slots hold. */
static void moveOutsideTexts(int32_t n, int32_t m)
{
    int32_t first = n + 1;
    textRoom = paramTextRoom < 0 ? 0 : paramTextRoom > PARAM_TEXT_SLOTS ? PARAM_TEXT_SLOTS : paramTextRoom;
    while (first < m) {
        if (++textBatch == 0) /* wrapped: entries of the present pass never hold 0 as a batch */
            textBatch = 1;
        int32_t used = 0;
        int32_t stop = planBatch(first, m, &used);
        if (stop == first) {
            moveTextsOfOneLine(first, n);
            ++first;
            continue;
        }
        if (used > 0)
            for (int32_t j = 0; j < n; ++j) {
                struct ParamLink *e = followingText(j);
                /* the count found exactly these texts; the bound only keeps
                   each link number inside the slots laid out for it */
                if (e && e->batch == textBatch && e->slotEnd < e->slotFirst + e->texts)
                    textSlots[e->slotEnd++] = j;
            }
        for (int32_t i = first; i < stop; ++i) {
            if (!linkedLine(i))
                continue;
            const struct ParamLink *e = linkEntry(linkOf(i));
            if (e->texts == 0)
                continue;
            int64_t mx, my;
            middleMove(i, &mx, &my);
            for (int32_t k = e->slotFirst; k < e->slotEnd; ++k)
                moveText(textSlots[k], mx, my);
        }
        first = stop;
    }
}

void ParamLinksBeforeStretch(double dx, double dy)
{
    HostState *st = gHostState;
    int32_t n = st->selFirst, m = st->selEnd;
    wx1 = FrameTruncate(st->rangeX1);
    wx2 = FrameTruncate(st->rangeX2);
    wy1 = FrameTruncate(st->rangeY1);
    wy2 = FrameTruncate(st->rangeY2);
    ix = FrameTruncate(dx); /* ParamMoveInput admits only 32-bit displacements */
    iy = FrameTruncate(dy);
    hx = ix / 2; /* rounds toward zero: 7 gives 3, -7 gives -3 */
    hy = iy / 2;
    if (++linkPass == 0) { /* the pass numbers wrapped: no entry may look current */
        for (int32_t k = 0; k < PARAM_LINKS; ++k)
            links[k].pass = 0;
        linkPass = 1;
    }

    for (int32_t i = n + 1; i < m; ++i) {
        if (!linkedLine(i))
            continue;
        struct ParamLink *e = linkEntry(linkOf(i));
        int32_t inside = endsInside(i);
        ++e->lines;
        e->through += inside == 0;
        e->crossing += inside == 1;
    }
    for (int32_t j = 0; j < n; ++j) {
        struct ParamLink *e = followingText(j);
        if (e)
            ++e->texts;
    }
    moveOutsideTexts(n, m);
}

void ParamLinksAfterStretch(void)
{
    HostState *st = gHostState;
    int32_t n = st->selFirst, m = st->selEnd;
    for (int32_t i = n + 1; i < m; ++i) {
        int32_t link = linkOf(i);
        if (link <= 0 || kindOf(i) != 5)
            continue;
        const struct ParamLink *e = linkEntry(link);
        int64_t offX = e->lines == 0 ? ix : 0, offY = e->lines == 0 ? iy : 0;
        if (e->through + e->crossing > 0 && centred(i)) {
            offX += e->through * ix + e->crossing * hx;
            offY += e->through * iy + e->crossing * hy;
        }
        if (offX == 0 && offY == 0)
            continue;
        tables()->figureX1[i] = saturated(tables()->figureX1[i] - offX);
        tables()->figureY1[i] = saturated(tables()->figureY1[i] - offY);
    }
}
