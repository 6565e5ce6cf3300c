/*
 * Mirror.h - the mirror command C66: its routines and module-wide state.
 */
#ifndef NEROLIT_MIRROR_MIRROR_H
#define NEROLIT_MIRROR_MIRROR_H

#include "frame/Module.h"

#endif /* NEROLIT_MIRROR_MIRROR_H */
