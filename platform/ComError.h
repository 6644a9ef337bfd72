#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

// The one error type of the system: a failing platform call, with its
// number (an HRESULT or a run-time error number, as a signed 32-bit value)
// and the error's description text.
class ComError : public std::runtime_error {
  public:
    ComError(int32_t number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }

  private:
    int32_t number_;
    std::string description_;
};

// Well-known error numbers, as signed 32-bit values.
namespace hresult {
constexpr int32_t FromUnsigned(uint32_t value) {
    return static_cast<int32_t>(value);
}
// HRESULT_FROM_WIN32: a system error code as an HRESULT; a code that is
// not above zero is taken as one already.
constexpr int32_t FromSystemError(int32_t code) {
    return code <= 0 ? code : FromUnsigned(0x80070000u | (static_cast<uint32_t>(code) & 0xFFFFu));
}

constexpr int32_t S_OK = 0;
constexpr int32_t E_FAIL = FromUnsigned(0x80004005);
constexpr int32_t E_NOTIMPL = FromUnsigned(0x80004001);
constexpr int32_t E_NOINTERFACE = FromUnsigned(0x80004002);
constexpr int32_t E_INVALIDARG = FromUnsigned(0x80070057);
constexpr int32_t E_ACCESSDENIED = FromUnsigned(0x80070005);
constexpr int32_t E_OUTOFMEMORY = FromUnsigned(0x8007000E);
constexpr int32_t DB_E_NOTFOUND = FromUnsigned(0x80040E19);
constexpr int32_t REGDB_E_CLASSNOTREG = FromUnsigned(0x80040154);
constexpr int32_t CO_E_CLASSSTRING = FromUnsigned(0x800401F3);
constexpr int32_t DISP_E_UNKNOWNNAME = FromUnsigned(0x80020006);
constexpr int32_t DISP_E_TYPEMISMATCH = FromUnsigned(0x80020005);
constexpr int32_t DISP_E_BADPARAMCOUNT = FromUnsigned(0x8002000E);
constexpr int32_t DISP_E_MEMBERNOTFOUND = FromUnsigned(0x80020003);
constexpr int32_t DISP_E_PARAMNOTFOUND = FromUnsigned(0x80020004);
}  // namespace hresult

// Run-time error numbers of the automation language the setup side mirrors.
namespace runtime_error_number {
constexpr int32_t kTypeMismatch = 13;
constexpr int32_t kOverflow = 6;
constexpr int32_t kObjectRequired = 424;
}  // namespace runtime_error_number

}  // namespace platform
