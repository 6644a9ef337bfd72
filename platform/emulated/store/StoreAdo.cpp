#include "platform/emulated/store/StoreAdo.h"

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/store/StoreConnectionPool.h"
#include "platform/emulated/store/StoreEvents.h"
#include "platform/emulated/store/StoreRecords.h"

namespace platform::emulated {

namespace {

constexpr int32_t adOpenIfExists = 0x2000000;
constexpr int32_t adModeWrite = 2;
// ADO error 3219, adErrIllegalOperation.
constexpr int32_t kIllegalOperation = hresult::FromUnsigned(0x800A0C93);

[[noreturn]] void ThrowInvalidConnection() {
    throw ComError(hresult::FromUnsigned(0x800A0E7D),
                   "The connection cannot be used to perform this operation. It is either "
                   "closed or invalid in this context.");
}

// The fields of an item opened or created through a record; an update
// saves the item with the store's events.
class ItemFields : public FieldsCore {
  public:
    ItemFields(std::shared_ptr<StoreSession> session, Location where, StoredItem item,
               bool writable)
        : FieldsCore(std::move(session), where.url),
          where_(std::move(where)),
          item_(std::move(item)),
          writable_(writable) {}

    bool stored() const { return item_.id != 0; }
    int64_t id() const { return item_.id; }

  protected:
    const PropertyList& Committed() override { return item_.properties; }
    void Commit(const PropertyList& merged) override {
        if (!writable_)
            ThrowNotCapable();
        StoredItem next = item_;
        next.properties = merged;
        int32_t flags = stored() ? 0 : event_flag::kNewItem;
        int64_t id = SaveItem(session(), where_, std::move(next), flags);
        item_ = session()->data().ReadItem(id, where_.url);
        where_.itemId = id;
    }

  private:
    Location where_;
    StoredItem item_;
    bool writable_;
};

// The fields of a folder, made by the store; they cannot be changed.
class FolderFields : public FieldsCore {
  public:
    FolderFields(std::shared_ptr<StoreSession> session, const Location& where)
        : FieldsCore(session, where.url) {
        bool root = where.folder.path.empty();
        if (root && !where.mailbox.rootFields)
            return;
        std::vector<std::string> parts = SplitPath(where.folder.path);
        properties_ = FolderProperties(where.url, root ? where.mailbox.address : parts.back());
        if (!root)
            return;
        if (auto inbox = session->data().FindInbox(where.mailbox.id))
            properties_.Set(property::kInbox,
                            Variant(session->data().FolderUrl(where.mailbox, *inbox)));
    }

  protected:
    const PropertyList& Committed() override { return properties_; }
    void Commit(const PropertyList&) override {
        throw ComError(hresult::E_ACCESSDENIED,
                       "The properties of a folder cannot be changed in this store.");
    }

