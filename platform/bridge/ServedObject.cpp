#include "platform/bridge/ServedObject.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/bridge/BridgeEnumeration.h"

namespace bridge {

using platform::ComError;
namespace hresult = platform::hresult;

namespace {

[[noreturn]] void ThrowTypeMismatch() {
    throw ComError(hresult::DISP_E_TYPEMISMATCH, "Type mismatch.");
}

[[noreturn]] void ThrowDispatchError(int32_t number) {
    if (number == hresult::DISP_E_BADPARAMCOUNT)
        throw ComError(number, "Invalid number of parameters.");
    throw ComError(hresult::DISP_E_MEMBERNOTFOUND, "Member not found.");
}

// The kinds of call a row answers, as IDispatch's flags.
uint16_t FlagsOf(MemberKind kind) {
    if (kind == MemberKind::Put)
        return invoke_kind::kPropertyPut | invoke_kind::kPropertyPutRef;
    return static_cast<uint16_t>(kind);
}

}  // namespace

bool Args::Given(size_t index) const {
    return index < values_.size() && !values_[index].IsMissing();
}

const Value& Args::At(size_t index) const {
    if (!Given(index))
        throw ComError(hresult::DISP_E_PARAMNOTFOUND, "Parameter not found.");
    return values_[index];
}

std::string Args::Text(size_t index) const {
    const platform::Variant& value = Any(index);
    if (value.IsArray())
        ThrowTypeMismatch();
    return value.AppendToEmptyString();
}

int32_t Args::Int(size_t index) const {
    try {
        return Any(index).ToInt32();
    } catch (const ComError&) {
        ThrowTypeMismatch();
    }
}

bool Args::Bool(size_t index) const {
    const platform::Variant& value = Any(index);
    if (value.IsBool())
        return value.AsBool();
    return Int(index) != 0;
}

const platform::Variant& Args::Any(size_t index) const {
    const Value& value = At(index);
    if (value.kind != Value::Kind::Variant)
        ThrowTypeMismatch();
    return value.variant;
}

const std::shared_ptr<Object>& Args::Object(size_t index) const {
    const Value& value = At(index);
    if (!value.IsObject())
        ThrowTypeMismatch();
    return value.object;
}

void Args::Return(size_t index, Value value) {
    values_.at(index) = std::move(value);
}

MemberIndex::MemberIndex(std::vector<MemberRow> rows) : rows_(std::move(rows)) {
    // A name's identifier is the one declared on any of its rows, else the
    // position of its first row.
    const std::vector<MemberRow> declared = rows_;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id != kIdByPosition)
            continue;
        std::optional<int32_t> id;
        for (size_t other = 0; other < declared.size(); ++other) {
            if (!platform::text::EqualsNoCase(declared[other].name, rows_[i].name))
                continue;
            if (declared[other].id != kIdByPosition) {
                id = declared[other].id;
                break;
            }
            if (!id)
                id = static_cast<int32_t>(other) + 1;
        }
        rows_[i].id = *id;
    }
}

int32_t MemberIndex::IdOf(std::string_view name) const {
    for (const MemberRow& row : rows_) {
        if (platform::text::EqualsNoCase(row.name, name))
            return row.id;
    }
    throw ComError(hresult::DISP_E_UNKNOWNNAME, "Unknown name.");
}

RowChoice MemberIndex::RowFor(int32_t id, uint16_t kind, size_t argumentCount) const {
    // A call that may be a method or a read (as late binding makes one)
    // prefers the method.
    bool countRefused = false;
    for (MemberKind wanted : {MemberKind::Method, MemberKind::Get, MemberKind::Put}) {
        if ((kind & FlagsOf(wanted)) == 0)
            continue;
        for (size_t i = 0; i < rows_.size(); ++i) {
            const MemberRow& row = rows_[i];
            if (row.id != id || row.kind != wanted)
                continue;
            if (argumentCount >= row.takes.least && argumentCount <= row.takes.most)
                return {i, argumentCount, 0};
            countRefused = true;
        }
    }
    const int32_t otherwise =
        countRefused ? hresult::DISP_E_BADPARAMCOUNT : hresult::DISP_E_MEMBERNOTFOUND;
    // A read with more arguments than it takes, or a write of a read (the
    // written value last), leaves the rest to its result's default member.
    const bool write = (kind & FlagsOf(MemberKind::Put)) != 0;
    if (((kind & invoke_kind::kPropertyGet) != 0 || write) && argumentCount > 0) {
        const size_t indexes = write ? argumentCount - 1 : argumentCount;
        for (size_t i = 0; i < rows_.size(); ++i) {
            const MemberRow& row = rows_[i];
            if (row.id == id && row.kind == MemberKind::Get &&
                (row.takes.most < indexes || (write && row.takes.most == indexes)))
                return {i, row.takes.most, otherwise};
        }
    }
    ThrowDispatchError(otherwise);
}

bool MemberIndex::KeepsResult(int32_t id, uint16_t kind, size_t argumentCount) const {
    if ((kind & invoke_kind::kPropertyGet) == 0)
        return false;
    const RowChoice choice = RowFor(id, kind, argumentCount);
    const MemberRow& row = rows_[choice.row];
    return row.sameForSameNames && row.kind == MemberKind::Get && choice.own == argumentCount;
}

Value InvokeDefaultOf(const Value& result, uint16_t kind, std::vector<Value>& values, size_t own,
                      int32_t otherwise) {
    auto* object = result.IsObject() ? dynamic_cast<LocalObject*>(result.object.get()) : nullptr;
    if (object == nullptr)
        ThrowDispatchError(otherwise);
    std::vector<Value> rest(std::make_move_iterator(values.begin() + static_cast<ptrdiff_t>(own)),
                            std::make_move_iterator(values.end()));
    Value answer = object->Invoke(kDefaultMember, kind, rest, {});
    std::move(rest.begin(), rest.end(), values.begin() + static_cast<ptrdiff_t>(own));
    return answer;
}

namespace {

struct Enumeration {
    std::function<int32_t()> count;
    std::function<Value(int32_t)> element;
    int32_t position = 0;
};

const ServedClass<Enumeration> kEnumeration{
    std::string(enumeration::kClassName),
    {
        {enumeration::kNext,
         [](Enumeration& e, Args& args) {
             if (e.position >= e.count())
                 return false;
             args.Return(0, e.element(e.position));
             ++e.position;
             return true;
         }},
        {enumeration::kSkip,
         [](Enumeration& e, Args& args) {
             const int32_t wanted = args.Int(0);
             if (wanted < 0)
                 throw ComError(hresult::E_INVALIDARG, "A count of elements is never negative.");
             const int32_t skipped = std::min(wanted, std::max(e.count() - e.position, 0));
             e.position += skipped;
             return skipped;
         }},
        {enumeration::kReset, [](Enumeration& e) { e.position = 0; }},
        {enumeration::kClone, [](Enumeration& e) { return Serve(kEnumeration, e); }},
    }};

}  // namespace

Value ServeEnumeration(std::function<int32_t()> count, std::function<Value(int32_t)> element) {
    return Serve(kEnumeration, Enumeration{std::move(count), std::move(element)});
}

void ThrowNotOfThisServer(const char* what) {
    throw ComError(hresult::E_INVALIDARG,
                   std::string("The argument is not ") + what + " of this server.");
}

}  // namespace bridge
