#include "platform/emulated/hosting/WineProcess.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>

#include "platform/ComError.h"
#include "platform/emulated/machine/ChildProcess.h"
#include "platform/emulated/machine/WindowsPaths.h"

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
pid_t Spawn(std::vector<std::string> words, std::vector<std::string> environment, bool quiet,
            bool ownSession = false) {
    ChildLaunch launch;
    launch.newSession = ownSession;
    launch.words = std::move(words);
    launch.environment = std::move(environment);
    if (quiet)
        launch.input = launch.output = launch.error = "/dev/null";
    try {
        return StartChild(launch);
    } catch (const std::system_error& error) {
        ThrowExecFailure(error.what());
    }
}

}  // namespace

std::string WindowsBinFolder() {
    const std::string folder = Environment("MORVANE_WINDOWS_BIN");
    if (folder.empty())
        ThrowExecFailure(
            std::string("MORVANE_WINDOWS_BIN is not set: it names the bin folder of the Windows "
                        "build (cmake --build --preset win32), which holds ") +
            kBridgeLibrary + ", " + kWindowsHostProgram + " and " + kHiddenDesktopProgram);
    for (const char* file : {kBridgeLibrary, kWindowsHostProgram, kHiddenDesktopProgram}) {
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
    return EnvironmentWith(set);
}

ProgramRun OnTheRunsDesktop(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& binFolder) {
    if (!Environment("DISPLAY").empty())
        return {program, arguments};
    // The launcher hands its command line on to Windows: a file here by its
    // Windows path, a name as it stands, for Windows to find.
    ProgramRun hidden{binFolder + "/" + kHiddenDesktopProgram,
                      {std::filesystem::is_regular_file(program) ? WindowsPath(program) : program}};
    hidden.arguments.insert(hidden.arguments.end(), arguments.begin(), arguments.end());
    return hidden;
}

pid_t StartWindowsProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, bool quiet,
                          bool ownSession) {
    std::vector<std::string> words{WineLoader(), program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return Spawn(std::move(words), environment, quiet, ownSession);
}

void AwaitSessionEnd(const std::string& prefixFolder) {
    try {
        const pid_t process =
            Spawn({WineTool("wineserver"), "-w"}, WineEnvironment(prefixFolder), true);
        if (!WaitForChild(process, kSessionEndLimitMs))
            KillChild(process);
    } catch (const ComError&) {
        // Without Wine's server there is no session to wait for.
    }
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
    const pid_t process = StartWindowsProgram(binFolder + "/" + kWindowsHostProgram, {"--prepare"},
                                              WineEnvironment(prefixFolder), true);
    const std::optional<ChildExit> exit = WaitForChild(process, kPrepareLimitMs);
    if (!exit)
        KillChild(process);
    if (!exit || exit->status != 0)
        ThrowExecFailure("the Wine prefix " + prefixFolder +
                         " could not be prepared for the bridge (status " +
                         (exit ? std::to_string(exit->status) : std::string("-1")) + ")");
    // Making a prefix starts Wine's desktop on whatever display this
    // process has, maybe none: that session ends before a program that
    // opens windows starts one of its own.
    if (made)
        AwaitSessionEnd(prefixFolder);
    prepared.insert(prefixFolder + "\n" + binFolder);
}

}  // namespace platform::emulated::wine
