#include "tests/reliability/TracingStore.h"

#include "platform/ComError.h"

namespace reliability {

namespace store = platform::store;
using platform::emulated::ServerDb;
using platform::emulated::StoreConnection;
using platform::emulated::StoreSession;

void StoreTrace::FailCallAt(size_t index, int32_t number, std::string description) {
    failAt_ = index;
    number_ = number;
    description_ = std::move(description);
    planted_ = false;
}

void StoreTrace::Enter(std::string_view operation, const std::string& url, ServerDb* sessionDb) {
    calls_.push_back(StoreCall{std::string(operation), url, phase_});
    if (!failAt_ || *failAt_ != calls_.size() - 1)
        return;
    platform::emulated::PlantedFault fault;
    fault.operation = std::string(operation);
    fault.number = number_;
    fault.description = description_;
    fault.remaining = 1;
    if (sessionDb)
        platform::emulated::Faults(*sessionDb).Plant(fault);
    else
        serverFaults_.Plant(fault);
    planted_ = true;
}

namespace {

// The database a record's or connection's fault checks run on.
ServerDb* DbOf(const std::shared_ptr<StoreSession>& session) {
    return session ? &session->db() : nullptr;
}

class TracedField : public store::Field {
  public:
    TracedField(std::shared_ptr<store::Field> inner, StoreTrace& trace, std::string url,
                std::shared_ptr<StoreSession> session)
        : inner_(std::move(inner)),
          trace_(trace),
          url_(std::move(url)),
          session_(std::move(session)) {}
    platform::Variant Value() override {
        trace_.Enter("field.read", url_, DbOf(session_));
        return inner_->Value();
    }
    void SetValue(const platform::Variant& value) override {
        trace_.Enter("field.write", url_, DbOf(session_));
        inner_->SetValue(value);
    }

  private:
    std::shared_ptr<store::Field> inner_;
    StoreTrace& trace_;
    std::string url_;
    std::shared_ptr<StoreSession> session_;
};

class TracedFields : public store::Fields {
  public:
    TracedFields(std::shared_ptr<store::Fields> inner, StoreTrace& trace, std::string url,
                 std::shared_ptr<StoreSession> session)
        : inner_(std::move(inner)),
          trace_(trace),
          url_(std::move(url)),
          session_(std::move(session)) {}
    int32_t Count() override { return inner_->Count(); }
    std::shared_ptr<store::Field> Item(const std::string& name) override {
        return std::make_shared<TracedField>(inner_->Item(name), trace_, url_, session_);
    }
    void Update() override {
        trace_.Enter("fields.update", url_, DbOf(session_));
        inner_->Update();
    }

  private:
    std::shared_ptr<store::Fields> inner_;
    StoreTrace& trace_;
    std::string url_;
    std::shared_ptr<StoreSession> session_;
};

class TracedConnection : public store::Connection {
  public:
    TracedConnection(std::shared_ptr<StoreConnection> inner, StoreTrace& trace)
        : inner_(std::move(inner)), trace_(trace) {}
    void SetProvider(const std::string& provider) override { inner_->SetProvider(provider); }
    void Open(const std::string& connectionString, const std::string& user,
              const std::string& password, int32_t options) override {
        trace_.Enter("connection.open", connectionString, nullptr);
        inner_->Open(connectionString, user, password, options);
        url_ = connectionString;
    }
    int32_t State() override { return inner_->State(); }
    void Close() override { inner_->Close(); }
    void BeginTrans() override {
        trace_.Enter("transaction.begin", url_, DbOf(inner_->session()));
        inner_->BeginTrans();
    }
    void CommitTrans() override {
        trace_.Enter("transaction.commit", url_, DbOf(inner_->session()));
        inner_->CommitTrans();
    }
    void RollbackTrans() override { inner_->RollbackTrans(); }

    StoreConnection& inner() { return *inner_; }

  private:
    std::shared_ptr<StoreConnection> inner_;
    StoreTrace& trace_;
    std::string url_;
};

class TracedRecord : public store::Record {
  public:
    TracedRecord(std::shared_ptr<store::Record> inner, StoreTrace& trace, std::string url = "")
        : inner_(std::move(inner)), trace_(trace), url_(std::move(url)) {}
    void Open(const std::string& source, store::Connection& activeConnection, int32_t mode,
              int32_t createOptions, int32_t options, const std::string& user,
              const std::string& password) override {
        auto* traced = dynamic_cast<TracedConnection*>(&activeConnection);
        if (!traced)
            throw platform::ComError(platform::hresult::E_FAIL, "not a traced connection");
        session_ = traced->inner().session();
        trace_.Enter("record.open", source, DbOf(session_));
        inner_->Open(source, traced->inner(), mode, createOptions, options, user, password);
        url_ = source;
    }
    int32_t State() override { return inner_->State(); }
    void Close() override { inner_->Close(); }
    void DeleteRecord(const std::string& source, bool async) override {
        trace_.Enter("record.delete", source.empty() ? url_ : source, DbOf(session_));
        inner_->DeleteRecord(source, async);
    }
    std::shared_ptr<store::Fields> GetFields() override {
        return std::make_shared<TracedFields>(inner_->GetFields(), trace_, url_, session_);
    }

  private:
    std::shared_ptr<store::Record> inner_;
    StoreTrace& trace_;
    std::string url_;
    std::shared_ptr<StoreSession> session_;
};

}  // namespace

std::shared_ptr<store::Connection> TracedAdo::CreateConnection() {
    auto inner = std::dynamic_pointer_cast<StoreConnection>(inner_.CreateConnection());
    if (!inner)
        throw platform::ComError(platform::hresult::E_FAIL, "not an emulated store connection");
    return std::make_shared<TracedConnection>(std::move(inner), trace_);
}

std::shared_ptr<store::Record> TracedAdo::CreateRecord() {
    return std::make_shared<TracedRecord>(inner_.CreateRecord(), trace_);
}

std::shared_ptr<store::Record> TracedEventInfo::EventRecord() {
    trace_.Enter("event.record", itemUrl_, nullptr);
    return std::make_shared<TracedRecord>(inner_.EventRecord(), trace_, itemUrl_);
}

}  // namespace reliability
