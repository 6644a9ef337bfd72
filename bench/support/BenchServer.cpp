#include "bench/support/BenchServer.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "sink/ProductWord.h"

namespace benchsupport {

namespace {

constexpr char kServerFolder[] = "server";
constexpr char kLibraryFolder[] = "library";

std::string CopyLibrary(const std::string& libraryFile, const std::string& folder) {
    std::filesystem::create_directory(folder);
    std::filesystem::path copy =
        std::filesystem::path(folder) / std::filesystem::path(libraryFile).filename();
    std::filesystem::copy_file(libraryFile, copy);
    return copy.string();
}

}  // namespace

BenchServer::BenchServer(const std::string& libraryFile) {
    const std::string server = folder_.path() + "/" + kServerFolder;
    if (const char* previous = std::getenv("MORVANE_SERVER"))
        previousServer_ = previous;
    db_ = platform::emulated::ServerDb::Open(server, true);
    setenv("MORVANE_SERVER", server.c_str(), 1);
    store_ = std::make_unique<platform::emulated::StoreModel>(db_, activation_);
    const std::string library = CopyLibrary(libraryFile, folder_.path() + "/" + kLibraryFolder);
    if (activation_.BindExport(library, "DllRegisterServer")() != 0)
        throw std::runtime_error("the sink library did not register itself");
}

BenchServer::~BenchServer() {
    store_.reset();
    if (previousServer_)
        setenv("MORVANE_SERVER", previousServer_->c_str(), 1);
    else
        unsetenv("MORVANE_SERVER");
}

void BenchServer::WriteSettings(const std::string& content) const {
    folder_.Write(std::string(kLibraryFolder) + "/" + std::string(kProductWord) + ".ini", content);
}

}  // namespace benchsupport
