// Fuzzes the settings file's reader and writer: basIniFile over the profile
// files of the emulated platform.
//
// Input, read in turn: whether a file exists, its bytes, then the section,
// key and value to write. Properties:
//  - an entry that a profile file can hold is read back as the profile
//    functions promise: the value without its outer white space and without
//    one pair of matching quotes around it, at most 2047 characters;
//  - an entry it cannot hold (a line break or NUL anywhere, an empty section
//    or key, '=' in the key, a key starting with ';' or '[') is refused: the
//    file keeps every byte, or stays missing;
//  - every other key of the file reads as it did before;
//  - writing the same entry again leaves the file's bytes as they are.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/basIniFile.h"
#include "platform/Text.h"
#include "platform/emulated/machine/FileProfile.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

namespace text = platform::text;

constexpr char kAbsent[] = "<absent>";
constexpr size_t kMaxValue = 2047;

// One folder for the whole run, removed when the process ends.
class RunFolder {
  public:
    RunFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "morvane-fuzz-XXXXXX");
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr, "a temporary folder can be made");
        path_ = pattern;
    }
    ~RunFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    std::string File() const { return path_ + "/Morvane.ini"; }

  private:
    std::string path_;
};

std::optional<std::string> ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool IsProfileSpace(char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

std::string TrimProfileSpace(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsProfileSpace(text[first]))
        ++first;
    while (last > first && IsProfileSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool HasBreakOrNul(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

bool CanHold(const std::string& section, const std::string& key, const std::string& value) {
    const std::string name = TrimProfileSpace(key);
    return !HasBreakOrNul(section) && !HasBreakOrNul(key) && !HasBreakOrNul(value) &&
           !TrimProfileSpace(section).empty() && !name.empty() &&
           name.find('=') == std::string::npos && name.front() != ';' && name.front() != '[';
}

std::string ExpectedReadBack(const std::string& value) {
    std::string expected = TrimProfileSpace(value);
    if (expected.size() >= 2 && (expected.front() == '"' || expected.front() == '\'') &&
        expected.back() == expected.front()) {
        expected = expected.substr(1, expected.size() - 2);
    }
    return expected.substr(0, kMaxValue);
}

using Probe = std::pair<std::string, std::string>;

// Section and key names as they appear in the file's lines: enough to look
// at the keys around the one written.
std::vector<Probe> ProbesOf(const std::string& content) {
    std::vector<Probe> probes;
    std::string section;
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line) && probes.size() < 32;) {
        const std::string trimmed = TrimProfileSpace(line);
        if (!trimmed.empty() && trimmed.front() == '[' && trimmed.find(']') != std::string::npos)
            section = trimmed.substr(1, trimmed.rfind(']') - 1);
        else if (const size_t equals = line.find('='); equals != std::string::npos)
            probes.emplace_back(section, line.substr(0, equals));
    }
    return probes;
}

std::string Read(platform::Profile& profile, const Probe& probe, const std::string& file) {
    return basIniFile::ReadIniString(profile, probe.first, probe.second, kAbsent, file);
}

bool SameEntry(const Probe& a, const Probe& b) {
    return text::EqualsNoCase(TrimProfileSpace(a.first), TrimProfileSpace(b.first)) &&
           text::EqualsNoCase(TrimProfileSpace(a.second), TrimProfileSpace(b.second));
}

void CheckHeld(platform::Profile& profile, const Probe& written, const std::string& value,
               const std::string& file) {
    const std::string readBack =
        basIniFile::ReadIniString(profile, written.first, written.second, "", file);
    FUZZ_CHECK(readBack == ExpectedReadBack(value), "a written value is read back");
    const std::optional<std::string> once = ReadBytes(file);
    basIniFile::WriteIniString(profile, written.first, written.second, value, file);
    FUZZ_CHECK(ReadBytes(file) == once, "writing the same entry again changes nothing");
}

void RunOne(FuzzedDataProvider& input, const std::string& file) {
    std::filesystem::remove(file);
    std::optional<std::string> existing;
    if (input.ConsumeBool()) {
        existing = input.ConsumeRandomLengthString(4096);
        std::ofstream(file, std::ios::binary) << *existing;
    }
    const Probe written{input.ConsumeRandomLengthString(64), input.ConsumeRandomLengthString(64)};
    const std::string value = input.ConsumeRandomLengthString(3000);

    platform::emulated::FileProfile profile;
    std::vector<std::pair<Probe, std::string>> before;
    for (const Probe& probe : ProbesOf(existing.value_or("")))
        before.emplace_back(probe, Read(profile, probe, file));

    basIniFile::WriteIniString(profile, written.first, written.second, value, file);

    if (!CanHold(written.first, written.second, value)) {
        FUZZ_CHECK(ReadBytes(file) == existing, "a refused entry leaves the file as it was");
        return;
    }
    for (const auto& [probe, value] : before) {
        if (!SameEntry(probe, written))
            FUZZ_CHECK(Read(profile, probe, file) == value, "other keys keep their values");
    }
    CheckHeld(profile, written, value, file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RunFolder folder;
    FuzzedDataProvider input(data, size);
    RunOne(input, folder.File());
    return 0;
}
