#include "tests/setup/FakePorts.h"

#include <deque>

#include "platform/Text.h"

namespace setupfakes {

using platform::Variant;

// --- machine ---

void FakeMachine::Touch(const std::string& call) {
    calls.push_back(call);
    if (unreadable) {
        throw ComError(platform::hresult::E_FAIL, "machine facts unreadable");
    }
}

bool FakeMachine::GetVersionEx(platform::OsVersionInfo& info) {
    Touch("GetVersionEx");
    lastVersionRecordSize = info.dwOSVersionInfoSize;
    lastServicePackField = info.szCSDVersion;
    if (versionCallFails || info.dwOSVersionInfoSize != platform::OsVersionInfo::kAnsiSize) {
        return false;
    }
    info.dwPlatformId = platformId;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    return true;
}

bool FakeMachine::HasProcedure(const std::string& module, const std::string& function) {
    Touch("HasProcedure " + module + "!" + function);
    return hasIsWow64Process && module == "kernel32" && function == "IsWow64Process";
}

bool FakeMachine::IsWow64Process(bool& result) {
    Touch("IsWow64Process");
    if (wow64CallFails) {
        result = true;  // whatever the flag holds must not count
        return false;
    }
    result = wow64;
    return true;
}

int32_t FakeMachine::RegOpenKey(uint32_t hive, const std::string& path, uint32_t& key) {
    Touch("RegOpenKey " + std::to_string(hive) + " " + path);
    if (hive == platform::HKEY_LOCAL_MACHINE_VALUE && localMachineKeyError != 0) {
        return localMachineKeyError;
    }
    if (hive == platform::HKEY_LOCAL_MACHINE_VALUE && localMachineKeys.contains(path)) {
        key = 0x1234;
        return platform::ERROR_SUCCESS_CODE;
    }
    return platform::ERROR_FILE_NOT_FOUND_CODE;
}

int32_t FakeMachine::RegCloseKey(uint32_t key) {
    Touch("RegCloseKey " + std::to_string(key));
    return platform::ERROR_SUCCESS_CODE;
}

int32_t FakeMachine::GetUserName(std::string& buffer, uint32_t& size) {
    Touch("GetUserName");
    if (userNameError != 0) {
        // What a real failure leaves: a size the caller must not trust.
        size = 300;
        return userNameError;
    }
    if (userName.size() + 1 > size) {
        size = static_cast<uint32_t>(userName.size() + 1);
        return platform::ERROR_INSUFFICIENT_BUFFER_CODE;
    }
    buffer.replace(0, userName.size() + 1, userName + '\0');
    size = static_cast<uint32_t>(userName.size() + 1);
    return platform::ERROR_SUCCESS_CODE;
}

platform::ComError FakeMachine::SystemError(int32_t code) {
    return ComError(platform::hresult::FromSystemError(code),
                    "system error " + std::to_string(code));
}

// --- catalog ---

std::string FakeApplication::Name() const {
    auto found = properties.find("Name");
    return found == properties.end() ? "" : found->second.AppendToEmptyString();
}

namespace {

class FakeCatalogObject : public platform::catalog::CatalogObject {
  public:
    explicit FakeCatalogObject(FakeApplication& application) : application_(application) {}
    Variant Name() override { return application_.Name(); }
    Variant Value(const std::string& property) override {
        auto found = application_.properties.find(property);
        return found == application_.properties.end() ? Variant() : found->second;
    }
    void SetValue(const std::string& property, const Variant& value) override {
        application_.properties[property] = value;
    }

  private:
    FakeApplication& application_;
};

class FakeCollection : public platform::catalog::CatalogCollection {
  public:
    explicit FakeCollection(FakeCatalog& catalog) : catalog_(catalog) {}

    void Populate() override {
        Call("Populate");
        working_.assign(catalog_.applications.begin(), catalog_.applications.end());
    }
    int32_t Count() override {
        Call("Count");
        return static_cast<int32_t>(working_.size());
    }
    std::shared_ptr<platform::catalog::CatalogObject> Item(int32_t index) override {
        Call("Item " + std::to_string(index));
        if (index < 0 || index >= static_cast<int32_t>(working_.size())) {
            throw ComError(platform::hresult::E_INVALIDARG, "The parameter is incorrect.");
        }
        return std::make_shared<FakeCatalogObject>(working_[static_cast<size_t>(index)]);
    }
    std::shared_ptr<platform::catalog::CatalogObject> Add() override {
        Call("Add");
        working_.emplace_back();
        return std::make_shared<FakeCatalogObject>(working_.back());
    }
    void Remove(int32_t index) override {
        Call("Remove " + std::to_string(index));
        working_.erase(working_.begin() + index);
    }
    int32_t SaveChanges() override {
        Call("SaveChanges");
        catalog_.applications.assign(working_.begin(), working_.end());
        return 1;
    }

