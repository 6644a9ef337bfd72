#include "bench/support/BenchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace benchsupport {

BenchFolder::BenchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

BenchFolder::~BenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void BenchFolder::Write(const std::string& name, const std::string& content) const {
    std::ofstream out(path_ + "/" + name, std::ios::binary | std::ios::trunc);
    out << content;
}

}  // namespace benchsupport
