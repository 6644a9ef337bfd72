#include "tests/win32/FakeObject.h"

#include "platform/Text.h"
#include "platform/win32/WideText.h"

namespace fakes {

ComPtr<FakeObject> FakeObject::Make() {
    return ComPtr<FakeObject>::Attach(new FakeObject());
}

DISPID FakeObject::IdOf(const std::string& name) {
    for (size_t i = 0; i < names_.size(); ++i)
        if (platform::text::EqualsNoCase(names_[i], name))
            return static_cast<DISPID>(i + 1);
    names_.push_back(name);
    return static_cast<DISPID>(names_.size());
}

FakeObject& FakeObject::On(const std::string& name, Member member) {
    members_[IdOf(name)] = std::move(member);
    return *this;
}

FakeObject& FakeObject::OnPut(const std::string& name, Setter setter) {
    setters_[IdOf(name)] = std::move(setter);
    return *this;
}

FakeObject& FakeObject::Answers(const IID& iid) {
    extraIids_.push_back(iid);
    return *this;
}

HRESULT FakeObject::QueryInterface(REFIID iid, void** object) {
    bool known = iid == IID_IUnknown || iid == IID_IDispatch;
    for (const IID& extra : extraIids_)
        known = known || iid == extra;
    if (!known) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<IDispatch*>(this);
    return S_OK;
}

ULONG FakeObject::Release() {
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT FakeObject::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT FakeObject::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT FakeObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (count != 1)
        return E_INVALIDARG;
    std::string name = platform::win32::WideToUtf8(names[0]);
    for (size_t i = 0; i < names_.size(); ++i) {
        if (platform::text::EqualsNoCase(names_[i], name)) {
            ids[0] = static_cast<DISPID>(i + 1);
            return S_OK;
        }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT FakeObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT*) {
    if (id < 1 || static_cast<size_t>(id) > names_.size())
        return DISP_E_MEMBERNOTFOUND;
    const std::string& name = names_[static_cast<size_t>(id - 1)];
    Args args;
    for (UINT i = params->cArgs; i > 0; --i) {
        ComVariant arg;
        VariantCopyInd(arg.Get(), &params->rgvarg[i - 1]);
        args.push_back(arg);
    }
    try {
        if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
            calls_.push_back(name + "=");
            auto setter = setters_.find(id);
            if (setter == setters_.end() || args.empty())
                return DISP_E_MEMBERNOTFOUND;
            setter->second(args);
            return S_OK;
        }
        calls_.push_back(name);
        auto member = members_.find(id);
        if (member == members_.end())
            return DISP_E_MEMBERNOTFOUND;
        ComVariant value = member->second(args);
        if (result != nullptr)
            VariantCopy(result, value.Get());
        return S_OK;
    } catch (const Failure& failure) {
        if (exception != nullptr) {
            *exception = EXCEPINFO{};
            exception->scode = failure.number;
            exception->bstrDescription = platform::win32::Bstr(failure.description).Release();
        }
        return DISP_E_EXCEPTION;
    }
}

ComVariant Value(const platform::Variant& value) {
    return ComVariant(value);
}

ComVariant Object(FakeObject* object) {
    return ComVariant(static_cast<IDispatch*>(object));
}

ComVariant Nothing() {
    return ComVariant();
}

}  // namespace fakes
