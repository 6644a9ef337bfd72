#include "platform/emulated/directory/DirectoryAdoConnection.h"

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/db/Faults.h"

namespace platform::emulated {

DirectoryConnection::DirectoryConnection(std::function<std::string()> serverFolder)
    : serverFolder_(std::move(serverFolder)) {}

void DirectoryConnection::SetProvider(const std::string& provider) {
    if (db_ != nullptr) {
        throw ComError(ado_error::kObjectOpen, "Operation is not allowed when the object is open.");
    }
    provider_ = provider;
}

void DirectoryConnection::Open(const std::string& connectionString, const std::string&,
                               const std::string&, int32_t) {
    if (db_ != nullptr) {
        throw ComError(ado_error::kObjectOpen, "Operation is not allowed when the object is open.");
    }
    if (!text::EqualsNoCase(provider_, "adsDSOobject")) {
        throw ComError(ado_error::kProviderNotFound,
                       "Provider cannot be found. It may not be properly installed.");
    }
    std::shared_ptr<ServerDb> db;
    try {
        db = ServerDb::Open(serverFolder_());
        Faults(*db).Check("directory.open", connectionString);
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
    connectionString_ = connectionString;
    db_ = std::move(db);
}

void DirectoryConnection::Close() {
    if (db_ == nullptr) {
        throw ComError(ado_error::kObjectClosed,
                       "Operation is not allowed when the object is closed.");
    }
    db_.reset();
}

EmulatedDirectoryAdo::EmulatedDirectoryAdo(std::function<std::string()> serverFolder)
    : serverFolder_(std::move(serverFolder)) {}

std::shared_ptr<directory::Connection> EmulatedDirectoryAdo::CreateConnection() {
    return std::make_shared<DirectoryConnection>(serverFolder_);
}

}  // namespace platform::emulated

namespace platform::directory {

Ado& SystemAdo() {
    static emulated::EmulatedDirectoryAdo ado;
    return ado;
}

}  // namespace platform::directory
