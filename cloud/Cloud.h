/*
 * Cloud.h - the cloud-mark command kumo1: its routines and module-wide state.
 */
#ifndef NEROLIT_CLOUD_CLOUD_H
#define NEROLIT_CLOUD_CLOUD_H

#include "frame/Module.h"

/* Trail writer run by USA while kumo1 waits for the trail; always 0. */
int32_t KumoTrailHook(void);

#endif /* NEROLIT_CLOUD_CLOUD_H */
