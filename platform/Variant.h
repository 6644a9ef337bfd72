#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// An automation value: empty, null, string, 32-bit integer, boolean or an
// array of values (a multi-valued property).
class Variant {
  public:
    enum class Type { Empty, Null, String, Int32, Bool, Array };
    using Array = std::vector<Variant>;

    Variant() = default;
    Variant(std::string value);  // NOLINT(google-explicit-constructor): values convert freely
    Variant(const char* value);  // NOLINT(google-explicit-constructor)
    Variant(int32_t value);      // NOLINT(google-explicit-constructor)
    Variant(bool value);         // NOLINT(google-explicit-constructor)
    Variant(Array value);        // NOLINT(google-explicit-constructor)

    static Variant Null();
    static Variant StringArray(const std::vector<std::string>& values);

    Type type() const noexcept { return type_; }
    bool IsEmpty() const noexcept { return type_ == Type::Empty; }
    bool IsNull() const noexcept { return type_ == Type::Null; }
    bool IsString() const noexcept { return type_ == Type::String; }
    bool IsInt32() const noexcept { return type_ == Type::Int32; }
    bool IsBool() const noexcept { return type_ == Type::Bool; }
    bool IsArray() const noexcept { return type_ == Type::Array; }

    // Typed access; a value of another type throws ComError "Type mismatch".
    const std::string& AsString() const;
    int32_t AsInt32() const;
    bool AsBool() const;
    const Array& AsArray() const;

    // The value appended to an empty string: a string as it is, an integer
    // in decimal (leading minus when negative), a boolean as "True" or
    // "False", empty and null as "". An array cannot be converted.
    std::string AppendToEmptyString() const;

    // The value as a 32-bit integer: an integer as it is, a boolean as -1 or
    // 0, a string holding a decimal integer converted. Anything else throws.
    int32_t ToInt32() const;

    friend bool operator==(const Variant& a, const Variant& b);

  private:
    Type type_ = Type::Empty;
    std::string string_;
    int32_t int_ = 0;
    bool bool_ = false;
    Array array_;
};

// A short description for diagnostics and test failures, e.g. int(6), "x".
std::string Describe(const Variant& value);

}  // namespace platform
