#include "tools/wine/ProxyObjects.h"

#include <atomic>
#include <map>
#include <mutex>

#include "platform/ComError.h"
#include "platform/bridge/BridgeEnumeration.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/ComVariant.h"
#include "platform/win32/ExStoreInterfaces.h"
#include "platform/win32/WideText.h"

namespace wine_bridge {

namespace {

using platform::ComError;
using platform::win32::BstrToUtf8;
using platform::win32::ComPtr;

// Answered by the stand-ins only, so that a stand-in handed back to the
// server is known as the server's own object.
constexpr IID kProxyIid = {
    0x33154F97, 0x23E3, 0x4C9F, {0xAD, 0xEB, 0xD8, 0xE4, 0x11, 0x23, 0x28, 0x79}};

// The member identifiers of the server's classes do not change while it
// runs: each name is asked once per class.
class MemberIds {
  public:
    bool Find(const std::string& key, DISPID& id) {
        std::lock_guard lock(mutex_);
        auto found = ids_.find(key);
        if (found == ids_.end())
            return false;
        id = found->second;
        return true;
    }
    void Keep(const std::string& key, DISPID id) {
        std::lock_guard lock(mutex_);
        ids_[key] = id;
    }

  private:
    std::mutex mutex_;
    std::map<std::string, DISPID> ids_;
};

MemberIds& KnownMemberIds() {
    static MemberIds ids;
    return ids;
}

// The errors of IDispatch::Invoke itself, which a caller sees as they are
// (a script's error 438 for DISP_E_MEMBERNOTFOUND); any other failure is
// the member's, reported through the exception information.
bool IsInvokeError(int32_t number) {
    return HRESULT_FACILITY(number) == FACILITY_DISPATCH && number != DISP_E_EXCEPTION;
}

// Named arguments: only the value of a property write, as automation
// passes it (DISPID_PROPERTYPUT).
bool NamedArgumentsServed(WORD flags, const DISPPARAMS* params) {
    if (params == nullptr || params->cNamedArgs == 0)
        return true;
    return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0 &&
           params->cNamedArgs == 1 && params->rgdispidNamedArgs != nullptr &&
           params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
}

bool SameValue(const bridge::Value& a, const bridge::Value& b) {
    if (a.kind != b.kind)
        return false;
    if (a.kind == bridge::Value::Kind::Object)
        return a.object == b.object;
    return a.kind != bridge::Value::Kind::Variant || a.variant == b.variant;
}

// An argument passed by reference that the callee changed: the caller's
// variable (VT_BYREF | VT_VARIANT, as scripts pass theirs) takes the new
// value, a typed one (VT_BYREF | VT_BSTR, VT_I4, ...) the value converted
// to its type.
void WriteBack(VARIANT& slot, const bridge::Value& value) {
    if (slot.vt == (VT_BYREF | VT_VARIANT)) {
        VariantClear(slot.pvarVal);
        AssignVariant(value, *slot.pvarVal);
        return;
    }
    VARIANT converted;
    VariantInit(&converted);
    AssignVariant(value, converted);
    const VARTYPE type = static_cast<VARTYPE>(slot.vt & ~VT_BYREF);
    HRESULT hr = VariantChangeType(&converted, &converted, 0, type);
    if (SUCCEEDED(hr)) {
        switch (type) {
            case VT_BSTR:
                SysFreeString(*slot.pbstrVal);
                *slot.pbstrVal = converted.bstrVal;
                return;
            case VT_I4:
                *slot.plVal = converted.lVal;
                break;
            case VT_I2:
                *slot.piVal = converted.iVal;
                break;
            case VT_BOOL:
                *slot.pboolVal = converted.boolVal;
                break;
            default:
                hr = DISP_E_BADVARTYPE;
        }
    }
    VariantClear(&converted);
    platform::win32::ThrowIfFailed(hr);
}

class Proxy final : public IDispatch, public IEnumVARIANT {
  public:
    explicit Proxy(std::shared_ptr<bridge::RemoteObject> remote) : remote_(std::move(remote)) {}

