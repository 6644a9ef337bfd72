#include "platform/win32/ComVariant.h"

#include <cstdint>

#include "platform/ComError.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {

namespace {

SAFEARRAY* ToSafeArray(const Variant::Array& values) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(values.size()));
    if (array == nullptr)
        ThrowComError(E_OUTOFMEMORY);
    for (size_t i = 0; i < values.size(); ++i) {
        ComVariant element(values[i]);
        LONG index = static_cast<LONG>(i);
        HRESULT hr = SafeArrayPutElement(array, &index, element.Get());
        if (FAILED(hr)) {
            SafeArrayDestroy(array);
            ThrowComError(hr);
        }
    }
    return array;
}

void Assign(const Variant& value, VARIANT& out) {
    switch (value.type()) {
        case Variant::Type::Empty:
            break;
        case Variant::Type::Null:
            out.vt = VT_NULL;
            break;
        case Variant::Type::String:
            out.vt = VT_BSTR;
            out.bstrVal = Bstr(value.AsString()).Release();
            break;
        case Variant::Type::Int32:
            out.vt = VT_I4;
            out.lVal = value.AsInt32();
            break;
        case Variant::Type::Bool:
            out.vt = VT_BOOL;
            out.boolVal = value.AsBool() ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case Variant::Type::Array:
            out.parray = ToSafeArray(value.AsArray());
            out.vt = VT_ARRAY | VT_VARIANT;
            break;
    }
}

[[noreturn]] void ThrowTypeMismatch() {
    throw ComError(static_cast<int32_t>(DISP_E_TYPEMISMATCH), "Type mismatch");
}

// Element types whose values fit the VARIANT's value field.
bool FitsVariantValue(VARTYPE type) {
    switch (type) {
        case VT_VARIANT:
        case VT_BSTR:
        case VT_BOOL:
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_I8:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_UI8:
        case VT_INT:
        case VT_UINT:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
            return true;
        default:
            return false;
    }
}

Variant FromSafeArray(SAFEARRAY* array, VARTYPE elementType) {
    if (array == nullptr)
        return Variant(Variant::Array{});
    if (SafeArrayGetDim(array) != 1 || !FitsVariantValue(elementType))
        ThrowTypeMismatch();
    LONG lower = 0;
    LONG upper = -1;
    ThrowIfFailed(SafeArrayGetLBound(array, 1, &lower));
    ThrowIfFailed(SafeArrayGetUBound(array, 1, &upper));
    Variant::Array values;
    for (LONG i = lower; i <= upper; ++i) {
        ComVariant element;
        if (elementType == VT_VARIANT) {
            ThrowIfFailed(SafeArrayGetElement(array, &i, element.Out()));
        } else {
            // Read the element into a VARIANT of the array's element type.
            VARIANT* slot = element.Out();
            ThrowIfFailed(SafeArrayGetElement(array, &i, &slot->lVal));
            slot->vt = elementType;
        }
        values.push_back(element.ToVariant());
    }
    return Variant(std::move(values));
}

Variant FromScalar(const VARIANT& value) {
    switch (value.vt) {
        case VT_EMPTY:
            return Variant();
        case VT_NULL:
            return Variant::Null();
        case VT_BSTR:
            return Variant(BstrToUtf8(value.bstrVal));
        case VT_BOOL:
            return Variant(value.boolVal != VARIANT_FALSE);
        case VT_I4:
            return Variant(static_cast<int32_t>(value.lVal));
        case VT_DISPATCH:
        case VT_UNKNOWN:
            ThrowTypeMismatch();
        default:
            break;
    }
    ComVariant converted;
    // Small integers become 32-bit integers; dates, currency and floating
    // point numbers become their text.
    bool integral = value.vt == VT_I1 || value.vt == VT_I2 || value.vt == VT_UI1 ||
                    value.vt == VT_UI2 || value.vt == VT_UI4 || value.vt == VT_INT ||
                    value.vt == VT_UINT || value.vt == VT_I8 || value.vt == VT_UI8;
    ThrowIfFailed(VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0,
                                    integral ? VT_I4 : VT_BSTR));
    return converted.ToVariant();
}

}  // namespace

ComVariant::ComVariant(const Variant& value) {
    VariantInit(&value_);
    Assign(value, value_);
}

ComVariant::ComVariant(IDispatch* object) {
    VariantInit(&value_);
    value_.vt = VT_DISPATCH;
    value_.pdispVal = object;
    if (object != nullptr)
        object->AddRef();
}

ComVariant::ComVariant(const ComVariant& other) {
    VariantInit(&value_);
    ThrowIfFailed(VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)));
}

Variant ComVariant::ToVariant() const {
    return ToCoreVariant(value_);
}

ComPtr<IDispatch> ComVariant::ToDispatch() const {
    ComVariant direct;
    ThrowIfFailed(VariantCopyInd(direct.Get(), const_cast<VARIANT*>(&value_)));
    const VARIANT& v = *direct.Get();
    if (v.vt == VT_DISPATCH && v.pdispVal != nullptr)
        return ComPtr<IDispatch>::Share(v.pdispVal);
    ComPtr<IDispatch> result;
    if (v.vt == VT_UNKNOWN && v.punkVal != nullptr &&
        SUCCEEDED(v.punkVal->QueryInterface(IID_IDispatch, result.OutVoid())))
        return result;
    throw ComError(static_cast<int32_t>(DISP_E_TYPEMISMATCH), "Type mismatch");
}

Variant ToCoreVariant(const VARIANT& value) {
    if ((value.vt & VT_BYREF) != 0) {
        ComVariant direct;
        ThrowIfFailed(VariantCopyInd(direct.Get(), const_cast<VARIANT*>(&value)));
        return direct.ToVariant();
    }
    if ((value.vt & VT_ARRAY) != 0)
        return FromSafeArray(value.parray, static_cast<VARTYPE>(value.vt & VT_TYPEMASK));
    return FromScalar(value);
}

}  // namespace platform::win32
