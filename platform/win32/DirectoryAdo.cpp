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

  private:
    ComPtr<IDispatch> connection_;
};

class DirectoryAdo : public directory::Ado {
  public:
    std::shared_ptr<directory::Connection> CreateConnection() override {
        return std::make_shared<DirectoryConnection>(automation::CreateObject("ADODB.Connection"));
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
