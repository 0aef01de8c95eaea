// Entry point of libillsxmk.dll. The library keeps no per-thread state, so it asks not to be
// called when threads start or end. Its process-wide constants (the pick event's class name, the
// default handle colour) are namespace-scope objects: the runtime creates them before this
// function sees DLL_PROCESS_ATTACH and destroys them after DLL_PROCESS_DETACH.
#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    // The loader refuses this for a module with a TLS directory, which the static MinGW runtime
    // gives this DLL (its thread clean-up runs from TLS callbacks). The notifications then reach
    // the runtime's entry code only and still run nothing of ours.
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}

#endif
