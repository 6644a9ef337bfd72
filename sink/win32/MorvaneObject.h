#pragma once

#include <atomic>
#include <memory>

#include "platform/win32/ComPtr.h"
#include "platform/win32/ExStoreInterfaces.h"
#include "sink/MorvaneCls.h"
#include "sink/win32/MorvaneIds.h"

namespace morvane_com {

// The COM object of the class MorvaneCls: the dual interface _MorvaneCls
// (IDispatch through the type library) and the store's event interfaces,
// each turned into a call of the portable MorvaneCls.
class MorvaneObject : public _MorvaneCls,
                      public platform::win32::IExStoreSyncEvents,
                      public platform::win32::ICreateRegistration {
  public:
    // Creates an object with one reference, owned by the caller.
    static MorvaneObject* Create();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

    // _MorvaneCls
    HRESULT STDMETHODCALLTYPE CreateRegItem(BSTR* FolderURL, BSTR* SubFolderName, BSTR* itemName,
                                            BSTR* EventMethod, BSTR* SinkClass, BSTR* MatchScope,
                                            BSTR* Criteria, BSTR* Priority,
                                            BSTR* pbstrResult) override;
    HRESULT STDMETHODCALLTYPE RemoveRegItem(BSTR* sParentUrl, BSTR* SubFolderName, BSTR* sName,
                                            BSTR* pbstrResult) override;
    HRESULT STDMETHODCALLTYPE CheckRegItemExists(BSTR* sParentUrl, BSTR* SubFolderName, BSTR* sName,
                                                 BSTR* pbstrResult) override;

    // IExStoreSyncEvents
    HRESULT STDMETHODCALLTYPE OnSyncSave(platform::win32::IExStoreEventInfo* pEventInfo,
                                         BSTR bstrURLItem, LONG lFlags) override;
    HRESULT STDMETHODCALLTYPE OnSyncDelete(platform::win32::IExStoreEventInfo* pEventInfo,
                                           BSTR bstrURLItem, LONG lFlags) override;

    // ICreateRegistration
    HRESULT STDMETHODCALLTYPE Register(platform::win32::IExStoreEventInfo* pEventInfo,
                                       BSTR bstrURLItem, LONG lFlags, LONG* plResult) override;

  private:
    MorvaneObject();
    virtual ~MorvaneObject();
    HRESULT TypeInfo(ITypeInfo** typeInfo);

    std::atomic<ULONG> references_{1};
    MorvaneCls sink_;
    platform::win32::ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace morvane_com
