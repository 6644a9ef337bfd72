#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Variant.h"

// Property values of the emulated store: how an item's properties are held
// in memory and how a value is kept in a text column of the server.
namespace platform::emulated {

// Well-known property names and values of the store.
namespace property {
inline constexpr std::string_view kContentClass = "DAV:contentclass";
inline constexpr std::string_view kHref = "DAV:href";
inline constexpr std::string_view kDisplayName = "DAV:displayname";
inline constexpr std::string_view kIsHidden = "DAV:ishidden";
inline constexpr std::string_view kIsCollection = "DAV:iscollection";
inline constexpr std::string_view kInbox = "urn:schemas:httpmail:inbox";
inline constexpr std::string_view kSubject = "urn:schemas:httpmail:subject";
inline constexpr std::string_view kScl = "http://schemas.microsoft.com/mapi/proptag/0x40760003";
inline constexpr std::string_view kKeywords = "urn:schemas-microsoft-com:office:office#Keywords";
inline constexpr std::string_view kComments = "urn:schemas-microsoft-com:office:office#Comments";
inline constexpr std::string_view kEventMethod =
    "http://schemas.microsoft.com/exchange/events/EventMethod";
inline constexpr std::string_view kSinkClass =
    "http://schemas.microsoft.com/exchange/events/SinkClass";
inline constexpr std::string_view kMatchScope =
    "http://schemas.microsoft.com/exchange/events/MatchScope";
inline constexpr std::string_view kCriteria =
    "http://schemas.microsoft.com/exchange/events/Criteria";
inline constexpr std::string_view kPriority =
    "http://schemas.microsoft.com/exchange/events/Priority";
inline constexpr std::string_view kEnabled = "http://schemas.microsoft.com/exchange/events/Enabled";
}  // namespace property

namespace content_class {
inline constexpr std::string_view kMessage = "urn:content-class:message";
inline constexpr std::string_view kFolder = "urn:content-class:folder";
inline constexpr std::string_view kEventRegistration = "urn:content-class:storeeventreg";
}  // namespace content_class

// An item's properties in the order they were first set. Names are
// compared without regard to case, as the store does; an empty value means
// the property is absent and is never held.
class PropertyList {
  public:
    using Entry = std::pair<std::string, Variant>;

    // The value, or empty when absent.
    Variant Get(std::string_view name) const;
    bool Has(std::string_view name) const;
    // Sets or replaces the value; an empty value removes the property.
    void Set(std::string_view name, const Variant& value);
    const std::vector<Entry>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }

  private:
    std::vector<Entry> entries_;
};

// The value as one text (type tag, length-prefixed payload), and back.
// Decoding text that was not made by EncodeValue throws ServerError.
std::string EncodeValue(const Variant& value);
Variant DecodeValue(std::string_view text);

}  // namespace platform::emulated
