/*
 * KumoCommand.cpp - entry of the cloud-mark command.  The command itself is
 * not built yet: the entry opens and closes a pass of work and returns.
 */
#include "cloud/Cloud.h"

extern "C" void HOST_API kumo1(char *)
{
    gHostServices->BeginCommand(1);
}

int32_t KumoTrailHook(void)
{
    return 0;
}
