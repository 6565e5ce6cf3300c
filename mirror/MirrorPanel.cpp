/*
 * MirrorPanel.cpp - the option panel of the mirror command ("ミラー反転"):
 * the five options are loaded from the host's settings, shown at the
 * character cell under the cursor, edited in place by the host's controls,
 * and stored back however the panel was closed.
 */
#include "mirror/Mirror.h"

/* Loads, shows and stores the options.  Stored values are truncated toward
   zero (a value that is not a number reads as the key's default, one beyond
   the 32-bit range as the nearest 32-bit value); a direction outside 1..3 is
   shown and kept as it is, and C66 refuses it after the panel.  inputStatus
   is 2 afterwards when the user cancelled the panel. */
void MirrorOptionsPanel(void)
{
    HostServices *svc = gHostServices;
    HostState *st = gHostState;

    c66_DeleteSW = FrameReadIntSetting("c66_DeleteSW", 1.0);
    c66_Direction = FrameReadIntSetting("c66_Direction", 1.0);
    c66_ChangeGroup = FrameReadIntSetting("c66_ChangeGroup", 3.0);
    c66_NewGroupNum = FrameReadIntSetting("c66_NewGroupNum", 1.0);
    Moji_gentenSW = FrameReadIntSetting("Moji_gentenSW", 0.0);

    /* At the character cell under the cursor; a zero cell size gives an
       infinite quotient, which saturates instead of being undefined. */
    st->panelRows = 5;
    st->panelWidth = 20;
    st->panelColumn = FrameTruncate(st->cursorX / st->charWidth);
    st->panelRow = FrameTruncate(st->cursorY / st->charHeight);
    svc->OpenPanelByLayout();
    svc->ClearPanel();
    svc->AddPanelHeader(0);
    svc->AddPanelItem(1, 0, 4, 1, 1, mirrorDirectionText, 1.0, 1.0, 1.0, 3.0, &c66_Direction,
                      0, 0, 0, 0, 0, -1.0, -1.0, -1.0, -1.0);
    svc->AddPanelList(1, 5, 19, &c66_Direction, 1, 999, mirrorUpDownText, mirrorLeftRightText,
                      mirrorSlantText, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    svc->AddPanelItem(2, 0, 19, 6, 1, mirrorKeepText, 0.0, 0.0, 0.0, 1.0, &c66_DeleteSW,
                      0, 0, 0, 0, 0, -1.0, -1.0, -1.0, -1.0);
    svc->AddPanelItem(3, 0, 19, 6, 1, mirrorFlipOriginText, 0.0, 0.0, 0.0, 1.0, &Moji_gentenSW,
                      0, 0, 0, 0, 0, -1.0, -1.0, -1.0, -1.0);
    svc->AddPanelGroupChoice(4, &c66_NewGroupNum, &c66_ChangeGroup, 3);
    svc->ShowPanel();
    do {
        svc->WaitPanelEvent(mirrorPanelCaption);
    } while (svc->PanelResult() == 1);
    svc->ClosePanel();

    /* Stored back also after a cancel: the values that were shown. */
    svc->WriteSetting("c66_DeleteSW", (double)c66_DeleteSW, 0, 0);
    svc->WriteSetting("c66_Direction", (double)c66_Direction, 0, 0);
    svc->WriteSetting("c66_ChangeGroup", (double)c66_ChangeGroup, 0, 0);
    svc->WriteSetting("c66_NewGroupNum", (double)c66_NewGroupNum, 0, 0);
    svc->WriteSetting("Moji_gentenSW", (double)Moji_gentenSW, 0, 0);
}
