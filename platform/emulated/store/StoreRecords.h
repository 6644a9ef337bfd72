#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ComError.h"
#include "platform/StoreAdo.h"
#include "platform/emulated/store/StoreSession.h"
#include "platform/emulated/store/StoreValues.h"

// The fields of a record of the emulated store: values as last committed,
// changes made since, and the planted faults "field.read", "field.write"
// and "fields.update" checked on the record's URL.
namespace platform::emulated {

class FieldsCore {
  public:
    FieldsCore(std::shared_ptr<StoreSession> session, std::string url)
        : session_(std::move(session)), url_(std::move(url)) {}
    virtual ~FieldsCore() = default;
    FieldsCore(const FieldsCore&) = delete;
    FieldsCore& operator=(const FieldsCore&) = delete;

    int32_t Count();
    // The fields' names in their order.
    std::vector<std::string> Names();
    Variant Read(const std::string& name);
    void Write(const std::string& name, const Variant& value);
    void Update();
    // Fields of a closed record refuse every call.
    void Close() { closed_ = true; }
    const std::string& url() const { return url_; }

  protected:
    virtual const PropertyList& Committed() = 0;
    // Makes the merged properties part of the item; throws to refuse.
    virtual void Commit(const PropertyList& merged) = 0;
    const std::shared_ptr<StoreSession>& session() const { return session_; }

  private:
    void RequireOpen() const;
    PropertyList Merged();

    std::shared_ptr<StoreSession> session_;
    std::string url_;
    // Changes since the last update; an empty value removes the property.
    std::vector<std::pair<std::string, Variant>> changes_;
    bool closed_ = false;
};

// The Field and Fields objects the port hands out over a FieldsCore.
std::shared_ptr<store::Fields> MakeFields(std::shared_ptr<FieldsCore> core);
// The names of the fields MakeFields made, in their order, as ADO gives
// them by position; fields of another kind are not capable of it.
std::vector<std::string> FieldNames(store::Fields& fields);

// A failure of the emulated server itself reaches the port's caller as
// the one error type of the ports.
template <typename Call>
decltype(auto) AsComError(Call&& call) {
    try {
        return call();
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, std::string("The store failed: ") + error.what());
    }
}

// The ADO errors of objects used in the wrong state.
[[noreturn]] void ThrowObjectClosed();
[[noreturn]] void ThrowObjectOpen();
[[noreturn]] void ThrowNotCapable();

}  // namespace platform::emulated
