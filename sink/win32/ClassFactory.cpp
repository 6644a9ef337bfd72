#include "sink/win32/ClassFactory.h"

#include <new>

#include "sink/win32/ModuleState.h"
#include "sink/win32/MorvaneObject.h"

namespace morvane_com {

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef() {
    morvane_com::LockServer(true);
    return 2;
}

ULONG ClassFactory::Release() {
    morvane_com::LockServer(false);
    return 1;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    MorvaneObject* created = nullptr;
    try {
        created = MorvaneObject::Create();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    morvane_com::LockServer(lock != FALSE);
    return S_OK;
}

ClassFactory& MorvaneClsFactory() {
    static ClassFactory factory;
    return factory;
}

}  // namespace morvane_com
