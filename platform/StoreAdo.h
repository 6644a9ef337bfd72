#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Variant.h"

// The store port: ADO over the mail store's OLE DB provider
// ("ExOLEDB.DataSource") and the event information object the store hands
// to a sink. Every call that fails throws platform::ComError with the
// HRESULT and the error's description.
namespace platform::store {

// ADO constants the system passes.
constexpr int32_t adConnectUnspecified = -1;
constexpr int32_t adModeRead = 1;
constexpr int32_t adModeReadWrite = 3;
constexpr int32_t adFailIfNotExists = -1;
constexpr int32_t adCreateOverwrite = 0x4000000;
constexpr int32_t adOpenRecordUnspecified = -1;
constexpr int32_t adDelayFetchFields = 0x8000;
constexpr int32_t adStateClosed = 0;
constexpr int32_t adStateOpen = 1;

class Field {
  public:
    virtual ~Field() = default;
    virtual Variant Value() = 0;
    virtual void SetValue(const Variant& value) = 0;
};

class Fields {
  public:
    virtual ~Fields() = default;
    virtual int32_t Count() = 0;
    // The field of that full property name.
    virtual std::shared_ptr<Field> Item(const std::string& name) = 0;
    // Commits the field changes into the record.
    virtual void Update() = 0;
};

class Connection {
  public:
    virtual ~Connection() = default;
    virtual void SetProvider(const std::string& provider) = 0;
    virtual void Open(const std::string& connectionString, const std::string& user,
                      const std::string& password, int32_t options) = 0;
    virtual int32_t State() = 0;
    virtual void Close() = 0;
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void RollbackTrans() = 0;
};

class Record {
  public:
    virtual ~Record() = default;
    virtual void Open(const std::string& source, Connection& activeConnection, int32_t mode,
                      int32_t createOptions, int32_t options, const std::string& user,
                      const std::string& password) = 0;
    virtual int32_t State() = 0;
    virtual void Close() = 0;
    // Deletes the item; an empty source means the open record itself.
    virtual void DeleteRecord(const std::string& source, bool async) = 0;
    virtual std::shared_ptr<Fields> GetFields() = 0;
};

// The store's event information object (IExStoreEventInfo).
class EventInfo {
  public:
    virtual ~EventInfo() = default;
    // Queries IExStoreDispEventInfo and reads its EventRecord: the item being
    // saved or deleted. Field changes committed with Fields::Update in the
    // begin phase become part of the save.
    virtual std::shared_ptr<Record> EventRecord() = 0;
};

// Creates the ADO objects ("ADODB.Connection", "ADODB.Record").
class Ado {
  public:
    virtual ~Ado() = default;
    virtual std::shared_ptr<Connection> CreateConnection() = 0;
    virtual std::shared_ptr<Record> CreateRecord() = 0;
};

// The ADO of the platform the program runs on.
Ado& SystemAdo();

}  // namespace platform::store
