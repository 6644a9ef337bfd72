#include "platform/FileSystem.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace platform::win32 {

namespace {

std::wstring ModuleFile(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD count = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (count == 0)
            ThrowComError(HRESULT_FROM_WIN32(GetLastError()));
        if (count < path.size()) {
            path.resize(count);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

class Win32FileSystem : public FileSystem {
  public:
    std::string CurrentDirectory() override {
        DWORD needed = GetCurrentDirectoryW(0, nullptr);
        std::wstring path(needed, L'\0');
        DWORD count = GetCurrentDirectoryW(needed, path.data());
        path.resize(count);
        return WideToUtf8(path);
    }

    void ChangeDirectory(const std::string& folder) override {
        if (!SetCurrentDirectoryW(Utf8ToWide(folder).c_str()))
            throw ComError(76, "Path not found");
    }

    std::string ProgramFolder() override {
        std::wstring path = ModuleFile(nullptr);
        path.resize(path.find_last_of(L"\\/") == std::wstring::npos ? 0
                                                                    : path.find_last_of(L"\\/"));
        return WideToUtf8(path);
    }

    bool NormalFileExists(const std::string& path) override {
        DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
        constexpr DWORD kNotNormal =
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotNormal) == 0;
    }

    std::string JoinPath(const std::string& folder, const std::string& name) override {
        return folder + "\\" + name;
    }

    std::string LibraryFileName(const std::string& baseName) override { return baseName + ".dll"; }
};

}  // namespace

}  // namespace platform::win32

namespace platform {

FileSystem& SystemFileSystem() {
    static win32::Win32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace platform
