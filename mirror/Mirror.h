/*
 * Mirror.h - the mirror command C66 ("ミラー"): its routines, its module-wide
 * state and its texts.
 *
 * The command mirrors a selection about the horizontal or vertical line
 * through a base point, or about the line through two reference points, in
 * copy or replace mode.  MirrorCommand.cpp runs the loop (panel, selection,
 * axis, mirror), MirrorAxis.cpp takes the axis and checks its range,
 * MirrorPanel.cpp shows the options, MirrorTransform.cpp and
 * MirrorTextBox.cpp change the figures.  Everything runs inside the host's
 * call of C66; the state below is used by no other entry point.
 */
#ifndef NEROLIT_MIRROR_MIRROR_H
#define NEROLIT_MIRROR_MIRROR_H

#include "frame/Module.h"

/* A point in drawing units. */
struct MirrorPoint {
    double x, y;
};

/* Options, loaded from the settings of the same names each time the panel
   opens (MirrorState.cpp). */
extern int32_t c66_DeleteSW;    /* 1: copy mode (originals kept); other: replace mode */
extern int32_t c66_Direction;   /* 1 "上下", 2 "左右", 3 "斜め" */
extern int32_t c66_ChangeGroup; /* group step of the copy: 1 given number, 2 new number, 3 ungroup */
extern int32_t c66_NewGroupNum; /* group number of group steps 1 and 2 */
extern int32_t Moji_gentenSW;   /* 1: flip text origin codes in directions 1 and 2 */

/* Axis state, kept between calls. */
extern MirrorPoint axisStart;  /* first point of the mirror axis */
extern MirrorPoint axisEnd;    /* second point of the mirror axis */
extern MirrorPoint basePoint;  /* base point of directions 1 and 2 */
extern double coordLimit;      /* 2147483647.0: bound of the range checks */
extern int32_t outOfRange;     /* 1 when the last range check failed */
extern int32_t mirrorIndex;    /* entry being transformed; MirrorArc advances it */

/* Scratch of the text box test, shared by MirrorCheckTextBox and
   MirrorPlaceTextCorner. */
extern MirrorPoint textOrigin; /* the mirrored origin point O' of the text */
extern double textCosA1, textSinA1; /* direction angle of the text */
extern double textCosA2, textSinA2; /* slant angle of the text */
extern MirrorPoint textCorner;      /* the box corner placed last */

/* Texts (Shift-JIS in the module). */
extern const char mirrorSelectPrompt[];      /* "ミラー" */
extern const char mirrorFirstPointPrompt[];  /* "基準点 １" */
extern const char mirrorSecondPointPrompt[]; /* "基準点 ２" */
extern const char mirrorBasePointPrompt[];   /* "基準点" */
extern const char mirrorProgressPrompt[];    /* "ＥＳＣで中断します。" */
extern const char mirrorPanelCaption[];      /* "ミラー反転" */
extern const char mirrorDirectionText[];     /* "方向" */
extern const char mirrorUpDownText[];        /* "上下" */
extern const char mirrorLeftRightText[];     /* "左右" */
extern const char mirrorSlantText[];         /* "斜め" */
extern const char mirrorKeepText[];          /* "元データを残す　　" */
extern const char mirrorFlipOriginText[];    /* "文字原点を反転する" */


/* MirrorPanel.cpp: loads the five options, shows the panel, stores them
   back; inputStatus 2 afterwards when the user cancelled it. */
void MirrorOptionsPanel(void);

/* MirrorAxis.cpp: axis input; inputStatus 2 afterwards when cancelled. */
void MirrorPickAxis(void);
void MirrorPickBase(void);
void MirrorCheckRange(void);

/* MirrorCommand.cpp: the group step of the copy. */
void MirrorRegroupCopy(void);

/* MirrorTransform.cpp: transform the work section selFirst+1 .. selEnd-1. */
void MirrorDiagonal(void);
void MirrorAxisAligned(void);
void MirrorLine(void);
void MirrorArc(void);
void MirrorText(void);
void MirrorReflectPoint(int32_t *x, int32_t *y);

/* MirrorTextBox.cpp: the range test of a mirrored text's box. */
void MirrorCheckTextBox(MirrorPoint foot);
void MirrorPlaceTextCorner(double cx, double cy);

#endif /* NEROLIT_MIRROR_MIRROR_H */
