#include "bench/support/InMemoryEvent.h"

#include "platform/ComError.h"

namespace benchsupport {

namespace {

using platform::Variant;
namespace store = platform::store;

class MemoryField : public store::Field {
  public:
    MemoryField(std::shared_ptr<Properties> pending, std::shared_ptr<Properties> item,
                std::string name)
        : pending_(std::move(pending)), item_(std::move(item)), name_(std::move(name)) {}
    Variant Value() override {
        auto it = pending_->find(name_);
        if (it != pending_->end())
            return it->second;
        it = item_->find(name_);
        return it == item_->end() ? Variant() : it->second;
    }
    void SetValue(const Variant& value) override { (*pending_)[name_] = value; }

  private:
    std::shared_ptr<Properties> pending_;
    std::shared_ptr<Properties> item_;
    std::string name_;
};

class MemoryFields : public store::Fields {
  public:
    explicit MemoryFields(std::shared_ptr<Properties> item)
        : pending_(std::make_shared<Properties>()), item_(std::move(item)) {}
    int32_t Count() override { return static_cast<int32_t>(item_->size()); }
    std::shared_ptr<store::Field> Item(const std::string& name) override {
        return std::make_shared<MemoryField>(pending_, item_, name);
    }
    void Update() override {
        for (auto& [name, value] : *pending_)
            (*item_)[name] = std::move(value);
        pending_->clear();
    }

  private:
    std::shared_ptr<Properties> pending_;
    std::shared_ptr<Properties> item_;
};

class MemoryRecord : public store::Record {
  public:
    explicit MemoryRecord(std::shared_ptr<Properties> item) : item_(std::move(item)) {}
    void Open(const std::string&, store::Connection&, int32_t, int32_t, int32_t, const std::string&,
              const std::string&) override {}
    int32_t State() override { return store::adStateOpen; }
    void Close() override {}
    void DeleteRecord(const std::string&, bool) override {}
    std::shared_ptr<store::Fields> GetFields() override {
        return std::make_shared<MemoryFields>(item_);
    }

  private:
    std::shared_ptr<Properties> item_;
};

[[noreturn]] void ThrowNotAvailable() {
    throw platform::ComError(platform::hresult::E_FAIL, "No store in this benchmark.");
}

}  // namespace

InMemoryEvent::InMemoryEvent(Properties properties)
    : properties_(std::make_shared<Properties>(std::move(properties))) {}

std::shared_ptr<store::Record> InMemoryEvent::EventRecord() {
    return std::make_shared<MemoryRecord>(properties_);
}

std::shared_ptr<store::Connection> NoAdo::CreateConnection() {
    ThrowNotAvailable();
}

std::shared_ptr<store::Record> NoAdo::CreateRecord() {
    ThrowNotAvailable();
}

}  // namespace benchsupport
