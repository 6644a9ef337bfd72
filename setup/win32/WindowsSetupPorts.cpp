#include "setup/win32/WindowsSetupPorts.h"

#include "platform/win32/WideText.h"

namespace setup::win32 {

std::string ProgramArguments(std::wstring_view commandLine) {
    size_t position = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        size_t closing = commandLine.find(L'"', 1);
        position = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
    } else {
        while (position < commandLine.size() && commandLine[position] != L' ' &&
               commandLine[position] != L'\t')
            ++position;
    }
    while (position < commandLine.size() &&
           (commandLine[position] == L' ' || commandLine[position] == L'\t'))
        ++position;
    return platform::win32::WideToUtf8(commandLine.substr(position));
}

}  // namespace setup::win32
