#include "tools/morvane-lab/ServerCreation.h"

#include <unistd.h>

#include <filesystem>

#include "platform/emulated/activation/WindowsHosting.h"
#include "tools/morvane-lab/Lab.h"

namespace lab {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDatabaseFile = "server.db";

fs::path TargetPath(const std::string& folder) {
    fs::path target = fs::absolute(fs::path(folder)).lexically_normal();
    if (target.filename().empty())
        target = target.parent_path();
    return target;
}

fs::path Sibling(const fs::path& target, const std::string& tag) {
    return target.parent_path() /
           (target.filename().string() + "." + tag + "-" + std::to_string(getpid()));
}

// Whether the target may be (re)created; throws LabError when it may not.
void CheckTarget(const fs::path& target, bool force) {
    if (!fs::exists(target))
        return;
    if (!fs::is_directory(target))
        throw LabError(target.string() + " exists and is not a folder");
    if (fs::exists(target / kDatabaseFile)) {
        if (!force)
            throw LabError("a server exists already in " + target.string() +
                           " (use --force to replace it)");
        return;
    }
    if (!fs::is_empty(target))
        throw LabError(target.string() + " is not empty and holds no server; not touching it");
}

void BuildInto(const fs::path& staging, const Populate& populate) {
    fs::remove_all(staging);
    try {
        populate(platform::emulated::ServerDb::Open(staging.string(), true));
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(staging, ignored);
        throw;
    }
}

// Puts the staged server in place of the target, keeping the old one until
// the new one is there.
void SwapIn(const fs::path& staging, const fs::path& target) {
    fs::path old = Sibling(target, "old");
    bool hadServer = fs::exists(target / kDatabaseFile);
    if (hadServer)
        fs::rename(target, old);
    else if (fs::exists(target))
        fs::remove(target);  // an empty folder
    std::error_code failed;
    fs::rename(staging, target, failed);
    if (failed) {
        std::error_code ignored;
        if (hadServer)
            fs::rename(old, target, ignored);
        fs::remove_all(staging, ignored);
        throw LabError("cannot put the new server in place: " + failed.message());
    }
    if (hadServer) {
        // The replaced server's application processes end with it.
        platform::emulated::SystemWindowsHosting().EndApplications(old.string());
        fs::remove_all(old);
    }
}

}  // namespace

void CreateServerFolder(const std::string& folder, bool force, const Populate& populate) {
    fs::path target = TargetPath(folder);
    CheckTarget(target, force);
    fs::create_directories(target.parent_path());
    fs::path staging = Sibling(target, "new");
    BuildInto(staging, populate);
    SwapIn(staging, target);
}

}  // namespace lab
