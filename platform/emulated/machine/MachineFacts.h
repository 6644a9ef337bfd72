#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "platform/Machine.h"
#include "platform/emulated/db/ServerDb.h"

// The emulated server's machine facts: the Windows version, the WOW64 flag,
// the logged-on account, the NetBIOS computer name, the domain's DNS name
// and a global catalog host; the cluster flag is the registry key
// HKEY_LOCAL_MACHINE\Cluster. This is also the API behind
// "morvane-lab machine show/set".
namespace platform::emulated {

struct MachineFacts {
    uint32_t platformId = 2;  // Windows NT family
    uint32_t major = 5;
    uint32_t minor = 2;  // Windows Server 2003
    bool wow64 = false;
    bool cluster = false;
    std::string user;  // empty: the account running this process
    std::string computer;
    std::string domain;
    std::string gc;

    friend bool operator==(const MachineFacts&, const MachineFacts&) = default;
};

// The keys of SetMachineFact, in display order.
const std::vector<std::string>& MachineFactKeys();

MachineFacts ReadMachineFacts(ServerDb& db);
void WriteMachineFacts(ServerDb& db, const MachineFacts& facts);
// Sets one fact from text ("platform=2", "wow64=true"). An unknown key or
// a value of the wrong form throws std::invalid_argument and changes
// nothing.
void SetMachineFact(ServerDb& db, const std::string& key, const std::string& value);

// The facts as "key=value" lines, and as one JSON object.
std::string MachineFactsText(const MachineFacts& facts);
std::string MachineFactsJson(const MachineFacts& facts);

// For a freshly created server: Windows Server 2003, 32-bit, no cluster,
// the account running this process, the mail server's name and DNS domain,
// and a global catalog host in that domain ("dc1." + domain).
MachineFacts MachineFactsForServer(const std::string& computerName, const std::string& domain);
void MatchMachineToServer(ServerDb& db, const std::string& computerName, const std::string& domain);

// text as a JSON string literal, quotes included.
std::string JsonQuoted(const std::string& text);

// The account this process runs as.
std::string ProcessAccountName();

// The Machine port over the facts of the server in serverFolder(). A server
// that cannot be opened throws ComError E_FAIL.
class EmulatedMachine final : public Machine {
  public:
    explicit EmulatedMachine(std::function<std::string()> serverFolder = ServerFolder);

    bool GetVersionEx(OsVersionInfo& info) override;
    bool HasProcedure(const std::string& module, const std::string& function) override;
    bool IsWow64Process(bool& wow64) override;
    int32_t RegOpenKey(uint32_t hive, const std::string& path, uint32_t& key) override;
    int32_t RegCloseKey(uint32_t key) override;
    int32_t GetUserName(std::string& buffer, uint32_t& size) override;
    ComError SystemError(int32_t code) override;

  private:
    std::shared_ptr<ServerDb> OpenServer();
    MachineFacts Facts();
    // The system error code of a failure planted at the operation on url
    // (its HRESULT's code), whose description then words that code; 0 when
    // none applies.
    int32_t PlantedFailure(ServerDb& db, std::string_view operation, std::string_view url);

    std::function<std::string()> serverFolder_;
    std::set<uint32_t> openKeys_;
    uint32_t nextKey_ = 0x100;
    std::map<int32_t, std::string> plantedTexts_;  // by system error code
};

}  // namespace platform::emulated
