#include "tools/morvane-lab/DirectoryLifecycle.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <iostream>

#include "platform/emulated/directory/DirectoryPeople.h"
#include "platform/emulated/directory/DirectoryService.h"
#include "platform/emulated/directory/SambaDomain.h"

extern char** environ;

namespace lab {

namespace {

namespace samba = platform::emulated::samba;
using platform::emulated::DirectoryPeople;
using platform::emulated::DirectoryService;

volatile sig_atomic_t runningChild = 0;

// While the command runs, an interrupt reaches it from the terminal and a
// termination is passed on to it; the lab itself waits for its end.
void PassOn(int signal) {
    if (signal == SIGTERM && runningChild > 0)
        kill(runningChild, SIGTERM);
}

int RunProgram(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    struct sigaction passOn {};
    passOn.sa_handler = PassOn;
    struct sigaction oldInterrupt {};
    struct sigaction oldTerminate {};
    sigaction(SIGINT, &passOn, &oldInterrupt);
    sigaction(SIGTERM, &passOn, &oldTerminate);
    pid_t process = 0;
    const int failed = posix_spawnp(&process, argv[0], nullptr, nullptr, argv.data(), environ);
    int status = 0;
    if (failed == 0) {
        runningChild = process;
        while (waitpid(process, &status, 0) < 0 && errno == EINTR) {
        }
        runningChild = 0;
    }
    sigaction(SIGINT, &oldInterrupt, nullptr);
    sigaction(SIGTERM, &oldTerminate, nullptr);
    if (failed != 0)
        throw LabError("cannot start " + words[0] + ": " + std::strerror(failed));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

void MakeSambaDirectory(platform::emulated::ServerDb& db) {
    DirectoryPeople people(db);
    const auto names = people.Names();
    samba::ProvisionDomain(db.folder(), names);
    DirectoryService service;
    service.kind = DirectoryService::Kind::Samba;
    service.account = samba::BindAccount(names);
    service.password = platform::emulated::kBindPassword;
    WriteDirectoryService(db, service);
}

void UseDirectory(Lab& lab, const std::string& kind) {
    auto& db = lab.Server();
    const DirectoryService::Kind wanted = platform::emulated::ParseDirectoryKind(kind);
    if (ReadDirectoryService(db).kind == wanted)
        return;
    if (wanted == DirectoryService::Kind::Samba) {
        MakeSambaDirectory(db);
        return;
    }
    samba::StopDomain(db.folder());
    std::filesystem::remove_all(samba::DomainFolder(db.folder()));
    WriteDirectoryService(db, DirectoryService{});
}

void StartDirectory(Lab& lab) {
    auto& db = lab.Server();
    DirectoryService service = ReadDirectoryService(db);
    if (service.kind == DirectoryService::Kind::Sqlite) {
        service.stopped = false;
        WriteDirectoryService(db, service);
        return;
    }
    DirectoryPeople people(db);
    const auto names = people.Names();
    service.address = samba::StartDomain(db.folder(), names);
    WriteDirectoryService(db, service);
    try {
        samba::SyncPeople(service.address, names, people.All());
    } catch (...) {
        samba::StopDomain(db.folder());
        throw;
    }
}

bool StopDirectory(Lab& lab) {
    auto& db = lab.Server();
    DirectoryService service = ReadDirectoryService(db);
    if (service.kind == DirectoryService::Kind::Samba)
        return samba::StopDomain(db.folder());
    const bool wasRunning = !service.stopped;
    service.stopped = true;
    WriteDirectoryService(db, service);
    return wasRunning;
}

void SyncDirectoryIfRunning(Lab& lab) {
    auto& db = lab.Server();
    const DirectoryService service = ReadDirectoryService(db);
    if (service.kind != DirectoryService::Kind::Samba || !samba::DomainRunning(db.folder()))
        return;
    DirectoryPeople people(db);
    samba::SyncPeople(service.address, people.Names(), people.All());
}

int RunWithDirectory(Lab& lab, const std::vector<std::string>& command) {
    StartDirectory(lab);
    int status = 127;
    try {
        status = RunProgram(command);
    } catch (...) {
        StopDirectory(lab);
        throw;
    }
    StopDirectory(lab);
    return status;
}

std::string DirectoryStatus(Lab& lab) {
    auto& db = lab.Server();
    const DirectoryService service = ReadDirectoryService(db);
    if (service.kind == DirectoryService::Kind::Sqlite)
        return std::string("sqlite, ") + (service.stopped ? "stopped" : "running");
    if (!samba::DomainRunning(db.folder()))
        return "samba, stopped";
    return "samba, running on " + service.address + " (global catalog port 3268)";
}

}  // namespace lab
