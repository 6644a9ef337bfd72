#include "sink/win32/MorvaneObject.h"

#include <new>
#include <string>

#include "platform/win32/AdoStore.h"
#include "platform/win32/WideText.h"
#include "sink/win32/ModuleState.h"

namespace morvane_com {

namespace {

using platform::win32::BstrToUtf8;

// A by-reference string argument as the core sees it; a null pointer reads
// as the empty string.
std::string Argument(BSTR* value) {
    return value == nullptr ? std::string() : BstrToUtf8(*value);
}

// Hands a status string out through an [out, retval] BSTR*.
HRESULT ReturnText(const std::string& text, BSTR* result) {
    if (result == nullptr)
        return E_POINTER;
    *result = platform::win32::Bstr(text).Release();
    return *result == nullptr ? E_OUTOFMEMORY : S_OK;
}

// No C++ exception may leave a COM method: the core reports its outcomes
// itself, so what arrives here is an allocation failure or worse.
template <typename Call>
HRESULT AtComBoundary(HRESULT onException, Call call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return onException == S_OK ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return onException;
    }
}

}  // namespace

MorvaneObject* MorvaneObject::Create() {
    return new MorvaneObject();
}

MorvaneObject::MorvaneObject() {
    ObjectCreated();
}

MorvaneObject::~MorvaneObject() {
    ObjectDestroyed();
}

HRESULT MorvaneObject::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__MorvaneCls)
        *object = static_cast<_MorvaneCls*>(this);
    else if (iid == platform::win32::IID_IExStoreSyncEvents)
        *object = static_cast<platform::win32::IExStoreSyncEvents*>(this);
    else if (iid == platform::win32::IID_ICreateRegistration)
        *object = static_cast<platform::win32::ICreateRegistration*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG MorvaneObject::AddRef() {
    return ++references_;
}

ULONG MorvaneObject::Release() {
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT MorvaneObject::TypeInfo(ITypeInfo** typeInfo) {
    if (!typeInfo_) {
        HRESULT hr = MorvaneClsTypeInfo(typeInfo_.Out());
        if (FAILED(hr))
            return hr;
    }
    *typeInfo = typeInfo_.Get();
    return S_OK;
}

HRESULT MorvaneObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT MorvaneObject::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
    if (typeInfo == nullptr)
        return E_POINTER;
    *typeInfo = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    ITypeInfo* info = nullptr;
    HRESULT hr = TypeInfo(&info);
    if (SUCCEEDED(hr)) {
        info->AddRef();
        *typeInfo = info;
    }
    return hr;
}

HRESULT MorvaneObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = TypeInfo(&info);
    return FAILED(hr) ? hr : DispGetIDsOfNames(info, names, count, ids);
}

HRESULT MorvaneObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = TypeInfo(&info);
    if (FAILED(hr))
        return hr;
    return DispInvoke(static_cast<_MorvaneCls*>(this), info, id, flags, params, result, exception,
                      argError);
}

HRESULT MorvaneObject::CreateRegItem(BSTR* FolderURL, BSTR* SubFolderName, BSTR* itemName,
                                     BSTR* EventMethod, BSTR* SinkClass, BSTR* MatchScope,
                                     BSTR* Criteria, BSTR* Priority, BSTR* pbstrResult) {
    return AtComBoundary(E_UNEXPECTED, [&] {
        std::string folder = Argument(FolderURL), sub = Argument(SubFolderName),
                    name = Argument(itemName), method = Argument(EventMethod),
                    sinkClass = Argument(SinkClass), scope = Argument(MatchScope),
                    criteria = Argument(Criteria), priority = Argument(Priority);
        return ReturnText(
            sink_.CreateRegItem(folder, sub, name, method, sinkClass, scope, criteria, priority),
            pbstrResult);
    });
}

HRESULT MorvaneObject::RemoveRegItem(BSTR* sParentUrl, BSTR* SubFolderName, BSTR* sName,
                                     BSTR* pbstrResult) {
    return AtComBoundary(E_UNEXPECTED, [&] {
        std::string parent = Argument(sParentUrl), sub = Argument(SubFolderName),
                    name = Argument(sName);
        return ReturnText(sink_.RemoveRegItem(parent, sub, name), pbstrResult);
    });
}

HRESULT MorvaneObject::CheckRegItemExists(BSTR* sParentUrl, BSTR* SubFolderName, BSTR* sName,
                                          BSTR* pbstrResult) {
    return AtComBoundary(E_UNEXPECTED, [&] {
        std::string parent = Argument(sParentUrl), sub = Argument(SubFolderName),
                    name = Argument(sName);
        return ReturnText(sink_.CheckRegItemExists(parent, sub, name), pbstrResult);
    });
}

// The event methods hold their own reference to the event information and
// their own copy of the URL for the call; they never report a failure.
HRESULT MorvaneObject::OnSyncSave(platform::win32::IExStoreEventInfo* pEventInfo, BSTR bstrURLItem,
                                  LONG lFlags) {
    return AtComBoundary(S_OK, [&] {
        auto eventInfo = platform::win32::WrapEventInfo(pEventInfo);
        sink_.OnSyncSave(*eventInfo, BstrToUtf8(bstrURLItem), lFlags);
        return S_OK;
    });
}

HRESULT MorvaneObject::OnSyncDelete(platform::win32::IExStoreEventInfo* pEventInfo,
                                    BSTR bstrURLItem, LONG lFlags) {
    return AtComBoundary(S_OK, [&] {
        auto eventInfo = platform::win32::WrapEventInfo(pEventInfo);
        sink_.OnSyncDelete(*eventInfo, BstrToUtf8(bstrURLItem), lFlags);
        return S_OK;
    });
}

HRESULT MorvaneObject::Register(platform::win32::IExStoreEventInfo* pEventInfo, BSTR bstrURLItem,
                                LONG lFlags, LONG* plResult) {
    if (plResult == nullptr)
        return E_POINTER;
    *plResult = 0;
    return AtComBoundary(S_OK, [&] {
        auto eventInfo = platform::win32::WrapEventInfo(pEventInfo);
        *plResult = sink_.Register(*eventInfo, BstrToUtf8(bstrURLItem), lFlags);
        return S_OK;
    });
}

}  // namespace morvane_com
