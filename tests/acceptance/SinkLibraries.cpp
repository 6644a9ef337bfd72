#include "tests/acceptance/SinkLibraries.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace acceptance {

namespace {

std::string WindowsBin() {
    const char* folder = std::getenv("MORVANE_WINDOWS_BIN");
    return folder != nullptr ? folder : "";
}

}  // namespace

SinkLibrary LinuxSink() {
    return {"Linux", "Morvane.so"};
}

SinkLibrary WindowsSink() {
    return {"Windows", "Morvane.dll"};
}

std::string SinkLibrary::Source() const {
    if (build == "Linux")
        return MORVANE_LIBRARY_FILE;
    return WindowsBin().empty() ? "" : WindowsBin() + "/" + fileName;
}

std::string SinkLibrary::Unavailable() const {
    if (build == "Linux")
        return "";
    const std::filesystem::path bin = WindowsBin();
    for (const char* file : {"MorvaneBridge.dll", "MorvaneWindowsHost.exe", "Morvane.dll"}) {
        if (bin.empty() || !std::filesystem::is_regular_file(bin / file))
            return std::string("MORVANE_WINDOWS_BIN holds no ") + file + ": build the preset win32";
    }
    return "";
}

std::string MaskDate(const std::string& line) {
    const size_t end = line.find("] ");
    if (line.rfind('[', 0) != 0 || end == std::string::npos)
        return line;
    const std::string date = line.substr(1, end - 1);
    if (std::none_of(date.begin(), date.end(), [](unsigned char c) { return std::isdigit(c); }))
        return line;
    return "[<date>" + line.substr(end);
}

}  // namespace acceptance
