#include "platform/emulated/directory/DirectoryCommand.h"

#include <algorithm>
#include <cstdint>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/db/Faults.h"
#include "platform/emulated/directory/DirectoryQuery.h"

namespace platform::emulated {

namespace {

// The provider's properties with their defaults: a subtree search
// (ADS_SCOPE_SUBTREE), referrals chased outside the naming context
// (ADS_CHASE_REFERRALS_EXTERNAL), results cached, no limits.
struct ProviderProperty {
    const char* name;
    Variant byDefault;
};
const ProviderProperty kProperties[] = {
    {"Page Size", 0},       {"SearchScope", 2},        {"Size Limit", 0},
    {"Timeout", 0},         {"Chase Referrals", 0x40}, {"Cache Results", true},
    {"Sort On", Variant()}, {"Time Limit", 0},         {"Asynchronous", false},
};

const ProviderProperty* FindProperty(const std::string& name) {
    for (const ProviderProperty& property : kProperties) {
        if (text::EqualsNoCase(name, property.name))
            return &property;
    }
    return nullptr;
}

[[noreturn]] void ThrowItemNotFound() {
    throw ComError(directory::adErrItemNotFound,
                   "Item cannot be found in the collection corresponding to the requested "
                   "name or ordinal.");
}

[[noreturn]] void ThrowClosed() {
    throw ComError(ado_error::kObjectClosed, "Operation is not allowed when the object is closed.");
}

[[noreturn]] void ThrowUnusableConnection() {
    throw ComError(ado_error::kConnectionUnusable,
                   "The connection cannot be used to perform this operation. It is either closed "
                   "or invalid in this context.");
}

bool AnyDirectoryFault(ServerDb& db) {
    auto query = db.Prepare(
        "SELECT count(*) FROM faults WHERE operation LIKE 'directory.%' "
        "AND (remaining IS NULL OR remaining > 0)");
    query.Step();
    return query.Int(0) > 0;
}

}  // namespace

bool IsDirectoryCommandProperty(const std::string& name) {
    return FindProperty(name) != nullptr;
}

std::vector<std::string> DirectoryCommandPropertyNames() {
    std::vector<std::string> names;
    for (const ProviderProperty& property : kProperties)
        names.emplace_back(property.name);
    return names;
}

// --- recordset ---

DirectoryRecordset::DirectoryRecordset(std::shared_ptr<ServerDb> db,
                                       std::unique_ptr<DirectoryPages> pages,
                                       std::vector<std::string> columns, bool checkFaults)
    : db_(std::move(db)),
      pages_(std::move(pages)),
      columns_(std::move(columns)),
      checkFaults_(checkFaults) {
    ReadUntil(1);
}

void DirectoryRecordset::ReadUntil(size_t count) {
    while (rows_.size() < count && !(pagesRead_ > 0 && pages_->Done())) {
        ++pagesRead_;
        if (checkFaults_ && Faults(*db_).Take("directory.stop", std::to_string(pagesRead_)))
            pages_->StopDirectory();
        try {
            for (Person& row : pages_->NextPage())
                rows_.push_back(std::move(row));
        } catch (const ComError&) {
            --pagesRead_;  // the page is asked for again at the next read
            throw;
        }
    }
}

void DirectoryRecordset::RequireOpen() const {
    if (!open_)
        ThrowClosed();
}

void DirectoryRecordset::RequireCurrent() const {
    RequireOpen();
    if (position_ >= rows_.size()) {
        throw ComError(ado_error::kNoCurrentRecord,
                       "Either BOF or EOF is True, or the current record has been deleted. "
                       "Requested operation requires a current record.");
    }
}

bool DirectoryRecordset::HasColumn(const std::string& name) const {
    return columns_.empty() ||
           std::any_of(columns_.begin(), columns_.end(),
                       [&](const std::string& column) { return text::EqualsNoCase(column, name); });
}

std::string DirectoryRecordset::CurrentPath() const {
    if (position_ >= rows_.size())
        return "";
    const Variant* path = rows_[position_].Find("adspath");
    return path == nullptr ? "" : path->AppendToEmptyString();
}

void DirectoryRecordset::CheckFault(const char* operation, const std::string& url) {
    if (!checkFaults_)
        return;
    try {
        Faults(*db_).Check(operation, url);
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
}

bool DirectoryRecordset::IsEOF() {
    RequireOpen();
    CheckFault("directory.eof", CurrentPath());
    return position_ >= rows_.size();
}

int32_t DirectoryRecordset::RecordCount() {
    RequireOpen();
    CheckFault("directory.recordcount", CurrentPath());
    ReadUntil(SIZE_MAX);
    return static_cast<int32_t>(rows_.size());
}

std::vector<std::string> DirectoryRecordset::FieldNames() const {
    RequireOpen();
    if (!columns_.empty() || position_ >= rows_.size())
        return columns_;
    std::vector<std::string> names;
    for (const auto& [name, value] : rows_[position_].Attributes())
        names.push_back(name);
    return names;
}

Variant DirectoryRecordset::FieldValue(const std::string& name) {
    RequireOpen();
    if (!HasColumn(name))
        ThrowItemNotFound();
    RequireCurrent();
    CheckFault("directory.field", CurrentPath() + "#" + name);
    const Variant* value = rows_[position_].Find(name);
    return value == nullptr ? Variant::Null() : *value;
}

void DirectoryRecordset::MoveNext() {
    RequireCurrent();
    CheckFault("directory.movenext", CurrentPath());
    ReadUntil(position_ + 2);
    ++position_;
}

void DirectoryRecordset::Close() {
    RequireOpen();
    open_ = false;
    rows_.clear();
}

// --- command ---

void DirectoryCommand::SetActiveConnection(
    const std::shared_ptr<directory::Connection>& connection) {
    auto directoryConnection = std::dynamic_pointer_cast<DirectoryConnection>(connection);
    if (directoryConnection == nullptr) {
        throw ComError(ado_error::kWrongArguments,
                       "Arguments are of the wrong type, are out of acceptable range, or are in "
                       "conflict with one another.");
    }
    if (directoryConnection->State() != directory::adStateOpen)
        ThrowUnusableConnection();
    connection_ = std::move(directoryConnection);
}

void DirectoryCommand::SetProperty(const std::string& name, const Variant& value) {
    if (!IsDirectoryCommandProperty(name))
        ThrowItemNotFound();
    if (connection_ != nullptr && connection_->Server() != nullptr) {
        try {
            Faults(*connection_->Server()).Check("directory.property", name);
        } catch (const ServerError& error) {
            throw ComError(hresult::E_FAIL, error.what());
        }
    }
    if (text::EqualsNoCase(name, "Size Limit") || text::EqualsNoCase(name, "Page Size"))
        value.ToInt32();  // a value that is no number is refused here
    for (auto& [setName, setValue] : request_.properties) {
        if (text::EqualsNoCase(setName, name)) {
            setValue = value;
            return;
        }
    }
    request_.properties.emplace_back(name, value);
}

Variant DirectoryCommand::Property(const std::string& name) const {
    const ProviderProperty* property = FindProperty(name);
    if (property == nullptr)
        ThrowItemNotFound();
    for (const auto& [setName, value] : request_.properties) {
        if (text::EqualsNoCase(setName, name))
            return value;
    }
    return property->byDefault;
}

int32_t DirectoryCommand::NumberProperty(std::string_view name, int32_t fallback) const {
    for (const auto& [setName, value] : request_.properties) {
        if (text::EqualsNoCase(setName, name))
            return value.ToInt32();
    }
    return fallback;
}

std::shared_ptr<DirectoryConnection> DirectoryCommand::RequireOpenConnection() const {
    if (connection_ == nullptr || connection_->Server() == nullptr)
        ThrowUnusableConnection();
    return connection_;
}

std::shared_ptr<directory::Recordset> DirectoryCommand::Execute(int32_t) {
    std::shared_ptr<ServerDb> db = RequireOpenConnection()->Server();
    try {
        return Run(*db, db);
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
}

std::shared_ptr<directory::Recordset> DirectoryCommand::Run(
    ServerDb& db, const std::shared_ptr<ServerDb>& owner) {
    RecordDirectoryRequest(db, request_);
    DirectoryQuery query = ParseDirectoryQuery(request_.commandText);
    const bool checkFaults = AnyDirectoryFault(db);
    if (checkFaults)
        Faults(db).Check("directory.execute", query.from);
    const std::string host = GlobalCatalogHost(query.from);
    if (host.empty() || !text::EqualsNoCase(host, DirectoryPeople(db).Names().globalCatalogHost))
        ThrowServerNotOperational();
    return std::make_shared<DirectoryRecordset>(owner, Pages(owner, query, host), query.columns,
                                                checkFaults);
}

// The directory's pages of the query's result: Samba's search, or the
// SQLite directory's matches.
std::unique_ptr<DirectoryPages> DirectoryCommand::Pages(const std::shared_ptr<ServerDb>& db,
                                                        const DirectoryQuery& query,
                                                        const std::string& host) {
    PageOptions options;
    options.pageSize = NumberProperty("Page Size");
    options.limit = ResultLimit(options.pageSize, NumberProperty("Size Limit"));
    options.scope = NumberProperty("SearchScope", 2);
    options.timeoutSeconds = NumberProperty("Timeout");
    const DirectoryService service = ReadDirectoryService(*db);
    if (service.kind == DirectoryService::Kind::Samba)
        return SambaPages(db, service, query, host, options);
    if (service.stopped)
        ThrowServerNotOperational();
    CheckSqliteBind(service);
    return SqlitePages(db, RunDirectoryQuery(query, DirectoryPeople(*db).All(), options.limit),
                       options);
}

}  // namespace platform::emulated

namespace platform::emulated {

std::shared_ptr<directory::Command> EmulatedDirectoryAdo::CreateCommand() {
    return std::make_shared<DirectoryCommand>();
}

}  // namespace platform::emulated
