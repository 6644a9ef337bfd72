// The long concurrency soak (label soak, target soak): minutes of
// deliveries on more threads while the display format keeps changing.
#include "tests/reliability/SoakOutcomeCheck.h"

namespace reliability {
namespace {

TEST(ConcurrencySoak, LongRunStampsEveryMessageByTheRules) {
    SoakLimits limits;
    limits.deliveryThreads = 6;
    limits.messagesPerThread = 60000;
    limits.minimumSettingsChanges = 2000;
    limits.timeLimit = std::chrono::seconds(150);
    limits.seed = SoakSeed(7122026);
    ExpectSoakPasses(limits);
}

}  // namespace
}  // namespace reliability
