#pragma once

#include <memory>
#include <string>

#include "platform/StoreAdo.h"

// The connection and the record one registration method works with. Each
// method opens its own connection and leaves nothing behind: CleanUp closes
// and releases both, and rolls back a transaction that was begun but not
// committed.
class StoreSession {
  public:
    explicit StoreSession(platform::store::Ado& ado);
    ~StoreSession();
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;

    // Creates the connection and opens it on url through the store's provider.
    void Connect(const std::string& url);

    void BeginTrans();
    void CommitTrans();

    // Opens the session's record (created at first use) with the arguments
    // of a read of a folder or mailbox root, of the creation of an item
    // (replacing one of the same name), or of an existing item to change.
    void OpenForRead(const std::string& url);
    void OpenForCreate(const std::string& url);
    void OpenExisting(const std::string& url);

    platform::store::Record& record();
    void CloseRecordIfOpen();

    // Closes and releases the record and the connection; a transaction still
    // open is rolled back first. Failures here are ignored: the method's
    // outcome is already decided.
    void CleanUp() noexcept;

  private:
    void Open(const std::string& url, int32_t mode, int32_t createOptions, int32_t options);

    platform::store::Ado& ado_;
    std::shared_ptr<platform::store::Connection> connection_;
    std::shared_ptr<platform::store::Record> record_;
    bool inTransaction_ = false;
};
