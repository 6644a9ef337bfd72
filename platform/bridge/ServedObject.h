#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/Variant.h"
#include "platform/bridge/BridgeMembers.h"
#include "platform/bridge/BridgeValue.h"

// Objects of this side served to the peer from a table of members over a
// payload (the object that does the work). A row says what the member is
// (MemberKind), its name, how many arguments it takes and what it does;
// a property that is read and written has a row for each. A declared
// member (BridgeMembers.h) keeps its declared identifier; any other member
// is identified by the position of its name's first row, so identifiers
// stay the same for the class's whole life and a class's name names one
// table (a Wine process keeps the identifiers it learned by class name).
// An unknown name fails as IDispatch's GetIDsOfNames does; a kind of call
// the member does not answer, or a count of arguments outside its range,
// fails as its Invoke does.
//
// The automation conventions scripts rely on are attributes of rows: a
// row marked kDefaultMember answers DISPID_VALUE (rs.Fields("mail") is
// rs.Fields.Item("mail"), WScript.Echo field reads field.Value), and the
// row kEnumerateByPosition is the class's _NewEnum (For Each). A read given
// more arguments than its row takes, or a write of a member that is only
// read, reads the member with the arguments it takes and leaves the rest
// to the default member of what it gave, as automation does: rs("mail")
// is rs.Fields.Item("mail"), cmd.Properties("Page Size") = 500 writes the
// Value of cmd.Properties.Item("Page Size").
namespace bridge {

// The arguments of one call, read by position with the types the member
// expects; a missing or mistyped one fails as automation does.
class Args {
  public:
    explicit Args(std::vector<Value>& values) : values_(values) {}

    bool Given(size_t index) const;
    std::string Text(size_t index) const;
    int32_t Int(size_t index) const;
    bool Bool(size_t index) const;
    const platform::Variant& Any(size_t index) const;
    const std::shared_ptr<bridge::Object>& Object(size_t index) const;
    // The new value of an argument passed by reference.
    void Return(size_t index, Value value);

  private:
    const Value& At(size_t index) const;
    std::vector<Value>& values_;
};

// The attribute of a read whose result is the same object for the same
// names while the object lives, and never the object itself: a recordset's
// Fields, a field of its Fields by name (the field follows the current
// row). The caller keeps such a result and does not ask again; a call by
// position is never kept, as positions follow a collection's content.
struct SameForSameNames {};
inline constexpr SameForSameNames kSameForSameNames{};

// The identifier of a member that has none declared: its position.
inline constexpr int32_t kIdByPosition = INT32_MIN;
// The identifiers automation gives a class's default member (DISPID_VALUE)
// and its enumeration (DISPID_NEWENUM).
inline constexpr int32_t kDefaultMember = 0;
inline constexpr int32_t kNewEnum = -4;

// The row of a class's _NewEnum: an enumeration (BridgeEnumeration.h) of
// what its default member gives for the positions 0 to Count - 1, read as
// the enumeration goes. The class's payload is a handle (a shared pointer
// or a struct of them): the enumeration keeps a copy.
struct EnumerateByPosition {};
inline constexpr EnumerateByPosition kEnumerateByPosition{};

// What a row is, apart from what it does.
struct MemberRow {
    MemberKind kind;
    std::string_view name;
    Arity takes;
    int32_t id = kIdByPosition;
    bool sameForSameNames = false;
};

// The row a call runs: it takes the first `own` arguments; any others go
// to the default member of its result, and when that result is no object
// the call fails with `otherwise`.
struct RowChoice {
    size_t row;
    size_t own;
    int32_t otherwise;
};

// The look-ups every served class makes in its rows.
class MemberIndex {
  public:
    explicit MemberIndex(std::vector<MemberRow> rows);
    // GetIDsOfNames: names compare without regard to case.
    int32_t IdOf(std::string_view name) const;
    // The row Invoke runs for a call of that kind (IDispatch's flags) with
    // that many arguments.
    RowChoice RowFor(int32_t id, uint16_t kind, size_t argumentCount) const;
    // Whether that call's result may be kept (SameForSameNames): a read of
    // a row so marked, with no arguments left to the result's default
    // member.
    bool KeepsResult(int32_t id, uint16_t kind, size_t argumentCount) const;

  private:
    std::vector<MemberRow> rows_;
};

namespace served_detail {
// A member's result as a value: nothing for a procedure or a write.
template <typename Body>
Value ResultOf(const Body& body) {
    using Result = decltype(body());
    if constexpr (std::is_void_v<Result>) {
        body();
        return Value();
    } else if constexpr (std::is_same_v<std::decay_t<Result>, Value>) {
        return body();
    } else {
        return Value(platform::Variant(body()));
    }
}
}  // namespace served_detail

// One row. What it does takes the payload and, when it reads them, the
// arguments, and returns a value, anything a Variant is made of, or nothing.
template <typename Payload>
struct Member {
    using Run = std::function<Value(Payload&, Args&)>;

