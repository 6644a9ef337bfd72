#pragma once

#include "setup/forms/Control.h"

namespace setup::qt {

// A listener subscribed to a model control, unsubscribed when this goes.
class Subscription {
  public:
    Subscription(forms::Control& control, forms::ChangeListener listener)
        : control_(&control), token_(control.Subscribe(std::move(listener))) {}
    ~Subscription() {
        if (control_ != nullptr) {
            control_->Unsubscribe(token_);
        }
    }
    Subscription(Subscription&& other) noexcept : control_(other.control_), token_(other.token_) {
        other.control_ = nullptr;
    }
    Subscription& operator=(Subscription&&) = delete;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

  private:
    forms::Control* control_;
    int token_;
};

}  // namespace setup::qt
