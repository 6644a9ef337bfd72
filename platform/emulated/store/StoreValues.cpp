#include "platform/emulated/store/StoreValues.h"

#include <charconv>

#include "platform/Text.h"
#include "platform/emulated/db/ServerDb.h"

namespace platform::emulated {

namespace {

// Tags: n null, s<length>:<text>, i<decimal>;, b0 / b1, a<count>: then the
// elements. Empty values are never stored.
void Encode(const Variant& value, std::string& out) {
    switch (value.type()) {
        case Variant::Type::Empty:
            out += 'e';
            return;
        case Variant::Type::Null:
            out += 'n';
            return;
        case Variant::Type::String:
            out += 's' + std::to_string(value.AsString().size()) + ':' + value.AsString();
            return;
        case Variant::Type::Int32:
            out += 'i' + std::to_string(value.AsInt32()) + ';';
            return;
        case Variant::Type::Bool:
            out += value.AsBool() ? "b1" : "b0";
            return;
        case Variant::Type::Array:
            out += 'a' + std::to_string(value.AsArray().size()) + ':';
            for (const Variant& element : value.AsArray())
                Encode(element, out);
            return;
    }
}

class Decoder {
  public:
    explicit Decoder(std::string_view text) : text_(text) {}

    Variant Value() {
        switch (Next()) {
            case 'e':
                return Variant();
            case 'n':
                return Variant::Null();
            case 's': {
                size_t length = ReadNumber<size_t>(':');
                if (length > text_.size() - pos_)
                    Fail();
                std::string value(text_.substr(pos_, length));
                pos_ += length;
                return Variant(std::move(value));
            }
            case 'i':
                return Variant(ReadNumber<int32_t>(';'));
            case 'b':
                return Variant(Next() == '1');
            case 'a':
                return Array();
            default:
                Fail();
        }
    }

    bool AtEnd() const { return pos_ == text_.size(); }

  private:
    Variant Array() {
        size_t count = ReadNumber<size_t>(':');
        if (count > text_.size() - pos_)
            Fail();
        Variant::Array elements;
        elements.reserve(count);
        for (size_t i = 0; i < count; ++i)
            elements.push_back(Value());
        return Variant(std::move(elements));
    }

    char Next() {
        if (pos_ >= text_.size())
            Fail();
        return text_[pos_++];
    }

    template <typename T>
    T ReadNumber(char terminator) {
        size_t end = text_.find(terminator, pos_);
        if (end == std::string_view::npos)
            Fail();
        T value{};
        auto [ptr, ec] = std::from_chars(text_.data() + pos_, text_.data() + end, value);
        if (ec != std::errc() || ptr != text_.data() + end)
            Fail();
        pos_ = end + 1;
        return value;
    }

    [[noreturn]] void Fail() const {
        throw ServerError("damaged property value in the server database");
    }

    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace

Variant PropertyList::Get(std::string_view name) const {
    for (const auto& [key, value] : entries_) {
        if (text::EqualsNoCase(key, name))
            return value;
    }
    return Variant();
}

bool PropertyList::Has(std::string_view name) const {
    return !Get(name).IsEmpty();
}

void PropertyList::Set(std::string_view name, const Variant& value) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (!text::EqualsNoCase(it->first, name))
            continue;
        if (value.IsEmpty())
            entries_.erase(it);
        else
            it->second = value;
        return;
    }
    if (!value.IsEmpty())
        entries_.emplace_back(std::string(name), value);
}

std::string EncodeValue(const Variant& value) {
    std::string out;
    Encode(value, out);
    return out;
}

Variant DecodeValue(std::string_view text) {
    Decoder decoder(text);
    Variant value = decoder.Value();
    if (!decoder.AtEnd())
        throw ServerError("damaged property value in the server database");
    return value;
}

}  // namespace platform::emulated
