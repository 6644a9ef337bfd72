#include <filesystem>
#include <string>

#include "platform/ComError.h"
#include "platform/FileSystem.h"

// The setup program's file system on Linux: "/" separates folders, the
// in-process library is a ".so" file and a name starting with "." is
// hidden.
namespace platform {

namespace {

constexpr int32_t kPathNotFound = 76;  // run-time error "Path not found"

class PosixFileSystem final : public FileSystem {
  public:
    std::string CurrentDirectory() override {
        std::error_code error;
        auto folder = std::filesystem::current_path(error);
        if (error) {
            throw ComError(kPathNotFound, "Path not found");
        }
        return folder.string();
    }
    void ChangeDirectory(const std::string& folder) override {
        std::error_code error;
        std::filesystem::current_path(folder, error);
        if (error) {
            throw ComError(kPathNotFound, "Path not found");
        }
    }
    std::string ProgramFolder() override {
        std::error_code error;
        auto program = std::filesystem::read_symlink("/proc/self/exe", error);
        return error ? CurrentDirectory() : program.parent_path().string();
    }
    bool NormalFileExists(const std::string& path) override {
        std::error_code error;
        const std::filesystem::path file(path);
        return std::filesystem::is_regular_file(file, error) &&
               file.filename().string().rfind('.', 0) != 0;
    }
    std::string JoinPath(const std::string& folder, const std::string& name) override {
        return folder + "/" + name;
    }
    std::string LibraryFileName(const std::string& baseName) override { return baseName + ".so"; }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace platform
