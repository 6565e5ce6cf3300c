/*
 * HatchTexts.cpp - the texts the hatching command shows: the editor panel's
 * captions and lists, the prompts, and the write-limit message.  UTF-8 here,
 * Shift-JIS in the module.
 */
#include "hatch/Hatch.h"

const char hatchPanelTitle[] = "新ﾊｯﾁﾝｸﾞ byVelmar v0.1b";
const char hatchBasePointCheck[] = "基点を指定する";
const char hatchPatternLabel[] = "<=ﾊﾟﾀｰﾝ";
const char hatchPitchXCaption[] = "ﾋﾟｯﾁ X";
const char hatchPitchYCaption[] = "ﾋﾟｯﾁ Y";
const char hatchPrintSizeCheck[] = "印刷ｻｲｽﾞ";
const char hatchVaryLabel[] = "変形";
const char hatchRandomPositionCheck[] = "位　置";
const char hatchRandomShapeCheck[] = "図　形";
const char hatchElementEditLabel[] = "書込み図形編集";
const char hatchElementLabel[] = "<=個目";
const char hatchKindLabel[] = "図形=>";
const char hatchKindNote[] = "↓／　長方形：○　多角形";
const char hatchSizeXCaption[] = "⊿X:ｒ";
const char hatchSizeYCaption[] = "⊿Y:θ";
const char hatchOffsetLabel[] = "原点からの位置";
const char hatchOffsetXCaption[] = "⊿Ｘ";
const char hatchOffsetYCaption[] = "⊿Ｙ";
const char *const hatchNumberTexts[HATCH_SLOTS] = {"1", "2", "3", "4", "5", "6", "7", "8"};
const char *const hatchKindTexts[HATCH_KINDS] = {"＊", "／", "○", "△", "□", "５", "６", "８", "長"};
const char hatchSelectPrompt[] = "ハッチング";
const char hatchRegionStartPrompt[] = "ハッチング領域開始点";
const char hatchRegionNextPrompt[] = "ハッチング領域指定";
const char hatchBasePointPrompt[] = "基点を指定";
const char hatchLimitMessage[] = "書込線本数が制限値を越えました。(何度か繰返とﾊｯﾁﾝｸﾞ可能になります。）";
