#include "platform/bridge/BridgeValue.h"

#include "platform/ComError.h"

namespace bridge {

Value Value::OfObject(std::shared_ptr<Object> object) {
    Value value;
    value.kind = Kind::Object;
    value.object = std::move(object);
    return value;
}

Value Value::MissingArgument() {
    Value value;
    value.kind = Kind::Missing;
    return value;
}

Value Value::OfError(int32_t number, std::string description) {
    Value value;
    value.kind = Kind::Error;
    value.errorNumber = number;
    value.errorDescription = std::move(description);
    return value;
}

const platform::Variant& Value::AsVariant() const {
    if (kind != Kind::Variant)
        throw platform::ComError(platform::runtime_error_number::kTypeMismatch, "Type mismatch");
    return variant;
}

const std::shared_ptr<Object>& Value::AsObject() const {
    if (kind != Kind::Object || !object)
        throw platform::ComError(platform::runtime_error_number::kObjectRequired,
                                 "Object required");
    return object;
}

}  // namespace bridge
