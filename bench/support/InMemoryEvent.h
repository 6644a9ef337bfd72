#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/StoreAdo.h"

// A store event over an item held in memory, as lean as the port allows, so
// a benchmark measures the sink and not the stand-in.
namespace benchsupport {

using Properties = std::map<std::string, platform::Variant>;

class InMemoryEvent : public platform::store::EventInfo {
  public:
    explicit InMemoryEvent(Properties properties);
    std::shared_ptr<platform::store::Record> EventRecord() override;
    const Properties& properties() const { return *properties_; }

  private:
    std::shared_ptr<Properties> properties_;
};

// An ADO that cannot create anything; for benchmarks of the event path.
class NoAdo : public platform::store::Ado {
  public:
    std::shared_ptr<platform::store::Connection> CreateConnection() override;
    std::shared_ptr<platform::store::Record> CreateRecord() override;
};

}  // namespace benchsupport