  private:
    void Call(const std::string& call) {
        catalog_.calls.push_back(call);
        catalog_.faults.Check(call.substr(0, call.find(' ')));
    }

    FakeCatalog& catalog_;
    std::deque<FakeApplication> working_;  // objects handed out stay put
};

class FakeAdminCatalog : public platform::catalog::AdminCatalog {
  public:
    explicit FakeAdminCatalog(FakeCatalog& catalog) : catalog_(catalog) {}

    std::shared_ptr<platform::catalog::CatalogCollection> GetCollection(
        const std::string& name) override {
        Call("GetCollection " + name, "GetCollection");
        return std::make_shared<FakeCollection>(catalog_);
    }
    void InstallComponent(const std::string& application, const std::string& libraryFile,
                          const std::string& typeLibraryFile,
                          const std::string& proxyStubFile) override {
        Call("InstallComponent " + application + "|" + libraryFile + "|" + typeLibraryFile + "|" +
                 proxyStubFile,
             "InstallComponent");
    }
    void RefreshComponents() override { Call("RefreshComponents", "RefreshComponents"); }
    void CreateServiceForApplication(const std::string& application, const std::string& serviceName,
                                     const std::string& startType, const std::string& errorControl,
                                     const std::string& dependencies, const std::string& runAs,
                                     const std::string& password, bool desktopOk) override {
        Call("CreateServiceForApplication " + application + "|" + serviceName + "|" + startType +
                 "|" + errorControl + "|" + dependencies + "|" + runAs + "|" + password + "|" +
                 (desktopOk ? "true" : "false"),
             "CreateServiceForApplication");
    }
    void ShutdownApplication(const std::string& application) override {
        Call("ShutdownApplication " + application, "ShutdownApplication");
    }

  private:
    void Call(const std::string& call, const std::string& operation) {
        catalog_.calls.push_back(call);
        catalog_.faults.Check(operation);
    }

    FakeCatalog& catalog_;
};

}  // namespace

std::shared_ptr<platform::catalog::AdminCatalog> FakeCatalog::CreateCatalog() {
    calls.push_back("CreateCatalog");
    faults.Check("CreateCatalog");
    return std::make_shared<FakeAdminCatalog>(*this);
}

void FakeCatalog::AddApplication(const std::string& name) {
    FakeApplication application;
    application.properties["Name"] = name;
    applications.push_back(application);
}

std::vector<std::string> FakeCatalog::Names() const {
    std::vector<std::string> names;
    for (const auto& application : applications) {
        names.push_back(application.Name());
    }
    return names;
}

// --- system information ---

namespace {

class FakeAdSystemInfo : public platform::sysinfo::ADSystemInfo {
  public:
    explicit FakeAdSystemInfo(FakeSystemInfo& owner) : owner_(owner) {}
    std::string DomainDNSName() override {
        owner_.faults.Check("DomainDNSName");
        return owner_.domainDnsName;
    }

  private:
    FakeSystemInfo& owner_;
};

class FakeWinNtSystemInfo : public platform::sysinfo::WinNTSystemInfo {
  public:
    explicit FakeWinNtSystemInfo(FakeSystemInfo& owner) : owner_(owner) {}
    std::string ComputerName() override {
        owner_.faults.Check("ComputerName");
        return owner_.computerName;
    }

  private:
    FakeSystemInfo& owner_;
};

class FakeRootDse : public platform::sysinfo::DirectoryObject {
  public:
    explicit FakeRootDse(std::string host) : host_(std::move(host)) {}
    Variant Get(const std::string& attribute) override {
        if (!platform::text::EqualsNoCase(attribute, "dnshostname")) {
            throw ComError(platform::hresult::FromUnsigned(0x8000500D),
                           "The directory property cannot be found in the cache.");
        }
        return host_;
    }

