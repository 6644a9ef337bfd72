#include "tests/win32/TempDirectory.h"

#include <fstream>
#include <sstream>

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace testsupport_win32 {

using platform::win32::Utf8ToWide;

TempDirectory::TempDirectory() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    for (unsigned attempt = 0;; ++attempt) {
        std::wstring candidate = std::wstring(base) + L"morvane-test-" +
                                 std::to_wstring(GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = platform::win32::WideToUtf8(candidate);
            return;
        }
    }
}

TempDirectory::~TempDirectory() {
    std::wstring folder = Utf8ToWide(path_);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

std::string TempDirectory::ReadFile(const std::string& name) const {
    std::ifstream file(Utf8ToWide(path_ + "\\" + name).c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string TempDirectory::WriteFile(const std::string& name, const std::string& bytes) const {
    const std::string file = path_ + "\\" + name;
    std::ofstream out(Utf8ToWide(file).c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
    return file;
}

}  // namespace testsupport_win32
