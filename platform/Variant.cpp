#include "platform/Variant.h"

#include <charconv>

#include "platform/ComError.h"

namespace platform {

namespace {
[[noreturn]] void ThrowTypeMismatch() {
    throw ComError(runtime_error_number::kTypeMismatch, "Type mismatch");
}
}  // namespace

Variant::Variant(std::string value) : type_(Type::String), string_(std::move(value)) {}
Variant::Variant(const char* value) : type_(Type::String), string_(value ? value : "") {}
Variant::Variant(int32_t value) : type_(Type::Int32), int_(value) {}
Variant::Variant(bool value) : type_(Type::Bool), bool_(value) {}
Variant::Variant(Array value) : type_(Type::Array), array_(std::move(value)) {}

Variant Variant::Null() {
    Variant v;
    v.type_ = Type::Null;
    return v;
}

Variant Variant::StringArray(const std::vector<std::string>& values) {
    Array array;
    array.reserve(values.size());
    for (const auto& value : values)
        array.emplace_back(value);
    return Variant(std::move(array));
}

const std::string& Variant::AsString() const {
    if (type_ != Type::String)
        ThrowTypeMismatch();
    return string_;
}

int32_t Variant::AsInt32() const {
    if (type_ != Type::Int32)
        ThrowTypeMismatch();
    return int_;
}

bool Variant::AsBool() const {
    if (type_ != Type::Bool)
        ThrowTypeMismatch();
    return bool_;
}

const Variant::Array& Variant::AsArray() const {
    if (type_ != Type::Array)
        ThrowTypeMismatch();
    return array_;
}

std::string Variant::AppendToEmptyString() const {
    switch (type_) {
        case Type::Empty:
        case Type::Null:
            return "";
        case Type::String:
            return string_;
        case Type::Int32:
            return std::to_string(int_);
        case Type::Bool:
            return bool_ ? "True" : "False";
        case Type::Array:
            break;
    }
    ThrowTypeMismatch();
}

int32_t Variant::ToInt32() const {
    switch (type_) {
        case Type::Int32:
            return int_;
        case Type::Bool:
            return bool_ ? -1 : 0;
        case Type::String: {
            int32_t result = 0;
            const char* first = string_.data();
            const char* last = first + string_.size();
            while (first < last && *first == ' ')
                ++first;
            while (last > first && last[-1] == ' ')
                --last;
            auto [ptr, ec] = std::from_chars(first, last, result);
            if (ec == std::errc::result_out_of_range) {
                throw ComError(runtime_error_number::kOverflow, "Overflow");
            }
            if (ec != std::errc() || ptr != last || first == last)
                ThrowTypeMismatch();
            return result;
        }
        default:
            ThrowTypeMismatch();
    }
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.type_ != b.type_)
        return false;
    switch (a.type_) {
        case Variant::Type::Empty:
        case Variant::Type::Null:
            return true;
        case Variant::Type::String:
            return a.string_ == b.string_;
        case Variant::Type::Int32:
            return a.int_ == b.int_;
        case Variant::Type::Bool:
            return a.bool_ == b.bool_;
        case Variant::Type::Array:
            return a.array_ == b.array_;
    }
    return false;
}

std::string Describe(const Variant& value) {
    switch (value.type()) {
        case Variant::Type::Empty:
            return "empty";
        case Variant::Type::Null:
            return "null";
        case Variant::Type::String:
            return "\"" + value.AsString() + "\"";
        case Variant::Type::Int32:
            return "int(" + std::to_string(value.AsInt32()) + ")";
        case Variant::Type::Bool:
            return value.AsBool() ? "true" : "false";
        case Variant::Type::Array: {
            std::string text = "[";
            for (const auto& item : value.AsArray()) {
                if (text.size() > 1)
                    text += ", ";
                text += Describe(item);
            }
            return text + "]";
        }
    }
    return "?";
}

}  // namespace platform
