#include "platform/Text.h"

#include <algorithm>

namespace platform::text {

namespace {
char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool SameNoCase(char a, char b) {
    return LowerAscii(a) == LowerAscii(b);
}
}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameNoCase);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string ToLower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), LowerAscii);
    return result;
}

std::string Trim(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return "";
    size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

size_t FindFirst(std::string_view haystack, std::string_view needle, size_t start) {
    if (start == 0 || start > haystack.size() + 1)
        return 0;
    size_t found = haystack.find(needle, start - 1);
    return found == std::string_view::npos ? 0 : found + 1;
}

size_t FindFirstNoCase(std::string_view haystack, std::string_view needle, size_t start) {
    if (start == 0 || start > haystack.size() + 1)
        return 0;
    auto it = std::search(haystack.begin() + static_cast<std::ptrdiff_t>(start - 1), haystack.end(),
                          needle.begin(), needle.end(), SameNoCase);
    if (it == haystack.end() && !needle.empty())
        return 0;
    return static_cast<size_t>(it - haystack.begin()) + 1;
}

size_t FindLast(std::string_view haystack, std::string_view needle, size_t start) {
    if (start == 0)
        start = haystack.size();
    if (start > haystack.size())
        return 0;
    if (needle.size() > start)
        return 0;
    size_t found = haystack.substr(0, start).rfind(needle);
    return found == std::string_view::npos ? 0 : found + 1;
}

std::string Left(std::string_view text, size_t count) {
    return std::string(text.substr(0, std::min(count, text.size())));
}

std::string Mid(std::string_view text, size_t start) {
    if (start == 0)
        start = 1;
    if (start > text.size())
        return "";
    return std::string(text.substr(start - 1));
}

std::string Right(std::string_view text, size_t count) {
    if (count >= text.size())
        return std::string(text);
    return std::string(text.substr(text.size() - count));
}

}  // namespace platform::text
