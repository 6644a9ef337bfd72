#pragma once

#include <functional>
#include <string>

#include "tests/win32/FakeObject.h"

namespace fakes {

// Makes CoCreateInstance by ProgID give fake objects in this process: the
// ProgID is pointed at the CLSID in the registry and a class object is
// registered for it. Revoked when the registration goes.
class FakeClassRegistration {
  public:
    FakeClassRegistration(const std::string& progId, const CLSID& clsid,
                          std::function<ComPtr<FakeObject>()> make);
    FakeClassRegistration(const FakeClassRegistration&) = delete;
    FakeClassRegistration& operator=(const FakeClassRegistration&) = delete;
    ~FakeClassRegistration();
    bool Registered() const { return cookie_ != 0; }

  private:
    DWORD cookie_ = 0;
    IClassFactory* factory_ = nullptr;
};

}  // namespace fakes
