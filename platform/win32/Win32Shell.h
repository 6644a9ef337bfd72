#pragma once

#include "platform/Shell.h"

namespace platform::win32 {

class Win32Shell : public Shell {
  public:
    intptr_t ShellExecute(const std::string& operation, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int32_t showCommand) override;
    void SetSystemCursor(int32_t cursorId) override;
};

}  // namespace platform::win32
