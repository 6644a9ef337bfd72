#include "tests/sink/FakeStore.h"

#include <algorithm>

#include "platform/Text.h"

namespace fakestore {

using platform::ComError;
using platform::Variant;
namespace store = platform::store;

namespace {

constexpr int32_t kObjectClosed = 3704;
constexpr int32_t kObjectOpen = 3705;

[[noreturn]] void ThrowNotFound() {
    throw ComError(platform::hresult::DB_E_NOTFOUND, "The object could not be found.");
}

[[noreturn]] void ThrowClosed() {
    throw ComError(kObjectClosed, "Operation is not allowed when the object is closed.");
}

std::string Key(const std::string& url) {
    return platform::text::ToLower(url);
}

std::string ParentOf(const std::string& url) {
    size_t slash = url.rfind('/');
    return slash == std::string::npos ? "" : url.substr(0, slash);
}

class FakeConnection : public store::Connection {
  public:
    explicit FakeConnection(FakeStore& store) : store_(store) {}
    ~FakeConnection() override = default;

    void SetProvider(const std::string& provider) override {
        store_.Enter("Connection.SetProvider", provider);
    }
    void Open(const std::string& url, const std::string& user, const std::string& password,
              int32_t options) override {
        store_.Enter("Connection.Open", url + " user=\"" + user + "\" password=\"" + password +
                                            "\" options=" + std::to_string(options));
        if (open_)
            throw ComError(kObjectOpen, "Operation is not allowed when the object is open.");
        open_ = true;
        store_.NoteOpened(false, 1);
    }
    int32_t State() override {
        store_.Enter("Connection.State");
        return open_ ? store::adStateOpen : store::adStateClosed;
    }
    void Close() override {
        store_.Enter("Connection.Close");
        if (!open_)
            ThrowClosed();
        // What the real store does with a transaction left open is unknown;
        // the fake keeps its changes, the worst case for a caller.
        if (snapshot_)
            store_.NoteTransactionLeftOpen();
        snapshot_.reset();
        open_ = false;
        store_.NoteOpened(false, -1);
    }
    void BeginTrans() override {
        store_.Enter("Connection.BeginTrans");
        RequireOpen();
        snapshot_ = store_.Snapshot();
    }
    void CommitTrans() override {
        store_.Enter("Connection.CommitTrans");
        RequireTransaction();
        snapshot_.reset();
    }
    void RollbackTrans() override {
        store_.Enter("Connection.RollbackTrans");
        RequireTransaction();
        store_.Restore(std::move(*snapshot_));
        snapshot_.reset();
    }

    bool IsOpen() const { return open_; }
    FakeStore& store() { return store_; }

  private:
    void RequireOpen() const {
        if (!open_)
            ThrowClosed();
    }
    void RequireTransaction() const {
        RequireOpen();
        if (!snapshot_)
            throw ComError(platform::hresult::E_FAIL, "No transaction is active.");
    }

    FakeStore& store_;
    bool open_ = false;
    std::optional<std::map<std::string, std::pair<std::string, FieldList>>> snapshot_;
};

class FakeField : public store::Field {
  public:
    FakeField(std::shared_ptr<FakeRecord> record, std::string name)
        : record_(std::move(record)), name_(std::move(name)) {}

    Variant Value() override {
        record_->store().Enter("Field.Value", name_);
        return record_->Read(name_);
    }
    void SetValue(const Variant& value) override {
        record_->store().Enter("Field.SetValue", name_ + " = " + platform::Describe(value));
        record_->Write(name_, value);
    }

  private:
    std::shared_ptr<FakeRecord> record_;
    std::string name_;
};

class FakeFields : public store::Fields {
  public:
    explicit FakeFields(std::shared_ptr<FakeRecord> record) : record_(std::move(record)) {}

    int32_t Count() override {
        record_->store().Enter("Fields.Count");
        return record_->CountFields();
    }
    std::shared_ptr<store::Field> Item(const std::string& name) override {
        record_->store().Enter("Fields.Item", name);
        return std::make_shared<FakeField>(record_, name);
    }
    void Update() override {
        record_->store().Enter("Fields.Update");
        record_->Commit();
    }