  private:
    PropertyList properties_;
};

}  // namespace

// --- Connection ---

StoreConnection::~StoreConnection() {
    if (session_ && inTransaction_) {
        sqlite3_exec(session_->db().handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        session_->TransactionEnded(false);
    }
}

void StoreConnection::Open(const std::string& connectionString, const std::string&,
                           const std::string&, int32_t) {
    AsComError([&] {
        if (session_)
            ThrowObjectOpen();
        if (!text::EqualsNoCase(provider_, kStoreProvider)) {
            throw ComError(hresult::FromUnsigned(0x800A0E7A),
                           "Provider cannot be found. It may not be properly installed.");
        }
        auto session = std::make_shared<StoreSession>(TakePooledServer(serverFolder_), activation_);
        ReadSnapshot snapshot(session->db());
        session->faults().Check("connection.open", connectionString);
        if (!session->data().Resolve(connectionString))
            ThrowNotFound();
        url_ = connectionString;
        session_ = std::move(session);
    });
}

int32_t StoreConnection::State() {
    return session_ ? store::adStateOpen : store::adStateClosed;
}

void StoreConnection::RequireOpen() const {
    if (!session_)
        ThrowObjectClosed();
}

void StoreConnection::RequireTransaction() const {
    RequireOpen();
    if (!inTransaction_)
        throw ComError(hresult::E_FAIL, "No transaction is open on the connection.");
}

void StoreConnection::Close() {
    RequireOpen();
    // ADO refuses an explicit close inside a transaction; only a connection
    // released with one open rolls it back (the destructor).
    if (inTransaction_)
        throw ComError(kIllegalOperation, "Operation is not allowed in this context.");
    session_.reset();
}

void StoreConnection::BeginTrans() {
    AsComError([&] {
        RequireOpen();
        session_->faults().Check("transaction.begin", url_);
        if (inTransaction_)
            throw ComError(hresult::E_FAIL, "A transaction is already open on the connection.");
        session_->db().Execute("BEGIN IMMEDIATE");
        inTransaction_ = true;
    });
}

void StoreConnection::CommitTrans() {
    AsComError([&] {
        RequireTransaction();
        session_->faults().Check("transaction.commit", url_);
        EndTransaction(true);
    });
}

void StoreConnection::RollbackTrans() {
    AsComError([&] {
        RequireTransaction();
        EndTransaction(false);
    });
}

void StoreConnection::EndTransaction(bool commit) {
    inTransaction_ = false;
    if (session_->db().InTransaction())
        session_->db().Execute(commit ? "COMMIT" : "ROLLBACK");
    session_->TransactionEnded(commit);
}

// --- Record ---

void StoreRecord::Open(const std::string& source, store::Connection& activeConnection, int32_t mode,
                       int32_t createOptions, int32_t, const std::string&, const std::string&) {
    AsComError([&] {
        if (fields_)
            ThrowObjectOpen();
        auto* connection = dynamic_cast<StoreConnection*>(&activeConnection);
        std::shared_ptr<StoreSession> session = connection ? connection->session() : nullptr;
        if (!session)
            ThrowInvalidConnection();
        ReadSnapshot snapshot(session->db());
        session->faults().Check("record.open", source);
        OpenAt(session, source, mode, createOptions);
    });
}

void StoreRecord::OpenAt(const std::shared_ptr<StoreSession>& session, const std::string& source,
                         int32_t mode, int32_t createOptions) {
    bool mustExist = createOptions == store::adFailIfNotExists;
    bool create = !mustExist && ((createOptions & store::adCreateOverwrite) != 0 ||
                                 createOptions == adOpenIfExists);
    if (!mustExist && !create) {
        throw ComError(hresult::E_INVALIDARG,
                       "These create options are not supported by the store: " +
                           std::to_string(createOptions));
    }
    std::optional<Location> where = session->data().Resolve(source);
    if (!where)
        ThrowNotFound();
    writable_ = (mode & adModeWrite) != 0;
    if (where->kind == Location::Kind::Folder) {
        if (!mustExist && createOptions != adOpenIfExists)
            throw ComError(hresult::E_ACCESSDENIED, "A folder cannot be replaced by an item.");
        fields_ = std::make_shared<FolderFields>(session, *where);
    } else {
        bool reopen = where->itemId && (mustExist || createOptions == adOpenIfExists);
        if (!where->itemId && !create)
            ThrowNotFound();
        StoredItem item;
        item.name = where->itemName;
        item.url = where->url;
        if (reopen)
            item = session->data().ReadItem(*where->itemId, where->url);
        fields_ = std::make_shared<ItemFields>(session, *where, std::move(item), writable_);
    }
    session_ = session;
    url_ = where->url;
}

int32_t StoreRecord::State() {
    return fields_ ? store::adStateOpen : store::adStateClosed;
}

void StoreRecord::Close() {
    if (!fields_)
        ThrowObjectClosed();
    fields_->Close();
    fields_.reset();
    session_.reset();
}

void StoreRecord::DeleteRecord(const std::string& source, bool) {
    AsComError([&] {
        if (!fields_)
            ThrowObjectClosed();
        std::string url = source.empty() ? url_ : source;
        ReadSnapshot snapshot(session_->db());
        session_->faults().Check("record.delete", url);
        if (!writable_)
            ThrowNotCapable();
        std::optional<Location> where = session_->data().Resolve(url);
        if (!where)
            ThrowNotFound();
        if (where->kind == Location::Kind::Folder)
            throw ComError(hresult::E_ACCESSDENIED, "Folders cannot be deleted in this store.");
        if (!where->itemId)
            ThrowNotFound();
        DeleteItem(session_, *where);
    });
}

std::shared_ptr<store::Fields> StoreRecord::GetFields() {
    if (!fields_)
        ThrowObjectClosed();
    return MakeFields(fields_);
}

// --- Ado ---

std::shared_ptr<store::Connection> EmulatedStoreAdo::CreateConnection() {
    return std::make_shared<StoreConnection>(serverFolder_, activation_);
}

std::shared_ptr<store::Record> EmulatedStoreAdo::CreateRecord() {
    return std::make_shared<StoreRecord>();
}

}  // namespace platform::emulated
