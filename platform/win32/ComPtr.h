#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <utility>

namespace platform::win32 {

// Owns one reference to a COM interface and releases it when it goes.
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    static ComPtr Attach(T* raw) {
        ComPtr result;
        result.raw_ = raw;
        return result;
    }
    // Adds a reference of its own.
    static ComPtr Share(T* raw) {
        if (raw != nullptr)
            raw->AddRef();
        return Attach(raw);
    }
    ComPtr(const ComPtr& other) : raw_(other.raw_) {
        if (raw_ != nullptr)
            raw_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset() {
        if (raw_ != nullptr)
            std::exchange(raw_, nullptr)->Release();
    }
    T* Get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }
    // For out parameters: releases what is held and hands out the slot.
    T** Out() {
        Reset();
        return &raw_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

  private:
    T* raw_ = nullptr;
};

}  // namespace platform::win32
