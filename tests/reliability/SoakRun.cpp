#include "tests/reliability/SoakRun.h"

#include <cstdlib>
#include <map>
#include <thread>

#include "platform/emulated/store/StoreSession.h"
#include "platform/emulated/store/StoreValues.h"
#include "tests/reliability/SoakMessages.h"

namespace reliability {

namespace {

using Clock = std::chrono::steady_clock;

struct SoakMailbox {
    std::string address;
    std::string inboxUrl;
    bool registered = false;
};

// Two mailboxes registered in their Inbox (one named "Posteingang"), two in
// a store registered store-wide, one registered nowhere.
std::vector<SoakMailbox> SetUpMailboxes(SinkServer& server, std::vector<std::string>& problems) {
    std::vector<SoakMailbox> mailboxes;
    auto add = [&](const std::string& address, const platform::emulated::MailboxStoreInfo& store,
                   const std::string& inboxName, bool registerInbox, bool registered) {
        const auto mailbox = server.AddMailbox(address, store, inboxName);
        if (registerInbox && server.RegisterInbox(mailbox.url) != "1")
            problems.push_back("could not register " + address);
        mailboxes.push_back(SoakMailbox{address, mailbox.inboxUrl, registered});
    };
    add("ann@example.com", server.firstStore, "Inbox", true, true);
    add("bob@example.com", server.firstStore, "Posteingang", true, true);
    add("eve@example.com", server.firstStore, "Inbox", false, false);
    add("cy@example.com", server.secondStore, "Inbox", false, true);
    add("dan@example.com", server.secondStore, "Posteingang", false, true);
    if (server.RegisterStoreWide(server.secondStore) != "1")
        problems.push_back("could not register the second store");
    return mailboxes;
}

// What one delivery thread did.
struct ThreadLog {
    std::vector<DeliveryRecord> deliveries;
    std::vector<std::string> problems;
};

void Deliver(SinkServer& server, const SettingsFlipper& flipper,
             const std::vector<SoakMailbox>& mailboxes, const SoakLimits& limits, int thread,
             Clock::time_point deadline, ThreadLog& log) {
    std::mt19937_64 random(limits.seed + 1000003ULL * static_cast<uint64_t>(thread + 1));
    std::uniform_int_distribution<size_t> pickMailbox(0, mailboxes.size() - 1);
    try {
        // A connection of this thread's own, as each store thread has.
        platform::emulated::StoreModel store(
            platform::emulated::OpenSharedServer(server.serverFolder()), server.activation);
        auto goOn = [&](int i) {
            return (i < limits.messagesPerThread ||
                    flipper.changes() < limits.minimumSettingsChanges) &&
                   Clock::now() < deadline;
        };
        for (int i = 0; goOn(i); ++i) {
            const SoakMailbox& mailbox = mailboxes[pickMailbox(random)];
            DeliveryRecord delivery;
            delivery.address = mailbox.address;
            delivery.registered = mailbox.registered;
            delivery.message =
                RandomMessage(random, "Soak " + std::to_string(thread) + "-" + std::to_string(i));
            const auto window = flipper.Open();
            delivery.url = store.DeliverToInbox(mailbox.address, delivery.message);
            delivery.forms = flipper.Close(window);
            log.deliveries.push_back(std::move(delivery));
        }
    } catch (const std::exception& error) {
        // Reported with the others once every thread has finished.
        log.problems.push_back("delivery thread " + std::to_string(thread) +
                               " failed: " + error.what());
    }
}

void CheckMessages(SinkServer& server, const std::vector<SoakMailbox>& mailboxes,
                   const std::vector<ThreadLog>& logs, SoakOutcome& outcome) {
    std::map<std::string, size_t> deliveredTo;
    for (const ThreadLog& log : logs) {
        outcome.problems.insert(outcome.problems.end(), log.problems.begin(), log.problems.end());
        for (const DeliveryRecord& delivery : log.deliveries) {
            ++outcome.delivered;
            ++deliveredTo[delivery.address];
            outcome.steadyWindows += delivery.forms.size() == 1 ? 1 : 0;
            if (auto problem =
                    CheckDelivery(server.model.ReadItem(delivery.url), delivery, outcome))
                outcome.problems.push_back(*problem);
        }
    }
    // Nothing lost, nothing doubled.
    for (const SoakMailbox& mailbox : mailboxes) {
        size_t stored = 0;
        for (const auto& item : server.model.Items(mailbox.inboxUrl)) {
            const auto contentClass =
                item.properties.Get(platform::emulated::property::kContentClass);
            stored += contentClass == platform::Variant(
                                          std::string(platform::emulated::content_class::kMessage))
                          ? 1
                          : 0;
        }
        if (stored != deliveredTo[mailbox.address])
            outcome.problems.push_back(
                mailbox.address + " holds " + std::to_string(stored) + " messages, " +
                std::to_string(deliveredTo[mailbox.address]) + " were delivered");
    }
}

}  // namespace

SoakOutcome RunSoak(const SoakLimits& limits) {
    SinkServer server;
    SoakOutcome outcome;
    const std::vector<SoakMailbox> mailboxes = SetUpMailboxes(server, outcome.problems);
    SettingsFlipper flipper(server);
    std::atomic<bool> stop{false};
    std::vector<ThreadLog> logs(static_cast<size_t>(limits.deliveryThreads));
    const Clock::time_point deadline = Clock::now() + limits.timeLimit;
    {
        std::jthread settings([&] { flipper.Run(stop, limits.seed); });
        {
            std::vector<std::jthread> deliverers;
            for (int thread = 0; thread < limits.deliveryThreads; ++thread) {
                deliverers.emplace_back([&, thread] {
                    Deliver(server, flipper, mailboxes, limits, thread, deadline,
                            logs[static_cast<size_t>(thread)]);
                });
            }
        }
        stop = true;
    }
    outcome.settingsChanges = flipper.changes();
    CheckMessages(server, mailboxes, logs, outcome);
    return outcome;
}

uint64_t SoakSeed(uint64_t fallback) {
    const char* text = std::getenv("MORVANE_SOAK_SEED");
    if (!text || *text == '\0')
        return fallback;
    return std::strtoull(text, nullptr, 10);
}

}  // namespace reliability
