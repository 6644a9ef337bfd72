#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/ComPtr.h"
#include "platform/win32/ComVariant.h"
#include "platform/win32/WindowsHeaders.h"

namespace fakes {

using platform::win32::ComPtr;
using platform::win32::ComVariant;

// Thrown by a member handler: the object answers DISP_E_EXCEPTION with this
// number and description, as automation objects report their errors.
struct Failure {
    HRESULT number;
    std::string description;
};

// The arguments of a call, in the member's order, by-reference values
// already followed.
using Args = std::vector<ComVariant>;
using Member = std::function<ComVariant(Args&)>;
// A property write: the property's arguments, then the value as the last.
using Setter = std::function<void(Args&)>;

// An automation object for tests: members are added by name, calls are
// logged. It also answers the extra interface ids it is given, with its
// IDispatch.
class FakeObject : public IDispatch {
  public:
    static ComPtr<FakeObject> Make();

    // A method or a readable property.
    FakeObject& On(const std::string& name, Member member);
    // A writable property (put or put by reference).
    FakeObject& OnPut(const std::string& name, Setter setter);
    // A further interface id answered with the IDispatch.
    FakeObject& Answers(const IID& iid);

    // The members called so far, "Name" or "Name=" for a property write.
    const std::vector<std::string>& Calls() const { return calls_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

  private:
    FakeObject() = default;
    virtual ~FakeObject() = default;
    DISPID IdOf(const std::string& name);

    ULONG references_ = 1;
    std::vector<std::string> names_;
    std::map<DISPID, Member> members_;
    std::map<DISPID, Setter> setters_;
    std::vector<IID> extraIids_;
    std::vector<std::string> calls_;
};

// Shorthands for results.
ComVariant Value(const platform::Variant& value);
ComVariant Object(FakeObject* object);
ComVariant Nothing();

}  // namespace fakes
