#pragma once

#include <string_view>

#include "platform/bridge/BridgeMembers.h"

// The enumeration a collection's _NewEnum hands out, as the two sides know
// it: the server serves it (ServedObject.h), and in a Wine process its
// stand-in answers IEnumVARIANT with these members.
namespace bridge::enumeration {

inline constexpr std::string_view kClassName = "IEnumVARIANT";

inline constexpr Parameter kNextParameters[] = {{"element", true}};
inline constexpr Parameter kSkipParameters[] = {{"count"}};

// Next(element): whether there was a next element; element is set to it.
inline constexpr MemberDeclaration kNext{1, "Next", MemberKind::Method, kNextParameters};
// Skip(count): how many elements were passed over, count or fewer at the end.
inline constexpr MemberDeclaration kSkip{2, "Skip", MemberKind::Method, kSkipParameters};
// Reset(): back before the first element.
inline constexpr MemberDeclaration kReset{3, "Reset", MemberKind::Method, {}};
// Clone(): a new enumeration of the same elements at the same place.
inline constexpr MemberDeclaration kClone{4, "Clone", MemberKind::Method, {}};

}  // namespace bridge::enumeration
