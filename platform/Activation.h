#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/StoreAdo.h"
#include "platform/Variant.h"

// The activation port: what COM does for the system. Creation of a class by
// its ProgID, late-bound calls by member name, the store's event interfaces
// on a created sink, and binding a library export by file name. Failures
// throw platform::ComError with the platform's HRESULT.
namespace platform {

// One argument of a late-bound call: a string, passed by value (VT_BSTR) or
// by reference (VT_BYREF | VT_BSTR); a by-reference argument may be changed
// by the callee.
struct DispArg {
    std::string value;
    bool byRef = false;
};

// An automation (IDispatch) interface.
class Dispatch {
  public:
    virtual ~Dispatch() = default;
    // GetIDsOfNames for one member; unknown names throw DISP_E_UNKNOWNNAME.
    virtual int32_t GetIDOfName(const std::string& member) = 0;
    // Invoke by member name with the arguments in the member's order.
    virtual Variant Invoke(const std::string& member, std::vector<DispArg>& args) = 0;
};

// The store's synchronous event interface (IExStoreSyncEvents). The methods
// always succeed (S_OK).
class StoreSyncEvents {
  public:
    virtual ~StoreSyncEvents() = default;
    virtual void OnSyncSave(store::EventInfo& eventInfo, const std::string& urlItem,
                            int32_t flags) = 0;
    virtual void OnSyncDelete(store::EventInfo& eventInfo, const std::string& urlItem,
                              int32_t flags) = 0;
};

// The store's registration interface (ICreateRegistration).
class CreateRegistration {
  public:
    virtual ~CreateRegistration() = default;
    // Returns the method's own result (0 accepts the registration).
    virtual int32_t Register(store::EventInfo& eventInfo, const std::string& urlItem,
                             int32_t flags) = 0;
};

// A created COM object. Each accessor is a QueryInterface: nullptr when the
// object does not implement that interface. The object keeps its library
// loaded while it lives.
class ComObject {
  public:
    virtual ~ComObject() = default;
    virtual Dispatch* AsDispatch() = 0;
    virtual StoreSyncEvents* AsStoreSyncEvents() = 0;
    virtual CreateRegistration* AsCreateRegistration() = 0;
};

class Activation {
  public:
    virtual ~Activation() = default;
    // CreateObject by ProgID: unknown ProgID throws CO_E_CLASSSTRING, a class
    // that is not registered REGDB_E_CLASSNOTREG.
    virtual std::shared_ptr<ComObject> CreateObject(const std::string& progId) = 0;
    // Binds a library export without arguments that returns an HRESULT, such
    // as DllUnregisterServer; the library is loaded at the first call.
    virtual std::function<int32_t()> BindExport(const std::string& libraryFile,
                                                const std::string& exportName) = 0;
};

// The activation of the platform the program runs on.
Activation& SystemActivation();

}  // namespace platform
