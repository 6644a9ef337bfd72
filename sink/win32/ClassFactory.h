#pragma once

#include "platform/win32/WindowsHeaders.h"

namespace morvane_com {

// The class object of MorvaneCls. It lives as long as the library; each
// reference a caller holds keeps the library loaded, as LockServer does, so
// that a process with several apartments (the COM+ application's) never
// unloads the library under a class object another apartment is about to
// create with.
class ClassFactory : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

ClassFactory& MorvaneClsFactory();

}  // namespace morvane_com
