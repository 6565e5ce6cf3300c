/*
 * KumoState.cpp - the module-wide state of the cloud-mark command, in one
 * place.  Everything is zero when the module is loaded and keeps its value
 * between calls of kumo1; the meaning of each variable is in Cloud.h.
 */
#include "cloud/Cloud.h"

int32_t kumoMode;        /* setting "KumoMode" */
int32_t kumoActiveMode;  /* setting "KumoActiveMode" */
int32_t kumoLayer;       /* setting "KumoLayer" */
int32_t kumoColor;       /* setting "KumoColor" */
int32_t kumoLine;        /* setting "KumoLine" */
int32_t kumoGroupMode;   /* setting "KumoGroupMode" */
int32_t kumoPrintSize;   /* setting "KumoPrintSize" */
double kumoGen;          /* setting "KumoGen" */

int32_t kumoGroupNumber; /* from currentGroup at every start of kumo1 */
int32_t kumoListPos;     /* written by the figure writers' callers */

KumoPoint trailStart;    /* armed by KumoTrailInput */
KumoPoint trailLast;     /* moved by KumoTrailHook */
int32_t trailSteps;      /* counted by KumoTrailHook */
int32_t trailClosed;     /* set by KumoTrailHook when it closes the trail */
int32_t trailStopped;    /* set by KumoTrailHook when a writer refuses */
int32_t kumoTracking;    /* set around the trail's GetCursorPoint */
