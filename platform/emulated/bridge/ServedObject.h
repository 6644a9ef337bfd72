#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/bridge/BridgeValue.h"

// The emulated platform's objects as the bridge serves them: a class is a
// table of members, each with what a property read, a property write and a
// method call of it do, over a payload that is the emulated object itself.
// Member identifiers are positions in the table, so they stay the same for
// the class's whole life, and a class's name names one table (a Wine process
// keeps the identifiers it learned by class name); an unknown name fails as IDispatch's
// GetIDsOfNames does, a kind of call the member has not as its Invoke does.
namespace platform::emulated::served {

// DISP_E_MEMBERNOTFOUND and DISP_E_PARAMNOTFOUND.
constexpr int32_t kMemberNotFound = hresult::FromUnsigned(0x80020003);
constexpr int32_t kParamNotFound = hresult::FromUnsigned(0x80020004);

// The arguments of one call, read by position with the types the member
// expects; a wrong count or type fails as automation does.
class Args {
  public:
    explicit Args(std::vector<bridge::Value>& values) : values_(values) {}

    void Expect(size_t least, size_t most) const;
    bool Given(size_t index) const;
    std::string Text(size_t index) const;
    int32_t Int(size_t index) const;
    bool Bool(size_t index) const;
    const Variant& Any(size_t index) const;
    const std::shared_ptr<bridge::Object>& Object(size_t index) const;

  private:
    const bridge::Value& At(size_t index) const;
    std::vector<bridge::Value>& values_;
};

template <typename Payload>
struct Member {
    using Run = std::function<bridge::Value(Payload&, Args&)>;
    std::string name;
    Run get;
    Run put;
    Run method;
};

template <typename Payload>
struct ServedClass {
    std::string name;
    std::vector<Member<Payload>> members;
};

template <typename Payload>
class Served final : public bridge::LocalObject {
  public:
    Served(const ServedClass<Payload>& servedClass, Payload payload)
        : class_(servedClass), payload_(std::move(payload)) {}

    std::string ClassName() const override { return class_.name; }
    int32_t MemberId(const std::string& name) override {
        for (size_t i = 0; i < class_.members.size(); ++i) {
            if (text::EqualsNoCase(class_.members[i].name, name))
                return static_cast<int32_t>(i) + 1;
        }
        throw ComError(hresult::DISP_E_UNKNOWNNAME, "Unknown name.");
    }
    bridge::Value Invoke(int32_t memberId, uint16_t kind, std::vector<bridge::Value>& values,
                         const std::vector<bool>&) override {
        if (memberId < 1 || static_cast<size_t>(memberId) > class_.members.size())
            throw ComError(kMemberNotFound, "Member not found.");
        const Member<Payload>& member = class_.members[static_cast<size_t>(memberId) - 1];
        Args args(values);
        if ((kind & bridge::invoke_kind::kMethod) && member.method)
            return member.method(payload_, args);
        if ((kind & bridge::invoke_kind::kPropertyGet) && member.get)
            return member.get(payload_, args);
        if ((kind & (bridge::invoke_kind::kPropertyPut | bridge::invoke_kind::kPropertyPutRef)) &&
            member.put)
            return member.put(payload_, args);
        throw ComError(kMemberNotFound, "Member not found.");
    }

    Payload& payload() { return payload_; }

  private:
    const ServedClass<Payload>& class_;
    Payload payload_;
};

template <typename Payload>
bridge::Value Serve(const ServedClass<Payload>& servedClass, Payload payload) {
    return bridge::Value::OfObject(
        std::make_shared<Served<Payload>>(servedClass, std::move(payload)));
}

// The payload of an object argument that must be of the served class;
// anything else fails with E_INVALIDARG.
template <typename Payload>
Payload& PayloadOf(const std::shared_ptr<bridge::Object>& object, const char* what) {
    auto* served = dynamic_cast<Served<Payload>*>(object.get());
    if (served == nullptr)
        throw ComError(hresult::E_INVALIDARG,
                       std::string("The argument is not ") + what + " of this server.");
    return served->payload();
}

// A member's result that is no value at all (a procedure or a write).
inline bridge::Value Nothing() {
    return bridge::Value();
}

}  // namespace platform::emulated::served
