#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ComError.h"
#include "platform/StoreAdo.h"
#include "platform/Variant.h"

// An in-memory mail store behind the store port: items addressed by URL
// (compared without regard to case), records, fields, connections with
// transactions, and the event information object. Every operation is logged
// ("Record.Open <url> mode=3 create=-1 options=-1") and any single one can
// be made to fail on demand.
namespace fakestore {

// The properties of one item, in the order they were first set.
using FieldList = std::vector<std::pair<std::string, platform::Variant>>;

class FakeRecord;

class FakeStore : public platform::store::Ado {
  public:
    // Failures: the nth call (1-based, counted from the store's creation) of
    // the operation fails; nth 0 fails every call.
    void FailAt(const std::string& operation, int nth = 0,
                int32_t number = platform::hresult::E_FAIL,
                const std::string& description = "Planted failure");
    void ClearFailures() { failures_.clear(); }

    // The log of every call, oldest first.
    const std::vector<std::string>& Calls() const { return calls_; }
    int CountOf(const std::string& operation) const;
    void ClearCalls();

    // The items.
    void AddItem(const std::string& url, FieldList fields = {});
    bool Exists(const std::string& url) const;
    // The item's properties; an item that does not exist has none.
    FieldList FieldsOf(const std::string& url) const;
    std::vector<std::string> Urls() const;
    // Records and connections opened and not closed yet (event records aside).
    int OpenRecords() const { return openRecords_; }
    int OpenConnections() const { return openConnections_; }
    void NoteOpened(bool record, int change) {
        (record ? openRecords_ : openConnections_) += change;
    }
    // How often a connection was closed while its transaction was open.
    int TransactionsLeftOpen() const { return transactionsLeftOpen_; }

    // Ado
    std::shared_ptr<platform::store::Connection> CreateConnection() override;
    std::shared_ptr<platform::store::Record> CreateRecord() override;

    // Used by the fake objects.
    void Enter(const std::string& operation, const std::string& detail = "");
    FieldList* Find(const std::string& url);
    void Put(const std::string& url, FieldList fields);
    void Remove(const std::string& url);
    std::map<std::string, std::pair<std::string, FieldList>> Snapshot() const { return items_; }
    void Restore(std::map<std::string, std::pair<std::string, FieldList>> items) {
        items_ = std::move(items);
    }
    void NoteTransactionLeftOpen() { ++transactionsLeftOpen_; }

  private:
    struct Failure {
        std::string operation;
        int nth;
        int32_t number;
        std::string description;
    };
    std::vector<Failure> failures_;
    std::vector<std::string> calls_;
    std::map<std::string, int> counts_;
    // Lower-case URL -> (URL as added, properties).
    std::map<std::string, std::pair<std::string, FieldList>> items_;
    int transactionsLeftOpen_ = 0;
    int openRecords_ = 0;
    int openConnections_ = 0;
};

// The record of the item an event is about. Holds the item's properties of
// its own; each EventRecord call hands out a fresh record over them.
class FakeEventInfo : public platform::store::EventInfo {
  public:
    FakeEventInfo(FakeStore& store, FieldList fields);

    std::shared_ptr<platform::store::Record> EventRecord() override;

    // The item's properties as committed by Fields.Update.
    const FieldList& Fields() const { return *item_; }
    platform::Variant Value(const std::string& name) const;
    // True when a record was handed out and nobody holds it any more.
    bool RecordReleased() const;
    // Keeps the records handed out, so a test can look at their uncommitted
    // field values afterwards.
    void HoldRecords() { holdRecords_ = true; }
    std::shared_ptr<FakeRecord> HeldRecord() const { return held_; }

  private:
    FakeStore& store_;
    std::shared_ptr<FieldList> item_;
    std::weak_ptr<FakeRecord> last_;
    bool holdRecords_ = false;
    std::shared_ptr<FakeRecord> held_;
};

// A record, either over an item of the store or over an event's item.
class FakeRecord : public platform::store::Record, public std::enable_shared_from_this<FakeRecord> {
  public:
    explicit FakeRecord(FakeStore& store);
    // An open record over an event's item.
    FakeRecord(FakeStore& store, std::shared_ptr<FieldList> eventItem);

    void Open(const std::string& source, platform::store::Connection& activeConnection,
              int32_t mode, int32_t createOptions, int32_t options, const std::string& user,
              const std::string& password) override;
    int32_t State() override;
    void Close() override;
    void DeleteRecord(const std::string& source, bool async) override;
    std::shared_ptr<platform::store::Fields> GetFields() override;

    // The value set on the record but not yet committed, if any.
    std::optional<platform::Variant> PendingValue(const std::string& name) const;

    // Used by the fake fields.
    FakeStore& store() { return store_; }
    platform::Variant Read(const std::string& name);
    void Write(const std::string& name, const platform::Variant& value);
    int32_t CountFields();
    void Commit();

  private:
    void RequireOpen() const;
    FieldList& Target();

    FakeStore& store_;
    bool open_ = false;
    int32_t mode_ = 0;
    std::string url_;
    std::shared_ptr<FieldList> eventItem_;
    FieldList pending_;
};

}  // namespace fakestore
