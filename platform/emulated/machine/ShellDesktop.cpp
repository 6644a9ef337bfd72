#include <optional>
#include <string>
#include <system_error>

#include "platform/Shell.h"
#include "platform/emulated/machine/ChildProcess.h"

// The shell on a Linux desktop: documents and web pages open with the
// desktop's opener (xdg-open). There is no system hand cursor to set here;
// the window's front end shows its own pointer.
namespace platform {

namespace {

constexpr intptr_t kShellSuccess = 42;      // any value above 32
constexpr intptr_t kShellFileNotFound = 2;  // SE_ERR_FNF

class DesktopShell final : public Shell {
  public:
    intptr_t ShellExecute(const std::string&, const std::string& file, const std::string&,
                          const std::string&, int32_t) override {
        emulated::ChildLaunch launch;
        launch.words = {"xdg-open", file};
        pid_t child = 0;
        try {
            child = emulated::StartChild(launch);
        } catch (const std::system_error&) {
            return kShellFileNotFound;
        }
        // xdg-open hands the page to the browser and ends; reap it so no
        // zombie stays behind.
        const std::optional<emulated::ChildExit> exit = emulated::WaitForChild(child, -1);
        return exit->exited && exit->status == 0 ? kShellSuccess : kShellFileNotFound;
    }
    void SetSystemCursor(int32_t) override {}
};

}  // namespace

Shell& SystemShell() {
    static DesktopShell shell;
    return shell;
}

}  // namespace platform