    // id: kIdByPosition, or kDefaultMember for the class's default member.
    template <typename Body>
    Member(MemberKind kind, std::string_view name, Arity takes, Body body,
           int32_t id = kIdByPosition)
        : row{kind, name, takes, id}, run(Bind(std::move(body))) {}
    template <typename Body>
    Member(MemberKind kind, std::string_view name, Arity takes, Body body, SameForSameNames,
           int32_t id = kIdByPosition)
        : row{kind, name, takes, id, true}, run(Bind(std::move(body))) {}
    template <typename Body>
    Member(const MemberDeclaration& declared, Body body)
        : row{declared.kind, declared.name, declared.takes(), declared.id},
          run(Bind(std::move(body))) {}
    // The class's _NewEnum; the class gives it what it runs.
    Member(EnumerateByPosition)  // NOLINT(google-explicit-constructor): a row of a table
        : row{MemberKind::Get, "_NewEnum", Takes(0), kNewEnum} {}

    MemberRow row;
    Run run;

  private:
    template <typename Body>
    static Run Bind(Body body) {
        return [body = std::move(body)](Payload& payload, Args& args) -> Value {
            if constexpr (std::is_invocable_v<const Body&, Payload&, Args&>)
                return served_detail::ResultOf([&] { return body(payload, args); });
            else
                return served_detail::ResultOf([&] { return body(payload); });
        };
    }
};

// An enumeration of count() elements, element(i) giving the one at
// position i; both are asked as the enumeration goes.
Value ServeEnumeration(std::function<int32_t()> count, std::function<Value(int32_t)> element);

// Calls the default member of what a row gave with the arguments it left
// (values from `own` on); they are changed in place as that call changes
// them. A result that is no object fails with `otherwise`.
Value InvokeDefaultOf(const Value& result, uint16_t kind, std::vector<Value>& values, size_t own,
                      int32_t otherwise);

// A class's table. It stays where it was made: its rows may refer to it.
template <typename Payload>
class ServedClass {
  public:
    ServedClass(std::string name, std::vector<Member<Payload>> members)
        : name_(std::move(name)), index_(RowsOf(members)) {
        for (Member<Payload>& member : members)
            runs_.push_back(member.run ? std::move(member.run) : EnumerationRun());
    }
    ServedClass(const ServedClass&) = delete;
    ServedClass& operator=(const ServedClass&) = delete;

    const std::string& name() const { return name_; }
    int32_t MemberId(std::string_view name) const { return index_.IdOf(name); }
    bool KeepsResult(int32_t id, uint16_t kind, size_t argumentCount) const {
        return index_.KeepsResult(id, kind, argumentCount);
    }
    Value Invoke(Payload& payload, int32_t id, uint16_t kind, std::vector<Value>& values) const {
        const RowChoice choice = index_.RowFor(id, kind, values.size());
        if (choice.own == values.size()) {
            Args args(values);
            return runs_[choice.row](payload, args);
        }
        std::vector<Value> own(values.begin(), values.begin() + choice.own);
        Args args(own);
        const Value result = runs_[choice.row](payload, args);
        return InvokeDefaultOf(result, kind, values, choice.own, choice.otherwise);
    }

  private:
    typename Member<Payload>::Run EnumerationRun() const {
        return [this](Payload& payload, Args&) {
            auto held = std::make_shared<Payload>(payload);
            const int32_t countId = MemberId("Count");
            return ServeEnumeration(
                [this, held, countId] {
                    std::vector<Value> none;
                    return Invoke(*held, countId, invoke_kind::kPropertyGet, none)
                        .AsVariant()
                        .ToInt32();
                },
                [this, held](int32_t position) {
                    std::vector<Value> at{Value(platform::Variant(position))};
                    return Invoke(*held, kDefaultMember, invoke_kind::kPropertyGet, at);
                });
        };
    }

    static std::vector<MemberRow> RowsOf(const std::vector<Member<Payload>>& members) {
        std::vector<MemberRow> rows;
        for (const Member<Payload>& member : members)
            rows.push_back(member.row);
        return rows;
    }

    std::string name_;
    MemberIndex index_;
    std::vector<typename Member<Payload>::Run> runs_;
};

template <typename Payload>
class Served final : public LocalObject {
  public:
    Served(const ServedClass<Payload>& servedClass, Payload payload)
        : class_(servedClass), payload_(std::move(payload)) {}

    std::string ClassName() const override { return class_.name(); }
    int32_t MemberId(const std::string& name) override { return class_.MemberId(name); }
    Value Invoke(int32_t memberId, uint16_t kind, std::vector<Value>& values,
                 const std::vector<bool>&) override {
        return class_.Invoke(payload_, memberId, kind, values);
    }
    bool KeepsResult(int32_t memberId, uint16_t kind, size_t argumentCount) override {
        return class_.KeepsResult(memberId, kind, argumentCount);
    }

    Payload& payload() { return payload_; }

  private:
    const ServedClass<Payload>& class_;
    Payload payload_;
};

template <typename Payload>
Value Serve(const ServedClass<Payload>& servedClass, Payload payload) {
    return Value::OfObject(std::make_shared<Served<Payload>>(servedClass, std::move(payload)));
}

// An object argument that is not of the class a member expects.
[[noreturn]] void ThrowNotOfThisServer(const char* what);

// The payload of an object argument that must be of the served class;
// anything else fails with E_INVALIDARG.
template <typename Payload>
Payload& PayloadOf(const std::shared_ptr<Object>& object, const char* what) {
    auto* served = dynamic_cast<Served<Payload>*>(object.get());
    if (served == nullptr)
        ThrowNotOfThisServer(what);
    return served->payload();
}

}  // namespace bridge
