#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/bridge/BridgeValue.h"

// What a member of an object called over the bridge is: the kind of call it
// answers, its name and what it takes. A member both sides know in advance
// (a root object's, BridgeRoots.h) is declared once, with a fixed member
// identifier: the caller invokes it without asking for the identifier, and
// the served side builds its table row from the same declaration.
namespace bridge {

// The kind of call a member answers, as IDispatch's Invoke flags name it.
// A property write answers a write by reference as well.
enum class MemberKind : uint16_t {
    Method = invoke_kind::kMethod,
    Get = invoke_kind::kPropertyGet,
    Put = invoke_kind::kPropertyPut,
};

// How many arguments a member takes, a property write's value included.
struct Arity {
    size_t least = 0;
    size_t most = 0;
};
constexpr Arity Takes(size_t count) {
    return {count, count};
}
constexpr Arity Takes(size_t least, size_t most) {
    return {least, most};
}

// One parameter of a declared member; byReference: the callee sets it, and
// its new value comes back to the caller.
struct Parameter {
    std::string_view name;
    bool byReference = false;
};

struct MemberDeclaration {
    int32_t id;
    std::string_view name;
    MemberKind kind;
    std::span<const Parameter> parameters;

    constexpr Arity takes() const { return Takes(parameters.size()); }
};

// Invokes the declared member of the peer's object by its identifier, with
// one argument per parameter; the by-reference ones are changed in place.
// A count of arguments other than the declaration's throws E_INVALIDARG
// before anything is sent.
Value InvokeDeclared(RemoteObject& object, const MemberDeclaration& member,
                     std::vector<Value>& args);

}  // namespace bridge
