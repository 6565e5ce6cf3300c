/*
 * HatchRegion.cpp - the hatch region: a polygon the user draws point by
 * point (with step-back), the copy of the region's lines into the work area,
 * and the region's box.
 *
 * The drawn edges stand behind the drawing's end marker, between the
 * markers at selFirst and selEnd, exactly where a selection would be; the
 * command puts the end marker back in front of them afterwards, so they are
 * never part of the drawing.  No closing edge is added: the region is the
 * edges entered.
 */
#include "hatch/Hatch.h"

#include <string.h>

/* 1 when v can be stored as a 32-bit coordinate by truncation. */
static int32_t storable(double v)
{
    return v > -2147483649.0 && v < 2147483648.0;
}

/* Stores the edge (pointX, pointY)-(pickX, pickY) at selEnd as a line. */
static void storeEdge(void)
{
    HostState *s = gHostState;
    DrawingTables *t = s->tables;
    int32_t i = s->selEnd;
    t->figureTableDirtyA = 1;
    t->figureTableDirtyB = 1;
    FrameSetFigureType(i, 0x200);
    t->figureW[i] = 0;
    t->figureAttr[i] = 0x701;
    t->figureX1[i] = FrameTruncate(s->pointX);
    t->figureY1[i] = FrameTruncate(s->pointY);
    t->figureX2[i] = FrameTruncate(s->pickX);
    t->figureY2[i] = FrameTruncate(s->pickY);
}

/* Start point; 0 when the user cancelled it. */
static int32_t askStart(int32_t *handle)
{
    HostState *s = gHostState;
    for (;;) {
        strcpy(s->promptText, hatchRegionStartPrompt);
        s->inputMode = 2;
        s->inputOption = 1;
        s->bandKind = 0;
        gHostServices->GetPoint();
        if (s->inputStatus == 2) {
            *handle = gHostServices->CloseRegionHandle(*handle);
            return 0;
        }
        if (regionLineCount > lineLimit) { /* the previous pass's region was too large */
            gHostServices->SignalError();
            continue;
        }
        gHostServices->ConfirmPoint();
        *handle = gHostServices->OpenRegionTest(*handle, 1, 0, -990000, 0, -1, -1, -1, -1);
        return 1;
    }
}

void HatchRegionInput(void)
{
    HostState *s = gHostState;
    int32_t handle = 0;
    s->selFirst = gHostServices->FindMarker(s->tables->figureType, -1, 0);
    if (s->selFirst + 1 >= s->tables->figureLimit) {
        /* No room below figureLimit even for the section's end marker: the
           region is refused before anything is written. */
        s->selEnd = s->selFirst;
        gHostServices->SignalError();
        return;
    }
    s->selEnd = s->selFirst + 1;
    FrameSetFigureType(s->selFirst, 0);
    FrameSetFigureType(s->selEnd, -1);
    if (!askStart(&handle))
        return;
    for (;;) {
        strcpy(s->promptText, hatchRegionNextPrompt);
        gHostServices->BeginProgress();
        s->inputMode = 2;
        s->inputOption = 1;
        s->bandKind = 1;
        s->bandOption = -1;
        gHostServices->GetPointOrFigure();
        if (s->inputStatus == 1) {
            if (gHostServices->CloseRegionTest(handle, s->cursorX, s->cursorY, 0) == 1) {
                handle = gHostServices->CloseRegionHandle(handle);
                return; /* complete: no edge for this click */
            }
            /* The edge and the end marker after it must lie below
               figureLimit, and its ends in the 32-bit range. */
            if (s->selEnd - s->selFirst > lineLimit || s->selEnd + 1 >= s->tables->figureLimit ||
                !storable(s->pointX) || !storable(s->pointY) || !storable(s->pickX) || !storable(s->pickY)) {
                gHostServices->SignalError();
                continue;
            }
            storeEdge();
            gHostServices->ConfirmPoint(); /* the new point starts the next edge */
            s->drawIndex = s->selEnd;
            s->drawMode = 3;
            gHostServices->DrawFigure();
            s->selEnd += 1;
            FrameSetFigureType(s->selEnd, -1);
            continue;
        }
        gHostServices->EndProgress(); /* step back */
        if (s->selEnd == s->selFirst + 1) {
            if (!askStart(&handle))
                return;
            continue;
        }
        s->drawIndex = s->selEnd - 1;
        s->drawMode = 2;
        gHostServices->DrawFigure();
        s->selEnd -= 1;
        FrameSetFigureType(s->selEnd, -1);
        s->pointX = s->tables->figureX1[s->selEnd];
        s->pointY = s->tables->figureY1[s->selEnd];
        gHostServices->HighlightPoint();
    }
}

void HatchCopyRegionLines(void)
{
    HostState *s = gHostState;
    HatchIndexForget();
    regionLineCount = 0;
    for (int32_t k = s->selFirst; k <= s->selEnd; ++k) {
        if (gHostServices->GetFigureKind(FrameFigureType(k)) != 2)
            continue;
        regionLineCount += 1;
        DrawingTables *t = gHostState->tables;
        int32_t to = t->workBase + regionLineCount;
        FrameSetFigureType(to, FrameFigureType(k));
        t->figureW[to] = t->figureW[k];
        t->figureAttr[to] = t->figureAttr[k];
        t->figureX1[to] = t->figureX1[k];
        t->figureY1[to] = t->figureY1[k];
        t->figureX2[to] = t->figureX2[k];
        t->figureY2[to] = t->figureY2[k];
        if (regionLineCount > lineLimit)
            break;
    }
    crossBase = gHostState->tables->workBase + regionLineCount + 1;
    FrameSetFigureType(crossBase, -1);
}

void HatchMeasureRegion(void)
{
    HostState *s = gHostState;
    s->rangeFirst = rangeStart;
    s->windowX1 = 0;
    s->windowX2 = 0;
    s->windowY1 = 0;
    s->windowY2 = 0;
    gHostServices->MeasureExtent();
    s->rangeX1 = s->windowX1;
    s->rangeX2 = s->windowX2;
    s->rangeY1 = s->windowY1;
    s->rangeY2 = s->windowY2;
}