    const std::shared_ptr<bridge::RemoteObject>& Remote() const { return remote_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        const std::string& className = remote_->ClassName();
        const bool eventInfo =
            className == "EventInfo" && (iid == platform::win32::IID_IExStoreEventInfo ||
                                         iid == platform::win32::IID_IExStoreDispEventInfo);
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kProxyIid || eventInfo)
            *object = static_cast<IDispatch*>(this);
        else if (iid == IID_IEnumVARIANT && className == bridge::enumeration::kClassName)
            *object = static_cast<IEnumVARIANT*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (names == nullptr || ids == nullptr || count == 0)
            return E_POINTER;
        for (UINT i = 1; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;  // named arguments are not served
        const std::string name = platform::win32::WideToUtf8(names[0]);
        const std::string key = remote_->ClassName() + "\n" + name;
        if (KnownMemberIds().Find(key, ids[0]))
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        try {
            ids[0] = remote_->MemberId(name);
        } catch (const ComError& error) {
            ids[0] = DISPID_UNKNOWN;
            return error.number();
        }
        KnownMemberIds().Keep(key, ids[0]);
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* info, UINT*) override {
        if (!NamedArgumentsServed(flags, params))
            return DISP_E_NONAMEDARGS;
        try {
            std::vector<bridge::Value> args;
            std::vector<bool> byRef;
            const UINT count = params != nullptr ? params->cArgs : 0;
            // The arguments come last to first.
            for (UINT i = count; i-- > 0;) {
                args.push_back(ValueOf(params->rgvarg[i]));
                byRef.push_back((params->rgvarg[i].vt & VT_BYREF) != 0);
            }
            const std::vector<bridge::Value> sent = args;
            bridge::Value value = remote_->Invoke(id, flags, args, byRef);
            for (UINT i = 0; i < count; ++i) {
                if (byRef[i] && !SameValue(sent[i], args[i]))
                    WriteBack(params->rgvarg[count - 1 - i], args[i]);
            }
            if (result != nullptr) {
                VariantInit(result);
                AssignVariant(value, *result);
            }
            return S_OK;
        } catch (const ComError& error) {
            if (IsInvokeError(error.number()))
                return error.number();
            return ReportFailure(error.number(), error.description(), info);
        } catch (const std::exception& error) {
            return ReportFailure(E_FAIL, error.what(), info);
        }
    }

