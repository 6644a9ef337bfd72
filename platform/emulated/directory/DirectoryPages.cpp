#include "platform/emulated/directory/DirectoryPages.h"

#include <algorithm>

#include "platform/ComError.h"
#include "platform/emulated/directory/LdapQuery.h"
#include "platform/emulated/directory/LdapSearch.h"
#include "platform/emulated/directory/SambaDomain.h"

namespace platform::emulated {

namespace {

class SqliteDirectoryPages final : public DirectoryPages {
  public:
    SqliteDirectoryPages(std::shared_ptr<ServerDb> db, std::vector<Person> rows, int32_t pageSize)
        : db_(std::move(db)), rows_(std::move(rows)), pageSize_(pageSize) {}

    std::vector<Person> NextPage() override {
        if (ReadDirectoryService(*db_).stopped)
            ThrowServerNotOperational();
        const size_t size = pageSize_ > 0 ? static_cast<size_t>(pageSize_) : rows_.size();
        const size_t end = std::min(rows_.size(), next_ + size);
        std::vector<Person> page(std::make_move_iterator(rows_.begin() + next_),
                                 std::make_move_iterator(rows_.begin() + end));
        next_ = end;
        done_ = next_ >= rows_.size();
        return page;
    }
    bool Done() const override { return done_; }
    void StopDirectory() override {
        DirectoryService service = ReadDirectoryService(*db_);
        service.stopped = true;
        WriteDirectoryService(*db_, service);
    }

  private:
    std::shared_ptr<ServerDb> db_;
    std::vector<Person> rows_;
    int32_t pageSize_;
    size_t next_ = 0;
    bool done_ = false;
};

class SambaDirectoryPages final : public DirectoryPages {
  public:
    SambaDirectoryPages(std::shared_ptr<ServerDb> db, DirectoryService service,
                        LdapSearchRequest request, std::string host)
        : db_(std::move(db)),
          service_(std::move(service)),
          request_(std::move(request)),
          host_(std::move(host)) {}

    // The provider binds and sends the search with the first page.
    std::vector<Person> NextPage() override {
        if (!search_) {
            search_ =
                std::make_unique<LdapPagedSearch>(BindLdap("ldap://" + service_.address + ":3268",
                                                           service_.account, service_.password),
                                                  request_);
        }
        std::vector<Person> page;
        for (const LdapEntry& entry : search_->NextPage())
            page.push_back(PersonFromEntry(entry, host_));
        return page;
    }
    bool Done() const override { return search_ && search_->Done(); }
    void StopDirectory() override { samba::StopDomain(db_->folder()); }

  private:
    std::shared_ptr<ServerDb> db_;
    DirectoryService service_;
    LdapSearchRequest request_;
    std::string host_;
    std::unique_ptr<LdapPagedSearch> search_;
};

}  // namespace

void ThrowServerNotOperational() {
    throw ComError(hresult::FromUnsigned(0x8007203A), "The server is not operational.");
}

std::unique_ptr<DirectoryPages> SqlitePages(std::shared_ptr<ServerDb> db, std::vector<Person> rows,
                                            const PageOptions& options) {
    return std::make_unique<SqliteDirectoryPages>(std::move(db), std::move(rows), options.pageSize);
}

std::unique_ptr<DirectoryPages> SambaPages(std::shared_ptr<ServerDb> db,
                                           const DirectoryService& service,
                                           const DirectoryQuery& query, const std::string& host,
                                           const PageOptions& options) {
    LdapSearchRequest request = LdapRequestFor(query);
    request.pageSize = options.pageSize;
    request.sizeLimit = options.limit;
    request.scope = options.scope;
    request.timeoutSeconds = options.timeoutSeconds;
    return std::make_unique<SambaDirectoryPages>(std::move(db), service, std::move(request), host);
}

}  // namespace platform::emulated
