#include "platform/bridge/ServedObject.h"

#include "platform/ComError.h"
#include "platform/Text.h"

namespace bridge {

using platform::ComError;
namespace hresult = platform::hresult;

namespace {

[[noreturn]] void ThrowTypeMismatch() {
    throw ComError(hresult::DISP_E_TYPEMISMATCH, "Type mismatch.");
}

[[noreturn]] void ThrowMemberNotFound() {
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
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id != kIdByPosition)
            continue;
        rows_[i].id = static_cast<int32_t>(i) + 1;
        for (size_t first = 0; first < i; ++first) {
            if (platform::text::EqualsNoCase(rows_[first].name, rows_[i].name)) {
                rows_[i].id = rows_[first].id;
                break;
            }
        }
    }
}

int32_t MemberIndex::IdOf(std::string_view name) const {
    for (const MemberRow& row : rows_) {
        if (platform::text::EqualsNoCase(row.name, name))
            return row.id;
    }
    throw ComError(hresult::DISP_E_UNKNOWNNAME, "Unknown name.");
}

size_t MemberIndex::RowFor(int32_t id, uint16_t kind, size_t argumentCount) const {
    // A call that may be a method or a read (as late binding makes one)
    // prefers the method.
    for (MemberKind wanted : {MemberKind::Method, MemberKind::Get, MemberKind::Put}) {
        if ((kind & FlagsOf(wanted)) == 0)
            continue;
        for (size_t i = 0; i < rows_.size(); ++i) {
            const MemberRow& row = rows_[i];
            if (row.id != id || row.kind != wanted)
                continue;
            if (argumentCount < row.takes.least || argumentCount > row.takes.most)
                throw ComError(hresult::DISP_E_BADPARAMCOUNT, "Invalid number of parameters.");
            return i;
        }
    }
    ThrowMemberNotFound();
}

void ThrowNotOfThisServer(const char* what) {
    throw ComError(hresult::E_INVALIDARG,
                   std::string("The argument is not ") + what + " of this server.");
}

}  // namespace bridge
