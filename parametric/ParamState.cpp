/*
 * ParamState.cpp - what the parametric command keeps between its routines
 * and between calls, and the texts it shows.
 */
#include "parametric/Param.h"

int32_t paramDragSwitch = 0;
int32_t paramPreviewReady = 0;
int32_t paramTextRoom = PARAM_TEXT_SLOTS;

const char paramCaption[] = "パラメトリック変形";
const char paramDragLabel[] = "ドラッグ";
const char paramConfirmLabel[] = "確認";
const char paramUnlinkLabel[] = "リンクを解除する";
const char paramRelinkLabel[] = "リンクを更新する";
const char paramRangeStartPrompt[] = "パラメトリック範囲 始点";
const char paramRangeEndPrompt[] = "パラメトリック範囲 終点";
const char paramMoveStartPrompt[] = "移動 始点";
const char paramMoveEndPrompt[] = "移動 終点";
