/*
 * Entry.cpp - the module's load-time entry and its binding to the host:
 * StartDLL keeps the two record pointers, writes the module's identification
 * into the state record and registers the two commands that the host does
 * not find by their export names.  EndDLL and UDRAW do nothing.
 */
#include "frame/Module.h"

#include <string.h>

#ifdef _WIN32
#include <windows.h>
#endif

HostServices *gHostServices; /* for the module's whole life */
HostState *gHostState;       /* for the module's whole life */

#ifdef _WIN32
/* Load-time entry: turn off thread attach/detach notifications; never fails. */
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID);
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(module);
    return TRUE;
}
#endif

extern "C" void HOST_API StartDLL(HostServices *services, HostState *state)
{
    gHostServices = services;
    gHostState = state;
    state->pluginVersion = 1.211;
    strcpy(state->pluginGroupName, "Nerolit ユーザ");
    strcpy(state->pluginDescription, "ユーザの作成したコマンドです。");
    state->pluginInterfaceDate = 19991225;
    state->pluginFlagC = -1;
    state->pluginFlagA = 0;
    state->pluginFlagB = 0;
    /* C66 and VeC92 are found by the host under their export names. */
    services->RegisterCommand("kumo1", 0, "雲マーク", "kumo", 0, 0, 0, 0);
    services->RegisterCommand("Hatch", 0, "新ハッチング", "vehatch", 0, 0, 0, 0);
}

extern "C" void EndDLL(void)
{
}

extern "C" void UDRAW(void)
{
}
