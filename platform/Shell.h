#pragma once

#include <cstdint>
#include <string>

// The shell port: opening a document or web page with its default action
// (ShellExecuteA) and the mouse cursor (LoadCursorA + SetCursor).
namespace platform {

constexpr int32_t SW_SHOWNORMAL_VALUE = 1;
constexpr int32_t IDC_HAND_VALUE = 32649;

class Shell {
  public:
    virtual ~Shell() = default;
    // ShellExecuteA: returns a value greater than 32 on success.
    virtual intptr_t ShellExecute(const std::string& operation, const std::string& file,
                                  const std::string& parameters, const std::string& directory,
                                  int32_t showCommand) = 0;
    // SetCursor(LoadCursorA(0, cursorId)).
    virtual void SetSystemCursor(int32_t cursorId) = 0;
};

// The shell of the platform the program runs on.
Shell& SystemShell();

}  // namespace platform
