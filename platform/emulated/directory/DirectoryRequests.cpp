#include "platform/emulated/directory/DirectoryRequests.h"

#include "platform/emulated/store/StoreValues.h"

namespace platform::emulated {

void RecordDirectoryRequest(ServerDb& db, const DirectoryRequest& request) {
    DbTransaction transaction(db);
    db.Prepare("INSERT OR REPLACE INTO directory_last_request(id, command_text) VALUES(1, ?1)")
        .Bind(1, std::string_view(request.commandText))
        .Run();
    db.Prepare("DELETE FROM directory_last_properties").Run();
    auto insert = db.Prepare(
        "INSERT INTO directory_last_properties(position, name, value) VALUES(?1, ?2, ?3)");
    int64_t position = 0;
    for (const auto& [name, value] : request.properties) {
        insert.Reset();
        insert.Bind(1, position++)
            .Bind(2, std::string_view(name))
            .Bind(3, std::string_view(EncodeValue(value)))
            .Run();
    }
    transaction.Commit();
}

std::optional<DirectoryRequest> LastDirectoryRequest(ServerDb& db) {
    auto head = db.Prepare("SELECT command_text FROM directory_last_request WHERE id = 1");
    if (!head.Step())
        return std::nullopt;
    DirectoryRequest request{head.Text(0), {}};
    head.Reset();
    auto properties =
        db.Prepare("SELECT name, value FROM directory_last_properties ORDER BY position");
    while (properties.Step())
        request.properties.emplace_back(properties.Text(0), DecodeValue(properties.Text(1)));
    return request;
}

}  // namespace platform::emulated
