/*
 * MirrorCommand.cpp - entry of the mirror command.  The command itself is
 * not built yet: the entry opens and closes a pass of work and returns.
 */
#include "mirror/Mirror.h"

void HOST_API C66(char *)
{
    gHostServices->BeginCommand(1);
}
