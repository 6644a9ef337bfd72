// The class objects of the bridge's classes: each creates its class on the
// emulated server; the one of "GC" also parses "GC://" display names into a
// moniker of the bound directory object.
#include "platform/win32/WindowsHeaders.h"

#include <cwchar>
#include <memory>
#include <vector>

#include "platform/ComError.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/win32/WideText.h"
#include "tools/wine/BridgeRegistration.h"
#include "tools/wine/ProxyObjects.h"
#include "tools/wine/ThreadChannel.h"

namespace wine_bridge {

namespace {

using platform::ComError;

// Leaves the failure's text where the caller's error handling reads it.
HRESULT Fail(const ComError& error) {
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        std::wstring text = platform::win32::Utf8ToWide(error.description());
        create->SetDescription(text.data());
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return error.number() < 0 ? error.number() : E_FAIL;
}

// A stand-in for the object the platform's member answers for argument.
IDispatch* ServerObject(const bridge::MemberDeclaration& member, const std::string& argument) {
    std::vector<bridge::Value> args{bridge::Value(platform::Variant(argument))};
    bridge::Value result = bridge::InvokeDeclared(*ServerPlatform(), member, args);
    if (!result.IsObject() || !result.object->AsRemote())
        throw ComError(E_UNEXPECTED, "The server answered without an object");
    return NewProxy(std::static_pointer_cast<bridge::RemoteObject>(result.object));
}

class ClassObject final : public IClassFactory, public IParseDisplayName {
  public:
    ClassObject(const bridge::BridgeClass& served, bool moniker)
        : served_(served), moniker_(moniker) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory)
            *object = static_cast<IClassFactory*>(this);
        else if (moniker_ && iid == IID_IParseDisplayName)
            *object = static_cast<IParseDisplayName*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    // The class objects live as long as the library.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        if (moniker_)
            return CLASS_E_CLASSNOTAVAILABLE;
        try {
            IDispatch* proxy =
                ServerObject(bridge::platform_root::kCreateObject, std::string(served_.progId));
            const HRESULT hr = proxy->QueryInterface(iid, object);
            proxy->Release();
            return hr;
        } catch (const ComError& error) {
            return Fail(error);
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, LPOLESTR name, ULONG* eaten,
                                               IMoniker** moniker) override {
        if (name == nullptr || eaten == nullptr || moniker == nullptr)
            return E_POINTER;
        *moniker = nullptr;
        try {
            IDispatch* proxy =
                ServerObject(bridge::platform_root::kGetObject, platform::win32::WideToUtf8(name));
            const HRESULT hr = CreatePointerMoniker(proxy, moniker);
            proxy->Release();
            if (SUCCEEDED(hr))
                *eaten = static_cast<ULONG>(std::wcslen(name));
            return hr;
        } catch (const ComError& error) {
            return Fail(error);
        }
    }

  private:
    const bridge::BridgeClass& served_;
    bool moniker_;
};

}  // namespace

HRESULT ClassObjectOf(REFCLSID clsid, REFIID iid, void** object) {
    static ClassObject moniker(bridge::kDirectoryMoniker, true);
    if (clsid == ClassIdOf(bridge::kDirectoryMoniker))
        return moniker.QueryInterface(iid, object);
    // Made at the first request, once, whichever apartment asks first.
    static const std::vector<std::unique_ptr<ClassObject>> objects = [] {
        std::vector<std::unique_ptr<ClassObject>> made;
        for (const bridge::BridgeClass* served : bridge::kBridgeClasses)
            made.push_back(std::make_unique<ClassObject>(*served, false));
        return made;
    }();
    for (size_t i = 0; i < std::size(bridge::kBridgeClasses); ++i) {
        if (clsid == ClassIdOf(*bridge::kBridgeClasses[i]))
            return objects[i]->QueryInterface(iid, object);
    }
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace wine_bridge
