#include "platform/emulated/directory/DirectoryQuery.h"

#include <algorithm>
#include <cctype>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/directory/DirectoryCollation.h"

namespace platform::emulated {

namespace {

constexpr int32_t kErrorsInCommand = hresult::FromUnsigned(0x80040E14);

[[noreturn]] void CommandError() {
    throw ComError(kErrorsInCommand, "One or more errors occurred during processing of command.");
}

struct Token {
    enum class Kind { Word, Quoted, Symbol, End };
    Kind kind = Kind::End;
    std::string text;
};

bool IsWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.' ||
           c == ';';
}

class Tokenizer {
  public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    Token Next() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])) != 0)
            ++pos_;
        if (pos_ >= text_.size())
            return Token{};
        const char c = text_[pos_];
        if (c == '\'')
            return Quoted();
        if (IsWordCharacter(c)) {
            size_t start = pos_;
            while (pos_ < text_.size() && IsWordCharacter(text_[pos_]))
                ++pos_;
            return Token{Token::Kind::Word, std::string(text_.substr(start, pos_ - start))};
        }
        ++pos_;
        return Token{Token::Kind::Symbol, std::string(1, c)};
    }

  private:
    // A quoted value; two apostrophes stand for one.
    Token Quoted() {
        std::string value;
        ++pos_;
        while (pos_ < text_.size()) {
            if (text_[pos_] == '\'') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                    value += '\'';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return Token{Token::Kind::Quoted, value};
            }
            value += text_[pos_++];
        }
        CommandError();  // no closing apostrophe
    }

    std::string_view text_;
    size_t pos_ = 0;
};

class Parser {
  public:
    explicit Parser(std::string_view text) : tokens_(text) { Advance(); }

    DirectoryQuery Parse() {
        DirectoryQuery query;
        ExpectKeyword("SELECT");
        ParseColumns(query);
        ExpectKeyword("FROM");
        query.from = ExpectQuoted();
        if (AcceptKeyword("WHERE"))
            ParseConditions(query);
        if (AcceptKeyword("ORDER")) {
            ExpectKeyword("BY");
            query.orderBy = ExpectWord();
            if (AcceptKeyword("DESC"))
                query.descending = true;
            else
                AcceptKeyword("ASC");
        }
        if (current_.kind != Token::Kind::End)
            CommandError();
        return query;
    }

  private:
    void Advance() { current_ = tokens_.Next(); }

    bool IsKeyword(std::string_view keyword) const {
        return current_.kind == Token::Kind::Word && text::EqualsNoCase(current_.text, keyword);
    }
    bool AcceptKeyword(std::string_view keyword) {
        if (!IsKeyword(keyword))
            return false;
        Advance();
        return true;
    }
    void ExpectKeyword(std::string_view keyword) {
        if (!AcceptKeyword(keyword))
            CommandError();
    }
    bool AcceptSymbol(char symbol) {
        if (current_.kind != Token::Kind::Symbol || current_.text[0] != symbol)
            return false;
        Advance();
        return true;
    }
    std::string ExpectWord() {
        if (current_.kind != Token::Kind::Word || IsReserved())
            CommandError();
        std::string word = current_.text;
        Advance();
        return word;
    }
    std::string ExpectQuoted() {
        if (current_.kind != Token::Kind::Quoted)
            CommandError();
        std::string value = current_.text;
        Advance();
        return value;
    }
    bool IsReserved() const {
        for (const char* keyword : {"SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "ORDER", "BY"}) {
            if (IsKeyword(keyword))
                return true;
        }
        return false;
    }

    void ParseColumns(DirectoryQuery& query) {
        if (AcceptSymbol('*'))
            return;
        AcceptKeyword("ALL");
        query.columns.push_back(ExpectWord());
        while (AcceptSymbol(','))
            query.columns.push_back(ExpectWord());
    }

    void ParseConditions(DirectoryQuery& query) {
        query.conditions.push_back(ParseCondition());
        while (AcceptKeyword("AND"))
            query.conditions.push_back(ParseCondition());
    }

    DirectoryCondition ParseCondition() {
        DirectoryCondition condition;
        condition.attribute = ExpectWord();
        if (!AcceptSymbol('='))
            CommandError();
        std::string value = ExpectQuoted();
        if (value == "*") {
            condition.kind = DirectoryCondition::Kind::Present;
        } else if (!value.empty() && value.back() == '*') {
            condition.kind = DirectoryCondition::Kind::Prefix;
            value.pop_back();
        }
        condition.value = std::move(value);
        return condition;
    }

    Tokenizer tokens_;
    Token current_;
};

// The value of the first relative name of a distinguished name:
// "CN=Person,CN=Schema,..." gives "Person".
std::string FirstRelativeValue(const std::string& dn) {
    if (!text::StartsWithNoCase(dn, "CN="))
        return dn;
    const size_t comma = dn.find(',');
    return dn.substr(3, comma == std::string::npos ? std::string::npos : comma - 3);
}

bool ValueMatches(const DirectoryCondition& condition, const std::string& value) {
    if (condition.kind == DirectoryCondition::Kind::Prefix)
        return text::StartsWithNoCase(value, condition.value);
    if (text::EqualsNoCase(value, condition.value))
        return true;
    // The object category is a schema object's name; its short name matches.
    return text::EqualsNoCase(condition.attribute, "objectCategory") &&
           text::EqualsNoCase(FirstRelativeValue(value), condition.value);
}

std::string SortKey(const Person& person, const std::string& key) {
    const Variant* value = person.Find(key);
    return value == nullptr ? std::string() : DirectorySortKey(value->AppendToEmptyString());
}

}  // namespace

