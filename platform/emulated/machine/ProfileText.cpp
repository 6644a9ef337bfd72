#include "platform/emulated/machine/ProfileText.h"

#include <cstdint>
#include <vector>

#include "platform/Text.h"
#include "platform/emulated/machine/Utf16Text.h"

namespace platform::emulated {

namespace {

std::string_view TrimProfileSpaceView(std::string_view text) {
    while (!text.empty() && IsProfileSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsProfileSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits on CR, LF or CR LF.
std::vector<std::string> SplitLines(std::string_view content) {
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.empty())
        lines.push_back(current);
    return lines;
}

// One line of a profile file as the profile functions see it.
struct Line {
    enum class Kind { Blank, Comment, Section, Entry, Other } kind = Kind::Other;
    std::string text;   // the line as it stands in the file
    std::string name;   // section name, or key name (trimmed)
    std::string value;  // entry value, with quotes removed
};

std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

Line ParseLine(const std::string& text) {
    Line line;
    line.text = text;
    std::string trimmed = TrimProfileSpace(text);
    if (trimmed.empty()) {
        line.kind = Line::Kind::Blank;
    } else if (trimmed.front() == ';') {
        line.kind = Line::Kind::Comment;
    } else if (trimmed.front() == '[' && trimmed.find(']') != std::string::npos) {
        line.kind = Line::Kind::Section;
        size_t close = trimmed.rfind(']');
        line.name = TrimProfileSpace(std::string_view(trimmed).substr(1, close - 1));
    } else if (size_t equals = trimmed.find('='); equals != std::string::npos) {
        line.kind = Line::Kind::Entry;
        line.name = TrimProfileSpace(std::string_view(trimmed).substr(0, equals));
        line.value = Unquote(TrimProfileSpace(std::string_view(trimmed).substr(equals + 1)));
    }
    return line;
}

// The lines of a file's text (UTF-8, or the 8-bit bytes as they are).
std::vector<Line> ParseText(std::string_view text) {
    std::vector<Line> lines;
    for (const auto& line : SplitLines(text))
        lines.push_back(ParseLine(line));
    return lines;
}

// Index of the first section line of that name, or lines.size().
size_t FindSection(const std::vector<Line>& lines, const std::string& section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Line::Kind::Section && text::EqualsNoCase(lines[i].name, section)) {
            return i;
        }
    }
    return lines.size();
}

// One past the last line that belongs to the section starting at index.
size_t SectionEnd(const std::vector<Line>& lines, size_t sectionIndex) {
    size_t end = sectionIndex + 1;
    while (end < lines.size() && lines[end].kind != Line::Kind::Section)
        ++end;
    return end;
}

std::string Render(const std::vector<Line>& lines) {
    std::string content;
    for (const auto& line : lines) {
        if (line.kind == Line::Kind::Blank)
            continue;
        content += line.text;
        content += "\r\n";
    }
    return content;
}

// The lines with key set in section; names already trimmed.
void SetValue(std::vector<Line>& lines, const std::string& section, const std::string& key,
              std::string_view value) {
    Line entry = ParseLine(key + "=" + std::string(value));
    size_t start = FindSection(lines, section);
    if (start == lines.size()) {
        lines.push_back(ParseLine("[" + section + "]"));
        lines.push_back(entry);
        return;
    }
    size_t end = SectionEnd(lines, start);
    for (size_t i = start + 1; i < end; ++i) {
        if (lines[i].kind == Line::Kind::Entry && text::EqualsNoCase(lines[i].name, key)) {
            // The key keeps the spelling it has in the file.
            lines[i] = ParseLine(lines[i].name + "=" + std::string(value));
            return;
        }
    }
    size_t insertAt = end;
    while (insertAt > start + 1 && lines[insertAt - 1].kind == Line::Kind::Blank)
        --insertAt;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
}

}  // namespace

std::string TrimProfileSpace(std::string_view text) {
    return std::string(TrimProfileSpaceView(text));
}

// The same look-up as over the parsed lines, line by line without keeping
// them: the sink reads its settings at every delivery. Blank lines read as
// nothing, so a line ends at any CR or LF.
std::optional<std::string> ProfileValue(std::string_view file, std::string_view section,
                                        std::string_view key) {
    const std::string wide = HasUtf16LeMark(file) ? Utf16LeToUtf8(file.substr(2)) : std::string();
    std::string_view text = HasUtf16LeMark(file) ? std::string_view(wide) : file;
    section = TrimProfileSpaceView(section);
    key = TrimProfileSpaceView(key);
    bool inSection = false;
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        const std::string_view line = TrimProfileSpaceView(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[' && line.find(']') != std::string_view::npos) {
            if (inSection)
                return std::nullopt;  // only the first section of the name counts
            inSection = text::EqualsNoCase(
                TrimProfileSpaceView(line.substr(1, line.rfind(']') - 1)), section);
            continue;
        }
        const size_t equals = line.find('=');
        if (inSection && equals != std::string_view::npos &&
            text::EqualsNoCase(TrimProfileSpaceView(line.substr(0, equals)), key)) {
            return Unquote(std::string(TrimProfileSpaceView(line.substr(equals + 1))));
        }
    }
    return std::nullopt;
}

std::string ProfileWithValue(std::string_view file, std::string_view section, std::string_view key,
                             std::string_view value) {
    const bool wide = HasUtf16LeMark(file);
    std::vector<Line> lines = ParseText(wide ? Utf16LeToUtf8(file.substr(2)) : std::string(file));
    SetValue(lines, TrimProfileSpace(section), TrimProfileSpace(key), value);
    const std::string text = Render(lines);
    return wide ? std::string(kUtf16LeMark) + Utf8ToUtf16Le(text) : text;
}

}  // namespace platform::emulated
