#pragma once

#include <functional>
#include <string>

#include "tests/win32/FakeObject.h"

namespace fakes {

// Makes CoCreateInstance by ProgID give fake objects in this process: the
// ProgID is pointed at the CLSID in the registry and a class object is
// registered for it. When the registration goes, the class object is
// revoked and the ProgID points where it pointed before (or is removed), so
// later programs in the same wine prefix see the system's own classes.
class FakeClassRegistration {
  public:
    FakeClassRegistration(const std::string& progId, const CLSID& clsid,
                          std::function<ComPtr<FakeObject>()> make);
    FakeClassRegistration(const FakeClassRegistration&) = delete;
    FakeClassRegistration& operator=(const FakeClassRegistration&) = delete;
    ~FakeClassRegistration();
    bool Registered() const { return cookie_ != 0; }

  private:
    std::string progId_;
    std::wstring previousClsid_;
    bool hadProgId_ = false;
    DWORD cookie_ = 0;
    IClassFactory* factory_ = nullptr;
};

}  // namespace fakes
