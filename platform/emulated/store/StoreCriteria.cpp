#include "platform/emulated/store/StoreCriteria.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <vector>

#include "platform/ComError.h"
#include "platform/Text.h"

namespace platform::emulated {

struct StoreCriteria::Node {
    enum class Kind { Or, And, Not, Compare, Exists, Constant };
    Kind kind = Kind::Constant;
    std::vector<std::shared_ptr<const Node>> children;
    std::string property;
    std::string op;
    Variant literal;
    bool constant = true;
};

namespace {

using Node = StoreCriteria::Node;
using NodePtr = std::shared_ptr<const Node>;

struct Token {
    enum class Kind { Property, String, Number, Word, Operator, Open, Close, End };
    Kind kind = Kind::End;
    std::string text;
};

[[noreturn]] void ThrowBadCriteria(std::string_view why) {
    throw ComError(hresult::E_INVALIDARG,
                   "The criteria of the event registration cannot be read: " + std::string(why));
}

class Tokenizer {
  public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    std::vector<Token> All() {
        std::vector<Token> tokens;
        for (Token token = Next(); token.kind != Token::Kind::End; token = Next())
            tokens.push_back(std::move(token));
        tokens.push_back(Token{});
        return tokens;
    }

  private:
    Token Next() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        if (pos_ >= text_.size())
            return Token{};
        char c = text_[pos_];
        if (c == '"')
            return Quoted('"', Token::Kind::Property);
        if (c == '\'')
            return Quoted('\'', Token::Kind::String);
        if (c == '(' || c == ')') {
            ++pos_;
            return Token{c == '(' ? Token::Kind::Open : Token::Kind::Close, std::string(1, c)};
        }
        if (std::string_view("=<>!").find(c) != std::string_view::npos)
            return Operator();
        if (c == '-' || std::isdigit(static_cast<unsigned char>(c)))
            return Run(Token::Kind::Number,
                       [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)) != 0; });
        if (std::isalpha(static_cast<unsigned char>(c)))
            return Run(Token::Kind::Word,
                       [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) != 0; });
        ThrowBadCriteria("unexpected character '" + std::string(1, c) + "'");
    }

    // A quoted text; a doubled quote stands for one.
    Token Quoted(char quote, Token::Kind kind) {
        std::string value;
        for (++pos_; pos_ < text_.size(); ++pos_) {
            if (text_[pos_] != quote) {
                value += text_[pos_];
            } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
                value += quote;
                ++pos_;
            } else {
                ++pos_;
                return Token{kind, value};
            }
        }
        ThrowBadCriteria("a quoted text is not closed");
    }

    Token Operator() {
        std::string op(1, text_[pos_++]);
        if (pos_ < text_.size() && (text_[pos_] == '=' || (op == "<" && text_[pos_] == '>')))
            op += text_[pos_++];
        if (op == "!" || op == "==")
            ThrowBadCriteria("unknown operator " + op);
        return Token{Token::Kind::Operator, op == "!=" ? "<>" : op};
    }

    template <typename Accept>
    Token Run(Token::Kind kind, Accept accept) {
        size_t start = pos_++;
        while (pos_ < text_.size() && accept(text_[pos_]))
            ++pos_;
        return Token{kind, std::string(text_.substr(start, pos_ - start))};
    }

    std::string_view text_;
    size_t pos_ = 0;
};

class Parser {
  public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    NodePtr Clause() {
        if (Peek().kind == Token::Kind::End)
            return Constant(true);
        if (!IsWord("WHERE"))
            ThrowBadCriteria("it does not start with WHERE");
        ++pos_;
        NodePtr condition = Or();
        if (Peek().kind != Token::Kind::End)
            ThrowBadCriteria("unexpected '" + Peek().text + "'");
        return condition;
    }

  private:
    NodePtr Or() {
        return Chain("OR", Node::Kind::Or, [this] { return And(); });
    }
    NodePtr And() {
        return Chain("AND", Node::Kind::And, [this] { return Not(); });
    }

    template <typename Operand>
    NodePtr Chain(std::string_view word, Node::Kind kind, Operand operand) {
        NodePtr first = operand();
        if (!IsWord(word))
            return first;
        auto node = std::make_shared<Node>();
        node->kind = kind;
        node->children.push_back(first);
        while (IsWord(word)) {
            ++pos_;
            node->children.push_back(operand());
        }
        return node;
    }

    NodePtr Not() {
        if (!IsWord("NOT"))
            return Primary();
        ++pos_;
        auto node = std::make_shared<Node>();
        node->kind = Node::Kind::Not;
        Nested nested(*this);
        node->children.push_back(Not());
        return node;
    }

    NodePtr Primary() {
        if (Peek().kind == Token::Kind::Open) {
            ++pos_;
            Nested nested(*this);
            NodePtr inner = Or();
            Expect(Token::Kind::Close, "')'");
            return inner;
        }
        if (IsWord("EXISTS"))
            return Exists();
        if (Peek().kind != Token::Kind::Property) {
            std::optional<Variant> value = Literal();
            if (!value || !value->IsBool())
                ThrowBadCriteria("expected a property name in double quotes");
            return Constant(value->AsBool());
        }
        return Comparison();
    }