DirectoryQuery ParseDirectoryQuery(std::string_view commandText) {
    return Parser(commandText).Parse();
}

bool Matches(const DirectoryCondition& condition, const Person& person) {
    const Variant* value = person.Find(condition.attribute);
    if (value == nullptr || value->IsNull())
        return false;
    if (condition.kind == DirectoryCondition::Kind::Present)
        return true;
    if (value->IsArray()) {
        const auto& values = value->AsArray();
        return std::any_of(values.begin(), values.end(), [&](const Variant& one) {
            return ValueMatches(condition, one.AppendToEmptyString());
        });
    }
    return ValueMatches(condition, value->AppendToEmptyString());
}

bool Matches(const DirectoryQuery& query, const Person& person) {
    return std::all_of(
        query.conditions.begin(), query.conditions.end(),
        [&](const DirectoryCondition& condition) { return Matches(condition, person); });
}

std::vector<Person> RunDirectoryQuery(const DirectoryQuery& query, std::vector<Person> people,
                                      int32_t sizeLimit) {
    std::erase_if(people, [&](const Person& person) { return !Matches(query, person); });
    if (query.orderBy) {
        const std::string& key = *query.orderBy;
        std::vector<std::pair<std::string, size_t>> keys;
        keys.reserve(people.size());
        for (size_t i = 0; i < people.size(); ++i)
            keys.emplace_back(SortKey(people[i], key), i);
        auto absent = [&](size_t i) { return people[i].Find(key) == nullptr; };
        std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
            if (absent(a.second) != absent(b.second))
                return absent(b.second);
            return query.descending ? b.first < a.first : a.first < b.first;
        });
        std::vector<Person> sorted;
        sorted.reserve(people.size());
        for (const auto& entry : keys)
            sorted.push_back(std::move(people[entry.second]));
        people = std::move(sorted);
    }
    if (sizeLimit > 0 && people.size() > static_cast<size_t>(sizeLimit))
        people.resize(static_cast<size_t>(sizeLimit));
    return people;
}

int32_t ResultLimit(int32_t pageSize, int32_t sizeLimit) {
    if (pageSize > 0)
        return sizeLimit;
    return sizeLimit > 0 && sizeLimit < kMaxPageSize ? sizeLimit : kMaxPageSize;
}

std::string GlobalCatalogHost(std::string_view adsPath) {
    if (!text::StartsWithNoCase(adsPath, "GC://"))
        return "";
    std::string_view rest = adsPath.substr(5);
    return std::string(rest.substr(0, rest.find('/')));
}

}  // namespace platform::emulated
