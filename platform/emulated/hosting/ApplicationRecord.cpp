#include "platform/emulated/hosting/ApplicationRecord.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "platform/ComError.h"
#include "platform/Text.h"

namespace platform::emulated {

namespace {

constexpr int32_t kServerExecFailure = hresult::FromUnsigned(0x80080005);
constexpr const char* kRecordFolder = "applications";
constexpr const char* kRecordExtension = ".host";
// How long an ended process may take to be gone.
constexpr int kGoneLimitMs = 10000;

// The application's name as a file name: letters, digits, "-" and "_"
// as they stand (lower case), every other byte as "%" and two digits.
std::string FileNameOf(const std::string& application) {
    std::string name;
    static constexpr char kDigits[] = "0123456789abcdef";
    for (const unsigned char c : text::ToLower(application)) {
        if (std::isalnum(c) || c == '-' || c == '_') {
            name += static_cast<char>(c);
        } else {
            name += '%';
            name += kDigits[c >> 4];
            name += kDigits[c & 15];
        }
    }
    return name;
}

std::string ApplicationOf(const std::string& fileName) {
    std::string name;
    for (size_t i = 0; i < fileName.size(); ++i) {
        if (fileName[i] == '%' && i + 2 < fileName.size()) {
            name += static_cast<char>(std::stoi(fileName.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            name += fileName[i];
        }
    }
    return name;
}

// The process's state letter and start time (in clock ticks since boot),
// from /proc; nullopt when there is no such process.
std::optional<std::pair<char, uint64_t>> ProcessState(pid_t process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t fields = text.rfind(") ");
    if (fields == std::string::npos)
        return std::nullopt;
    std::istringstream rest(text.substr(fields + 2));
    char state = 0;
    std::string skipped;
    rest >> state;
    // Fields 4 to 21 come between the state and the start time (22).
    for (int field = 4; field <= 21; ++field)
        rest >> skipped;
    uint64_t started = 0;
    if (!(rest >> started))
        return std::nullopt;
    return std::make_pair(state, started);
}

[[noreturn]] void ThrowRecordFailure(const std::string& what, const std::string& path) {
    throw ComError(kServerExecFailure, "Server execution failed (cannot " + what + " " + path +
                                           ": " + std::strerror(errno) + ")");
}

}  // namespace

std::optional<ProcessIdentity> RunningProcess(pid_t process) {
    const auto state = ProcessState(process);
    if (!state || state->first == 'Z' || state->first == 'X')
        return std::nullopt;
    return ProcessIdentity{process, state->second};
}

bool IsRunning(const ProcessIdentity& identity) {
    return identity.process > 0 && RunningProcess(identity.process) == identity;
}

void EndProcess(const ProcessIdentity& identity) {
    if (IsRunning(identity))
        kill(identity.process, SIGKILL);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGoneLimitMs);
    while (std::chrono::steady_clock::now() < end) {
        // A child of this process is reaped; another's parent reaps it.
        int status = 0;
        waitpid(identity.process, &status, WNOHANG);
        if (!IsRunning(identity))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ApplicationRecordLock::ApplicationRecordLock(const std::string& serverFolder,
                                             const std::string& application) {
    const std::filesystem::path folder = std::filesystem::absolute(serverFolder) / kRecordFolder;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string base = (folder / FileNameOf(application)).string();
    path_ = base + kRecordExtension;
    const std::string lockPath = base + ".lock";
    handle_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (handle_ < 0)
        ThrowRecordFailure("open", lockPath);
    while (flock(handle_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            close(handle_);
            ThrowRecordFailure("lock", lockPath);
        }
    }
}

ApplicationRecordLock::~ApplicationRecordLock() {
    close(handle_);
}

std::optional<ApplicationRecord> ApplicationRecordLock::Read() const {
    std::ifstream file(path_);
    if (!file)
        return std::nullopt;
    const nlohmann::json record = nlohmann::json::parse(file, nullptr, false);
    if (!record.is_object() || !record.contains("process") || !record.contains("started") ||
        !record.contains("port") || !record.contains("token"))
        return std::nullopt;
    try {
        return ApplicationRecord{
            {record["process"].get<pid_t>(), record["started"].get<uint64_t>()},
            record["port"].get<uint16_t>(),
            record["token"].get<std::string>()};
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

void ApplicationRecordLock::Write(const ApplicationRecord& record) {
    const nlohmann::json text{{"process", record.host.process},
                              {"started", record.host.started},
                              {"port", record.port},
                              {"token", record.token}};
    const std::string written = path_ + ".new";
    {
        const int handle = open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (handle < 0)
            ThrowRecordFailure("write", written);
        const std::string dumped = text.dump();
        const bool complete =
            write(handle, dumped.data(), dumped.size()) == static_cast<ssize_t>(dumped.size());
        close(handle);
        if (!complete)
            ThrowRecordFailure("write", written);
    }
    if (std::rename(written.c_str(), path_.c_str()) != 0)
        ThrowRecordFailure("write", path_);
}

void ApplicationRecordLock::Remove() {
    std::remove(path_.c_str());
}

bool HasApplicationRecords(const std::string& serverFolder) {
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(serverFolder) / kRecordFolder, ec);
}

std::vector<std::string> RecordedApplications(const std::string& serverFolder) {
    std::vector<std::string> applications;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(serverFolder) / kRecordFolder, ec)) {
        if (entry.path().extension() == kRecordExtension)
            applications.push_back(ApplicationOf(entry.path().stem().string()));
    }
    return applications;
}

}  // namespace platform::emulated
