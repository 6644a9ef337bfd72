#pragma once

#include <memory>

#include "tests/win32/FakeClass.h"
#include "tests/win32/FakeStore.h"

namespace fakes {

// "ADODB.Connection" and "ADODB.Record" created by ProgID give fake ADO
// objects over one in-memory store while this lives.
class FakeAdo {
  public:
    FakeAdo();
    std::shared_ptr<StoreData> store() const { return store_; }
    bool Registered() const { return connection_.Registered() && record_.Registered(); }

  private:
    std::shared_ptr<StoreData> store_ = std::make_shared<StoreData>();
    FakeClassRegistration connection_;
    FakeClassRegistration record_;
};

}  // namespace fakes
