// The library's entry point accepts every load and unload notification and
// does nothing else: the registry and the trace log need no set-up.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
