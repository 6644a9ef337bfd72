// The sink's share of a delivery: one message delivered into an Inbox that
// holds the sink's registration item against the same message delivered
// into an Inbox without one, on the same emulated server. The store runs its
// synchronous save events as it does for every delivery and creates the sink
// from Morvane.so through the activation layer.
#include <benchmark/benchmark.h>

#include "bench/support/BenchServer.h"
#include "bench/support/QuickRun.h"
#include "bench/support/Spent.h"
#include "platform/emulated/store/StoreValues.h"

namespace {

using benchsupport::BenchServer;
using benchsupport::Seconds;
using benchsupport::Spent;
using platform::Variant;
using platform::emulated::DeliveredMessage;

namespace property = platform::emulated::property;

constexpr char kRegistered[] = "ann@example.com";
constexpr char kUnregistered[] = "bob@example.com";

// A server with two mailboxes of the same kind; the sink is registered on
// the first one's Inbox (SHALLOW, save event), as the setup program
// registers it, through the library's own CreateRegItem.
class DeliveryScene {
  public:
    DeliveryScene() : server_(MORVANE_LIBRARY_FILE) {
        server_.WriteSettings("[Morvane Settings]\r\nSCLDisplayFormat=SCL=<SCL value>\r\n");
        server_.AddMailboxStore();
        const std::string url = server_.AddMailbox(kRegistered);
        server_.AddMailbox(kUnregistered);
        server_.RegisterInbox(url);
        message_.scl = 6;
        message_.keywords = Variant::StringArray({"Project X", "SCL=4", "customer"});
    }

    // Gives the message of the next round a subject of its own: the store
    // names items after their subject, and a folder full of one subject
    // would make naming, not the events, grow with the rounds.
    void NextRound() { message_.subject = "Quarterly offer " + std::to_string(++round_); }
    // Delivers the message into the mailbox's Inbox; returns its URL.
    std::string Deliver(const char* address) {
        return server_.store().DeliverToInbox(address, message_);
    }
    // The comments the store kept for the item at url.
    Variant Comments(const std::string& url) {
        return server_.store().ReadItem(url).properties.Get(property::kComments);
    }

  private:
    BenchServer server_;
    DeliveredMessage message_;
    int round_ = 0;
};

// Delivers into the mailbox, adding the time it took to spent.
std::string TimedDelivery(DeliveryScene& scene, const char* address, Spent& spent) {
    return spent.Add([&] { return scene.Deliver(address); });
}

// Both deliveries in one loop, their order swapped every round so that
// neither always follows the other; the ratio compares thread CPU times.
void BM_DeliveryWithVsWithoutSink(benchmark::State& state) {
    DeliveryScene scene;
    Spent with, without;
    std::string stamped, plain;
    bool registeredFirst = true;
    for (auto _ : state) {
        scene.NextRound();
        if (registeredFirst) {
            stamped = TimedDelivery(scene, kRegistered, with);
            plain = TimedDelivery(scene, kUnregistered, without);
        } else {
            plain = TimedDelivery(scene, kUnregistered, without);
            stamped = TimedDelivery(scene, kRegistered, with);
        }
        registeredFirst = !registeredFirst;
    }
    if (scene.Comments(stamped) != Variant("SCL=6") || !scene.Comments(plain).IsEmpty()) {
        state.SkipWithError("the sink did not stamp exactly the registered mailbox's messages");
        return;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["with_sink_us"] = Seconds(with.cpu) / n * 1e6;
    state.counters["without_sink_us"] = Seconds(without.cpu) / n * 1e6;
    state.counters["with_sink_wall_us"] = Seconds(with.wall) / n * 1e6;
    state.counters["without_sink_wall_us"] = Seconds(without.wall) / n * 1e6;
    state.counters["sink_share_of_delivery_ratio"] = Seconds(with.cpu) / Seconds(without.cpu);
}
BENCHMARK(BM_DeliveryWithVsWithoutSink)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(benchsupport::QuickRun() ? 0.01 : 2.0);

}  // namespace
