// The four exports of PELRIN.DLL (named and numbered by pelrin.def).

#include "server/entry_points.h"

#include <windows.h>
#include <objbase.h>
#include <olectl.h>

STDAPI DllCanUnloadNow()
{
    return pelrin::CanUnloadNow(pelrin::g_module);
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return pelrin::GetClassObject(pelrin::g_module, rclsid, riid, ppv);
}

STDAPI DllRegisterServer()
{
    return pelrin::RegisterServer(pelrin::g_module);
}

STDAPI DllUnregisterServer()
{
    return pelrin::UnregisterServer(pelrin::g_module);
}
