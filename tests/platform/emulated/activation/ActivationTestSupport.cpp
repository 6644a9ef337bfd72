#include "tests/platform/emulated/activation/ActivationTestSupport.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

namespace activation_test {

ServerScope::ServerScope() : folder_(temp_.File("server")) {
    if (const char* previous = std::getenv("MORVANE_SERVER"))
        previous_ = previous;
    db_ = platform::emulated::ServerDb::Open(folder_, true);
    setenv("MORVANE_SERVER", folder_.c_str(), 1);
}

ServerScope::~ServerScope() {
    if (previous_)
        setenv("MORVANE_SERVER", previous_->c_str(), 1);
    else
        unsetenv("MORVANE_SERVER");
}

std::shared_ptr<platform::store::Record> FailingEventInfo::EventRecord() {
    ++calls_;
    throw platform::ComError(number_, description_);
}

std::optional<platform::ComError> CatchComError(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::ComError& error) {
        return error;
    }
    return std::nullopt;
}

bool IsLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle);
    return true;
}

namespace {

// Goes back to the folder that was current when it was made.
class CurrentFolderGuard {
  public:
    CurrentFolderGuard() : previous_(std::filesystem::current_path()) {}
    ~CurrentFolderGuard() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

  private:
    std::filesystem::path previous_;
};

}  // namespace

void InFolder(const std::string& folder, const std::function<void()>& call) {
    CurrentFolderGuard guard;
    std::filesystem::current_path(folder);
    call();
}

}  // namespace activation_test
