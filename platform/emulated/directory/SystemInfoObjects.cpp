#include "platform/emulated/directory/SystemInfoObjects.h"

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/directory/DirectoryService.h"
#include "platform/emulated/directory/LdapSearch.h"
#include "platform/emulated/machine/MachineFacts.h"

namespace platform::emulated {

namespace {

MachineFacts FactsOf(const std::function<std::string()>& serverFolder) {
    try {
        auto db = ServerDb::Open(serverFolder());
        return ReadMachineFacts(*db);
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
}

class AdSystemInfoObject : public sysinfo::ADSystemInfo {
  public:
    explicit AdSystemInfoObject(std::string domain) : domain_(std::move(domain)) {}
    std::string DomainDNSName() override { return domain_; }

  private:
    std::string domain_;
};

class WinNtSystemInfoObject : public sysinfo::WinNTSystemInfo {
  public:
    explicit WinNtSystemInfoObject(std::string computer) : computer_(std::move(computer)) {}
    std::string ComputerName() override { return computer_; }

  private:
    std::string computer_;
};

class RootDse : public sysinfo::DirectoryObject {
  public:
    explicit RootDse(std::string host) : host_(std::move(host)) {}
    Variant Get(const std::string& attribute) override {
        if (text::EqualsNoCase(attribute, "dnsHostName")) {
            return host_;
        }
        throw ComError(directory_error::kPropertyNotFound,
                       "The directory property cannot be found in the cache.");
    }

  private:
    std::string host_;
};

}  // namespace

EmulatedSystemInfo::EmulatedSystemInfo(std::function<std::string()> serverFolder)
    : serverFolder_(std::move(serverFolder)) {}

std::shared_ptr<sysinfo::ADSystemInfo> EmulatedSystemInfo::CreateADSystemInfo() {
    const MachineFacts facts = FactsOf(serverFolder_);
    if (facts.domain.empty()) {
        throw ComError(directory_error::kDomainUnreachable,
                       "The specified domain either does not exist or could not be contacted.");
    }
    return std::make_shared<AdSystemInfoObject>(facts.domain);
}

std::shared_ptr<sysinfo::WinNTSystemInfo> EmulatedSystemInfo::CreateWinNTSystemInfo() {
    return std::make_shared<WinNtSystemInfoObject>(FactsOf(serverFolder_).computer);
}

std::shared_ptr<sysinfo::DirectoryObject> EmulatedSystemInfo::GetObject(
    const std::string& adsPath) {
    if (!text::EqualsNoCase(adsPath, "GC://RootDSE")) {
        throw ComError(directory_error::kNoSuchObject, "There is no such object on the server.");
    }
    DirectoryService service;
    MachineFacts facts;
    try {
        auto db = ServerDb::Open(serverFolder_());
        facts = ReadMachineFacts(*db);
        service = ReadDirectoryService(*db);
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
    if (facts.gc.empty() || service.stopped) {
        throw ComError(directory_error::kServerNotOperational, "The server is not operational.");
    }
    // Samba's domain controller answers for itself, with the provider's bind.
    if (service.kind == DirectoryService::Kind::Samba) {
        return std::make_shared<RootDse>(ReadRootDseHostName(
            BindLdap("ldap://" + service.address + ":3268", service.account, service.password)));
    }
    CheckSqliteBind(service);
    return std::make_shared<RootDse>(facts.gc);
}

}  // namespace platform::emulated

namespace platform::sysinfo {

SystemInfo& SystemSystemInfo() {
    static emulated::EmulatedSystemInfo systemInfo;
    return systemInfo;
}

}  // namespace platform::sysinfo
