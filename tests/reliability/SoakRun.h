#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The concurrency soak: several threads, each with a connection of its own
// to one emulated server, deliver messages with random SCLs and random
// existing keywords into mailboxes (registered per Inbox, store-wide, or
// not at all) while another thread keeps replacing the settings file,
// switching between the two display formats. Each delivery notes which
// forms the file may have held while it was saved; afterwards every
// message is checked against the stamping rules in one of those forms.
namespace reliability {

struct SoakLimits {
    int deliveryThreads = 4;
    int messagesPerThread = 60;
    // Deliveries go on past their count until the settings file has changed
    // this often, so that both forms are met however fast the store is.
    int minimumSettingsChanges = 20;
    // The run stops at whichever comes first: the counts or the time.
    std::chrono::milliseconds timeLimit{5000};
    uint64_t seed = 0;
};

struct SoakOutcome {
    int delivered = 0;
    int stampedPrefixed = 0;
    int stampedBare = 0;
    // Unrated messages and messages into an unregistered mailbox.
    int leftAsDelivered = 0;
    int settingsChanges = 0;
    // Deliveries during which the settings file did not change.
    int steadyWindows = 0;
    // Every message that breaks the rules and every delivery that failed,
    // described; empty when the soak passed.
    std::vector<std::string> problems;
};

SoakOutcome RunSoak(const SoakLimits& limits);

// The seed in the environment variable MORVANE_SOAK_SEED, else fallback.
uint64_t SoakSeed(uint64_t fallback);

}  // namespace reliability
