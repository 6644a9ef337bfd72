#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ComError.h"
#include "setup/SetupPorts.h"

// In-memory fakes of every port the setup program uses. Each records the
// calls made on it, and each failure can be planted by operation name.
namespace setupfakes {

using platform::ComError;

// Planted failures: operation name -> error thrown when it is called.
class Faults {
  public:
    void Plant(const std::string& operation, int32_t number, const std::string& description) {
        faults_.insert_or_assign(operation, ComError(number, description));
    }
    void Check(const std::string& operation) const {
        auto found = faults_.find(operation);
        if (found != faults_.end()) {
            throw found->second;
        }
    }

  private:
    std::map<std::string, ComError> faults_;
};

class FakeMachine : public platform::Machine {
  public:
    uint32_t platformId = 2;
    uint32_t major = 5;
    uint32_t minor = 2;
    bool versionCallFails = false;
    bool hasIsWow64Process = true;
    bool wow64 = false;
    bool wow64CallFails = false;
    std::set<std::string> localMachineKeys;
    int32_t localMachineKeyError = 0;  // what opening any such key answers, when set
    std::string userName = "Administrator";
    int32_t userNameError = 0;  // what GetUserName answers, when set
    bool unreadable = false;    // every call throws
    std::vector<std::string> calls;
    uint32_t lastVersionRecordSize = 0;
    std::string lastServicePackField;

    bool GetVersionEx(platform::OsVersionInfo& info) override;
    bool HasProcedure(const std::string& module, const std::string& function) override;
    bool IsWow64Process(bool& result) override;
    int32_t RegOpenKey(uint32_t hive, const std::string& path, uint32_t& key) override;
    int32_t RegCloseKey(uint32_t key) override;
    int32_t GetUserName(std::string& buffer, uint32_t& size) override;
    // HRESULT_FROM_WIN32(code) and "system error <code>".
    platform::ComError SystemError(int32_t code) override;

  private:
    void Touch(const std::string& call);
};

// A COM+ catalog: applications with properties; Add and Remove work on the
// populated copy until SaveChanges.
struct FakeApplication {
    std::map<std::string, platform::Variant> properties;
    std::string Name() const;
};

class FakeCatalog : public platform::catalog::Catalog {
  public:
    std::vector<FakeApplication> applications;
    std::vector<std::string> calls;
    Faults faults;

    std::shared_ptr<platform::catalog::AdminCatalog> CreateCatalog() override;
    void AddApplication(const std::string& name);
    std::vector<std::string> Names() const;
};

class FakeSystemInfo : public platform::sysinfo::SystemInfo {
  public:
    std::string computerName = "MAIL01";
    std::string domainDnsName = "Corp.Example.com";
    std::string globalCatalogHost = "dc1.corp.example.com";
    Faults faults;

    std::shared_ptr<platform::sysinfo::ADSystemInfo> CreateADSystemInfo() override;
    std::shared_ptr<platform::sysinfo::WinNTSystemInfo> CreateWinNTSystemInfo() override;
    std::shared_ptr<platform::sysinfo::DirectoryObject> GetObject(
        const std::string& adsPath) override;
};

class FakeDirectoryAdo : public platform::directory::Ado {
  public:
    std::vector<std::string> calls;
    Faults faults;
    int connectionsCreated = 0;

    std::shared_ptr<platform::directory::Connection> CreateConnection() override;
    // A query finds nobody; with noRecords it returns no records object.
    std::shared_ptr<platform::directory::Command> CreateCommand() override;
    bool noRecords = false;
};

class FakeShell : public platform::Shell {
  public:
    std::vector<std::string> calls;
    bool fails = false;

    intptr_t ShellExecute(const std::string& operation, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int32_t showCommand) override;
    void SetSystemCursor(int32_t cursorId) override;
};

class FakeFileSystem : public platform::FileSystem {
  public:
    std::string currentDirectory = "C:\\Program Files\\Morvane";
    std::set<std::string> normalFiles;
    std::string programFolder = "C:\\Program Files\\Morvane";
    Faults faults;

