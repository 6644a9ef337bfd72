#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Activation.h"
#include "platform/StoreAdo.h"
#include "platform/emulated/store/StoreSession.h"

// ADO over "ExOLEDB.DataSource" on the emulated store. Each connection has
// a database connection of its own, so its transaction is its own: changes
// made inside it are seen by nobody else until CommitTrans. Closing a
// connection while its transaction is open fails, as ADO's Close does; a
// connection released with a transaction open rolls it back. Saving an
// item through a record runs the store's synchronous save events, deleting
// one its delete events.
namespace platform::emulated {

// The provider name a connection accepts.
inline constexpr std::string_view kStoreProvider = "ExOLEDB.DataSource";

class StoreConnection : public store::Connection {
  public:
    StoreConnection(std::string serverFolder, Activation& activation)
        : serverFolder_(std::move(serverFolder)), activation_(activation) {}
    ~StoreConnection() override;

    void SetProvider(const std::string& provider) override { provider_ = provider; }
    void Open(const std::string& connectionString, const std::string& user,
              const std::string& password, int32_t options) override;
    int32_t State() override;
    void Close() override;
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;

    // The session records opened through this connection use; none while
    // the connection is closed.
    std::shared_ptr<StoreSession> session() const { return session_; }

  private:
    void RequireOpen() const;
    void RequireTransaction() const;
    void EndTransaction(bool commit);

    std::string serverFolder_;
    Activation& activation_;
    std::string provider_;
    std::string url_;
    std::shared_ptr<StoreSession> session_;
    bool inTransaction_ = false;
};

class FieldsCore;

class StoreRecord : public store::Record {
  public:
    void Open(const std::string& source, store::Connection& activeConnection, int32_t mode,
              int32_t createOptions, int32_t options, const std::string& user,
              const std::string& password) override;
    int32_t State() override;
    void Close() override;
    void DeleteRecord(const std::string& source, bool async) override;
    std::shared_ptr<store::Fields> GetFields() override;

  private:
    void OpenAt(const std::shared_ptr<StoreSession>& session, const std::string& source,
                int32_t mode, int32_t createOptions);

    std::shared_ptr<FieldsCore> fields_;
    std::shared_ptr<StoreSession> session_;
    std::string url_;
    bool writable_ = false;
};

// Creates the connections and records of the emulated store in one server
// folder; sinks are created through activation.
class EmulatedStoreAdo : public store::Ado {
  public:
    EmulatedStoreAdo(std::string serverFolder, Activation& activation)
        : serverFolder_(std::move(serverFolder)), activation_(activation) {}
    std::shared_ptr<store::Connection> CreateConnection() override;
    std::shared_ptr<store::Record> CreateRecord() override;

  private:
    std::string serverFolder_;
    Activation& activation_;
};

}  // namespace platform::emulated
