/*
 * HatchPanel.cpp - the pattern editor panel: host controls bound straight
 * to the pattern variables of the slot and element in use, and the preview
 * of the slot's cell (HatchPreview.cpp).  Choosing another slot or element
 * (event 901) rebuilds the panel so its controls point at the new ones.
 */
#include "hatch/Hatch.h"

#include <float.h>

#define LIST_EVENT 901  /* a list or its selector changed: rebuild */
#define TITLE_EVENT 301 /* passed with the title and the kind label */

/* A caption (type 15, style 98). */
static void label(int32_t row, int32_t first, int32_t last, const char *text, int32_t id)
{
    gHostServices->AddPanelItem(row, first, last, 15, 98, text, -1.0, 0.0, 1.0, 0.0, 0, 0, 0, 0, 0, id, -1.0, -1.0,
                                -1.0, -1.0);
}

/* A check box storing 1 when ticked; `a` is its first double. */
static void check(int32_t row, int32_t first, int32_t last, const char *text, double a, int32_t *bound)
{
    gHostServices->AddPanelItem(row, first, last, 6, 1, text, a, 0.0, 0.0, 1.0, bound, 0, 0, 0, 0, 0, -1.0, -1.0,
                                -1.0, -1.0);
}

/* A "1".."8" list with its selector, bound to a number 0..7. */
static void numberList(int32_t row, int32_t *bound, const char *after)
{
    gHostServices->AddPanelItem(row, 0, 1, 1, 1, 0, 1.0, 1.0, 0.0, 7.0, bound, 0, 0, 0, 0, LIST_EVENT, -1.0, -1.0,
                                -1.0, -1.0);
    const char *const *t = hatchNumberTexts;
    gHostServices->AddPanelList(row, 2, 17, bound, 0, LIST_EVENT, t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], 0,
                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    label(row, 18, 23, after, 0);
}

static void pitchField(int32_t row, const char *text, double *bound)
{
    gHostServices->AddPanelNumber(row, text, 1.0, 0, 0, 0, bound, 0, 0.0, DBL_MAX, 10.0, 0.0, 2, 0, 15);
}

static void valueField(int32_t row, const char *text, double *bound)
{
    gHostServices->AddPanelNumber(row, text, 2.5, 0, 0, 0, bound, 0, -DBL_MAX, DBL_MAX, -1.0, 0.0, 1, 0, 13);
}

/* Keeps the slot and element numbers indexes of their arrays, whatever the
   controls were given. */
static void keepInRange(void)
{
    if (hatchNo < 0 || hatchNo >= HATCH_SLOTS)
        hatchNo = 0;
    if (hatchElement < 0 || hatchElement >= HATCH_ELEMENTS)
        hatchElement = 0;
}

/* Every item from row 0, then the preview, shown. */
static void build(void)
{
    keepInRange();
    int32_t p = hatchNo, e = hatchElement;
    const char *const *k = hatchKindTexts;
    label(0, 0, 23, hatchPanelTitle, TITLE_EVENT);
    gHostServices->AddPanelHeader(1);
    check(2, 0, 23, hatchBasePointCheck, 0.0, &hkitenSw);
    numberList(3, &hatchNo, hatchPatternLabel);
    pitchField(4, hatchPitchXCaption, &hatchPx[p]);
    check(4, 16, 23, hatchPrintSizeCheck, 1.0, &hprintSw[p]);
    pitchField(5, hatchPitchYCaption, &hatchPy[p]);
    label(6, 0, 5, hatchVaryLabel, 0);
    check(6, 6, 13, hatchRandomPositionCheck, 0.0, &hichSw[p]);
    check(6, 15, 22, hatchRandomShapeCheck, 0.0, &hkataSw[p]);
    label(7, 0, 13, hatchElementEditLabel, 0);
    numberList(8, &hatchElement, hatchElementLabel);
    label(9, 0, 5, hatchKindLabel, TITLE_EVENT);
    gHostServices->AddPanelList(9, 6, 23, &hsw[p][e], 0, LIST_EVENT, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7],
                                k[8], 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    label(10, 0, 19, hatchKindNote, 0);
    valueField(11, hatchSizeXCaption, &hatchR[p][e]);
    valueField(12, hatchSizeYCaption, &hatchQ1[p][e]);
    label(13, 0, 13, hatchOffsetLabel, 0);
    valueField(14, hatchOffsetXCaption, &hatchX1[p][e]);
    valueField(15, hatchOffsetYCaption, &hatchY1[p][e]);
    HatchDrawPreview();
    gHostServices->ShowPanel();
    gHostServices->RefreshPanel(-1);
}

void HatchOptionsPanel(void)
{
    HostState *s = gHostState;
    gHostServices->OpenPanel(16, 24, FrameTruncate(s->cursorX), FrameTruncate(s->cursorY));
    build();
    for (;;) {
        gHostServices->WaitPanelEvent(0);
        if (gHostServices->PanelResult() != 1) {
            gHostServices->ClosePanel(); /* OK or cancel: inputStatus tells */
            keepInRange();
            return;
        }
        if (gHostState->panelEvent == LIST_EVENT) {
            gHostServices->ClearPanel();
            build();
        }
    }
}
