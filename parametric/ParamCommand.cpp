/*
 * ParamCommand.cpp - entry of the parametric transform command.  The command
 * itself is not built yet: the entry opens and closes a pass and returns.
 */
#include "parametric/Param.h"

void HOST_API VeC92(char *)
{
    gHostServices->BeginCommand(1);
}

int32_t ParamDragPreview(void)
{
    return 1;
}
