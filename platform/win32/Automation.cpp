#include "platform/win32/Automation.h"

#include <algorithm>

#include "platform/win32/ComFailure.h"
#include "platform/win32/WideText.h"

namespace platform::win32::automation {

DISPID MemberId(IDispatch* object, const std::string& member) {
    std::wstring name = Utf8ToWide(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    ThrowIfFailed(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    return id;
}

ComVariant Invoke(IDispatch* object, DISPID id, WORD flags, std::vector<ComVariant>& args) {
    // IDispatch takes the arguments last to first.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(*it->Get());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    const bool put = flags == DISPATCH_PROPERTYPUT || flags == DISPATCH_PROPERTYPUTREF;
    if (put) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    ComVariant result;
    EXCEPINFO info{};
    UINT argError = 0;
    HRESULT hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                       flags == DISPATCH_PROPERTYPUT ? nullptr : result.Out(), &info, &argError);
    if (hr == DISP_E_EXCEPTION)
        ThrowComError(info);
    ThrowIfFailed(hr);
    return result;
}

ComVariant Call(IDispatch* object, const std::string& member, std::vector<ComVariant> args) {
    return Invoke(object, MemberId(object, member), DISPATCH_METHOD, args);
}

ComVariant Get(IDispatch* object, const std::string& member, std::vector<ComVariant> args) {
    return Invoke(object, MemberId(object, member), DISPATCH_PROPERTYGET, args);
}

void Put(IDispatch* object, const std::string& member, const ComVariant& value) {
    std::vector<ComVariant> args{value};
    Invoke(object, MemberId(object, member), DISPATCH_PROPERTYPUT, args);
}

void PutRef(IDispatch* object, const std::string& member, const ComVariant& value) {
    std::vector<ComVariant> args{value};
    Invoke(object, MemberId(object, member), DISPATCH_PROPERTYPUTREF, args);
}

ComVariant Missing() {
    ComVariant missing;
    missing.Get()->vt = VT_ERROR;
    missing.Get()->scode = DISP_E_PARAMNOTFOUND;
    return missing;
}

ComPtr<IDispatch> CreateObject(const std::string& progId) {
    std::wstring name = Utf8ToWide(progId);
    CLSID clsid{};
    ThrowIfFailed(CLSIDFromProgID(name.c_str(), &clsid));
    ComPtr<IDispatch> object;
    ThrowIfFailed(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                   IID_IDispatch, object.OutVoid()));
    return object;
}

}  // namespace platform::win32::automation