    std::string CurrentDirectory() override;
    void ChangeDirectory(const std::string& folder) override { currentDirectory = folder; }
    std::string ProgramFolder() override { return programFolder; }
    bool NormalFileExists(const std::string& path) override { return normalFiles.contains(path); }
    std::string JoinPath(const std::string& folder, const std::string& name) override {
        return folder + "\\" + name;
    }
    std::string LibraryFileName(const std::string& baseName) override { return baseName + ".dll"; }
};

// The Application log's sources: name -> "message file|types supported".
class FakeEventSources : public platform::EventSources {
  public:
    std::map<std::string, std::string> sources;
    std::vector<std::string> calls;
    Faults faults;
    // Runs at every call, before it takes effect.
    std::function<void()> onCall;

    void RegisterSource(const std::string& source, const std::string& messageFile,
                        uint32_t typesSupported) override {
        Touch("RegisterSource " + source, "RegisterSource");
        sources[source] = messageFile + "|" + std::to_string(typesSupported);
    }
    void RemoveSource(const std::string& source) override {
        Touch("RemoveSource " + source, "RemoveSource");
        sources.erase(source);
    }
    bool SourceExists(const std::string& source) override {
        Touch("SourceExists " + source, "SourceExists");
        return sources.count(source) != 0;
    }

  private:
    void Touch(const std::string& call, const std::string& operation) {
        calls.push_back(call);
        if (onCall)
            onCall();
        faults.Check(operation);
    }
};

// Creates objects of the ProgIDs in creatable; others are not registered.
class FakeActivation : public platform::Activation {
  public:
    std::set<std::string> creatable;
    std::vector<std::string> created;

    std::shared_ptr<platform::ComObject> CreateObject(const std::string& progId) override;
    std::function<int32_t()> BindExport(const std::string& libraryFile,
                                        const std::string& exportName) override;
};

class FakeProfile : public platform::Profile {
  public:
    uint32_t GetPrivateProfileString(const std::string&, const std::string&,
                                     const std::string& defaultValue, std::string& buffer, uint32_t,
                                     const std::string&) override {
        buffer = defaultValue;
        return static_cast<uint32_t>(buffer.size());
    }
    bool WritePrivateProfileString(const std::string&, const std::string&, const std::string&,
                                   const std::string&) override {
        return true;
    }
};

class FakeMessageBox : public setup::forms::MessageBox {
  public:
    std::vector<std::string> shown;
    int32_t answer = setup::forms::kAnswerOk;
    int32_t Show(const std::string& text, int32_t style, const std::string& title) override {
        shown.push_back(title + "|" + std::to_string(style) + "|" + text);
        return answer;
    }
};

// What the user does while the form yields: onDoEvents, at every yield.
class FakeEventLoop : public setup::forms::EventLoop {
  public:
    int runs = 0;
    std::function<void()> onDoEvents;
    void DoEvents() override {
        ++runs;
        if (onDoEvents) {
            onDoEvents();
        }
    }
};

class FakeTextMeasure : public setup::forms::TextMeasure {
  public:
    int32_t GetSystemMetrics(int32_t) override { return 16; }
    int32_t DrawTextCalcRectRight(const std::string& text, const setup::forms::Font&) override {
        return static_cast<int32_t>(text.size()) * 6;
    }
};

// One set of fakes and the ports over them.
struct FakeWorld {
    FakeActivation activation;
    FakeCatalog catalog;
    FakeMachine machine;
    FakeSystemInfo systemInfo;
    FakeDirectoryAdo directoryAdo;
    FakeShell shell;
    platform::FixedClock clock{platform::LocalTime{2026, 12, 7, 9, 30, 15}};
    FakeProfile profile;
    FakeFileSystem fileSystem;
    FakeEventSources eventSources;
    FakeMessageBox messageBox;
    FakeEventLoop eventLoop;
    FakeTextMeasure textMeasure;

    setup::SetupPorts Ports() {
        return setup::SetupPorts{activation,   catalog,
                                 machine,      systemInfo,
                                 directoryAdo, shell,
                                 clock,        profile,
                                 fileSystem,   eventSources,
                                 messageBox,   eventLoop,
                                 textMeasure,  "http://www.morvane.example/"};
    }
    // The date and time text the fixed clock gives.
    std::string Now() const { return platform::GeneralDateText(clock.Now()); }
};

}  // namespace setupfakes
