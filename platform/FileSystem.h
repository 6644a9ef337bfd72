#pragma once

#include <string>

// The file-system port of the setup program: the process's current
// directory, the program's own folder, file existence and the platform's
// path conventions. Failing calls throw platform::ComError.
namespace platform {

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // The current working directory of the process (CurDir).
    virtual std::string CurrentDirectory() = 0;
    // Makes folder the current directory (ChDrive + ChDir).
    virtual void ChangeDirectory(const std::string& folder) = 0;
    // The folder of the running program's executable (App.Path).
    virtual std::string ProgramFolder() = 0;
    // An ordinary file, not hidden, not system, not a folder, exists there
    // (Dir(path, vbNormal) finds it).
    virtual bool NormalFileExists(const std::string& path) = 0;
    // folder + the path separator + name.
    virtual std::string JoinPath(const std::string& folder, const std::string& name) = 0;
    // The file name of the in-process library with that base name
    // ("Morvane.dll" on Windows).
    virtual std::string LibraryFileName(const std::string& baseName) = 0;
};

// The file system of the platform the program runs on.
FileSystem& SystemFileSystem();

}  // namespace platform
