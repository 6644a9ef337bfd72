#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/bridge/BridgeChannel.h"
#include "platform/win32/ComPtr.h"

// COM objects that stand in for the emulated server's objects, and the
// conversions of automation values to and from the bridge's values.
namespace wine_bridge {

// A new stand-in with one reference: an IDispatch whose GetIDsOfNames and
// Invoke go to the server. An object of the class "EventInfo" also answers
// the store's event information interfaces.
IDispatch* NewProxy(std::shared_ptr<bridge::RemoteObject> remote);

// The bridge's value of an automation value: the server's objects go back
// as its own, this process's objects go as objects the server may call.
bridge::Value ValueOf(const VARIANT& value);
// The automation value of a bridge value, into a cleared out.
void AssignVariant(const bridge::Value& value, VARIANT& out);

// An automation object of this process that the peer calls late-bound.
class ForeignDispatch : public bridge::LocalObject {
  public:
    explicit ForeignDispatch(platform::win32::ComPtr<IDispatch> object, std::string className);
    std::string ClassName() const override { return className_; }
    int32_t MemberId(const std::string& name) override;
    bridge::Value Invoke(int32_t memberId, uint16_t kind, std::vector<bridge::Value>& args,
                         const std::vector<bool>& byRef) override;
    IDispatch* Object() const { return object_.Get(); }

  private:
    platform::win32::ComPtr<IDispatch> object_;
    std::string className_;
};

// The failure as an automation call reports it: DISP_E_EXCEPTION with the
// number and text in info, or the number itself when there is no info.
HRESULT ReportFailure(int32_t number, const std::string& description, EXCEPINFO* info);

}  // namespace wine_bridge
