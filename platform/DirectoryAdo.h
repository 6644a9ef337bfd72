#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The directory port: ADO over the directory service's OLE DB provider
// ("adsDSOobject"). Every failing call throws platform::ComError.
namespace platform::directory {

constexpr int32_t adConnectUnspecified = -1;
constexpr int32_t adStateClosed = 0;
constexpr int32_t adStateOpen = 1;

// "ADODB.Connection".
class Connection {
  public:
    virtual ~Connection() = default;
    virtual void SetProvider(const std::string& provider) = 0;
    // Opens the connection; the connection string is the search root
    // ("GC://host").
    virtual void Open(const std::string& connectionString, const std::string& user,
                      const std::string& password, int32_t options) = 0;
    virtual int32_t State() = 0;
    // Closing a connection that is not open throws adErrObjectClosed.
    virtual void Close() = 0;
};

// Creates the ADO objects.
class Ado {
  public:
    virtual ~Ado() = default;
    virtual std::shared_ptr<Connection> CreateConnection() = 0;
};

// The directory ADO of the platform the program runs on.
Ado& SystemAdo();

}  // namespace platform::directory
