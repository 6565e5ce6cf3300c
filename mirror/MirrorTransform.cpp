/*
 * MirrorTransform.cpp - turns the work section (entries selFirst+1 up to
 * selEnd-1) into its mirror image.  About a two-point axis the command
 * reflects each figure itself (lines, arcs and circles, texts; other kinds
 * stay); about a horizontal or vertical axis the host scales the whole
 * section by -1 in one axis and the command only flips text origin codes.
 * Both loops stop on Escape.
 */
#include "mirror/Mirror.h"

#include <string.h>

/* Origin code v (4 x vertical + horizontal) after a mirror in direction 1
   (up and down exchanged) or 2 (left and right exchanged); codes that are
   not positions (3, 7, 11 and above, negative) stay as they are. */
static int32_t flippedOrigin(int32_t v, int32_t direction)
{
    if (v < 0 || v > 10 || (v & 3) == 3)
        return v;
    int32_t horizontal = v & 3, vertical = v >> 2;
    if (direction == 2)
        horizontal = 2 - horizontal;
    else
        vertical = 2 - vertical;
    return 4 * vertical + horizontal;
}

/* One progress step: the number of entries left into the status area. */
static void showEntriesLeft(void)
{
    HostServices *svc = gHostServices;
    svc->SetProgressPause(30.0, 0, 0);
    const char *left = svc->FormatNumber((double)gHostState->selEnd - (double)mirrorIndex, 0);
    svc->ShowStatusText(left, 0, -1);
}

/* The axis axisStart-axisEnd into argC-argD, as every reflection needs. */
static void putAxis(void)
{
    HostState *st = gHostState;
    st->argCx = axisStart.x;
    st->argCy = axisStart.y;
    st->argDx = axisEnd.x;
    st->argDy = axisEnd.y;
}

/* Reflects the stored point (*x, *y) about the axis in argC-argD and stores
   the result through EncodeCoordinate. */
void MirrorReflectPoint(int32_t *x, int32_t *y)
{
    HostState *st = gHostState;
    st->circleX = *x;
    st->circleY = *y;
    gHostServices->ProjectPointOnLine();
    double rx = 2.0 * st->circleX - *x, ry = 2.0 * st->circleY - *y;
    *x = gHostServices->EncodeCoordinate(rx);
    *y = gHostServices->EncodeCoordinate(ry);
}

/* Line at mirrorIndex: both end points. */
void MirrorLine(void)
{
    DrawingTables *t = gHostState->tables;
    int32_t i = mirrorIndex;
    putAxis();
    MirrorReflectPoint(&t->figureX1[i], &t->figureY1[i]);
    MirrorReflectPoint(&t->figureX2[i], &t->figureY2[i]);
}

/* Arc or circle at mirrorIndex (two entries): the centre is reflected; an
   arc's angles are reflected about the axis angle and trade places, since
   the direction of travel reverses; a full circle (0 to 360) keeps them.
   Steps mirrorIndex over the second entry. */
void MirrorArc(void)
{
    HostServices *svc = gHostServices;
    HostState *st = gHostState;
    DrawingTables *t = st->tables;
    int32_t i = mirrorIndex;
    putAxis();
    MirrorReflectPoint(&t->figureX1[i], &t->figureY1[i]);

    /* stored angles turn toward -y, so the axis direction is taken with y negated */
    st->argBx = axisEnd.x - axisStart.x;
    st->argBy = -(axisEnd.y - axisStart.y);
    svc->VectorAngle();
    double theta = st->vectorAngle / st->pi * 180.0;
    if (theta > 360.0)
        theta -= 360.0;

    st->arcStartAngle = t->figureX2[i + 1] / 1000000.0;
    st->arcEndAngle = t->figureY2[i + 1] / 1000000.0;
    if (!(st->arcStartAngle == 0.0 && st->arcEndAngle == 360.0)) {
        double start = 2.0 * theta - st->arcStartAngle, end = 2.0 * theta - st->arcEndAngle;
        while (start > 360.0)
            start -= 360.0;
        while (start < 0.0)
            start += 360.0;
        while (end > 360.0)
            end -= 360.0;
        while (end < 0.0)
            end += 360.0;
        st->arcStartAngle = start;
        st->arcEndAngle = end;
        t->figureY2[i + 1] = svc->EncodeCoordinate(start * 1000000.0);
        t->figureX2[i + 1] = svc->EncodeCoordinate(end * 1000000.0);
    }
    mirrorIndex += 1;
}

