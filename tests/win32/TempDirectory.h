#pragma once

#include <string>

namespace testsupport_win32 {

// A fresh folder under the temporary folder, removed with its files when
// it goes. Path in UTF-8 with backslashes.
class TempDirectory {
  public:
    TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    ~TempDirectory();
    const std::string& path() const { return path_; }
    // Reads a whole file of this folder; "" when it is missing.
    std::string ReadFile(const std::string& name) const;
    // Writes the bytes as a file of this folder; returns its path.
    std::string WriteFile(const std::string& name, const std::string& bytes) const;

  private:
    std::string path_;
};

}  // namespace testsupport_win32
