#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ComError.h"
#include "platform/Variant.h"

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

// The rows a directory query returns ("ADODB.Recordset"), walked forward
// in the query's order.
class Recordset {
  public:
    virtual ~Recordset() = default;
    // The EOF property: true after the last record (and for no records).
    virtual bool IsEOF() = 0;
    // The number of records of the result.
    virtual int32_t RecordCount() = 0;
    // Fields(name).Value of the current record; an attribute the record
    // does not have reads as null. A name that is not among the query's
    // columns throws adErrItemNotFound.
    virtual Variant FieldValue(const std::string& name) = 0;
    virtual void MoveNext() = 0;
    virtual void Close() = 0;
};

// "ADODB.Command": a directory query in the provider's SQL dialect.
class Command {
  public:
    virtual ~Command() = default;
    // Set ActiveConnection: the command runs on that open connection.
    virtual void SetActiveConnection(const std::shared_ptr<Connection>& connection) = 0;
    virtual void SetCommandText(const std::string& text) = 0;
    // Properties(name).Value = value, names compared without regard to
    // case; a name the provider does not know throws adErrItemNotFound.
    // The 16-bit values of the provider ("Page Size") travel as integers.
    virtual void SetProperty(const std::string& name, const Variant& value) = 0;
    // Execute without records-affected argument and parameters.
    virtual std::shared_ptr<Recordset> Execute(int32_t options) = 0;
};

constexpr int32_t adCmdUnspecified = -1;
// ADO error 3265 as the HRESULT ADO reports.
constexpr int32_t adErrItemNotFound = hresult::FromUnsigned(0x800A0CC1);

// Creates the ADO objects.
class Ado {
  public:
    virtual ~Ado() = default;
    virtual std::shared_ptr<Connection> CreateConnection() = 0;
    // "ADODB.Command". An ADO without commands throws REGDB_E_CLASSNOTREG.
    virtual std::shared_ptr<Command> CreateCommand() {
        throw ComError(hresult::REGDB_E_CLASSNOTREG, "Class not registered");
    }
};

// The directory ADO of the platform the program runs on.
Ado& SystemAdo();

}  // namespace platform::directory
