#include "platform/emulated/machine/FileProfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/Text.h"

namespace platform::emulated {

namespace {

bool IsProfileSpace(char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

std::string_view TrimProfileSpaceView(std::string_view text) {
    while (!text.empty() && IsProfileSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsProfileSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string TrimProfileSpace(std::string_view text) {
    return std::string(TrimProfileSpaceView(text));
}

std::string CutTrailingSpace(std::string_view text) {
    size_t last = text.size();
    while (last > 0 && IsProfileSpace(text[last - 1]))
        --last;
    return std::string(text.substr(0, last));
}

// The file's bytes; none when it cannot be opened. The sink reads its
// settings file at every delivery, so this reads it with the system's own
// calls, without a stream's buffers and locale.
std::optional<std::string> ReadWholeFile(const std::string& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    std::string content;
    char chunk[4096];
    for (;;) {
        const ssize_t count = ::read(descriptor, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;  // the end, or a file that cannot be read (a folder): what came so far
        content.append(chunk, static_cast<size_t>(count));
        if (static_cast<size_t>(count) < sizeof chunk)
            break;  // a file gives less than asked only at its end
    }
    ::close(descriptor);
    return content;
}

// Splits on CR, LF or CR LF.
std::vector<std::string> SplitLines(const std::string& content) {
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

std::vector<Line> ParseFile(const std::string& content) {
    std::vector<Line> lines;
    for (const auto& text : SplitLines(content))
        lines.push_back(ParseLine(text));
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

// The same look-up as LookUp over ParseFile, line by line without keeping
// the lines: a read is made at every delivery, a write seldom. Blank lines
// read as nothing, so a line ends at any CR or LF.
std::optional<std::string> LookUpInContent(std::string_view content, std::string_view section,
                                           std::string_view key) {
    bool inSection = false;
    while (!content.empty()) {
        const size_t end = content.find_first_of("\r\n");
        const std::string_view line = TrimProfileSpaceView(content.substr(0, end));
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
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

uint32_t CopyToBuffer(const std::string& value, std::string& buffer, uint32_t size) {
    if (size == 0) {
        buffer.clear();
        return 0;
    }
    buffer = value.substr(0, std::min<size_t>(value.size(), size - 1));
    return static_cast<uint32_t>(buffer.size());
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

std::string TemporaryNameBeside(const std::string& file) {
    static std::atomic<unsigned> counter{0};
    return file + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

bool ReplaceFileAtomically(const std::string& file, const std::string& content) {
    std::string temporary = TemporaryNameBeside(file);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << content;
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

uint32_t FileProfile::GetPrivateProfileString(const std::string& section, const std::string& key,
                                              const std::string& defaultValue, std::string& buffer,
                                              uint32_t size, const std::string& file) {
    std::optional<std::string> value;
    if (auto content = ReadWholeFile(file)) {
        value = LookUpInContent(*content, TrimProfileSpace(section), TrimProfileSpace(key));
    }
    return CopyToBuffer(value ? *value : CutTrailingSpace(defaultValue), buffer, size);
}

bool FileProfile::WritePrivateProfileString(const std::string& section, const std::string& key,
                                            const std::string& value, const std::string& file) {
    std::string sectionName = TrimProfileSpace(section);
    std::string keyName = TrimProfileSpace(key);
    if (sectionName.empty() || keyName.empty())
        return false;

    std::vector<Line> lines = ParseFile(ReadWholeFile(file).value_or(""));
    Line entry = ParseLine(keyName + "=" + value);

    size_t start = FindSection(lines, sectionName);
    if (start == lines.size()) {
        lines.push_back(ParseLine("[" + sectionName + "]"));
        lines.push_back(entry);
        return ReplaceFileAtomically(file, Render(lines));
    }
    size_t end = SectionEnd(lines, start);
    for (size_t i = start + 1; i < end; ++i) {
        if (lines[i].kind == Line::Kind::Entry && text::EqualsNoCase(lines[i].name, keyName)) {
            // The key keeps the spelling it has in the file.
            lines[i] = ParseLine(lines[i].name + "=" + value);
            return ReplaceFileAtomically(file, Render(lines));
        }
    }
    size_t insertAt = end;
    while (insertAt > start + 1 && lines[insertAt - 1].kind == Line::Kind::Blank)
        --insertAt;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    return ReplaceFileAtomically(file, Render(lines));
}

}  // namespace platform::emulated

namespace platform {
Profile& SystemProfile() {
    static emulated::FileProfile profile;
    return profile;
}
}  // namespace platform
