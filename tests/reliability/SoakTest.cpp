// The short concurrency soak, part of every test run: a few seconds of
// deliveries on several threads while the display format keeps changing.
#include "tests/reliability/SoakOutcomeCheck.h"

namespace reliability {
namespace {

TEST(ConcurrencySoak, ShortRunStampsEveryMessageByTheRules) {
    SoakLimits limits;
    limits.deliveryThreads = 4;
    limits.messagesPerThread = 150;
    limits.timeLimit = std::chrono::seconds(6);
    limits.seed = SoakSeed(20261207);
    ExpectSoakPasses(limits);
}

}  // namespace
}  // namespace reliability
