#pragma once

#include <string>

namespace benchsupport {

// A fresh temporary folder, removed with its content when the object goes.
class BenchFolder {
  public:
    BenchFolder();
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::string& path() const { return path_; }
    // Writes a file of that name into the folder.
    void Write(const std::string& name, const std::string& content) const;

  private:
    std::string path_;
};

}  // namespace benchsupport
