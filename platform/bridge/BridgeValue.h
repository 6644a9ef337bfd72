#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Variant.h"

// What crosses the bridge as an argument or a result: an automation value
// (empty, null, integer, boolean, string, array), an object, an argument
// left out, or an error value with its number and description.
namespace bridge {

class Channel;
class RemoteObject;

// Anything that can cross as an object: one of this side's objects
// (LocalObject) or a stand-in for one of the peer's (RemoteObject).
class Object {
  public:
    virtual ~Object() = default;
    virtual RemoteObject* AsRemote() { return nullptr; }
};

// Invoke's kinds of call, the values of IDispatch's flags.
namespace invoke_kind {
constexpr uint16_t kMethod = 0x1;
constexpr uint16_t kPropertyGet = 0x2;
constexpr uint16_t kPropertyPut = 0x4;
constexpr uint16_t kPropertyPutRef = 0x8;
}  // namespace invoke_kind

struct Value;

// An object of this side that the peer may call, late-bound as through
// IDispatch. Failures throw platform::ComError.
class LocalObject : public Object {
  public:
    // The class name the peer sees with the object's handle.
    virtual std::string ClassName() const = 0;
    // GetIDsOfNames: an unknown name throws DISP_E_UNKNOWNNAME.
    virtual int32_t MemberId(const std::string& name) = 0;
    // Invoke with the arguments in the member's order; an argument the
    // caller passes by reference (byRef, which may be shorter than args)
    // may be changed in place.
    virtual Value Invoke(int32_t memberId, uint16_t kind, std::vector<Value>& args,
                         const std::vector<bool>& byRef) = 0;
    // Whether the result of a call that succeeded, made with that many
    // arguments, all of them names, is the same object for the same names
    // while this object lives, so that the caller may keep it and not ask
    // again.
    virtual bool KeepsResult(int32_t /*memberId*/, uint16_t /*kind*/, size_t /*argumentCount*/) {
        return false;
    }
};

struct Value {
    enum class Kind { Variant, Object, Missing, Error };

    Value() = default;
    Value(platform::Variant value)  // NOLINT(google-explicit-constructor)
        : variant(std::move(value)) {}
    static Value OfObject(std::shared_ptr<Object> object);
    static Value MissingArgument();
    static Value OfError(int32_t number, std::string description);

    bool IsObject() const { return kind == Kind::Object; }
    bool IsMissing() const { return kind == Kind::Missing; }
    // The automation value; an object, a missing argument or an error
    // throws "Type mismatch".
    const platform::Variant& AsVariant() const;
    // The object; anything else throws "Object required".
    const std::shared_ptr<Object>& AsObject() const;

    Kind kind = Kind::Variant;
    platform::Variant variant;
    std::shared_ptr<Object> object;
    int32_t errorNumber = 0;
    std::string errorDescription;
};

}  // namespace bridge
