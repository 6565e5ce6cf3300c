/*
 * HatchCommand.cpp - the hatching command Hatch: settings in, then passes
 * of panel, region, optional base point, generation, trimming and hand-over
 * until the user cancels the panel, then settings out.
 *
 * What a pass leaves: on success the new figures follow the drawing's old
 * end marker, whose entry stays empty (type 0); on overflow (the write limit)
 * nothing, and the message says so; after Escape, or when the host refuses
 * the pattern's figures cell after cell (SignalError), nothing.  A slot
 * whose pitches or elements cannot give a grid of figures is refused before
 * the region is asked for.  A region of selected lines is joined
 * back to the drawing at once, so the boundary stays whatever the pass does;
 * a drawn region's edges stand behind the end marker and are overwritten.
 */
#include "hatch/Hatch.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

/* 1 when stepping by a scaled pitch moves every coordinate a grid can
   reach, so that the grid's loops end.  Its nodes lie in the 32-bit range
   widened by one pitch, and a pitch that moves 2^31 + pitch moves every
   smaller magnitude too.  Zero, negative, infinite and NaN pitches fail;
   so does one too fine for large coordinates (below about 2.4e-7 drawing
   units) whatever the region: such a grid could never be written, its
   first row alone would fill the drawing. */
static int32_t stepUsable(double pitch)
{
    double m = 2147483648.0 + pitch;
    return pitch > 0.0 && isfinite(pitch) && m + pitch > m;
}

/* A stored pitch: positive and finite, and usable once scaled. */
static int32_t pitchUsable(double stored)
{
    return stored > 0.0 && isfinite(stored) && stepUsable(HatchScale() * stored);
}

/* 1 when the slot in use has elements and the host could store none of
   them (HatchElementUsable): such a pass would write nothing. */
static int32_t slotRefused(void)
{
    int32_t any = 0, usable = 0;
    for (int32_t e = 0; e < HATCH_ELEMENTS; ++e) {
        any |= hsw[hatchNo][e] != 0;
        usable |= HatchElementUsable(e);
    }
    return any && !usable;
}

/* The grid node base + k * pitch (k whole) that is the largest not above
   low: low plus (base - low) modulo pitch brought into (-pitch, 0].  fmod is
   exact, so this is the node the one-pitch-at-a-time walk aims at, found at
   once however far the base point lies. */
static double gridNode(double base, double low, double pitch)
{
    double r = fmod(base - low, pitch);
    if (r > 0.0)
        r -= pitch;
    return low + r;
}

/* Base point of the grid; a cancel asks again. */
static void askBasePoint(void)
{
    HostState *s = gHostState;
    do {
        strcpy(s->promptText, hatchBasePointPrompt);
        s->inputMode = 1;
        s->inputOption = 1;
        s->bandKind = 0;
        gHostServices->GetPoint();
    } while (s->inputStatus == 2);
    gHostServices->ConfirmPoint();
    baseX = s->pointX;
    baseY = s->pointY;
}

static void reportOverflow(void)
{
    sprintf(gHostState->promptText, "%s", hatchLimitMessage);
    gHostServices->ShowMessage();
}

/* Escape while trimming: the inside test that saw it gave the result found
   so far, which may delete or cut a figure that belongs in the hatch, and
   the user asked to stop anyway.  The pass's figures leave the display and
   the drawing, which is as it was before the pass. */
static void abandonPass(void)
{
    HostState *s = gHostState;
    s->drawIndex = writeStart + 1;
    s->drawMode = 2;
    s->drawShiftX = 0;
    s->drawShiftY = 0;
    gHostServices->DrawFiguresFrom();
    FrameSetFigureType(writeStart, -1);
}

/* Region, grid, generation, trimming and hand-over of one pass (the panel
   has been closed with OK). */
static void pass(void)
{
    HostState *s = gHostState;
    if (!pitchUsable(hatchPx[hatchNo]) || !pitchUsable(hatchPy[hatchNo]))
        return; /* before the region is asked for */
    if (slotRefused()) {
        gHostServices->SignalError();
        return;
    }
    if (s->selectMode != 0) {
        strcpy(s->selectPromptText, hatchSelectPrompt);
        gHostServices->SelectFigures();
        if (s->inputStatus == 2)
            return;
        FrameSetFigureType(s->selFirst, 0); /* the selection is joined back: the boundary stays */
    } else {
        HatchRegionInput();
        FrameSetFigureType(s->selFirst, -1); /* the drawn edges leave the drawing */
    }
    HatchCopyRegionLines();
    if (regionLineCount < 2 || regionLineCount > lineLimit)
        return;
    if (hkitenSw == 1)
        askBasePoint();
    rangeStart = s->tables->workBase + 1;
    HatchMeasureRegion();
    regionX1 = s->rangeX1;
    regionY1 = s->rangeY1;
    regionX2 = s->rangeX2;
    regionY2 = s->rangeY2;
    pitchX = HatchScale() * hatchPx[hatchNo];
    pitchY = HatchScale() * hatchPy[hatchNo];
    if (hkitenSw == 1) {
        baseX = gridNode(baseX, regionX1, pitchX);
        baseY = gridNode(baseY, regionY1, pitchY);
    } else {
        baseX = regionX1;
        baseY = regionY1;
    }
    if (!stepUsable(pitchX) || !stepUsable(pitchY))
        return; /* a session changed the scale while the region was given */
    HatchIndexRegion();

    writeStart = gHostServices->FindMarker(s->tables->figureType, -1, 0);
    writeNext = writeStart + 1;
    if (writeNext >= s->tables->figureLimit) {
        reportOverflow(); /* not even room for the end marker */
        return;
    }
    FrameSetFigureType(writeStart, 0);
    FrameSetFigureType(writeNext, -1);
    writeLimit = s->tables->figureLimit - 50;
    hatchEscaped = 0;
    int32_t generated = HatchGenerate();
    if (generated != 0) {
        if (generated == 1)
            reportOverflow();
        else if (!hatchEscaped)
            gHostServices->SignalError(); /* the host refused the pattern's figures */
        FrameSetFigureType(writeStart, -1); /* every figure of the pass is dropped */
        return;
    }
    for (int32_t h = writeStart + 1; h <= writeNext - 1; ++h) {
        int32_t kind = gHostServices->GetFigureKind(FrameFigureType(h));
        if (kind == 2 || kind == 3)
            HatchTrimFigure(h);
        if (hatchEscaped) {
            abandonPass();
            return;
        }
    }
    s->rangeFirst = writeStart;
    s->rangeSecond = -1;
    gHostServices->CommitNewFigures();
    s->drawIndex = writeStart;
    s->drawMode = 3;
    s->circleX = 0.0;
    s->circleY = 0.0;
    s->drawShiftX = 0;
    s->drawShiftY = 0;
    s->drawingModified = 1;
    gHostServices->BeginCommand(1);
}

extern "C" void HOST_API Hatch(char *)
{
    gHostServices->BeginCommand(1);
    HatchReadSettings();
    for (;;) {
        DrawingTables *t = gHostState->tables;
        workRoom = t->workEnd - t->workBase - 50;
        lineLimit = workRoom - 50;
        HatchOptionsPanel();
        if (gHostState->inputStatus == 2)
            break;
        pass();
    }
    HatchWriteSettings();
}
