#pragma once

#include "platform/win32/WindowsHeaders.h"

namespace morvane_com {

// The class object of MorvaneCls. It lives as long as the library and is
// not counted as an object; LockServer keeps the library loaded.
class ClassFactory : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

ClassFactory& MorvaneClsFactory();

}  // namespace morvane_com
