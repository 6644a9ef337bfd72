#include "platform/win32/AdoStore.h"

#include "platform/ComError.h"
#include "platform/win32/Automation.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/ExStoreInterfaces.h"

// ADO over the store's OLE DB provider. ADO's interfaces are dual, so they
// are reached through their dispatch half: the same objects, the same
// members, and the same error numbers and texts.
namespace platform::win32 {

namespace {

using automation::Call;
using automation::Get;
using automation::Put;

ComVariant Text(const std::string& value) {
    return ComVariant(Variant(value));
}

ComVariant Number(int32_t value) {
    return ComVariant(Variant(value));
}

class AdoField : public store::Field {
  public:
    explicit AdoField(ComPtr<IDispatch> field) : field_(std::move(field)) {}
    Variant Value() override { return Get(field_.Get(), "Value").ToVariant(); }
    void SetValue(const Variant& value) override { Put(field_.Get(), "Value", ComVariant(value)); }

  private:
    ComPtr<IDispatch> field_;
};

class AdoFields : public store::Fields {
  public:
    explicit AdoFields(ComPtr<IDispatch> fields) : fields_(std::move(fields)) {}
    int32_t Count() override { return Get(fields_.Get(), "Count").ToVariant().ToInt32(); }
    std::shared_ptr<store::Field> Item(const std::string& name) override {
        return std::make_shared<AdoField>(Get(fields_.Get(), "Item", {Text(name)}).ToDispatch());
    }
    void Update() override { Call(fields_.Get(), "Update"); }

  private:
    ComPtr<IDispatch> fields_;
};

class AdoConnection : public store::Connection {
  public:
    explicit AdoConnection(ComPtr<IDispatch> connection) : connection_(std::move(connection)) {}
    IDispatch* Object() const { return connection_.Get(); }

    void SetProvider(const std::string& provider) override {
        Put(connection_.Get(), "Provider", Text(provider));
    }
    void Open(const std::string& connectionString, const std::string& user,
              const std::string& password, int32_t options) override {
        Call(connection_.Get(), "Open",
             {Text(connectionString), Text(user), Text(password), Number(options)});
    }
    int32_t State() override { return Get(connection_.Get(), "State").ToVariant().ToInt32(); }
    void Close() override { Call(connection_.Get(), "Close"); }
    void BeginTrans() override { Call(connection_.Get(), "BeginTrans"); }
    void CommitTrans() override { Call(connection_.Get(), "CommitTrans"); }
    void RollbackTrans() override { Call(connection_.Get(), "RollbackTrans"); }

  private:
    ComPtr<IDispatch> connection_;
};

class AdoRecord : public store::Record {
  public:
    explicit AdoRecord(ComPtr<IDispatch> record) : record_(std::move(record)) {}

    void Open(const std::string& source, store::Connection& activeConnection, int32_t mode,
              int32_t createOptions, int32_t options, const std::string& user,
              const std::string& password) override {
        auto* connection = dynamic_cast<AdoConnection*>(&activeConnection);
        if (connection == nullptr)
            throw ComError(static_cast<int32_t>(E_INVALIDARG),
                           "The connection is not an ADO connection");
        Call(record_.Get(), "Open",
             {Text(source), ComVariant(connection->Object()), Number(mode), Number(createOptions),
              Number(options), Text(user), Text(password)});
    }
    int32_t State() override { return Get(record_.Get(), "State").ToVariant().ToInt32(); }
    void Close() override { Call(record_.Get(), "Close"); }
    void DeleteRecord(const std::string& source, bool async) override {
        Call(record_.Get(), "DeleteRecord", {Text(source), ComVariant(Variant(async))});
    }
    std::shared_ptr<store::Fields> GetFields() override {
        return std::make_shared<AdoFields>(Get(record_.Get(), "Fields").ToDispatch());
    }

  private:
    ComPtr<IDispatch> record_;
};

// The event information object answers IExStoreDispEventInfo, a dispatch
// interface whose property EventRecord is an ADO record.
class StoreEventInfo : public store::EventInfo {
  public:
    explicit StoreEventInfo(IUnknown* eventInfo) : eventInfo_(ComPtr<IUnknown>::Share(eventInfo)) {}
    IUnknown* Object() const { return eventInfo_.Get(); }
    std::shared_ptr<store::Record> EventRecord() override {
        if (!eventInfo_)
            throw ComError(runtime_error_number::kObjectRequired, "Object required");
        ComPtr<IDispatch> dispatch;
        HRESULT hr = eventInfo_->QueryInterface(IID_IExStoreDispEventInfo, dispatch.OutVoid());
        if (FAILED(hr))
            ThrowComError(hr);
        return std::make_shared<AdoRecord>(Get(dispatch.Get(), "EventRecord").ToDispatch());
    }

  private:
    ComPtr<IUnknown> eventInfo_;
};

class SystemStoreAdo : public store::Ado {
  public:
    std::shared_ptr<store::Connection> CreateConnection() override {
        return std::make_shared<AdoConnection>(automation::CreateObject("ADODB.Connection"));
    }
    std::shared_ptr<store::Record> CreateRecord() override {
        return std::make_shared<AdoRecord>(automation::CreateObject("ADODB.Record"));
    }
};

}  // namespace

std::unique_ptr<store::EventInfo> WrapEventInfo(IUnknown* eventInfo) {
    return std::make_unique<StoreEventInfo>(eventInfo);
}

IUnknown* EventInfoObject(store::EventInfo& eventInfo) {
    auto* ours = dynamic_cast<StoreEventInfo*>(&eventInfo);
    return ours != nullptr ? ours->Object() : nullptr;
}

}  // namespace platform::win32

namespace platform::store {

Ado& SystemAdo() {
    static win32::SystemStoreAdo ado;
    return ado;
}

}  // namespace platform::store
