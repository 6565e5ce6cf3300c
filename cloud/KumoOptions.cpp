/*
 * KumoOptions.cpp - the option panel of the cloud-mark command and the
 * eight settings behind it.  The settings are read each time the panel
 * opens and written each time it closes (also when it is cancelled), so the
 * host's store always holds what the panel showed last.  The panel edits
 * the module's variables in place.
 */
#include "cloud/Cloud.h"

#include <float.h>

/* The seven integer settings, in the order they are read and written
   ("KumoGen", a double, comes after them). */
static const struct {
    const char *key;
    int32_t *value;
    double fallback; /* when the key is absent, or its value is not a number */
} intSettings[7] = {
    {"KumoMode", &kumoMode, 0.0},
    {"KumoActiveMode", &kumoActiveMode, 0.0},
    {"KumoLayer", &kumoLayer, 1.0},
    {"KumoColor", &kumoColor, 1.0},
    {"KumoLine", &kumoLine, 1.0},
    {"KumoGroupMode", &kumoGroupMode, 0.0},
    {"KumoPrintSize", &kumoPrintSize, 0.0},
};

static const char genKey[] = "KumoGen";
static const double genFallback = 10.0;

void KumoReadSettings(void)
{
    for (int i = 0; i < 7; ++i)
        *intSettings[i].value = FrameReadIntSetting(intSettings[i].key, intSettings[i].fallback);
    kumoGen = gHostServices->ReadSetting(genKey, 0, 0, genFallback); /* kept as stored: KumoTrailInput checks it */
}

void KumoWriteSettings(void)
{
    for (int i = 0; i < 7; ++i)
        gHostServices->WriteSetting(intSettings[i].key, (double)*intSettings[i].value, 0, 0);
    gHostServices->WriteSetting(genKey, kumoGen, 0, 0);
}

/* AddPanelItem with the arguments every item of this panel shares: code,
   five zeros and four -1.0 after the bound variable. */
static void addItem(int32_t row, int32_t first, int32_t last, int32_t kind, int32_t code, const char *text, double a,
                    double b, double c, double d, int32_t *bound)
{
    gHostServices->AddPanelItem(row, first, last, kind, code, text, a, b, c, d, bound, 0, 0, 0, 0, 0, -1.0, -1.0, -1.0,
                                -1.0);
}

void KumoOptionsPanel(void)
{
    HostServices *h = gHostServices;
    /* at the cursor, truncated; a position beyond the 32-bit range is
       clamped, and one that is not a number leaves the place to the host */
    int32_t x = FrameSettingToInt(gHostState->cursorX, -1.0);
    int32_t y = FrameSettingToInt(gHostState->cursorY, -1.0);
    KumoReadSettings();
    h->OpenPanel(12, 24, x, y);
    h->ClearPanel();
    addItem(0, 1, 22, 15, 98, kumoPanelTitle, -1.0, 0.0, 1.0, 0.0, 0);
    for (int mode = 0; mode < 4; ++mode) /* radio buttons: each stores its mode */
        addItem(1 + mode, 1, 22, 7, 98, kumoPanelModeText[mode], (double)mode, 0.0, 0.0, 0.0, &kumoMode);
    h->AddPanelNumber(5, kumoPanelChord, 2.5, 0, 0, 0, &kumoGen, 0, 0.0, DBL_MAX, 10.0, 10.0, 2, 3, 18);
    addItem(5, 19, 22, 6, 1, kumoPanelPrint, 1.0, 0.0, 0.0, 1.0, &kumoPrintSize);
    addItem(6, 3, 22, 6, 98, kumoPanelActive, 0.0, 0.0, 0.0, 1.0, &kumoActiveMode);
    h->AddPanelLayer(7, &kumoLayer, 0, 0, 3, 20, 201);
    h->AddPanelLineType(8, &kumoLine, 0, 0, 3, 20, 201);
    h->AddPanelColor(9, &kumoColor, 0, 0, 3, 20, 201);
    h->AddPanelGroup(10, &kumoGroupNumber, &kumoGroupMode, 2, 1, 22, 201);
    h->ShowPanel();
    do
        h->WaitPanelEvent(0);
    while (h->PanelResult() == 1);
    h->ClosePanel();
    KumoWriteSettings(); /* however the panel was left */
}
