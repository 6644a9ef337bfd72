#include "platform/bridge/BridgeMembers.h"

#include <string>

#include "platform/ComError.h"
#include "platform/bridge/BridgeChannel.h"

namespace bridge {

Value InvokeDeclared(RemoteObject& object, const MemberDeclaration& member,
                     std::vector<Value>& args) {
    if (args.size() != member.parameters.size())
        throw platform::ComError(platform::hresult::E_INVALIDARG,
                                 std::string(member.name) + " takes " +
                                     std::to_string(member.parameters.size()) + " arguments");
    std::vector<bool> byRef;
    for (const Parameter& parameter : member.parameters)
        byRef.push_back(parameter.byReference);
    return object.Invoke(member.id, static_cast<uint16_t>(member.kind), args, byRef);
}

}  // namespace bridge
