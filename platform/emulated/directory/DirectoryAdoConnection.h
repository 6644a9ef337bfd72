#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ComError.h"
#include "platform/DirectoryAdo.h"
#include "platform/emulated/db/ServerDb.h"

// ADO connections to the emulated server's directory through the provider
// "adsDSOobject".
namespace platform::emulated {

namespace ado_error {
constexpr int32_t kProviderNotFound = hresult::FromUnsigned(0x800A0E7A);
constexpr int32_t kObjectClosed = hresult::FromUnsigned(0x800A0E78);
constexpr int32_t kObjectOpen = hresult::FromUnsigned(0x800A0E79);
}  // namespace ado_error

// An "ADODB.Connection" to the directory. Opening it asks only that the
// provider is "adsDSOobject" and that the server exists; the directory
// itself is reached when a command runs.
class DirectoryConnection final : public directory::Connection {
  public:
    explicit DirectoryConnection(std::function<std::string()> serverFolder);

    void SetProvider(const std::string& provider) override;
    void Open(const std::string& connectionString, const std::string& user,
              const std::string& password, int32_t options) override;
    int32_t State() override { return db_ != nullptr ? directory::adStateOpen : 0; }
    void Close() override;

    // For the command side: the text Open was given and the open server.
    const std::string& ConnectionString() const { return connectionString_; }
    std::shared_ptr<ServerDb> Server() const { return db_; }

  private:
    std::function<std::string()> serverFolder_;
    std::string provider_ = "MSDASQL";
    std::string connectionString_;
    std::shared_ptr<ServerDb> db_;
};

class EmulatedDirectoryAdo final : public directory::Ado {
  public:
    explicit EmulatedDirectoryAdo(std::function<std::string()> serverFolder = ServerFolder);
    std::shared_ptr<directory::Connection> CreateConnection() override;
    // Commands over the directory's people (DirectoryCommand.cpp).
    std::shared_ptr<directory::Command> CreateCommand() override;

  private:
    std::function<std::string()> serverFolder_;
};

}  // namespace platform::emulated
