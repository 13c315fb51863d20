// The four exported entry points of corvasin.dll and its DllMain; each forwards to the library.
#include "app/ClassObjects.h"
#include "app/CorvasinApp.h"

#include <windows.h>
#include <objbase.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID lpReserved)
{
    switch (dwReason)
    {
    case DLL_PROCESS_ATTACH:
        return corvasin::TheApp().InitInstance();
    case DLL_PROCESS_DETACH:
        // At process exit (lpReserved set) other modules may already be gone: touch nothing.
        if (!lpReserved)
            corvasin::TheApp().ExitInstance();
        break;
    default:
        break;
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    return corvasin::GetClassObject(rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return corvasin::CanUnloadNow();
}

STDAPI DllRegisterServer()
{
    return corvasin::RegisterServer();
}

STDAPI DllUnregisterServer()
{
    return corvasin::UnregisterServer();
}
