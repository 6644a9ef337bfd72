// The four entry points of the in-process server, exported by name through
// Morvane.def.
#include "sink/win32/ClassFactory.h"
#include "sink/win32/ModuleState.h"
#include "sink/win32/MorvaneIds.h"
#include "sink/win32/Registration.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        morvane_com::SetModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (clsid != morvane_com::CLSID_MorvaneCls)
        return CLASS_E_CLASSNOTAVAILABLE;
    return morvane_com::MorvaneClsFactory().QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return morvane_com::CanUnload() ? S_OK : S_FALSE;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
    return morvane_com::RegisterServer();
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return morvane_com::UnregisterServer();
}
}
