#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <string>
#include <vector>

#include "platform/win32/ComPtr.h"
#include "platform/win32/ComVariant.h"

// Late binding over IDispatch: members are looked up by name, arguments go
// in the member's order, failures throw platform::ComError.
namespace platform::win32::automation {

// GetIDsOfNames for one member name.
DISPID MemberId(IDispatch* object, const std::string& member);

// IDispatch::Invoke with flags DISPATCH_METHOD, DISPATCH_PROPERTYGET,
// DISPATCH_PROPERTYPUT or DISPATCH_PROPERTYPUTREF; args are in the member's
// order.
ComVariant Invoke(IDispatch* object, DISPID id, WORD flags, std::vector<ComVariant>& args);

ComVariant Call(IDispatch* object, const std::string& member, std::vector<ComVariant> args = {});
ComVariant Get(IDispatch* object, const std::string& member, std::vector<ComVariant> args = {});
void Put(IDispatch* object, const std::string& member, const ComVariant& value);
// A property set to an object (DISPATCH_PROPERTYPUTREF).
void PutRef(IDispatch* object, const std::string& member, const ComVariant& value);
// An optional argument left out.
ComVariant Missing();

// Creation by ProgID (CLSIDFromProgID + CoCreateInstance), as IDispatch.
ComPtr<IDispatch> CreateObject(const std::string& progId);

}  // namespace platform::win32::automation