  private:
    std::shared_ptr<FakeRecord> record_;
};

void SetField(FieldList& fields, const std::string& name, const Variant& value) {
    auto it = std::find_if(fields.begin(), fields.end(),
                           [&](const auto& field) { return field.first == name; });
    if (it == fields.end())
        fields.emplace_back(name, value);
    else
        it->second = value;
}

std::optional<Variant> GetField(const FieldList& fields, const std::string& name) {
    for (const auto& [fieldName, value] : fields) {
        if (fieldName == name)
            return value;
    }
    return std::nullopt;
}

}  // namespace

// ---- FakeStore

void FakeStore::FailAt(const std::string& operation, int nth, int32_t number,
                       const std::string& description) {
    failures_.push_back({operation, nth, number, description});
}

int FakeStore::CountOf(const std::string& operation) const {
    auto it = counts_.find(operation);
    return it == counts_.end() ? 0 : it->second;
}

void FakeStore::ClearCalls() {
    calls_.clear();
}

void FakeStore::Enter(const std::string& operation, const std::string& detail) {
    calls_.push_back(detail.empty() ? operation : operation + " " + detail);
    int count = ++counts_[operation];
    for (const Failure& failure : failures_) {
        if (failure.operation == operation && (failure.nth == 0 || failure.nth == count))
            throw ComError(failure.number, failure.description);
    }
}

void FakeStore::AddItem(const std::string& url, FieldList fields) {
    Put(url, std::move(fields));
}

bool FakeStore::Exists(const std::string& url) const {
    return items_.count(Key(url)) != 0;
}

FieldList FakeStore::FieldsOf(const std::string& url) const {
    auto it = items_.find(Key(url));
    return it == items_.end() ? FieldList{} : it->second.second;
}

std::vector<std::string> FakeStore::Urls() const {
    std::vector<std::string> urls;
    for (const auto& [key, item] : items_)
        urls.push_back(item.first);
    return urls;
}

FieldList* FakeStore::Find(const std::string& url) {
    auto it = items_.find(Key(url));
    return it == items_.end() ? nullptr : &it->second.second;
}

void FakeStore::Put(const std::string& url, FieldList fields) {
    items_[Key(url)] = {url, std::move(fields)};
}

void FakeStore::Remove(const std::string& url) {
    const std::string key = Key(url);
    std::erase_if(items_, [&](const auto& entry) {
        return entry.first == key || entry.first.rfind(key + "/", 0) == 0;
    });
}

std::shared_ptr<store::Connection> FakeStore::CreateConnection() {
    Enter("Ado.CreateConnection");
    return std::make_shared<FakeConnection>(*this);
}

std::shared_ptr<store::Record> FakeStore::CreateRecord() {
    Enter("Ado.CreateRecord");
    return std::make_shared<FakeRecord>(*this);
}

// ---- FakeEventInfo

FakeEventInfo::FakeEventInfo(FakeStore& store, FieldList fields)
    : store_(store), item_(std::make_shared<FieldList>(std::move(fields))) {}

std::shared_ptr<store::Record> FakeEventInfo::EventRecord() {
    store_.Enter("EventInfo.EventRecord");
    auto record = std::make_shared<FakeRecord>(store_, item_);
    last_ = record;
    if (holdRecords_)
        held_ = record;
    return record;
}

Variant FakeEventInfo::Value(const std::string& name) const {
    return GetField(*item_, name).value_or(Variant());
}

bool FakeEventInfo::RecordReleased() const {
    return !held_ && last_.expired() && store_.CountOf("EventInfo.EventRecord") > 0;
}

// ---- FakeRecord

FakeRecord::FakeRecord(FakeStore& store) : store_(store) {}

FakeRecord::FakeRecord(FakeStore& store, std::shared_ptr<FieldList> eventItem)
    : store_(store), open_(true), mode_(store::adModeReadWrite), eventItem_(std::move(eventItem)) {}

void FakeRecord::Open(const std::string& source, store::Connection& activeConnection, int32_t mode,
                      int32_t createOptions, int32_t options, const std::string& user,
                      const std::string& password) {
    store_.Enter("Record.Open", source + " mode=" + std::to_string(mode) +
                                    " create=" + std::to_string(createOptions) +
                                    " options=" + std::to_string(options) + " user=\"" + user +
                                    "\" password=\"" + password + "\"");
    if (open_)
        throw ComError(kObjectOpen, "Operation is not allowed when the object is open.");
    auto* connection = dynamic_cast<FakeConnection*>(&activeConnection);
    if (connection == nullptr || &connection->store() != &store_ || !connection->IsOpen())
        ThrowClosed();
    if (createOptions == store::adCreateOverwrite) {
        if (store_.Find(ParentOf(source)) == nullptr)
            ThrowNotFound();
        store_.Put(source, {});
    } else if (store_.Find(source) == nullptr) {
        ThrowNotFound();
    }
    url_ = source;
    mode_ = mode;
    pending_.clear();
    open_ = true;
    if (!eventItem_)
        store_.NoteOpened(true, 1);
}

int32_t FakeRecord::State() {
    store_.Enter("Record.State");
    return open_ ? store::adStateOpen : store::adStateClosed;
}

void FakeRecord::Close() {
    store_.Enter("Record.Close");
    RequireOpen();
    open_ = false;
    pending_.clear();
    if (!eventItem_)
        store_.NoteOpened(true, -1);
}

void FakeRecord::DeleteRecord(const std::string& source, bool async) {
    store_.Enter("Record.DeleteRecord",
                 "\"" + source + "\" async=" + std::string(async ? "true" : "false"));
    RequireOpen();
    if (mode_ != store::adModeReadWrite)
        throw ComError(platform::hresult::E_ACCESSDENIED, "Access is denied.");
    if (store_.Find(url_) == nullptr)
        ThrowNotFound();
    store_.Remove(url_);
}

std::shared_ptr<store::Fields> FakeRecord::GetFields() {
    store_.Enter("Record.GetFields");
    RequireOpen();
    return std::make_shared<FakeFields>(shared_from_this());
}

std::optional<Variant> FakeRecord::PendingValue(const std::string& name) const {
    return GetField(pending_, name);
}

Variant FakeRecord::Read(const std::string& name) {
    RequireOpen();
    if (auto value = GetField(pending_, name))
        return *value;
    return GetField(Target(), name).value_or(Variant());
}

void FakeRecord::Write(const std::string& name, const Variant& value) {
    RequireOpen();
    SetField(pending_, name, value);
}

int32_t FakeRecord::CountFields() {
    RequireOpen();
    return static_cast<int32_t>(Target().size());
}

void FakeRecord::Commit() {
    RequireOpen();
    if (mode_ != store::adModeReadWrite)
        throw ComError(platform::hresult::E_ACCESSDENIED, "Access is denied.");
    FieldList& target = Target();
    for (const auto& [name, value] : pending_)
        SetField(target, name, value);
    pending_.clear();
}

void FakeRecord::RequireOpen() const {
    if (!open_)
        ThrowClosed();
}

FieldList& FakeRecord::Target() {
    if (eventItem_)
        return *eventItem_;
    FieldList* fields = store_.Find(url_);
    if (fields == nullptr)
        ThrowNotFound();
    return *fields;
}

}  // namespace fakestore
