/*
 * MirrorState.cpp - the mirror command's module-wide state and texts, in one
 * place.  Everything keeps its value between calls of C66; the options are
 * reloaded from the settings each time the panel opens.
 */
#include "mirror/Mirror.h"

#include <math.h>

int32_t c66_DeleteSW;    /* 1: copy mode; other: replace mode */
int32_t c66_Direction;   /* 1 "上下", 2 "左右", 3 "斜め" */
int32_t c66_ChangeGroup; /* group step of the copy, 1..3 */
int32_t c66_NewGroupNum; /* group number of group steps 1 and 2 */
int32_t Moji_gentenSW;   /* 1: flip text origin codes in directions 1 and 2 */

MirrorPoint axisStart; /* first point of the mirror axis */
MirrorPoint axisEnd;   /* second point of the mirror axis */
MirrorPoint basePoint; /* base point of directions 1 and 2 */
double coordLimit;     /* 2147483647.0, stored on every entry of C66 */
int32_t outOfRange;    /* 1 when the last range check failed */
int32_t mirrorIndex;   /* entry being transformed */

MirrorPoint textOrigin;        /* mirrored origin of the text under test */
double textCosA1, textSinA1;   /* its direction angle */
double textCosA2, textSinA2;   /* its slant angle */
MirrorPoint textCorner;        /* the box corner placed last */

const char mirrorSelectPrompt[] = "ミラー";
const char mirrorFirstPointPrompt[] = "基準点 １";
const char mirrorSecondPointPrompt[] = "基準点 ２";
const char mirrorBasePointPrompt[] = "基準点";
const char mirrorProgressPrompt[] = "ＥＳＣで中断します。";
const char mirrorPanelCaption[] = "ミラー反転";
const char mirrorDirectionText[] = "方向";
const char mirrorUpDownText[] = "上下";
const char mirrorLeftRightText[] = "左右";
const char mirrorSlantText[] = "斜め";
const char mirrorKeepText[] = "元データを残す　　";
const char mirrorFlipOriginText[] = "文字原点を反転する";

