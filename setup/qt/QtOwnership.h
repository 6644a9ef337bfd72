#pragma once

#include <memory>
#include <utility>

namespace setup::qt {

// Creates a Qt object that its Qt parent owns and deletes: the parent given
// to its constructor, or the widget or layout it is added to right after.
template <typename T, typename... Args>
T* MakeOwned(Args&&... args) {
    return std::make_unique<T>(std::forward<Args>(args)...).release();
}

}  // namespace setup::qt
