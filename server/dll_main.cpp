#include "server/class_table.h"
#include "server/module.h"

#include <windows.h>

// The library starts nothing at load time: attaching only sets up the module
// object with the class table, detaching tears it down (releasing the cached
// class factory).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        pelrin::g_module.Init(pelrin::g_classTable, instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        pelrin::g_module.Term();
    }
    return TRUE;
}
