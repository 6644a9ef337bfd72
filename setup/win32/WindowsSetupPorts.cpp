#include "setup/win32/WindowsSetupPorts.h"

#include "platform/win32/WideText.h"

// The port's class name, not the Windows headers' macro.
#undef MessageBox

#ifndef MORVANE_LINK_ADDRESS
#define MORVANE_LINK_ADDRESS "http://morvane.example.org/"
#endif

namespace setup::win32 {

SetupPorts WindowsSetupPorts(forms::MessageBox& messageBox, forms::EventLoop& eventLoop,
                             forms::TextMeasure& textMeasure) {
    return SetupPorts{platform::SystemActivation(),
                      platform::catalog::SystemCatalog(),
                      platform::SystemMachine(),
                      platform::sysinfo::SystemSystemInfo(),
                      platform::directory::SystemAdo(),
                      platform::SystemShell(),
                      platform::SystemClock(),
                      platform::SystemProfile(),
                      platform::SystemFileSystem(),
                      messageBox,
                      eventLoop,
                      textMeasure,
                      MORVANE_LINK_ADDRESS};
}

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
