#pragma once

#include "platform/win32/WindowsHeaders.h"

#include "platform/Variant.h"
#include "platform/win32/ComPtr.h"

namespace platform::win32 {

// Owns one VARIANT and clears it when it goes.
class ComVariant {
  public:
    ComVariant() { VariantInit(&value_); }
    explicit ComVariant(const Variant& value);
    // Holds the interface with a reference of its own (VT_DISPATCH).
    explicit ComVariant(IDispatch* object);
    ComVariant(const ComVariant& other);
    ComVariant& operator=(const ComVariant&) = delete;
    ~ComVariant() { VariantClear(&value_); }

    VARIANT* Get() { return &value_; }
    const VARIANT* Get() const { return &value_; }
    // For out parameters: clears what is held and hands out the slot.
    VARIANT* Out() {
        VariantClear(&value_);
        return &value_;
    }

    // The value as the core sees it; an interface value throws
    // DISP_E_TYPEMISMATCH.
    Variant ToVariant() const;
    // The interface held (VT_DISPATCH, or VT_UNKNOWN that answers IDispatch);
    // anything else throws DISP_E_TYPEMISMATCH.
    ComPtr<IDispatch> ToDispatch() const;

  private:
    VARIANT value_;
};

// Conversion of a plain VARIANT (by reference or not) into a core value.
Variant ToCoreVariant(const VARIANT& value);

}  // namespace platform::win32
