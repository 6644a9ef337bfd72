#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/DirectoryAdo.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/directory/DirectoryAdoConnection.h"
#include "platform/emulated/directory/DirectoryPages.h"
#include "platform/emulated/directory/DirectoryPeople.h"
#include "platform/emulated/directory/DirectoryRequests.h"

// "ADODB.Command" and the Recordset it returns, over the emulated
// directory. A command runs one query of the provider's dialect
// (DirectoryQuery.h) on an open directory connection and is kept as the
// directory's last request (DirectoryRequests.h); the recordset holds the
// result, walked forward, and asks the directory for the next page when the
// walk comes to the end of the last (RecordCount reads them all). Without
// "Page Size" a query gets at most 1,000 entries, with it every match up to
// "Size Limit" (ResultLimit). Failures can be planted at the operations
// "directory.property" (URL: the property's name), "directory.execute" (the
// FROM path), "directory.recordcount" and "directory.eof" (the current
// record's adspath, "" at the end), "directory.field" (adspath + "#" +
// column) and "directory.movenext" (adspath); a planted "directory.stop"
// (URL: a page's number, from 1) stops the directory before that page.
namespace platform::emulated {

namespace ado_error {
constexpr int32_t kWrongArguments = hresult::FromUnsigned(0x800A0BB9);
constexpr int32_t kNoCurrentRecord = hresult::FromUnsigned(0x800A0BCD);
constexpr int32_t kConnectionUnusable = hresult::FromUnsigned(0x800A0E7D);
}  // namespace ado_error

class DirectoryRecordset final : public directory::Recordset {
  public:
    // columns empty: every attribute is a column. checkFaults false skips
    // the fault look-ups (none was planted when the query ran). The first
    // page is read here.
    DirectoryRecordset(std::shared_ptr<ServerDb> db, std::unique_ptr<DirectoryPages> pages,
                       std::vector<std::string> columns, bool checkFaults);

    bool IsEOF() override;
    int32_t RecordCount() override;
    Variant FieldValue(const std::string& name) override;
    void MoveNext() override;
    void Close() override;
    // The names of the fields, in their order: the query's columns, or for
    // SELECT * the current record's attributes (none at the end).
    std::vector<std::string> FieldNames() const;

  private:
    void RequireOpen() const;
    void RequireCurrent() const;
    bool HasColumn(const std::string& name) const;
    std::string CurrentPath() const;
    void CheckFault(const char* operation, const std::string& url);
    // Reads pages until the result holds count rows or has no more.
    void ReadUntil(size_t count);

    std::shared_ptr<ServerDb> db_;
    std::unique_ptr<DirectoryPages> pages_;
    int pagesRead_ = 0;
    std::vector<Person> rows_;
    std::vector<std::string> columns_;
    bool checkFaults_;
    size_t position_ = 0;
    bool open_ = true;
};

class DirectoryCommand final : public directory::Command {
  public:
    void SetActiveConnection(const std::shared_ptr<directory::Connection>& connection) override;
    void SetCommandText(const std::string& text) override { request_.commandText = text; }
    void SetProperty(const std::string& name, const Variant& value) override;
    std::shared_ptr<directory::Recordset> Execute(int32_t options) override;
    // Properties(name).Value: the value set last, else the provider's
    // default; a name the provider does not know throws adErrItemNotFound.
    Variant Property(const std::string& name) const;

  private:
    std::shared_ptr<DirectoryConnection> RequireOpenConnection() const;
    std::shared_ptr<directory::Recordset> Run(ServerDb& db, const std::shared_ptr<ServerDb>& owner);
    // The number a provider property was set to; fallback when it was not set.
    int32_t NumberProperty(std::string_view name, int32_t fallback = 0) const;
    std::unique_ptr<DirectoryPages> Pages(const std::shared_ptr<ServerDb>& db,
                                          const DirectoryQuery& query, const std::string& host);

    std::shared_ptr<DirectoryConnection> connection_;
    DirectoryRequest request_;
};

// The provider's command properties, by name (any letter case).
bool IsDirectoryCommandProperty(const std::string& name);
// Their names, in the order Properties gives them by position.
std::vector<std::string> DirectoryCommandPropertyNames();

}  // namespace platform::emulated
