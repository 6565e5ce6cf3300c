/*
 * Hatch.h - the pattern hatching command Hatch: its routines and module-wide
 * state.
 */
#ifndef NEROLIT_HATCH_HATCH_H
#define NEROLIT_HATCH_HATCH_H

#include "frame/Module.h"

#endif /* NEROLIT_HATCH_HATCH_H */
