/*
 * Param.h - the parametric transform command VeC92: its routines and
 * module-wide state.
 */
#ifndef NEROLIT_PARAMETRIC_PARAM_H
#define NEROLIT_PARAMETRIC_PARAM_H

#include "frame/Module.h"

/* Drag preview run by USSR while VeC92 asks for the end point; always 1. */
int32_t ParamDragPreview(void);

#endif /* NEROLIT_PARAMETRIC_PARAM_H */
