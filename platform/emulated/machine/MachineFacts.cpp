#include "platform/emulated/machine/MachineFacts.h"

#include <pwd.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/activation/Registry.h"

namespace platform::emulated {

namespace {

constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr const char* kClusterKey = "Cluster";

std::string ReadFact(ServerDb& db, const std::string& key, const std::string& fallback) {
    auto query = db.Prepare("SELECT value FROM machine_facts WHERE key = ?1");
    query.Bind(1, std::string_view(key));
    return query.Step() ? query.Text(0) : fallback;
}

void WriteFact(ServerDb& db, const std::string& key, const std::string& value) {
    db.Prepare(
          "INSERT INTO machine_facts(key, value) VALUES(?1, ?2) "
          "ON CONFLICT(key) DO UPDATE SET value = excluded.value")
        .Bind(1, std::string_view(key))
        .Bind(2, std::string_view(value))
        .Run();
}

uint32_t ParseNumber(const std::string& key, const std::string& value) {
    size_t used = 0;
    unsigned long number = 0;
    try {
        number = std::stoul(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != value.size() || number > 0xFFFFFFFFul || value[0] == '-') {
        throw std::invalid_argument(key + " must be a whole number, not \"" + value + "\"");
    }
    return static_cast<uint32_t>(number);
}

bool ParseFlag(const std::string& key, const std::string& value) {
    if (value == "true") {
        return true;
    }
    if (value == "false") {
        return false;
    }
    throw std::invalid_argument(key + " must be true or false, not \"" + value + "\"");
}

std::string Flag(bool value) {
    return value ? "true" : "false";
}

}  // namespace

std::string JsonQuoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char* kHex = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

const std::vector<std::string>& MachineFactKeys() {
    static const std::vector<std::string> keys = {
        "platform", "major", "minor", "wow64", "cluster", "user", "computer", "domain", "gc"};
    return keys;
}

MachineFacts ReadMachineFacts(ServerDb& db) {
    MachineFacts facts;
    facts.platformId = ParseNumber("platform", ReadFact(db, "platform", "2"));
    facts.major = ParseNumber("major", ReadFact(db, "major", "5"));
    facts.minor = ParseNumber("minor", ReadFact(db, "minor", "2"));
    facts.wow64 = ParseFlag("wow64", ReadFact(db, "wow64", "false"));
    facts.cluster = Registry(std::shared_ptr<ServerDb>(&db, [](ServerDb*) {
                    })).KeyExists(kLocalMachine, kClusterKey);
    facts.user = ReadFact(db, "user", "");
    facts.computer = ReadFact(db, "computer", "");
    facts.domain = ReadFact(db, "domain", "");
    facts.gc = ReadFact(db, "gc", "");
    return facts;
}

void WriteMachineFacts(ServerDb& db, const MachineFacts& facts) {
    DbTransaction transaction(db);
    WriteFact(db, "platform", std::to_string(facts.platformId));
    WriteFact(db, "major", std::to_string(facts.major));
    WriteFact(db, "minor", std::to_string(facts.minor));
    WriteFact(db, "wow64", Flag(facts.wow64));
    WriteFact(db, "user", facts.user);
    WriteFact(db, "computer", facts.computer);
    WriteFact(db, "domain", facts.domain);
    WriteFact(db, "gc", facts.gc);
    Registry registry(std::shared_ptr<ServerDb>(&db, [](ServerDb*) {}));
    if (facts.cluster) {
        registry.SetKey(kLocalMachine, kClusterKey);
    } else {
        registry.DeleteKey(kLocalMachine, kClusterKey);
    }
    transaction.Commit();
}

void SetMachineFact(ServerDb& db, const std::string& key, const std::string& value) {
    MachineFacts facts = ReadMachineFacts(db);
    if (key == "platform") {
        facts.platformId = ParseNumber(key, value);
        if (facts.platformId != 1 && facts.platformId != 2) {
            throw std::invalid_argument("platform must be 1 or 2, not \"" + value + "\"");
        }
    } else if (key == "major") {
        facts.major = ParseNumber(key, value);
    } else if (key == "minor") {
        facts.minor = ParseNumber(key, value);
    } else if (key == "wow64") {
        facts.wow64 = ParseFlag(key, value);
    } else if (key == "cluster") {
        facts.cluster = ParseFlag(key, value);
    } else if (key == "user") {
        facts.user = value;
    } else if (key == "computer") {
        facts.computer = value;
    } else if (key == "domain") {
        facts.domain = value;
    } else if (key == "gc") {
        facts.gc = value;
    } else {
        throw std::invalid_argument("unknown machine fact \"" + key + "\"");
    }
    WriteMachineFacts(db, facts);
}

std::string MachineFactsText(const MachineFacts& facts) {
    return "platform=" + std::to_string(facts.platformId) +
           "\nmajor=" + std::to_string(facts.major) + "\nminor=" + std::to_string(facts.minor) +
           "\nwow64=" + Flag(facts.wow64) + "\ncluster=" + Flag(facts.cluster) +
           "\nuser=" + facts.user + "\ncomputer=" + facts.computer + "\ndomain=" + facts.domain +
           "\ngc=" + facts.gc + "\n";
}

std::string MachineFactsJson(const MachineFacts& facts) {
    return "{\"platform\":" + std::to_string(facts.platformId) +
           ",\"major\":" + std::to_string(facts.major) +
           ",\"minor\":" + std::to_string(facts.minor) + ",\"wow64\":" + Flag(facts.wow64) +
           ",\"cluster\":" + Flag(facts.cluster) + ",\"user\":" + JsonQuoted(facts.user) +
           ",\"computer\":" + JsonQuoted(facts.computer) +
           ",\"domain\":" + JsonQuoted(facts.domain) + ",\"gc\":" + JsonQuoted(facts.gc) + "}";
}

MachineFacts MachineFactsForServer(const std::string& computerName, const std::string& domain) {
    MachineFacts facts;
    facts.user = ProcessAccountName();
    facts.computer = computerName;
    facts.domain = domain;
    facts.gc = "dc1." + platform::text::ToLower(domain);
    return facts;
}

void MatchMachineToServer(ServerDb& db, const std::string& computerName,
                          const std::string& domain) {
    WriteMachineFacts(db, MachineFactsForServer(computerName, domain));
}

std::string ProcessAccountName() {
    passwd entry{};
    passwd* found = nullptr;
    std::string buffer(4096, '\0');
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_name != nullptr) {
        return found->pw_name;
    }
    const char* fromEnvironment = getenv("USER");
    return fromEnvironment != nullptr ? fromEnvironment : "";
}

}  // namespace platform::emulated
