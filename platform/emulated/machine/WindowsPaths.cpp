#include "platform/emulated/machine/WindowsPaths.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "platform/Text.h"
#include "platform/emulated/db/ServerDb.h"

namespace platform::emulated::wine {

std::string PrefixFolder() {
    const char* chosen = std::getenv("MORVANE_WINEPREFIX");
    if (chosen != nullptr && *chosen != '\0')
        return chosen;
    return (std::filesystem::path(ServerFolder()) / "wine").string();
}

std::string UnixPath(const std::string& windowsPath, const std::string& prefixFolder) {
    const bool drive = windowsPath.size() >= 3 &&
                       std::isalpha(static_cast<unsigned char>(windowsPath[0])) &&
                       windowsPath[1] == ':' && (windowsPath[2] == '\\' || windowsPath[2] == '/');
    if (!drive)
        return windowsPath;
    const std::filesystem::path devices = std::filesystem::path(prefixFolder) / "dosdevices";
    std::error_code ec;
    std::filesystem::path root = std::filesystem::read_symlink(
        devices / (text::ToLower(windowsPath.substr(0, 1)) + ":"), ec);
    if (ec)
        return windowsPath;
    if (root.is_relative())
        root = devices / root;
    std::string rest = windowsPath.substr(3);
    for (char& c : rest)
        if (c == '\\')
            c = '/';
    return (root / rest).lexically_normal().string();
}

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + std::filesystem::absolute(unixPath).lexically_normal().string();
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

}  // namespace platform::emulated::wine
