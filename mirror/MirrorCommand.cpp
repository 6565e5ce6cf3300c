/*
 * MirrorCommand.cpp - the mirror command C66: option panel, selection, axis,
 * copy or replace, group step of the copy, transformation and redraw, over
 * and over until the user cancels the panel.
 *
 * The host leaves the selection behind the drawing's end marker, between the
 * markers at selFirst and selEnd; the command joins it back to the drawing
 * by clearing the marker at selFirst.  It does so on every path that leaves
 * figures there, so that a refused or cancelled mirror loses nothing.
 */
#include "mirror/Mirror.h"

#include <string.h>

/* The marker in front of the work section becomes an empty entry: the
   drawing runs on through the selection up to selEnd. */
static void joinSelection(void)
{
    FrameSetFigureType(gHostState->selFirst, 0);
}

/* Draws the work section in `mode` (2 erase, 3 draw). */
static void drawSection(int32_t mode)
{
    HostState *st = gHostState;
    st->drawMode = mode;
    st->drawShiftX = 0;
    st->drawShiftY = 0;
    st->drawIndex = st->selFirst + 1;
    gHostServices->DrawFiguresFrom();
}

/* Copy mode, before the transformation: the group step on the copy from
   selFirst+1 (1: c66_NewGroupNum; 2: a new number from the host, asked with
   c66_NewGroupNum; 3: out of every group; any other value: groups kept),
   always followed by FinishGroup. */
void MirrorRegroupCopy(void)
{
    HostServices *svc = gHostServices;
    HostState *st = gHostState;
    int32_t first = st->selFirst + 1;
    if (c66_ChangeGroup == 1 || c66_ChangeGroup == 2) {
        int32_t group = c66_NewGroupNum;
        if (c66_ChangeGroup == 2)
            group = svc->NewGroupNumber(c66_NewGroupNum);
        st->groupFirst = first;
        st->groupArgA = 2;
        st->groupArgB = 3;
        st->groupArgC = 0;
        st->groupNumber = group;
        svc->AssignGroup();
    } else if (c66_ChangeGroup == 3) {
        svc->UngroupRange(first);
    }
    svc->FinishGroup(st->tables, first);
}

/* The command.  The text argument is never read.  Returns when the user
   cancels the option panel.  Refusals (SignalError, nothing changed): an
   empty selection, no room for the copy, and a stored direction outside 1..3
   go back to the panel; an axis out of range, or a second reference point
   that gives the axis no direction, asks the point again. */
void HOST_API C66(char *)
{
    HostServices *svc = gHostServices;
    HostState *st = gHostState;
    coordLimit = 2147483647.0;

    for (;;) {
        /* options */
        svc->BeginCommand(1);
        MirrorOptionsPanel();
        if (st->inputStatus == 2)
            return;
        if (c66_Direction < 1 || c66_Direction > 3) {
            svc->SignalError(); /* a direction the panel does not offer: no axis */
            continue;
        }

        for (;;) {
            /* selection */
            strcpy(st->selectPromptText, mirrorSelectPrompt);
            svc->SelectFigures();
            if (st->inputStatus == 2)
                break;
            if (st->selFirst + 1 == st->selEnd) {
                svc->SignalError(); /* nothing selected */
                break;
            }
            DrawingTables *t = st->tables;
            st->workValueA = (double)t->figureLimit - ((double)st->selEnd + 10.0);
            st->workValueB = (double)st->selEnd - (double)st->selFirst;
            if (st->workValueA < st->workValueB && c66_DeleteSW == 1) {
                joinSelection(); /* the selection stays in the drawing */
                svc->SignalError();
                break;
            }

            /* axis */
            if (c66_Direction == 3)
                MirrorPickAxis();
            else
                MirrorPickBase();
            joinSelection();
            if (st->inputStatus == 2)
                continue;

            /* copy, or erase the originals */
            if (c66_DeleteSW == 1) {
                st->rangeFirst = st->selFirst + 1;
                st->rangeSecond = st->selEnd;
                st->rangeLast = st->selEnd + 1;
                svc->CopyFigureRange();
                st->selFirst = svc->FindMarker(st->tables->figureType, -1, 0);
                st->selEnd = svc->FindMarker(st->tables->figureType, -1, st->selFirst + 1);
                joinSelection();
                MirrorRegroupCopy();
            } else {
                drawSection(2);
            }

            if (c66_Direction == 3)
                MirrorDiagonal();
            else
                MirrorAxisAligned();

            drawSection(3);
            st->drawingModified = 1;
            if (st->selectMode == 3)
                break;
        }
    }
}