    NodePtr Exists() {
        ++pos_;
        bool parenthesised = Peek().kind == Token::Kind::Open;
        if (parenthesised)
            ++pos_;
        auto node = std::make_shared<Node>();
        node->kind = Node::Kind::Exists;
        node->property = Expect(Token::Kind::Property, "a property name").text;
        if (parenthesised)
            Expect(Token::Kind::Close, "')'");
        return node;
    }

    NodePtr Comparison() {
        auto node = std::make_shared<Node>();
        node->kind = Node::Kind::Compare;
        node->property = tokens_[pos_++].text;
        node->op = Expect(Token::Kind::Operator, "a comparison operator").text;
        std::optional<Variant> value = Literal();
        if (!value)
            ThrowBadCriteria("expected a value after " + node->op);
        node->literal = *value;
        return node;
    }

    std::optional<Variant> Literal() {
        const Token& token = Peek();
        if (token.kind == Token::Kind::String) {
            ++pos_;
            return Variant(token.text);
        }
        if (token.kind == Token::Kind::Number) {
            int32_t number = 0;
            auto [ptr, ec] =
                std::from_chars(token.text.data(), token.text.data() + token.text.size(), number);
            if (ec != std::errc() || ptr != token.text.data() + token.text.size())
                ThrowBadCriteria("bad number " + token.text);
            ++pos_;
            return Variant(number);
        }
        if (IsWord("TRUE") || IsWord("FALSE")) {
            ++pos_;
            return Variant(text::EqualsNoCase(token.text, "TRUE"));
        }
        return std::nullopt;
    }

    static NodePtr Constant(bool value) {
        auto node = std::make_shared<Node>();
        node->constant = value;
        return node;
    }

    const Token& Expect(Token::Kind kind, std::string_view what) {
        if (Peek().kind != kind)
            ThrowBadCriteria("expected " + std::string(what));
        return tokens_[pos_++];
    }
    const Token& Peek() const { return tokens_[pos_]; }
    bool IsWord(std::string_view word) const {
        return Peek().kind == Token::Kind::Word && text::EqualsNoCase(Peek().text, word);
    }

    // One level of parentheses or NOT while it is being read. Criteria come
    // from whoever writes a registration item; nesting deeper than any real
    // filter is refused rather than read (and later evaluated) by recursion
    // that could exhaust the stack.
    class Nested {
      public:
        explicit Nested(Parser& parser) : parser_(parser) {
            if (++parser_.depth_ > kMaxNesting)
                ThrowBadCriteria("nested more than " + std::to_string(kMaxNesting) + " deep");
        }
        ~Nested() { --parser_.depth_; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;

      private:
        Parser& parser_;
    };
    static constexpr int kMaxNesting = 100;

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int depth_ = 0;
};

// -1, 0 or 1; none when the two cannot be compared.
std::optional<int> Compare(const Variant& value, const Variant& literal) {
    if (value.IsString() && literal.IsString()) {
        std::string a = text::ToLower(value.AsString());
        std::string b = text::ToLower(literal.AsString());
        return a < b ? -1 : (a == b ? 0 : 1);
    }
    if ((value.IsInt32() || value.IsBool()) && (literal.IsInt32() || literal.IsBool())) {
        // A boolean counts as 1 or 0 against a number.
        int64_t a = value.IsBool() ? (value.AsBool() ? 1 : 0) : value.AsInt32();
        int64_t b = literal.IsBool() ? (literal.AsBool() ? 1 : 0) : literal.AsInt32();
        return a < b ? -1 : (a == b ? 0 : 1);
    }
    return std::nullopt;
}

bool Holds(const std::string& op, int order) {
    if (op == "=")
        return order == 0;
    if (op == "<>")
        return order != 0;
    if (op == "<")
        return order < 0;
    if (op == ">")
        return order > 0;
    if (op == "<=")
        return order <= 0;
    return order >= 0;  // ">="
}

bool CompareHolds(const Node& node, const Variant& value) {
    if (value.IsArray()) {
        // "<>" holds when no entry equals the value, the others when one entry holds.
        bool negated = node.op == "<>";
        for (const Variant& entry : value.AsArray()) {
            std::optional<int> order = Compare(entry, node.literal);
            if (order && Holds(negated ? "=" : node.op, *order))
                return !negated;
        }
        return negated;
    }
    std::optional<int> order = Compare(value, node.literal);
    return order && Holds(node.op, *order);
}

bool Evaluate(const Node& node, const StoreCriteria::Lookup& property) {
    switch (node.kind) {
        case Node::Kind::Or:
            for (const auto& child : node.children) {
                if (Evaluate(*child, property))
                    return true;
            }
            return false;
        case Node::Kind::And:
            for (const auto& child : node.children) {
                if (!Evaluate(*child, property))
                    return false;
            }
            return true;
        case Node::Kind::Not:
            return !Evaluate(*node.children.front(), property);
        case Node::Kind::Compare:
            return CompareHolds(node, property(node.property));
        case Node::Kind::Exists: {
            Variant value = property(node.property);
            return !value.IsEmpty() && !value.IsNull();
        }
        case Node::Kind::Constant:
            break;
    }
    return node.constant;
}

}  // namespace

StoreCriteria StoreCriteria::Parse(std::string_view text) {
    StoreCriteria criteria;
    criteria.root_ = Parser(Tokenizer(text).All()).Clause();
    return criteria;
}

bool StoreCriteria::Matches(const Lookup& property) const {
    return Evaluate(*root_, property);
}

}  // namespace platform::emulated
