/*
 * ParamCommand.cpp - entry of the parametric transform command VeC92: its
 * three settings, its option panel, and the loop of range, move and stretch
 * that runs between two openings of the panel.
 */
#include "parametric/Param.h"

/* Opens the option panel on the three bound variables and waits until the
   user closes it; the host edits the variables in place. */
static void showPanel(int32_t *linkMode, int32_t *linkConfirm)
{
    HostServices *s = gHostServices;
    s->OpenPanel(3, 24, -1, -1);
    int32_t w = gHostState->panelWidth;
    s->AddPanelItem(0, 0, 9, 6, 1, paramDragLabel, 0.0, 0.0, 0.0, 1.0, &paramDragSwitch, 0, 0, 0, 0, 0,
                    -1.0, -1.0, -1.0, -1.0);
    s->AddPanelItem(0, w - 4, w - 1, 6, 1, paramConfirmLabel, 1.0, 0.0, 0.0, 1.0, linkConfirm, 0, 0, 0, 0, 0,
                    -1.0, -1.0, -1.0, -1.0);
    s->AddPanelItem(1, 0, w - 5, 7, 1, paramUnlinkLabel, 0.0, 0.0, 0.0, 4.0, linkMode, 0, 0, 0, 0, 0,
                    -1.0, -1.0, -1.0, -1.0);
    s->AddPanelItem(2, 0, w - 5, 7, 1, paramRelinkLabel, 1.0, 0.0, 0.0, 4.0, linkMode, 0, 0, 0, 0, 0,
                    -1.0, -1.0, -1.0, -1.0);
    s->ShowPanel();
    do
        s->WaitPanelEvent(paramCaption);
    while (s->PanelResult() == 1);
    s->ClosePanel();
}

/* The command.  The text argument is never read.  Settings are read when
   the command starts and written back when the user cancels the panel,
   which is the only way out. */
void HOST_API VeC92(char *)
{
    HostServices *s = gHostServices;
    s->BeginCommand(1);
    paramDragSwitch = FrameReadIntSetting("c92_drag_sw", 0.0);
    int32_t linkMode = FrameReadIntSetting("c251_mode", 0.0);       /* 1: keep linked texts in step */
    int32_t linkConfirm = FrameReadIntSetting("c251_kakunin", 0.0); /* passed on to UpdateLinks */
    for (;;) {
        showPanel(&linkMode, &linkConfirm);
        if (gHostState->inputStatus == 2)
            break;
        while (ParamRangeInput()) {
            double dx = 0.0, dy = 0.0;
            if (ParamMoveInput(&dx, &dy)) {
                ParamApply(dx, dy, linkMode, linkConfirm);
                s->BeginCommand(1);
            }
        }
    }
    s->WriteSetting("c92_drag_sw", (double)paramDragSwitch, 0, 0);
    s->WriteSetting("c251_mode", (double)linkMode, 0, 0);
    s->WriteSetting("c251_kakunin", (double)linkConfirm, 0, 0);
}
