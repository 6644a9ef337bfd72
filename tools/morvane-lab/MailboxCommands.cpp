#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Text.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/DirectoryLifecycle.h"
#include "tools/morvane-lab/Output.h"
#include "tools/morvane-lab/Parsing.h"

namespace lab {

namespace {

using platform::emulated::MailboxStoreInfo;

struct MailboxAddOptions {
    std::string address;
    std::string store;
    std::string cn;
    std::string alias;
    std::string inboxName = "Inbox";
    bool noRootFields = false;
    // Bulk: count mailboxes <prefix><n>@<the server's domain>.
    std::optional<int> count;
    std::string prefix;
};

constexpr int kMaxBulkCount = 1000000;

// The named store, or the first one created when none is named.
MailboxStoreInfo ChooseStore(Lab& lab, const std::string& name) {
    auto stores = lab.Store().Stores();
    if (stores.empty())
        throw LabError("the server has no mailbox store (add one with 'store add')");
    if (name.empty()) {
        return *std::min_element(stores.begin(), stores.end(),
                                 [](const auto& a, const auto& b) { return a.id < b.id; });
    }
    for (const auto& store : stores) {
        if (platform::text::EqualsNoCase(store.name, name))
            return store;
    }
    throw LabError("no mailbox store named \"" + name + "\"");
}

platform::emulated::NewMailbox NewMailboxIn(const MailboxStoreInfo& store,
                                            const MailboxAddOptions& options) {
    platform::emulated::NewMailbox mailbox;
    mailbox.address = options.address;
    mailbox.storageGroup = store.storageGroup;
    mailbox.storeName = store.name;
    mailbox.cn = options.cn;
    mailbox.alias = options.alias;
    mailbox.inboxName = options.inboxName;
    mailbox.rootFields = !options.noRootFields;
    return mailbox;
}

void RunMailboxAdd(Lab& lab, const MailboxAddOptions& options) {
    if (options.address.empty())
        throw LabError("mailbox add needs an ADDRESS, or --count and --prefix");
    CheckMailAddress(options.address);
    MailboxStoreInfo store = ChooseStore(lab, options.store);
    auto added = lab.Store().AddMailbox(NewMailboxIn(store, options));
    SyncDirectoryIfRunning(lab);
    std::cout << "Added mailbox " << added.address << " in " << added.storageGroup << "/"
              << added.storeName << ": " << added.url << '\n';
}

// The numbers are padded to the width of the count, so that the
// directory's order by cn is the order of the numbers.
std::string BulkAddress(const std::string& prefix, int number, int count,
                        const std::string& domain) {
    std::string digits = std::to_string(number);
    digits.insert(0, std::to_string(count).size() - digits.size(), '0');
    return prefix + digits + "@" + domain;
}

void RunBulkMailboxAdd(Lab& lab, const MailboxAddOptions& options) {
    if (!options.address.empty() || !options.cn.empty() || !options.alias.empty())
        throw LabError("--count makes the addresses, cns and aliases: give none of them");
    if (*options.count < 1 || *options.count > kMaxBulkCount)
        throw LabError("--count takes 1 to " + std::to_string(kMaxBulkCount) + " mailboxes");
    const auto identity = lab.Store().Identity();
    if (!identity)
        throw LabError("the server has no mail server name yet");
    MailboxStoreInfo store = ChooseStore(lab, options.store);
    const int count = *options.count;
    std::vector<platform::emulated::NewMailbox> mailboxes;
    mailboxes.reserve(static_cast<size_t>(count));
    MailboxAddOptions one = options;
    for (int number = 1; number <= count; ++number) {
        one.address = BulkAddress(options.prefix, number, count, identity->domain);
        CheckMailAddress(one.address);
        mailboxes.push_back(NewMailboxIn(store, one));
    }
    lab.Store().AddMailboxes(mailboxes);
    SyncDirectoryIfRunning(lab);
    std::cout << "Added " << count << " mailboxes, " << mailboxes.front().address << " to "
              << mailboxes.back().address << ", in " << store.storageGroup << "/" << store.name
              << '\n';
}

nlohmann::json MailboxJson(const platform::emulated::MailboxInfo& mailbox) {
    return {{"address", mailbox.address}, {"url", mailbox.url},
            {"server", mailbox.server},   {"storagegroup", mailbox.storageGroup},
            {"store", mailbox.storeName}, {"cn", mailbox.cn},
            {"alias", mailbox.alias},     {"inbox", mailbox.inboxUrl},
            {"system", mailbox.system},   {"rootfields", mailbox.rootFields}};
}

void RunMailboxList(Lab& lab, bool json) {
    auto mailboxes = lab.Store().Mailboxes();
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& mailbox : mailboxes)
            list.push_back(MailboxJson(mailbox));
        PrintJson(std::cout, list);
        return;
    }
    Table table({"ADDRESS", "CN", "ALIAS", "STORAGE GROUP", "STORE", "INBOX"});
    for (const auto& mailbox : mailboxes) {
        table.AddRow({mailbox.address, mailbox.cn, mailbox.alias, mailbox.storageGroup,
                      mailbox.storeName, mailbox.inboxUrl});
    }
    table.Print(std::cout);
}

}  // namespace

void AddMailboxCommands(CLI::App& app, Lab& lab) {
    CLI::App* group = app.add_subcommand("mailbox", "Mailboxes");
    group->require_subcommand(1);

    auto options = std::make_shared<MailboxAddOptions>();
    CLI::App* add = group->add_subcommand("add", "Add a mailbox");
    add->add_option("ADDRESS", options->address, "The SMTP address (not with --count)");
    add->add_option("--store", options->store, "The mailbox store (default: the first)");
    add->add_option("--cn", options->cn, "Display name (default: the address's local part)");
    add->add_option("--alias", options->alias, "Alias (default: the address's local part)");
    add->add_option("--inbox-name", options->inboxName, "The Inbox's name")->capture_default_str();
    add->add_flag("--no-root-fields", options->noRootFields, "The mailbox root exposes no fields");
    CLI::Option* count =
        add->add_option("--count", options->count,
                        "Add this many mailboxes <prefix><n>@<domain> in one transaction");
    add->add_option("--prefix", options->prefix, "The local part's prefix for --count")
        ->needs(count);
    count->needs("--prefix");
    add->callback([&lab, options] {
        lab.Select([&lab, options] {
            if (options->count)
                RunBulkMailboxAdd(lab, *options);
            else
                RunMailboxAdd(lab, *options);
        });
    });

    auto json = std::make_shared<bool>(false);
    CLI::App* list = group->add_subcommand("list", "List every mailbox, system mailboxes too");
    list->add_flag("--json", *json, "Print JSON");
    list->callback([&lab, json] { lab.Select([&lab, json] { RunMailboxList(lab, *json); }); });
}

}  // namespace lab
