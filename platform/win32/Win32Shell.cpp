// The port is declared before the Windows headers turn its member names
// into macros; they are undone right after.
#include "platform/win32/Win32Shell.h"

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

#include <shellapi.h>

#undef ShellExecute

namespace platform::win32 {

namespace {
// An empty text is passed as a null pointer, as the declared API does.
const char* OrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}
}  // namespace

intptr_t Win32Shell::ShellExecute(const std::string& operation, const std::string& file,
                                  const std::string& parameters, const std::string& directory,
                                  int32_t showCommand) {
    std::string ansiOperation = Utf8ToAnsi(operation), ansiFile = Utf8ToAnsi(file),
                ansiParameters = Utf8ToAnsi(parameters), ansiDirectory = Utf8ToAnsi(directory);
    HINSTANCE result = ::ShellExecuteA(nullptr, OrNull(ansiOperation), ansiFile.c_str(),
                                       OrNull(ansiParameters), OrNull(ansiDirectory), showCommand);
    return reinterpret_cast<intptr_t>(result);
}

void Win32Shell::SetSystemCursor(int32_t cursorId) {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(cursorId)));
}

}  // namespace platform::win32

namespace platform {

Shell& SystemShell() {
    static win32::Win32Shell shell;
    return shell;
}

}  // namespace platform
