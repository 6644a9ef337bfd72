#include "platform/emulated/bridge/WineProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

#include "platform/ComError.h"
#include "platform/emulated/bridge/WinePaths.h"

extern char** environ;

namespace platform::emulated::wine {

namespace {

constexpr int32_t kServerExecFailure = hresult::FromUnsigned(0x80080005);
// A cold prefix is made in about a dozen seconds; a busy machine may take
// several times that.
constexpr int kPrepareLimitMs = 300000;
// Wine's server ends a few seconds after its last process.
constexpr int kSessionEndLimitMs = 30000;

[[noreturn]] void ThrowExecFailure(const std::string& detail) {
    throw ComError(kServerExecFailure, "Server execution failed (" + detail + ")");
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// One of Wine's programs: the one Debian's 32-bit Wine installs (the
// shipped programs are 32-bit), else the one on PATH.
std::string WineTool(const std::string& name) {
    const std::string installed = "/usr/lib/wine/" + name;
    return std::filesystem::exists(installed) ? installed : name;
}

std::string WineLoader() {
    std::string chosen = Environment("MORVANE_WINE");
    return chosen.empty() ? WineTool("wine") : chosen;
}

// Starts words[0] (found on PATH) with the words as its arguments.
pid_t Spawn(std::vector<std::string> words, std::vector<std::string> environment, bool quiet) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        for (int stream : {0, 1, 2})
            posix_spawn_file_actions_addopen(&actions, stream, "/dev/null",
                                             stream == 0 ? O_RDONLY : O_WRONLY, 0);
    }
    pid_t process = 0;
    const int failed = posix_spawnp(&process, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        ThrowExecFailure("cannot start " + words[0] + ": " + std::strerror(failed));
    return process;
}

}  // namespace

std::string WindowsBinFolder() {
    const std::string folder = Environment("MORVANE_WINDOWS_BIN");
    if (folder.empty())
        ThrowExecFailure(
            "MORVANE_WINDOWS_BIN is not set: it names the bin folder of the Windows build "
            "(cmake --build --preset win32), which holds MorvaneBridge.dll, "
            "MorvaneSinkHost.exe and MorvaneHiddenDesktop.exe");
    for (const char* file :
         {"MorvaneBridge.dll", "MorvaneSinkHost.exe", "MorvaneHiddenDesktop.exe"}) {
        if (!std::filesystem::is_regular_file(std::filesystem::path(folder) / file))
            ThrowExecFailure("MORVANE_WINDOWS_BIN=" + folder + " holds no " + file +
                             ": build the Windows preset win32 with its tests");
    }
    return std::filesystem::absolute(folder).lexically_normal().string();
}

std::vector<std::string> WineEnvironment(const std::string& prefixFolder,
                                         const std::map<std::string, std::string>& additions) {
    std::map<std::string, std::string> set{
        {"WINEPREFIX", prefixFolder},
        {"WINEARCH", "win32"},
        // No debugger on a crash, no desktop entries, and never a download
        // of Wine's .NET or HTML engines.
        {"WINEDLLOVERRIDES", "winemenubuilder.exe=d;winedbg.exe=d;mscoree,mshtml="},
    };
    if (Environment("WINEDEBUG").empty())
        set["WINEDEBUG"] = "-all";
    for (const auto& [name, value] : additions)
        set[name] = value;
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!set.count(text.substr(0, text.find('='))))
            environment.push_back(text);
    }
    for (const auto& [name, value] : set)
        environment.push_back(name + "=" + value);
    return environment;
}

ProgramRun OnTheRunsDesktop(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& binFolder) {
    if (!Environment("DISPLAY").empty())
        return {program, arguments};
    // The launcher hands its command line on to Windows: a file here by its
    // Windows path, a name as it stands, for Windows to find.
    ProgramRun hidden{binFolder + "/MorvaneHiddenDesktop.exe",
                      {std::filesystem::is_regular_file(program) ? WindowsPath(program) : program}};
    hidden.arguments.insert(hidden.arguments.end(), arguments.begin(), arguments.end());
    return hidden;
}

pid_t StartWindowsProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, bool quiet) {
    std::vector<std::string> words{WineLoader(), program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return Spawn(std::move(words), environment, quiet);
}

int WaitForProcess(pid_t process, int limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(process, &status, limitMs < 0 ? 0 : WNOHANG);
        if (done == process)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0 && errno != EINTR)
            return 127;
        if (limitMs >= 0 && std::chrono::steady_clock::now() >= end)
            return -1;
        if (limitMs >= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void KillProcess(pid_t process) {
    kill(process, SIGKILL);
    WaitForProcess(process, -1);
}

void AwaitSessionEnd(const std::string& prefixFolder) {
    try {
        const pid_t process =
            Spawn({WineTool("wineserver"), "-w"}, WineEnvironment(prefixFolder), true);
        if (WaitForProcess(process, kSessionEndLimitMs) < 0)
            KillProcess(process);
    } catch (const ComError&) {
        // Without Wine's server there is no session to wait for.
    }
}

std::string NewBridgeToken() {
    std::ifstream random("/dev/urandom", std::ios::binary);
    unsigned char bytes[16] = {};
    if (!random.read(reinterpret_cast<char*>(bytes), sizeof bytes))
        ThrowExecFailure("no random source for the bridge's token");
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string token;
    for (unsigned char byte : bytes) {
        token += kDigits[byte >> 4];
        token += kDigits[byte & 15];
    }
    return token;
}

std::map<std::string, std::string> BridgeEnvironment(uint16_t port, const std::string& token) {
    return {{"MORVANE_BRIDGE", "127.0.0.1:" + std::to_string(port)},
            {"MORVANE_BRIDGE_TOKEN", token}};
}

void PreparePrefix(const std::string& prefixFolder, const std::string& binFolder) {
    static std::mutex mutex;
    static std::set<std::string> prepared;
    std::lock_guard lock(mutex);
    if (prepared.count(prefixFolder + "\n" + binFolder))
        return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(prefixFolder).parent_path(), ec);
    // Other processes prepare the same prefix: one at a time.
    const std::string lockFile = prefixFolder + ".lock";
    const int lockHandle = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockHandle < 0)
        ThrowExecFailure("cannot lock " + lockFile + ": " + std::strerror(errno));
    flock(lockHandle, LOCK_EX);
    struct Unlock {
        int handle;
        ~Unlock() { close(handle); }
    } unlock{lockHandle};
    const bool made = !std::filesystem::exists(std::filesystem::path(prefixFolder) / "system.reg");
    const pid_t process = StartWindowsProgram(binFolder + "/MorvaneSinkHost.exe", {"--prepare"},
                                              WineEnvironment(prefixFolder), true);
    const int status = WaitForProcess(process, kPrepareLimitMs);
    if (status < 0)
        KillProcess(process);
    if (status != 0)
        ThrowExecFailure("the Wine prefix " + prefixFolder +
                         " could not be prepared for the bridge (status " + std::to_string(status) +
                         ")");
    // Making a prefix starts Wine's desktop on whatever display this
    // process has, maybe none: that session ends before a program that
    // opens windows starts one of its own.
    if (made)
        AwaitSessionEnd(prefixFolder);
    prepared.insert(prefixFolder + "\n" + binFolder);
}

}  // namespace platform::emulated::wine
