/*
 * HatchSettings.cpp - the hatch pattern settings: all 362 values read from
 * and written to the host's settings store in one fixed order (which is
 * also the order the host sees the keys in), and the scale from pattern
 * lengths to stored drawing units.
 *
 * Order: "HatchNo", "Hkiten_sw", then for each slot p its pitches and three
 * switches, then for each element e its kind and four values, p and e
 * counted from 0 in the keys.
 */
#include "hatch/Hatch.h"

#include <stdio.h>

static char keyText[1024]; /* each key is formatted here before its call */

/* Clamps v into lo..hi. */
static int32_t clampInt(int32_t v, int32_t lo, int32_t hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

static int32_t readInt(double fallback)
{
    return FrameReadIntSetting(keyText, fallback);
}

static double readDouble(double fallback)
{
    return gHostServices->ReadSetting(keyText, 0, 0, fallback);
}

static void write(double value)
{
    gHostServices->WriteSetting(keyText, value, 0, 0);
}

void HatchReadSettings(void)
{
    sprintf(keyText, "HatchNo");
    hatchNo = clampInt(readInt(0.0), 0, HATCH_SLOTS - 1); /* indexes the slots */
    sprintf(keyText, "Hkiten_sw");
    hkitenSw = readInt(0.0);
    for (int32_t p = 0; p < HATCH_SLOTS; ++p) {
        sprintf(keyText, "HatchPx[%d]", (int)p);
        hatchPx[p] = readDouble(100.0);
        sprintf(keyText, "HatchPy[%d]", (int)p);
        hatchPy[p] = readDouble(100.0);
        sprintf(keyText, "Hprint_sw[%d]", (int)p);
        hprintSw[p] = readInt(0.0);
        sprintf(keyText, "Hich_sw[%d]", (int)p);
        hichSw[p] = readInt(0.0);
        sprintf(keyText, "Hkata_sw[%d]", (int)p);
        hkataSw[p] = readInt(0.0);
        for (int32_t e = 0; e < HATCH_ELEMENTS; ++e) {
            sprintf(keyText, "Hsw[%d][%d]", (int)p, (int)e);
            int32_t kind = readInt(0.0);
            hsw[p][e] = kind >= 0 && kind < HATCH_KINDS ? kind : 0; /* an unknown kind draws nothing */
            sprintf(keyText, "HatchX1[%d][%d]", (int)p, (int)e);
            hatchX1[p][e] = readDouble(0.0);
            sprintf(keyText, "HatchQ1[%d][%d]", (int)p, (int)e);
            hatchQ1[p][e] = readDouble(0.0);
            sprintf(keyText, "HatchR[%d][%d]", (int)p, (int)e);
            hatchR[p][e] = readDouble(0.0);
            sprintf(keyText, "HatchY1[%d][%d]", (int)p, (int)e);
            hatchY1[p][e] = readDouble(0.0);
        }
    }
}

void HatchWriteSettings(void)
{
    sprintf(keyText, "HatchNo");
    write(hatchNo);
    sprintf(keyText, "Hkiten_sw");
    write(hkitenSw);
    for (int32_t p = 0; p < HATCH_SLOTS; ++p) {
        sprintf(keyText, "HatchPx[%d]", (int)p);
        write(hatchPx[p]);
        sprintf(keyText, "HatchPy[%d]", (int)p);
        write(hatchPy[p]);
        sprintf(keyText, "Hprint_sw[%d]", (int)p);
        write(hprintSw[p]);
        sprintf(keyText, "Hich_sw[%d]", (int)p);
        write(hichSw[p]);
        sprintf(keyText, "Hkata_sw[%d]", (int)p);
        write(hkataSw[p]);
        for (int32_t e = 0; e < HATCH_ELEMENTS; ++e) {
            sprintf(keyText, "Hsw[%d][%d]", (int)p, (int)e);
            write(hsw[p][e]);
            sprintf(keyText, "HatchX1[%d][%d]", (int)p, (int)e);
            write(hatchX1[p][e]);
            sprintf(keyText, "HatchQ1[%d][%d]", (int)p, (int)e);
            write(hatchQ1[p][e]);
            sprintf(keyText, "HatchR[%d][%d]", (int)p, (int)e);
            write(hatchR[p][e]);
            sprintf(keyText, "HatchY1[%d][%d]", (int)p, (int)e);
            write(hatchY1[p][e]);
        }
    }
}

double HatchScale(void)
{
    DrawingTables *t = gHostState->tables;
    if (hprintSw[hatchNo] == 0)
        return 1.0 / t->unitFactor;
    return t->drawingScale / t->unitFactor;
}