  private:
    std::string host_;
};

}  // namespace

std::shared_ptr<platform::sysinfo::ADSystemInfo> FakeSystemInfo::CreateADSystemInfo() {
    faults.Check("CreateADSystemInfo");
    return std::make_shared<FakeAdSystemInfo>(*this);
}

std::shared_ptr<platform::sysinfo::WinNTSystemInfo> FakeSystemInfo::CreateWinNTSystemInfo() {
    faults.Check("CreateWinNTSystemInfo");
    return std::make_shared<FakeWinNtSystemInfo>(*this);
}

std::shared_ptr<platform::sysinfo::DirectoryObject> FakeSystemInfo::GetObject(
    const std::string& adsPath) {
    faults.Check("GetObject");
    if (adsPath != "GC://RootDSE") {
        throw ComError(platform::hresult::FromUnsigned(0x80072030),
                       "There is no such object on the server.");
    }
    return std::make_shared<FakeRootDse>(globalCatalogHost);
}

// --- directory connection ---

namespace {

class FakeConnection : public platform::directory::Connection {
  public:
    explicit FakeConnection(FakeDirectoryAdo& owner) : owner_(owner) {}
    void SetProvider(const std::string& provider) override {
        Call("Provider=" + provider, "Provider");
    }
    void Open(const std::string& connectionString, const std::string& user,
              const std::string& password, int32_t options) override {
        Call("Open " + connectionString + "|" + user + "|" + password + "|" +
                 std::to_string(options),
             "Open");
        open_ = true;
    }
    int32_t State() override { return open_ ? 1 : 0; }
    void Close() override {
        Call("Close", "Close");
        if (!open_) {
            throw ComError(3704, "Operation is not allowed when the object is closed.");
        }
        open_ = false;
    }

  private:
    void Call(const std::string& call, const std::string& operation) {
        owner_.calls.push_back(call);
        owner_.faults.Check(operation);
    }

    FakeDirectoryAdo& owner_;
    bool open_ = false;
};

// A directory without people: every query returns no records.
class EmptyRecordset : public platform::directory::Recordset {
  public:
    explicit EmptyRecordset(FakeDirectoryAdo& owner) : owner_(owner) {}
    bool IsEOF() override { return true; }
    int32_t RecordCount() override { return 0; }
    platform::Variant FieldValue(const std::string&) override { return {}; }
    void MoveNext() override {}
    void Close() override { owner_.faults.Check("RecordsetClose"); }

  private:
    FakeDirectoryAdo& owner_;
};

class FakeCommand : public platform::directory::Command {
  public:
    explicit FakeCommand(FakeDirectoryAdo& owner) : owner_(owner) {}
    void SetActiveConnection(const std::shared_ptr<platform::directory::Connection>&) override {
        owner_.faults.Check("SetActiveConnection");
    }
    void SetCommandText(const std::string&) override { owner_.faults.Check("SetCommandText"); }
    void SetProperty(const std::string&, const platform::Variant&) override {}
    std::shared_ptr<platform::directory::Recordset> Execute(int32_t) override {
        owner_.faults.Check("Execute");
        return owner_.noRecords ? nullptr : std::make_shared<EmptyRecordset>(owner_);
    }

  private:
    FakeDirectoryAdo& owner_;
};

}  // namespace

std::shared_ptr<platform::directory::Command> FakeDirectoryAdo::CreateCommand() {
    faults.Check("CreateCommand");
    return std::make_shared<FakeCommand>(*this);
}

std::shared_ptr<platform::directory::Connection> FakeDirectoryAdo::CreateConnection() {
    faults.Check("CreateConnection");
    ++connectionsCreated;
    return std::make_shared<FakeConnection>(*this);
}

// --- shell ---

intptr_t FakeShell::ShellExecute(const std::string& operation, const std::string& file,
                                 const std::string& parameters, const std::string& directory,
                                 int32_t showCommand) {
    calls.push_back("ShellExecute " + operation + "|" + file + "|" + parameters + "|" + directory +
                    "|" + std::to_string(showCommand));
    if (fails) {
        throw ComError(platform::hresult::E_FAIL, "no opener");
    }
    return 42;
}

void FakeShell::SetSystemCursor(int32_t cursorId) {
    calls.push_back("SetSystemCursor " + std::to_string(cursorId));
    if (fails) {
        throw ComError(platform::hresult::E_FAIL, "no cursor");
    }
}

// --- file system ---

std::string FakeFileSystem::CurrentDirectory() {
    faults.Check("CurrentDirectory");
    return currentDirectory;
}

// --- activation ---

namespace {

class FakeObject : public platform::ComObject {
  public:
    platform::Dispatch* AsDispatch() override { return nullptr; }
    platform::StoreSyncEvents* AsStoreSyncEvents() override { return nullptr; }
    platform::CreateRegistration* AsCreateRegistration() override { return nullptr; }
};

}  // namespace

std::shared_ptr<platform::ComObject> FakeActivation::CreateObject(const std::string& progId) {
    created.push_back(progId);
    if (!creatable.contains(progId)) {
        throw ComError(platform::hresult::REGDB_E_CLASSNOTREG, "Class not registered");
    }
    return std::make_shared<FakeObject>();
}

std::function<int32_t()> FakeActivation::BindExport(const std::string&, const std::string&) {
    return [] { return platform::hresult::S_OK; };
}

}  // namespace setupfakes
