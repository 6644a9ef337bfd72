#include "platform/emulated/directory/SambaDomain.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <system_error>
#include <thread>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/directory/DirectoryService.h"
#include "platform/emulated/directory/LdapSearch.h"
#include "platform/emulated/machine/ChildProcess.h"

namespace platform::emulated::samba {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Samba answers within seconds of its start; a loaded machine takes longer.
constexpr auto kStartLimit = std::chrono::seconds(120);
constexpr auto kStopLimit = std::chrono::seconds(20);

// The mail attributes of the walk, as the mail system's schema extension
// adds them: name, LDAP name, attribute syntax, OM syntax.
struct MailAttribute {
    const char* cn;
    const char* ldapName;
    const char* syntax;
    const char* omSyntax;
};
constexpr MailAttribute kMailAttributes[] = {
    {"ms-Exch-Home-Server-Name", "msExchHomeServerName", "2.5.5.12", "64"},
    {"ms-Exch-Mail-Nickname", "mailNickname", "2.5.5.12", "64"},
    {"ms-Exch-Home-MDB", "homeMDB", "2.5.5.12", "64"},
    {"ms-Exch-Mailbox-Guid", "msExchMailboxGuid", "2.5.5.10", "4"},
};
// The arc Active Directory sets aside for schema extensions of one's own.
constexpr const char* kAttributeArc = "1.2.840.113556.1.8000.2554.7765.";

std::string Realm(const DirectoryNames& names) {
    return text::ToUpper(names.domain);
}

// The domain controller's own name: the first label of the global
// catalog host ("dc1" of "dc1.morvane.test").
std::string HostLabel(const DirectoryNames& names) {
    return names.globalCatalogHost.substr(0, names.globalCatalogHost.find('.'));
}

std::string NetbiosDomain(const DirectoryNames& names) {
    std::string label = text::ToUpper(names.domain.substr(0, names.domain.find('.')));
    return label.substr(0, 15);
}

std::string Tail(const fs::path& log) {
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return all.size() > 2000 ? all.substr(all.size() - 2000) : all;
}

// Starts words[0] from PATH with its output in log (made anew); a new
// session, so that the whole of it can be ended at once.
pid_t Spawn(std::vector<std::string> words, const fs::path& log) {
    ChildLaunch launch;
    launch.words = std::move(words);
    launch.input = "/dev/null";
    launch.output = log.string();
    launch.errorToOutput = true;
    launch.newSession = true;
    try {
        return StartChild(launch);
    } catch (const std::system_error& error) {
        throw ServerError(std::string(error.what()) +
                          " (scripts/ensure-packages.sh installs Samba)");
    }
}

int Wait(pid_t process) {
    return WaitForChild(process, -1)->status;
}

// Runs one of Samba's tools to its end; a failure names it with its output.
void RunTool(const std::vector<std::string>& words, const fs::path& log) {
    if (Wait(Spawn(words, log)) != 0)
        throw ServerError(words[0] + " failed: " + Tail(log));
}

std::string SchemaLdif(const std::string& schemaDn) {
    std::ostringstream ldif;
    int number = 1;
    for (const MailAttribute& attribute : kMailAttributes) {
        ldif << "dn: CN=" << attribute.cn << "," << schemaDn << "\n"
             << "objectClass: top\nobjectClass: attributeSchema\n"
             << "cn: " << attribute.cn << "\n"
             << "attributeID: " << kAttributeArc << number++ << "\n"
             << "lDAPDisplayName: " << attribute.ldapName << "\n"
             << "attributeSyntax: " << attribute.syntax << "\n"
             << "oMSyntax: " << attribute.omSyntax << "\n"
             << "isSingleValued: TRUE\nisMemberOfPartialAttributeSet: TRUE\n\n";
    }
    return ldif.str();
}

std::string MailRecipientLdif(const std::string& schemaDn) {
    std::string ldif =
        "dn: CN=Mail-Recipient," + schemaDn + "\nchangetype: modify\nadd: mayContain\n";
    for (const MailAttribute& attribute : kMailAttributes)
        ldif += std::string("mayContain: ") + attribute.ldapName + "\n";
    return ldif;
}

void WriteFile(const fs::path& file, const std::string& content) {
    std::ofstream out(file, std::ios::trunc);
    out << content;
    if (!out)
        throw ServerError("cannot write " + file.string());
}

// A new domain in folder, its schema extended while no server runs.
void ProvisionInto(const fs::path& folder, const DirectoryNames& names) {
    fs::remove_all(folder);
    fs::create_directories(folder / "etc");
    fs::create_directories(folder / "log");
    // An empty configuration: nothing of the machine's own smb.conf comes in.
    WriteFile(folder / "etc" / "provision.conf", "");
    const fs::path log = folder / "log" / "provision.log";
    RunTool(
        {"samba-tool", "domain", "provision", "-s", (folder / "etc" / "provision.conf").string(),
         "--targetdir=" + folder.string(), "--realm=" + Realm(names),
         "--domain=" + NetbiosDomain(names), "--server-role=dc", "--dns-backend=NONE",
         "--host-name=" + HostLabel(names), std::string("--adminpass=") + kBindPassword},
        log);
    const std::string schemaDn = "CN=Schema,CN=Configuration," + names.DomainDn();
    const std::string samDb = (folder / "private" / "sam.ldb").string();
    const std::string allowed = "--option=dsdb:schema update allowed=true";
    WriteFile(folder / "etc" / "mail-attributes.ldif", SchemaLdif(schemaDn));
    WriteFile(folder / "etc" / "mail-recipient.ldif", MailRecipientLdif(schemaDn));
    RunTool({"ldbadd", "-H", samDb, allowed, (folder / "etc" / "mail-attributes.ldif").string()},
            log);
    RunTool({"ldbmodify", "-H", samDb, allowed, (folder / "etc" / "mail-recipient.ldif").string()},
            log);
}

// Runs body while holding an exclusive lock on file.
void Locked(const fs::path& file, const std::function<void()>& body) {
    const int descriptor = open(file.c_str(), O_RDWR | O_CREAT, 0644);
    if (descriptor < 0)
        throw ServerError("cannot open " + file.string());
    while (flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
    }
    try {
        body();
    } catch (...) {
        close(descriptor);
        throw;
    }
    close(descriptor);
}

void CopyTemplate(const fs::path& templates, const fs::path& folder, const DirectoryNames& names) {
    fs::create_directories(templates);
    const std::string name = text::ToLower(names.globalCatalogHost);
    const fs::path domain = templates / name;
    Locked(templates / (name + ".lock"), [&] {
        if (!fs::exists(domain / "etc" / "mail-recipient.ldif"))
            ProvisionInto(domain, names);
    });
    fs::remove_all(folder);
    fs::copy(domain, folder, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

std::string Configuration(const fs::path& folder, const DirectoryNames& names,
                          const std::string& address) {
    const std::string root = folder.string();
    std::ostringstream conf;
    conf << "[global]\n"
         << "\tnetbios name = " << text::ToUpper(HostLabel(names)) << "\n"
         << "\trealm = " << Realm(names) << "\n"
         << "\tworkgroup = " << NetbiosDomain(names) << "\n"
         << "\tserver role = active directory domain controller\n"
         << "\tserver services = ldap\n"
         << "\tinterfaces = " << address << "/8\n"
         << "\tbind interfaces only = yes\n"
         // A simple bind without TLS, as the provider's bind is here.
         << "\tldap server require strong auth = no\n"
         // A lab's domain: no write waits for the disk.
         << "\tldb:nosync = true\n"
         << "\tprivate dir = " << root << "/private\n"
         << "\tstate directory = " << root << "/state\n"
         << "\tcache directory = " << root << "/cache\n"
         << "\tlock directory = " << root << "\n"
         << "\tpid directory = " << root << "/run\n"
         << "\tncalrpc dir = " << root << "/run/ncalrpc\n"
         << "\tbinddns dir = " << root << "/bind-dns\n"
         << "\tlog file = " << root << "/log/samba.log\n"
         << "\tlogging = file\n";
    return conf.str();
}

bool Answers(const std::string& address) {
    try {
        BindLdap("ldap://" + address + ":3268", "", "");
        return true;
    } catch (const ComError&) {
        return false;
    }
}

// A loopback address for the folder: 127.x.y.z from a hash of its path,
// the next one while another server answers there.
std::string ChooseAddress(const fs::path& folder) {
    size_t hash = std::hash<std::string>{}(folder.string());
    for (int attempt = 0; attempt < 64; ++attempt, hash = hash * 31 + 7) {
        const unsigned x = (hash >> 16) & 0xFF;
        const unsigned y = (hash >> 8) & 0xFF;
        const unsigned z = 2 + (hash & 0xFF) % 252;
        const std::string address =
            "127." + std::to_string(x) + "." + std::to_string(y) + "." + std::to_string(z);
        if (!Answers(address))
            return address;
    }
    throw ServerError("no free loopback address for the domain controller");
}

// A process that has not ended: one that has ended but was not yet
// reaped by its parent counts as ended.
bool Alive(pid_t process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const size_t close = line.rfind(')');
    return close == std::string::npos || line.compare(close + 1, 3, " Z ") != 0;
}

fs::path PidFile(const fs::path& folder) {
    return folder / "run" / "morvane-samba.pid";
}

// The process group of the domain controller this folder started; 0
// when none runs (a stale file is ignored).
pid_t RunningGroup(const fs::path& folder) {
    std::ifstream in(PidFile(folder));
    pid_t process = 0;
    if (!(in >> process) || process <= 1)
        return 0;
    // Ours: a samba program (it renames its process, so its command line
    // says nothing), and the one that wrote its pid file here if it did.
    std::error_code failed;
    const fs::path program = fs::read_symlink("/proc/" + std::to_string(process) + "/exe", failed);
    if (failed || program.filename() != "samba")
        return 0;
    std::ifstream own(folder / "run" / "samba.pid");
    pid_t written = 0;
    if (own >> written && written != process)
        return 0;
    return process;
}

}  // namespace

std::string BindAccount(const DirectoryNames& names) {
    return "Administrator@" + names.domain;
}

std::string DomainFolder(const std::string& serverFolder) {
    return (fs::path(serverFolder) / "samba").string();
}

void ProvisionDomain(const std::string& serverFolder, const DirectoryNames& names) {
    if (names.domain.find('.') == std::string::npos || HostLabel(names).empty())
        throw ServerError("a Samba domain needs a DNS domain with a dot and a global catalog host");
    const fs::path folder = DomainFolder(serverFolder);
    const char* templates = std::getenv("MORVANE_SAMBA_TEMPLATES");
    if (templates != nullptr && *templates != '\0')
        CopyTemplate(templates, folder, names);
    else
        ProvisionInto(folder, names);
}

std::string StartDomain(const std::string& serverFolder, const DirectoryNames& names) {
    const fs::path folder = DomainFolder(serverFolder);
    if (!fs::exists(folder / "private" / "sam.ldb"))
        throw ServerError("the server has no Samba domain in " + folder.string());
    StopDomain(serverFolder);
    for (const char* sub : {"run", "log", "cache"})
        fs::create_directories(folder / sub);
    const std::string address = ChooseAddress(folder);
    WriteFile(folder / "etc" / "smb.conf", Configuration(folder, names, address));
    const fs::path log = folder / "log" / "samba.out";
    const pid_t process =
        Spawn({"samba", "-i", "-M", "single", "-s", (folder / "etc" / "smb.conf").string()}, log);
    WriteFile(PidFile(folder), std::to_string(process) + "\n");
    const auto end = Clock::now() + kStartLimit;
    while (!Answers(address)) {
        int status = 0;
        if (waitpid(process, &status, WNOHANG) == process)
            throw ServerError("samba ended at its start: " + Tail(log));
        if (Clock::now() > end) {
            StopDomain(serverFolder);
            throw ServerError("samba did not answer within two minutes: " + Tail(log));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return address;
}

bool StopDomain(const std::string& serverFolder) {
    const fs::path folder = DomainFolder(serverFolder);
    const pid_t group = RunningGroup(folder);
    if (group == 0)
        return false;
    kill(-group, SIGTERM);
    const auto end = Clock::now() + kStopLimit;
    while (Alive(group)) {
        // Our own child: reap it, or it stays a zombie that kill still finds.
        int status = 0;
        if (waitpid(group, &status, WNOHANG) == group)
            break;
        if (Clock::now() > end) {
            kill(-group, SIGKILL);
            waitpid(group, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::error_code ignored;
    fs::remove(PidFile(folder), ignored);
    return true;
}

bool DomainRunning(const std::string& serverFolder) {
    return RunningGroup(DomainFolder(serverFolder)) != 0;
}

}  // namespace platform::emulated::samba
