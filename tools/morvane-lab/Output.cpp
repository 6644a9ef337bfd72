#include "tools/morvane-lab/Output.h"

#include <algorithm>
#include <ostream>

#include "platform/emulated/store/StoreValues.h"

namespace lab {

namespace {

// Characters in UTF-8 text: every byte that does not continue a sequence.
size_t DisplayWidth(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void PrintLine(std::ostream& out, const std::vector<std::string>& cells,
               const std::vector<size_t>& widths) {
    std::string line;
    for (size_t column = 0; column < cells.size(); ++column) {
        line += cells[column];
        if (column + 1 < cells.size())
            line += std::string(widths[column] - DisplayWidth(cells[column]) + 2, ' ');
    }
    out << line << '\n';
}

}  // namespace

void Table::AddRow(std::vector<std::string> cells) {
    cells.resize(headers_.size());
    rows_.push_back(std::move(cells));
}

void Table::Print(std::ostream& out) const {
    std::vector<size_t> widths;
    for (const std::string& header : headers_)
        widths.push_back(DisplayWidth(header));
    for (const auto& row : rows_) {
        for (size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], DisplayWidth(row[column]));
    }
    PrintLine(out, headers_, widths);
    for (const auto& row : rows_)
        PrintLine(out, row, widths);
}

void PrintJson(std::ostream& out, const nlohmann::json& value) {
    out << value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

nlohmann::json VariantJson(const platform::Variant& value) {
    using Type = platform::Variant::Type;
    switch (value.type()) {
        case Type::String:
            return value.AsString();
        case Type::Int32:
            return value.AsInt32();
        case Type::Bool:
            return value.AsBool();
        case Type::Array: {
            nlohmann::json array = nlohmann::json::array();
            for (const platform::Variant& element : value.AsArray())
                array.push_back(VariantJson(element));
            return array;
        }
        case Type::Empty:
        case Type::Null:
            break;
    }
    return nullptr;
}

std::string VariantText(const platform::Variant& value) {
    if (!value.IsArray())
        return value.AppendToEmptyString();
    std::string text;
    for (const platform::Variant& element : value.AsArray()) {
        if (!text.empty())
            text += "; ";
        text += VariantText(element);
    }
    return text;
}

MessageView ViewMessage(const platform::emulated::StoredItem& item) {
    namespace property = platform::emulated::property;
    MessageView view;
    view.url = item.url;
    view.subject = item.properties.Get(property::kSubject).AppendToEmptyString();
    platform::Variant scl = item.properties.Get(property::kScl);
    if (scl.IsInt32())
        view.scl = scl.AsInt32();
    view.keywords = item.properties.Get(property::kKeywords);
    platform::Variant comments = item.properties.Get(property::kComments);
    if (!comments.IsEmpty() && !comments.IsNull())
        view.comments = VariantText(comments);
    return view;
}

nlohmann::json MessageJson(const MessageView& message) {
    nlohmann::json json = nlohmann::json::object();
    json["url"] = message.url;
    json["subject"] = message.subject;
    json["scl"] = message.scl ? nlohmann::json(*message.scl) : nlohmann::json(nullptr);
    json["keywords"] = VariantJson(message.keywords);
    json["comments"] = message.comments ? nlohmann::json(*message.comments) : nullptr;
    return json;
}

Table MessageTable(const std::vector<MessageView>& messages) {
    Table table({"SUBJECT", "SCL", "KEYWORDS", "COMMENTS"});
    for (const MessageView& message : messages) {
        table.AddRow({message.subject, message.scl ? std::to_string(*message.scl) : "-",
                      VariantText(message.keywords), message.comments.value_or("")});
    }
    return table;
}

}  // namespace lab
