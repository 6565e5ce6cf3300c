/*
 * KumoCommand.cpp - the flow of the cloud-mark command kumo1: the option
 * panel alternates with the input routine of the chosen mode until the user
 * cancels the panel.  Rectangle clouds are written straight into the
 * drawing; a trail is written into the host's work area by the trail hook
 * while GetCursorPoint waits, and copied to the drawing when confirmed.
 * Every cancel steps back one stage.
 */
#include "cloud/Cloud.h"

#include <math.h>
#include <string.h>

/* Sets up a point request of the given prompt and band (inputMode 1,
   inputOption 1) and asks for the point. */
static void askPoint(const char *prompt, int32_t bandKind)
{
    HostState *s = gHostState;
    strcpy(s->promptText, prompt);
    s->inputMode = 1;
    s->inputOption = 1;
    s->bandKind = bandKind;
    gHostServices->GetPoint();
}

/* The drawing's end marker: where new figures join the drawing. */
static int32_t drawingEndMarker(void)
{
    return gHostServices->FindMarker(gHostState->tables->figureType, HOST_END_MARKER, 0);
}

/* The command entry: panel and input alternate until the user cancels the
   panel.  The text argument is never read (null is fine). */
extern "C" void HOST_API kumo1(char *)
{
    HostState *s = gHostState;
    gHostServices->BeginCommand(1);
    kumoGroupNumber = s->tables->currentGroup;
    for (;;) {
        KumoOptionsPanel();
        if (s->inputStatus == 2)
            break;
        do {
            if (kumoMode == 0 || kumoMode == 1)
                KumoBoxInput();
            else if (kumoMode == 2 || kumoMode == 3)
                KumoTrailInput();
            else
                break; /* a stored mode the panel does not offer: back to the panel to choose one */
        } while (s->inputStatus != 2);
    }
    s->drawingModified = 1;
    gHostServices->BeginCommand(1);
}

void KumoBoxInput(void)
{
    HostState *s = gHostState;
    for (;;) {
        askPoint(kumoPromptBoxFirst, 0);
        if (s->inputStatus == 2)
            return; /* back to the panel */
        gHostServices->ConfirmPoint();
        double x1 = s->pickX, y1 = s->pickY;
        for (;;) {
            s->boxAnchorX = x1; /* rubber box from the first corner */
            s->boxAnchorY = y1;
            askPoint(kumoPromptBoxSecond, 2);
            if (s->inputStatus == 2)
                break; /* the first corner again; nothing written */
            gHostServices->ConfirmPoint();
            double x2 = s->pickX, y2 = s->pickY;
            kumoListPos = drawingEndMarker();
            if (!KumoPickGroup())
                continue; /* group number cancelled: no cloud, the second corner again */
            KumoBoxCloud(x1, y1, x2, y2); /* the host's writers show each arc */
            break;
        }
    }
}

/* Takes the trail's figures in the work area off the display. */
static void eraseTrail(void)
{
    HostState *s = gHostState;
    s->drawIndex = s->tables->workBase;
    s->drawMode = 2;
    s->circleX = 0.0;
    s->circleY = 0.0;
    s->argBx = 0.0;
    s->argBy = 0.0;
    gHostServices->DrawFiguresFrom();
}

void KumoTrailInput(void)
{
    HostState *s = gHostState;
    if (!(kumoGen > 0.0) || isinf(kumoGen)) {
        /* 0, and also a stored length that is negative, infinite or not a
           number: no trail could be drawn with it */
        strcpy(s->promptText, kumoMessageZeroChord);
        gHostServices->ShowMessage();
        return; /* kumo1 shows it again until the user right-clicks to the panel */
    }
    for (;;) {
        if (!KumoPickGroup())
            return; /* group number cancelled (inputStatus 2): no trail, back to the panel */
        askPoint(kumoPromptTrailStart, 0);
        if (s->inputStatus == 2)
            return;
        gHostServices->ConfirmPoint();
        trailStart.x = s->pickX;
        trailStart.y = s->pickY;
        trailLast = trailStart;
        /* arm the hook: the trail is written into the work area */
        kumoListPos = s->tables->workBase;
        trailSteps = 0;
        trailClosed = 0;
        trailStopped = 0;
        /* The trail starts as an empty list, so that taking back a trail with
           no figure erases nothing, not the figures of the trail before it
           (which may be on the display as part of the drawing). */
        FrameSetFigureType(kumoListPos, HOST_END_MARKER);
        strcpy(s->promptText, kumoPromptTrailTrack);
        s->inputMode = 9;
        s->inputOption = 1;
        s->bandKind = 0;
        kumoTracking = 1; /* the hook runs only during this request */
        gHostServices->GetCursorPoint();
        kumoTracking = 0;
        if (s->inputStatus == 2) {
            eraseTrail(); /* back: the trail's figures are taken off the display */
        } else {
            /* confirm: exactly the figures written join the drawing */
            int32_t m = drawingEndMarker();
            s->rangeFirst = s->tables->workBase;
            s->rangeSecond = kumoListPos;
            s->rangeLast = m;
            s->drawFlag = 0;
            gHostServices->CopyFigureRange();
            /* The host refuses a copy that does not fit (the drawing is
               full) and writes nothing: the drawing's end marker is still
               at m.  The user is told, and the trail, which is in no
               drawing, leaves the display. */
            if (kumoListPos > s->tables->workBase && FrameFigureType(m) == HOST_END_MARKER) {
                gHostServices->SignalError();
                eraseTrail();
            }
        }
    }
}

int32_t KumoPickGroup(void)
{
    HostState *s = gHostState;
    if (kumoGroupMode == 0) {
        kumoGroupNumber = s->tables->currentGroup;
    } else if (kumoGroupMode == 2) {
        strcpy(s->promptText, kumoPromptGroup);
        gHostServices->GetGroupNumber();
        if (s->inputStatus == 2)
            return 0; /* cancelled: the number stays, no cloud */
        /* truncated toward zero; a number beyond the 32-bit range gives the
           nearest 32-bit value, one that is not a number keeps the group */
        kumoGroupNumber = FrameSettingToInt(s->groupNumberResult, kumoGroupNumber);
    }
    /* any other mode (the panel offers 1): the number stays as it is */
    return 1;
}
