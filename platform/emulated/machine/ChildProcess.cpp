#include "platform/emulated/machine/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <system_error>
#include <thread>

extern char** environ;

namespace platform::emulated {

namespace {

// The file actions that give the child its streams and folder.
class FileActions {
  public:
    explicit FileActions(const ChildLaunch& launch) {
        posix_spawn_file_actions_init(&actions_);
        Open(STDIN_FILENO, launch.input, O_RDONLY);
        Open(STDOUT_FILENO, launch.output, O_WRONLY | O_CREAT | O_TRUNC);
        Open(STDERR_FILENO, launch.error, O_WRONLY | O_CREAT | O_TRUNC);
        if (launch.errorToOutput)
            posix_spawn_file_actions_adddup2(&actions_, STDOUT_FILENO, STDERR_FILENO);
        if (!launch.folder.empty())
            posix_spawn_file_actions_addchdir_np(&actions_, launch.folder.c_str());
    }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;

    const posix_spawn_file_actions_t* get() const { return &actions_; }

  private:
    void Open(int stream, const std::string& path, int flags) {
        if (!path.empty())
            posix_spawn_file_actions_addopen(&actions_, stream, path.c_str(), flags, 0600);
    }

    posix_spawn_file_actions_t actions_;
};

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

std::chrono::nanoseconds CpuOf(const rusage& usage) {
    using std::chrono::microseconds;
    using std::chrono::seconds;
    return seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

}  // namespace

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& changes) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!changes.contains(text.substr(0, text.find('='))))
            environment.push_back(text);
    }
    for (const auto& [name, value] : changes)
        environment.push_back(name + "=" + value);
    return environment;
}

pid_t StartChild(const ChildLaunch& launch) {
    std::vector<std::string> words = launch.words;
    std::vector<std::string> environment = launch.environment;
    if (words.empty())
        throw std::system_error(std::make_error_code(std::errc::invalid_argument), "no program");
    std::vector<char*> argv = Pointers(words);
    std::vector<char*> envp = Pointers(environment);
    FileActions actions(launch);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (launch.newSession)
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    const int failed =
        posix_spawnp(&child, argv[0], actions.get(), &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    if (failed != 0)
        throw std::system_error(failed, std::generic_category(), "cannot start " + words[0]);
    return child;
}

std::optional<ChildExit> WaitForChild(pid_t child, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        int status = 0;
        rusage usage{};
        const pid_t done = wait4(child, &status, limitMs < 0 ? 0 : WNOHANG, &usage);
        if (done == child) {
            if (WIFEXITED(status))
                return ChildExit{WEXITSTATUS(status), true, CpuOf(usage)};
            return ChildExit{128 + WTERMSIG(status), false, CpuOf(usage)};
        }
        if (done < 0 && errno != EINTR)
            return ChildExit{127, false, {}};
        if (limitMs >= 0 && std::chrono::steady_clock::now() >= end)
            return std::nullopt;
        if (limitMs >= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void KillChild(pid_t child) {
    kill(child, SIGKILL);
    WaitForChild(child, -1);
}

}  // namespace platform::emulated
