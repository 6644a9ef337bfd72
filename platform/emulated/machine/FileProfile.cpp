#include "platform/emulated/machine/FileProfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <optional>

#include "platform/emulated/machine/ProfileText.h"

namespace platform::emulated {

namespace {

std::string CutTrailingSpace(std::string_view text) {
    size_t last = text.size();
    while (last > 0 && IsProfileSpace(text[last - 1]))
        --last;
    return std::string(text.substr(0, last));
}

// The file's bytes; none when it cannot be opened. The sink reads its
// settings file at every delivery, so this reads it with the system's own
// calls, without a stream's buffers and locale. Only a read that gives
// nothing is the end: a file system may give less than asked before it
// (a network file system, a pipe), and stopping there would cut the file.
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
    }
    ::close(descriptor);
    return content;
}

uint32_t CopyToBuffer(const std::string& value, std::string& buffer, uint32_t size) {
    if (size == 0) {
        buffer.clear();
        return 0;
    }
    buffer = value.substr(0, std::min<size_t>(value.size(), size - 1));
    return static_cast<uint32_t>(buffer.size());
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
    if (auto content = ReadWholeFile(file))
        value = ProfileValue(*content, section, key);
    return CopyToBuffer(value ? *value : CutTrailingSpace(defaultValue), buffer, size);
}

bool FileProfile::WritePrivateProfileString(const std::string& section, const std::string& key,
                                            const std::string& value, const std::string& file) {
    if (TrimProfileSpace(section).empty() || TrimProfileSpace(key).empty())
        return false;
    return ReplaceFileAtomically(
        file, ProfileWithValue(ReadWholeFile(file).value_or(""), section, key, value));
}

}  // namespace platform::emulated

namespace platform {
Profile& SystemProfile() {
    static emulated::FileProfile profile;
    return profile;
}
}  // namespace platform
