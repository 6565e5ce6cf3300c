/*
 * Cloud.h - the cloud-mark command kumo1: its routines, its module-wide
 * state and the texts it shows.
 *
 * A cloud is a chain of quarter-circle arcs (or, in mode 3, straight
 * segments) written into the host's figure list.  The rectangle modes write
 * twelve arcs straight into the drawing; the trail modes write their figures
 * into the host's work area while the mouse moves (KumoTrailHook, run by USA)
 * and copy them to the drawing when the user confirms.
 */
#ifndef NEROLIT_CLOUD_CLOUD_H
#define NEROLIT_CLOUD_CLOUD_H

#include "frame/Module.h"

/* A point in drawing coordinates. */
struct KumoPoint {
    double x, y;
};

/* --- module-wide state (defined in KumoState.cpp) ------------------------ */

/* The eight settings (KumoOptions.cpp reads and writes them). */
extern int32_t kumoMode;        /* input mode: 0, 1 rectangle (concave, convex); 2 trail arcs; 3 trail segments */
extern int32_t kumoActiveMode;  /* 1: figures get the panel's attributes; 0: the drawing's current ones */
extern int32_t kumoLayer;       /* layer of the figures when kumoActiveMode is 1 */
extern int32_t kumoColor;       /* colour of the figures when kumoActiveMode is 1 */
extern int32_t kumoLine;        /* line type of the figures when kumoActiveMode is 1 */
extern int32_t kumoGroupMode;   /* 0: current group; 1: the panel's number; 2: asked before each cloud */
extern int32_t kumoPrintSize;   /* 1: kumoGen is a size on the printed sheet (times drawingScale) */
extern double kumoGen;          /* chord length of the trail modes, in user units */

extern int32_t kumoGroupNumber; /* group of the figures when kumoActiveMode is 1; never stored */
extern int32_t kumoListPos;     /* figure-list index at which the next cloud figure is written */

extern KumoPoint trailStart;    /* first point of the current trail */
extern KumoPoint trailLast;     /* last vertex of the current trail */
extern int32_t trailSteps;      /* vertices the hook has added to the current trail */
extern int32_t trailClosed;     /* 0 while the trail is open; -1 once the hook has closed it */
extern int32_t trailStopped;    /* 1 once a writer refused a figure of this trail: it grows no more */
extern int32_t kumoTracking;    /* 1 only while the trail's GetCursorPoint is pending: the hook runs */

/* --- texts (Shift-JIS in the module; KumoTexts.cpp) ---------------------- */

extern const char kumoPromptBoxFirst[];    /* first corner of a rectangle cloud */
extern const char kumoPromptBoxSecond[];   /* second corner */
extern const char kumoPromptTrailStart[];  /* start point of a trail */
extern const char kumoPromptTrailTrack[];  /* while the trail follows the mouse */
extern const char kumoPromptGroup[];       /* prompt of GetGroupNumber */
extern const char kumoMessageZeroChord[];  /* the trail modes with no usable chord length */
extern const char kumoPanelTitle[];        /* panel row 0 */
extern const char kumoPanelModeText[4][32]; /* panel rows 1-4: the radio buttons of modes 0-3 */
extern const char kumoPanelChord[];        /* the chord-length field */
extern const char kumoPanelPrint[];        /* the print-size check box */
extern const char kumoPanelActive[];       /* the "panel's attributes" check box */

/* --- routines ------------------------------------------------------------- */

/* The option panel: reads the settings, runs the panel at the cursor, writes
   the settings back however it was left.  inputStatus 2 afterwards: the user
   cancelled it. */
void KumoOptionsPanel(void);

/* Loads the eight settings, in their fixed order; a missing key gives its
   default, a stored integer that is not a number its default too, and one
   beyond the 32-bit range the nearest 32-bit value. */
void KumoReadSettings(void);

/* Stores the eight settings, in the same order, as doubles. */
void KumoWriteSettings(void);

/* Writes the twelve arcs of the rectangle cloud with corners (x1, y1) and
   (x2, y2) from kumoListPos on; kumoListPos ends after the last arc written.
   When the host refuses an arc, the rest of the cloud is not attempted. */
void KumoBoxCloud(double x1, double y1, double x2, double y2);

/* Writes the 90-degree arc on the chord P-Q, bulging to the left of P->Q, at
   list position n and an end marker after it.  Returns the position after
   the arc; -1 when the host refused it (nothing written).  A kumoActiveMode
   other than 0 or 1 writes nothing and returns n. */
int32_t KumoAddArc(int32_t n, double px, double py, double qx, double qy);

/* The same for a straight segment from P to Q. */
int32_t KumoAddLine(int32_t n, double px, double py, double qx, double qy);

/* Rectangle input of modes 0 and 1: clouds from two corners until the user
   cancels at the first corner.  Cancelling the group number asked after the
   second corner (group mode 2) draws nothing and asks the second corner
   again. */
void KumoBoxInput(void);

/* Trail input of modes 2 and 3: trails until the user cancels at the start
   point, or the group number asked before it (group mode 2); returns at
   once after the zero-chord message.  A confirmed trail that the host
   cannot copy into the drawing (full) is signalled and taken off the
   display. */
void KumoTrailInput(void);

/* Sets kumoGroupNumber for the next cloud by kumoGroupMode; 1 when the
   cloud may be drawn.  In mode 2 it asks the user: 0 (and inputStatus 2)
   when the user cancelled, the number then staying as it was. */
int32_t KumoPickGroup(void);

/* Trail writer run by USA while kumo1 waits for the trail; always 0. */
int32_t KumoTrailHook(void);

#endif /* NEROLIT_CLOUD_CLOUD_H */