    // IEnumVARIANT, for the server's enumerations: each element is asked
    // for in turn.
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* elements, ULONG* fetched) override {
        if (fetched != nullptr)
            *fetched = 0;
        if (elements == nullptr && wanted > 0)
            return E_POINTER;
        ULONG got = 0;
        try {
            for (; got < wanted; ++got) {
                std::vector<bridge::Value> args{bridge::Value()};
                if (!bridge::InvokeDeclared(*remote_, bridge::enumeration::kNext, args)
                         .AsVariant()
                         .AsBool())
                    break;
                VariantInit(&elements[got]);
                AssignVariant(args[0], elements[got]);
            }
        } catch (const ComError& error) {
            for (ULONG i = 0; i < got; ++i)
                VariantClear(&elements[i]);
            return error.number() < 0 ? error.number() : E_FAIL;
        }
        if (fetched != nullptr)
            *fetched = got;
        return got == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        std::vector<bridge::Value> args{bridge::Value(static_cast<int32_t>(count))};
        return Enumerate(bridge::enumeration::kSkip, args, [&](const bridge::Value& skipped) {
            return static_cast<ULONG>(skipped.AsVariant().ToInt32()) == count ? S_OK : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        std::vector<bridge::Value> args;
        return Enumerate(bridge::enumeration::kReset, args,
                         [](const bridge::Value&) { return S_OK; });
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (copy == nullptr)
            return E_POINTER;
        *copy = nullptr;
        std::vector<bridge::Value> args;
        return Enumerate(bridge::enumeration::kClone, args, [&](const bridge::Value& clone) {
            if (clone.AsObject()->AsRemote() == nullptr)
                return E_UNEXPECTED;
            IDispatch* proxy =
                NewProxy(std::static_pointer_cast<bridge::RemoteObject>(clone.AsObject()));
            const HRESULT hr =
                proxy->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(copy));
            proxy->Release();
            return hr;
        });
    }

  private:
    template <typename Answer>
    HRESULT Enumerate(const bridge::MemberDeclaration& member, std::vector<bridge::Value>& args,
                      const Answer& answer) {
        try {
            return answer(bridge::InvokeDeclared(*remote_, member, args));
        } catch (const ComError& error) {
            return error.number() < 0 ? error.number() : E_FAIL;
        }
    }

    std::atomic<ULONG> references_{1};
    std::shared_ptr<bridge::RemoteObject> remote_;
};

}  // namespace

IDispatch* NewProxy(std::shared_ptr<bridge::RemoteObject> remote) {
    return new Proxy(std::move(remote));
}

HRESULT ReportFailure(int32_t number, const std::string& description, EXCEPINFO* info) {
    if (info == nullptr)
        return number < 0 ? number : E_FAIL;
    *info = EXCEPINFO{};
    info->scode = number;
    info->bstrSource = platform::win32::Bstr("Morvane bridge").Release();
    info->bstrDescription = platform::win32::Bstr(description).Release();
    return DISP_E_EXCEPTION;
}

bridge::Value ValueOf(const VARIANT& value) {
    VARIANT direct;
    VariantInit(&direct);
    platform::win32::ThrowIfFailed(VariantCopyInd(&direct, const_cast<VARIANT*>(&value)));
    struct Clear {
        VARIANT& v;
        ~Clear() { VariantClear(&v); }
    } clear{direct};
    if (direct.vt == VT_ERROR)
        return direct.scode == DISP_E_PARAMNOTFOUND ? bridge::Value::MissingArgument()
                                                    : bridge::Value::OfError(direct.scode, "");
    if (direct.vt != VT_DISPATCH && direct.vt != VT_UNKNOWN)
        return bridge::Value(platform::win32::ToCoreVariant(direct));
    IUnknown* object = direct.vt == VT_DISPATCH ? direct.pdispVal : direct.punkVal;
    if (object == nullptr)
        return bridge::Value();
    ComPtr<IDispatch> proxy;
    if (SUCCEEDED(object->QueryInterface(kProxyIid, proxy.OutVoid())))
        return bridge::Value::OfObject(static_cast<Proxy*>(proxy.Get())->Remote());
    ComPtr<IDispatch> dispatch;
    platform::win32::ThrowIfFailed(object->QueryInterface(IID_IDispatch, dispatch.OutVoid()));
    return bridge::Value::OfObject(
        std::make_shared<ForeignDispatch>(std::move(dispatch), "IDispatch"));
}

void AssignVariant(const bridge::Value& value, VARIANT& out) {
    switch (value.kind) {
        case bridge::Value::Kind::Variant: {
            platform::win32::ComVariant converted(value.variant);
            platform::win32::ThrowIfFailed(VariantCopy(&out, converted.Get()));
            return;
        }
        case bridge::Value::Kind::Object: {
            bridge::Object* object = value.object.get();
            out.vt = VT_DISPATCH;
            if (auto* foreign = dynamic_cast<ForeignDispatch*>(object)) {
                out.pdispVal = foreign->Object();
                out.pdispVal->AddRef();
            } else if (object->AsRemote() != nullptr) {
                out.pdispVal =
                    NewProxy(std::static_pointer_cast<bridge::RemoteObject>(value.object));
            } else {
                out.vt = VT_EMPTY;
                throw ComError(E_NOINTERFACE, "The object cannot be used in this process");
            }
            return;
        }
        case bridge::Value::Kind::Missing:
            out.vt = VT_ERROR;
            out.scode = DISP_E_PARAMNOTFOUND;
            return;
        case bridge::Value::Kind::Error:
            out.vt = VT_ERROR;
            out.scode = value.errorNumber;
            return;
    }
}

ForeignDispatch::ForeignDispatch(ComPtr<IDispatch> object, std::string className)
    : object_(std::move(object)), className_(std::move(className)) {}

int32_t ForeignDispatch::MemberId(const std::string& name) {
    std::wstring wide = platform::win32::Utf8ToWide(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        throw ComError(
            hr, hr == DISP_E_UNKNOWNNAME ? "Unknown name." : platform::win32::DescribeHresult(hr));
    return id;
}

bridge::Value ForeignDispatch::Invoke(int32_t memberId, uint16_t kind,
                                      std::vector<bridge::Value>& args,
                                      const std::vector<bool>& byRef) {
    const size_t count = args.size();
    std::vector<VARIANT> values(count);
    std::vector<BSTR> strings(count, nullptr);
    for (size_t i = 0; i < count; ++i) {
        VARIANT& slot = values[count - 1 - i];  // last to first
        VariantInit(&slot);
        const bool reference = i < byRef.size() && byRef[i] &&
                               args[i].kind == bridge::Value::Kind::Variant &&
                               args[i].variant.IsString();
        if (reference) {
            strings[i] = platform::win32::Bstr(args[i].variant.AsString()).Release();
            slot.vt = VT_BYREF | VT_BSTR;
            slot.pbstrVal = &strings[i];
        } else {
            AssignVariant(args[i], slot);
        }
    }
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{values.data(), nullptr, static_cast<UINT>(count), 0};
    if (kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO info{};
    const HRESULT hr = object_->Invoke(memberId, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                                       &result, &info, nullptr);
    for (size_t i = 0; i < count; ++i) {
        if (strings[i] != nullptr) {
            args[i] = bridge::Value(platform::Variant(BstrToUtf8(strings[i])));
            SysFreeString(strings[i]);
        } else {
            VariantClear(&values[count - 1 - i]);
        }
    }
    struct Clear {
        VARIANT& v;
        ~Clear() { VariantClear(&v); }
    } clear{result};
    if (hr == DISP_E_EXCEPTION)
        platform::win32::ThrowComError(info);
    platform::win32::ThrowIfFailed(hr);
    return ValueOf(result);
}

}  // namespace wine_bridge
