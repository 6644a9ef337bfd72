// The entry points of MorvaneBridge.dll as an in-process server; the
// Windows host's own are in WindowsHost.cpp.
#include "tools/wine/BridgeRegistration.h"

namespace wine_bridge {
HRESULT ClassObjectOf(REFCLSID clsid, REFIID iid, void** object);
}

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    return wine_bridge::ClassObjectOf(clsid, iid, object);
}

// The library holds the threads' connections to the server: it stays.
HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return S_FALSE;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
    return wine_bridge::RegisterBridgeClasses();
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return wine_bridge::UnregisterBridgeClasses();
}
}
