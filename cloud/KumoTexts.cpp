/*
 * KumoTexts.cpp - the texts the cloud-mark command shows: prompts, the
 * zero-chord message and the captions of its option panel.  Each is
 * defined once here, so that the tests can check the Shift-JIS bytes that
 * reach the host.
 */
#include "cloud/Cloud.h"

const char kumoPromptBoxFirst[] = "雲マーク=> BOX指定 始点/終了";
const char kumoPromptBoxSecond[] = "雲マーク=> BOX指定 終点/戻る";
const char kumoPromptTrailStart[] = "雲マーク=> マウス軌跡 始点/終了";
const char kumoPromptTrailTrack[] = "雲マーク=> マウス軌跡 確定/戻る";
const char kumoPromptGroup[] = "*";
const char kumoMessageZeroChord[] = "弦の長さが[ 0 ]です。（右ｸﾘｯｸでｻﾌﾞﾒﾆｭｰ）";

const char kumoPanelTitle[] = "雲ﾏｰｸ 030420 byVelmar";
const char kumoPanelModeText[4][32] = {
    "矩形指定（ 凹型） ",
    "矩形指定（ 凸型） ",
    "マウス軌跡（時計周凹型） ",
    "自由曲線（omake） ",
};
const char kumoPanelChord[] = "弦の長さ";
const char kumoPanelPrint[] = "印刷";
const char kumoPanelActive[] = "書き込み属性";
