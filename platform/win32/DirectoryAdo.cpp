#include "platform/DirectoryAdo.h"
#include "platform/win32/Automation.h"

// ADO over the directory's OLE DB provider, through ADO's dispatch
// interfaces.
namespace platform::win32 {

namespace {

using automation::Call;
using automation::Get;

ComVariant Value(const Variant& value) {
    return ComVariant(value);
}

class DirectoryConnection : public directory::Connection {
  public:
    explicit DirectoryConnection(ComPtr<IDispatch> connection)
        : connection_(std::move(connection)) {}
    void SetProvider(const std::string& provider) override {
        automation::Put(connection_.Get(), "Provider", Value(provider));
    }
    void Open(const std::string& connectionString, const std::string& user,
              const std::string& password, int32_t options) override {
        Call(connection_.Get(), "Open",
             {Value(connectionString), Value(user), Value(password), Value(options)});
    }
    int32_t State() override { return Get(connection_.Get(), "State").ToVariant().ToInt32(); }
    void Close() override { Call(connection_.Get(), "Close"); }
    IDispatch* Object() const { return connection_.Get(); }

  private:
    ComPtr<IDispatch> connection_;
};

class DirectoryRecordset : public directory::Recordset {
  public:
    explicit DirectoryRecordset(ComPtr<IDispatch> recordset) : recordset_(std::move(recordset)) {}
    bool IsEOF() override { return Get(recordset_.Get(), "EOF").ToVariant().AsBool(); }
    int32_t RecordCount() override {
        return Get(recordset_.Get(), "RecordCount").ToVariant().ToInt32();
    }
    Variant FieldValue(const std::string& name) override {
        ComPtr<IDispatch> fields = Get(recordset_.Get(), "Fields").ToDispatch();
        ComPtr<IDispatch> field = Get(fields.Get(), "Item", {Value(name)}).ToDispatch();
        return Get(field.Get(), "Value").ToVariant();
    }
    void MoveNext() override { Call(recordset_.Get(), "MoveNext"); }
    void Close() override { Call(recordset_.Get(), "Close"); }

  private:
    ComPtr<IDispatch> recordset_;
};

class DirectoryCommand : public directory::Command {
  public:
    explicit DirectoryCommand(ComPtr<IDispatch> command) : command_(std::move(command)) {}
    void SetActiveConnection(const std::shared_ptr<directory::Connection>& connection) override {
        auto* ado = dynamic_cast<DirectoryConnection*>(connection.get());
        if (ado == nullptr)
            throw ComError(static_cast<int32_t>(E_INVALIDARG),
                           "The connection is not an ADO connection");
        automation::PutRef(command_.Get(), "ActiveConnection", ComVariant(ado->Object()));
    }
    void SetCommandText(const std::string& text) override {
        automation::Put(command_.Get(), "CommandText", Value(text));
    }
    void SetProperty(const std::string& name, const Variant& value) override {
        ComPtr<IDispatch> properties = Get(command_.Get(), "Properties").ToDispatch();
        ComPtr<IDispatch> property = Get(properties.Get(), "Item", {Value(name)}).ToDispatch();
        automation::Put(property.Get(), "Value", Value(value));
    }
    std::shared_ptr<directory::Recordset> Execute(int32_t options) override {
        return std::make_shared<DirectoryRecordset>(
            Call(command_.Get(), "Execute",
                 {automation::Missing(), automation::Missing(), Value(options)})
                .ToDispatch());
    }

  private:
    ComPtr<IDispatch> command_;
};

class DirectoryAdo : public directory::Ado {
  public:
    std::shared_ptr<directory::Connection> CreateConnection() override {
        return std::make_shared<DirectoryConnection>(automation::CreateObject("ADODB.Connection"));
    }
    std::shared_ptr<directory::Command> CreateCommand() override {
        return std::make_shared<DirectoryCommand>(automation::CreateObject("ADODB.Command"));
    }
};

}  // namespace

}  // namespace platform::win32

namespace platform::directory {

Ado& SystemAdo() {
    static win32::DirectoryAdo ado;
    return ado;
}

}  // namespace platform::directory
