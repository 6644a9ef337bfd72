#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/Variant.h"
#include "platform/emulated/store/StoreData.h"

// How morvane-lab shows things: plain tables for people, JSON for scripts.
namespace lab {

// A plain text table: a header line, then one line per row, columns padded
// to their widest cell (counted in characters, not bytes).
class Table {
  public:
    explicit Table(std::vector<std::string> headers) : headers_(std::move(headers)) {}
    void AddRow(std::vector<std::string> cells);
    void Print(std::ostream& out) const;
    size_t RowCount() const { return rows_.size(); }

  private:
    std::vector<std::string> headers_;
    std::vector<std::vector<std::string>> rows_;
};

// Prints the value as indented JSON (invalid UTF-8 is replaced, not fatal).
void PrintJson(std::ostream& out, const nlohmann::json& value);

// A value as JSON: empty and null as null, strings, integers and booleans
// as themselves, arrays as arrays.
nlohmann::json VariantJson(const platform::Variant& value);
// A value as one text for a table: arrays joined with "; ".
std::string VariantText(const platform::Variant& value);

// A stored message as a mail client shows it.
struct MessageView {
    std::string url;
    std::string subject;
    std::optional<int32_t> scl;
    platform::Variant keywords;
    std::optional<std::string> comments;
};

MessageView ViewMessage(const platform::emulated::StoredItem& item);
// {"url", "subject", "scl": N|null, "keywords": [...]|text|null,
//  "comments": text|null}
nlohmann::json MessageJson(const MessageView& message);
// A table of messages: subject, SCL, keywords, comments.
Table MessageTable(const std::vector<MessageView>& messages);

}  // namespace lab
