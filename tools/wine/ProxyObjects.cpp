#include "tools/wine/ProxyObjects.h"

#include <atomic>
#include <map>
#include <mutex>

#include "platform/ComError.h"
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

class Proxy final : public IDispatch {
  public:
    explicit Proxy(std::shared_ptr<bridge::RemoteObject> remote) : remote_(std::move(remote)) {}

    const std::shared_ptr<bridge::RemoteObject>& Remote() const { return remote_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        const bool eventInfo = remote_->ClassName() == "EventInfo" &&
                               (iid == platform::win32::IID_IExStoreEventInfo ||
                                iid == platform::win32::IID_IExStoreDispEventInfo);
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kProxyIid || eventInfo) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
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
        try {
            std::vector<bridge::Value> args;
            std::vector<bool> byRef;
            const UINT count = params != nullptr ? params->cArgs : 0;
            // The arguments come last to first.
            for (UINT i = count; i-- > 0;) {
                args.push_back(ValueOf(params->rgvarg[i]));
                byRef.push_back((params->rgvarg[i].vt & VT_BYREF) != 0);
            }
            bridge::Value value = remote_->Invoke(id, flags, args, byRef);
            for (UINT i = 0; i < count; ++i)
                WriteBack(params->rgvarg[count - 1 - i], args[i]);
            if (result != nullptr) {
                VariantInit(result);
                AssignVariant(value, *result);
            }
            return S_OK;
        } catch (const ComError& error) {
            return ReportFailure(error.number(), error.description(), info);
        } catch (const std::exception& error) {
            return ReportFailure(E_FAIL, error.what(), info);
        }
    }

  private:
    // A by-reference string the callee changed.
    static void WriteBack(VARIANT& slot, const bridge::Value& value) {
        if (slot.vt != (VT_BYREF | VT_BSTR) || slot.pbstrVal == nullptr ||
            value.kind != bridge::Value::Kind::Variant || !value.variant.IsString())
            return;
        SysFreeString(*slot.pbstrVal);
        *slot.pbstrVal = platform::win32::Bstr(value.variant.AsString()).Release();
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
