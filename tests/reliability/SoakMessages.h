#pragma once

#include <optional>
#include <random>
#include <string>

#include "platform/emulated/store/StoreModel.h"
#include "tests/reliability/SettingsFlipper.h"
#include "tests/reliability/SoakRun.h"

// The soak's messages: random ones to deliver, and the check of each one
// as stored against what the sink must have made of it.
namespace reliability {

// A message with a random SCL (often -1 to 9, sometimes none, sometimes
// out of that range) and random keywords (none, a single text that is no
// list, or a list mixing words, blanks and texts that look like stamps of
// either form, in any letter case, with and without spaces).
platform::emulated::DeliveredMessage RandomMessage(std::mt19937_64& random,
                                                   const std::string& subject);

// One delivery as it was made.
struct DeliveryRecord {
    std::string address;
    bool registered = false;
    platform::emulated::DeliveredMessage message;
    std::string url;
    FormSet forms;
};

// Checks the stored message: a rated message into a registered mailbox
// carries its keywords rebuilt by the rules and the stamp as comments, in
// one form the settings file held during its save; any other message is
// stored as delivered. Counts the outcome; returns what is wrong, if
// anything.
std::optional<std::string> CheckDelivery(const platform::emulated::StoredItem& item,
                                         const DeliveryRecord& delivery, SoakOutcome& outcome);

}  // namespace reliability
