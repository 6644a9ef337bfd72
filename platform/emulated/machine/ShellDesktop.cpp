#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/Shell.h"

// The shell on a Linux desktop: documents and web pages open with the
// desktop's opener (xdg-open). There is no system hand cursor to set here;
// the window's front end shows its own pointer.
namespace platform {

namespace {

constexpr intptr_t kShellSuccess = 42;      // any value above 32
constexpr intptr_t kShellFileNotFound = 2;  // SE_ERR_FNF

extern "C" char** environ;

class DesktopShell final : public Shell {
  public:
    intptr_t ShellExecute(const std::string&, const std::string& file, const std::string&,
                          const std::string&, int32_t) override {
        std::string program = "xdg-open";
        std::vector<char*> arguments = {program.data(), const_cast<char*>(file.c_str()), nullptr};
        pid_t child = 0;
        if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments.data(), environ) !=
            0) {
            return kShellFileNotFound;
        }
        // xdg-open hands the page to the browser and ends; reap it so no
        // zombie stays behind.
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kShellSuccess : kShellFileNotFound;
    }
    void SetSystemCursor(int32_t) override {}
};

}  // namespace

Shell& SystemShell() {
    static DesktopShell shell;
    return shell;
}

}  // namespace platform