/* Text at mirrorIndex (two entries): its origin point is reflected, unless
   its mirrored box would leave the coordinate range (SignalError, the text
   stays as it was).  Angles and origin code stay. */
void MirrorText(void)
{
    HostState *st = gHostState;
    DrawingTables *t = st->tables;
    int32_t i = mirrorIndex;
    putAxis();
    st->circleX = t->figureX1[i];
    st->circleY = t->figureY1[i];
    gHostServices->ProjectPointOnLine();
    MirrorPoint foot = {st->circleX, st->circleY};
    MirrorCheckTextBox(foot);
    if (outOfRange == 1) {
        gHostServices->SignalError();
        return;
    }
    double rx = 2.0 * foot.x - t->figureX1[i], ry = 2.0 * foot.y - t->figureY1[i];
    t->figureX1[i] = gHostServices->EncodeCoordinate(rx);
    t->figureY1[i] = gHostServices->EncodeCoordinate(ry);
}

/* Copy mode: the entries first..last of the copy become empty, so that no
   unmirrored duplicate stays on top of its original. */
static void dropFromCopy(int32_t first, int32_t last)
{
    for (int32_t i = first; i <= last; ++i)
        FrameSetFigureType(i, 0);
}

/* Direction 3: every figure of the work section reflected about the line
   axisStart-axisEnd, with a progress display.  Escape stops the loop.  In
   replace mode the entries not yet reached keep their old coordinates; in
   copy mode they leave the copy, and so does a text whose mirrored box the
   range test refuses: the copy holds only mirrored figures, and the drawing
   ends after the last of them. */
void MirrorDiagonal(void)
{
    HostServices *svc = gHostServices;
    HostState *st = gHostState;
    int32_t copying = c66_DeleteSW == 1;
    int32_t reached = st->selFirst + 1; /* the first entry of no figure handled yet */
    strcpy(st->promptText, mirrorProgressPrompt);
    svc->BeginProgress();
    for (mirrorIndex = st->selFirst + 1; mirrorIndex <= st->selEnd - 1; ++mirrorIndex) {
        if (svc->PollKey() == 27) {
            /* the loop may stand on the second entry of a text already
               mirrored: the unreached part starts after that text */
            int32_t cut = mirrorIndex > reached ? mirrorIndex : reached;
            if (copying && cut <= st->selEnd - 1) {
                dropFromCopy(cut, st->selEnd - 1);
                FrameSetFigureType(cut, HOST_END_MARKER);
            }
            break;
        }
        showEntriesLeft();
        int32_t i = mirrorIndex;
        int32_t kind = svc->GetFigureKind(FrameFigureType(i));
        if (kind == 2) {
            MirrorLine();
        } else if (kind == 3) {
            MirrorArc();
        } else if (kind == 5 || kind == 6) {
            MirrorText();
            if (outOfRange == 1 && copying)
                dropFromCopy(i, i + 1);
        }
        if (kind == 3 || kind == 5 || kind == 6)
            reached = i + 2;
        else if (reached < i + 1)
            reached = i + 1;
    }
    svc->EndProgress();
}

/* Directions 1 and 2: the host scales the work section by -1 in y (1) or x
   (2) about the base point (truncated toward zero, saturating); then, when
   Moji_gentenSW is 1, each text's origin code is flipped the same way.
   Escape stops only the flipping. */
void MirrorAxisAligned(void)
{
    HostServices *svc = gHostServices;
    HostState *st = gHostState;
    if (c66_Direction == 1) {
        st->argBx = 1.0;
        st->argBy = -1.0;
    } else {
        st->argBx = -1.0;
        st->argBy = 1.0;
    }
    st->refPointX = FrameTruncate(basePoint.x);
    st->refPointY = FrameTruncate(basePoint.y);
    st->drawIndex = st->selFirst + 1;
    st->drawMode = 2;
    svc->ScaleFigures();
    if (Moji_gentenSW != 1)
        return;
    for (mirrorIndex = st->selFirst + 1; mirrorIndex <= st->selEnd - 1; ++mirrorIndex) {
        if (svc->PollKey() == 27)
            break;
        showEntriesLeft();
        int32_t kind = svc->GetFigureKind(FrameFigureType(mirrorIndex));
        if (kind == 6 || kind == 5) {
            DrawingTables *t = st->tables;
            int32_t word = t->figureY2[mirrorIndex + 1];
            int32_t kindPart = svc->GetFigureKind(word);
            int32_t v = svc->GetTextOrigin(word);
            t->figureY2[mirrorIndex + 1] = svc->SetTextOrigin(kindPart, flippedOrigin(v, c66_Direction));
        }
    }
}
