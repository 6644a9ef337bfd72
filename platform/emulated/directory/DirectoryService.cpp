#include "platform/emulated/directory/DirectoryService.h"

#include <stdexcept>

#include "platform/ComError.h"

namespace platform::emulated {

const char* const kBindPassword = "Morvane-Lab-1";

void CheckSqliteBind(const DirectoryService& service) {
    if (!service.password.empty() && service.password != kBindPassword) {
        throw ComError(hresult::FromUnsigned(0x8007052E),
                       "Logon failure: unknown user name or bad password.");
    }
}

DirectoryService ReadDirectoryService(ServerDb& db) {
    auto query = db.Prepare(
        "SELECT kind, address, account, password, stopped FROM directory_service WHERE id = 1");
    DirectoryService service;
    if (!query.Step())
        return service;
    service.kind = ParseDirectoryKind(query.Text(0));
    service.address = query.Text(1);
    service.account = query.Text(2);
    service.password = query.Text(3);
    service.stopped = query.Int(4) != 0;
    return service;
}

void WriteDirectoryService(ServerDb& db, const DirectoryService& service) {
    db.Prepare(
          "INSERT INTO directory_service(id, kind, address, account, password, stopped) "
          "VALUES(1, ?1, ?2, ?3, ?4, ?5) ON CONFLICT(id) DO UPDATE SET kind = excluded.kind, "
          "address = excluded.address, account = excluded.account, "
          "password = excluded.password, stopped = excluded.stopped")
        .Bind(1, std::string_view(DirectoryKindName(service.kind)))
        .Bind(2, std::string_view(service.address))
        .Bind(3, std::string_view(service.account))
        .Bind(4, std::string_view(service.password))
        .Bind(5, int64_t{service.stopped ? 1 : 0})
        .Run();
}

const char* DirectoryKindName(DirectoryService::Kind kind) {
    return kind == DirectoryService::Kind::Samba ? "samba" : "sqlite";
}

DirectoryService::Kind ParseDirectoryKind(const std::string& name) {
    if (name == "samba")
        return DirectoryService::Kind::Samba;
    if (name == "sqlite")
        return DirectoryService::Kind::Sqlite;
    throw std::invalid_argument("a directory is \"sqlite\" or \"samba\", not \"" + name + "\"");
}

}  // namespace platform::emulated
