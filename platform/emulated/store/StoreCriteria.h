#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Variant.h"

// The criteria of an event registration: a SQL WHERE clause over the
// item's properties. Property names stand in double quotes, strings in
// single quotes; =, <>, <, >, <=, >=, TRUE, FALSE, numbers, AND, OR, NOT,
// EXISTS "name" and parentheses are understood, keywords in any letter
// case. String comparisons ignore case; a multi-valued property equals a
// value when one of its entries does; an absent property compares to
// nothing.
namespace platform::emulated {

class StoreCriteria {
  public:
    // Reads the criteria; blank text matches every item. Text that is not a
    // WHERE clause of the forms above, or that nests parentheses and NOT
    // more than 100 deep, throws ComError (E_INVALIDARG).
    static StoreCriteria Parse(std::string_view text);

    using Lookup = std::function<Variant(std::string_view name)>;
    bool Matches(const Lookup& property) const;

    struct Node;

  private:
    std::shared_ptr<const Node> root_;
};

}  // namespace platform::emulated
