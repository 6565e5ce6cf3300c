/*
 * HatchCommand.cpp - entry of the hatching command.  The command itself is
 * not built yet: the entry opens and closes a pass of work and returns.
 */
#include "hatch/Hatch.h"

extern "C" void HOST_API Hatch(char *)
{
    gHostServices->BeginCommand(1);
}
