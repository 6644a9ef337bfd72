#pragma once

#include <memory>
#include <vector>

#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/directory/DirectoryPeople.h"
#include "platform/emulated/directory/DirectoryQuery.h"
#include "platform/emulated/directory/DirectoryService.h"

// A query's result as the directory hands it out: a page at a time, the
// next page when the reader has come to the end of the last one. A
// directory that stops meanwhile fails the next page with the error the
// platform's provider gives ("The server is not operational.").
namespace platform::emulated {

class DirectoryPages {
  public:
    virtual ~DirectoryPages() = default;
    // The rows of the next page; throws ComError when the directory fails.
    virtual std::vector<Person> NextPage() = 0;
    virtual bool Done() const = 0;
    // Stops the directory now, as when it is shut down.
    virtual void StopDirectory() = 0;
};

// The options of a search that the command's properties set.
struct PageOptions {
    int32_t pageSize = 0;  // 0: one page
    int32_t limit = 0;     // the most rows (ResultLimit); 0: all
    int32_t scope = 2;
    int32_t timeoutSeconds = 0;
};

// The SQLite directory's result: the matching rows, cut into pages.
std::unique_ptr<DirectoryPages> SqlitePages(std::shared_ptr<ServerDb> db, std::vector<Person> rows,
                                            const PageOptions& options);

// Samba's: a search of its global catalog for the query, as host's.
std::unique_ptr<DirectoryPages> SambaPages(std::shared_ptr<ServerDb> db,
                                           const DirectoryService& service,
                                           const DirectoryQuery& query, const std::string& host,
                                           const PageOptions& options);

// "The server is not operational.", the error of a directory that is not
// there.
[[noreturn]] void ThrowServerNotOperational();

}  // namespace platform::emulated
