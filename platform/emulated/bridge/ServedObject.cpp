#include "platform/emulated/bridge/ServedObject.h"

namespace platform::emulated::served {

void Args::Expect(size_t least, size_t most) const {
    if (values_.size() < least || values_.size() > most)
        throw ComError(hresult::DISP_E_BADPARAMCOUNT, "Invalid number of parameters.");
}

bool Args::Given(size_t index) const {
    return index < values_.size() && !values_[index].IsMissing();
}

const bridge::Value& Args::At(size_t index) const {
    if (!Given(index))
        throw ComError(kParamNotFound, "Parameter not found.");
    return values_[index];
}

std::string Args::Text(size_t index) const {
    const Variant& value = Any(index);
    if (value.IsArray())
        throw ComError(hresult::DISP_E_TYPEMISMATCH, "Type mismatch.");
    return value.AppendToEmptyString();
}

int32_t Args::Int(size_t index) const {
    try {
        return Any(index).ToInt32();
    } catch (const ComError&) {
        throw ComError(hresult::DISP_E_TYPEMISMATCH, "Type mismatch.");
    }
}

bool Args::Bool(size_t index) const {
    const Variant& value = Any(index);
    if (value.IsBool())
        return value.AsBool();
    return Int(index) != 0;
}

const Variant& Args::Any(size_t index) const {
    const bridge::Value& value = At(index);
    if (value.kind != bridge::Value::Kind::Variant)
        throw ComError(hresult::DISP_E_TYPEMISMATCH, "Type mismatch.");
    return value.variant;
}

const std::shared_ptr<bridge::Object>& Args::Object(size_t index) const {
    const bridge::Value& value = At(index);
    if (!value.IsObject())
        throw ComError(hresult::DISP_E_TYPEMISMATCH, "Type mismatch.");
    return value.object;
}

}  // namespace platform::emulated::served
