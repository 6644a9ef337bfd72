#pragma once

#include "platform/win32/WindowsHeaders.h"

namespace testsupport_win32 {

// COM for the calling thread, apartment-threaded, as the programs run it.
class ComApartment {
  public:
    ComApartment() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (ok_)
            CoUninitialize();
    }
    bool ok() const { return ok_; }

  private:
    bool ok_;
};

}  // namespace testsupport_win32
