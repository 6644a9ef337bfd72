#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include <nlohmann/json.hpp>

#include "platform/ComError.h"
#include "platform/bridge/BridgeChannel.h"
#include "platform/bridge/BridgeCodec.h"
#include "platform/bridge/BridgeErrors.h"
#include "platform/bridge/BridgeListener.h"
#include "platform/bridge/ServedObject.h"

using bridge::Args;
using bridge::Channel;
using bridge::MemberDeclaration;
using bridge::Parameter;
using bridge::RemoteObject;
using bridge::Takes;
using bridge::Value;
using platform::ComError;
using platform::Variant;
using enum bridge::MemberKind;

namespace {

// A counter: "Count" reads it, "Add" adds its argument, "Twice" doubles a
// by-reference argument, "Part" counts its call and gives a counter of its
// own (the same for the same name; "bad" fails); alive counts the counters
// that exist.
struct CounterState {
    explicit CounterState(std::shared_ptr<int> a) : alive(std::move(a)) { ++*alive; }
    ~CounterState() { --*alive; }
    std::shared_ptr<int> alive;
    int32_t count = 0;
};
using Counter = std::shared_ptr<CounterState>;
extern const bridge::ServedClass<Counter> kCounter;
Value PartOf(Counter& counter, Args& args) {
    ++counter->count;
    if (args.Text(0) == "bad")
        throw ComError(platform::hresult::E_FAIL, "no such part");
    return bridge::Serve(kCounter, std::make_shared<CounterState>(counter->alive));
}
const bridge::ServedClass<Counter> kCounter{
    "Counter",
    {
        {Get, "Count", Takes(0), [](Counter& c) { return c->count; }},
        {Method, "Add", Takes(1), [](Counter& c, Args& args) { return c->count += args.Int(0); }},
        {Method, "Twice", Takes(1),
         [](Counter&, Args& args) { args.Return(0, Value(args.Int(0) * 2)); }},
        {Get, "Part", Takes(1), PartOf, bridge::kSameForSameNames},
    }};

// Each side's root: makes counters, keeps a by-reference argument as it
// came, tells its own objects, ends its connection, fails, relays a call
// back to the other side's root depth times, and waits.
struct SideState {
    Channel* channel = nullptr;
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};
using Side = std::shared_ptr<SideState>;

constexpr Parameter kValue[] = {{"value", true}};
constexpr Parameter kObject[] = {{"object"}};
constexpr Parameter kDepth[] = {{"depth"}};
constexpr Parameter kMilliseconds[] = {{"ms"}};
constexpr MemberDeclaration kMake{1, "Make", Method, {}};
constexpr MemberDeclaration kKeep{2, "Keep", Method, kValue};
constexpr MemberDeclaration kOwn{3, "Own", Method, kObject};
constexpr MemberDeclaration kEnd{4, "End", Method, {}};
constexpr MemberDeclaration kFail{5, "Fail", Method, {}};
constexpr MemberDeclaration kRelay{6, "Relay", Method, kDepth};
constexpr MemberDeclaration kWait{7, "Wait", Method, kMilliseconds};

Value Call(RemoteObject& object, const MemberDeclaration& member, std::vector<Value> args = {}) {
    return bridge::InvokeDeclared(object, member, args);
}

const bridge::ServedClass<Side> kSide{
    "Side",
    {
        {kMake,
         [](Side& s) { return bridge::Serve(kCounter, std::make_shared<CounterState>(s->alive)); }},
        {kKeep, [](Side&) {}},
        {kOwn,
         [](Side&, Args& args) {
             return dynamic_cast<bridge::Served<Counter>*>(args.Object(0).get()) != nullptr;
         }},
        {kEnd, [](Side& s) { s->channel->Close(); }},
        {kFail, [](Side&) { throw ComError(platform::hresult::DB_E_NOTFOUND, "Not found"); }},
        {kRelay,
         [](Side& s, Args& args) {
             const int32_t depth = args.Int(0);
             if (depth == 0)
                 return 0;
             return Call(*s->channel->PeerRoot(), kRelay, {Value(depth - 1)})
                        .AsVariant()
                        .AsInt32() +
                    1;
         }},
        {kWait,
         [](Side&, Args& args) {
             std::this_thread::sleep_for(std::chrono::milliseconds(args.Int(0)));
         }},
    }};

struct Pair {
    std::unique_ptr<Channel> connecting;
    std::unique_ptr<Channel> accepting;
};

// Two channels through a listener's introduction, each handing its root.
Pair Connect(const Value& connectingRoot, const Value& acceptingRoot) {
    bridge::Listener listener;
    Pair pair;
    std::thread accept([&] {
        pair.accepting = Channel::Accept(listener.Accept(5000), "secret", 5000, acceptingRoot);
    });
    pair.connecting = Channel::Connect(listener.Port(), "secret", connectingRoot);
    accept.join();
    return pair;
}

// Two connected sides; the far one serves on a thread of its own.
class ChannelPair : public ::testing::Test {
  protected:
    void SetUp() override {
        Pair pair = Connect(bridge::Serve(kSide, nearSide), bridge::Serve(kSide, farSide));
        near = std::move(pair.connecting);
        far = std::move(pair.accepting);
        nearSide->channel = near.get();
        farSide->channel = far.get();
        server = std::thread([this] {
            try {
                far->Serve();
            } catch (const ComError&) {
                // The tests that end the connection look at its state.
            }
        });
    }
    void TearDown() override {
        near.reset();
        if (server.joinable())
            server.join();
    }
    RemoteObject& FarRoot() { return *near->PeerRoot(); }
    std::shared_ptr<RemoteObject> MakeCounter() {
        auto object = Call(FarRoot(), kMake).AsObject();
        return std::shared_ptr<RemoteObject>(object, object->AsRemote());
    }
    static int32_t Invoke(RemoteObject& object, const char* member, std::vector<Value> args = {}) {
        return object
            .Invoke(object.MemberId(member),
                    bridge::invoke_kind::kMethod | bridge::invoke_kind::kPropertyGet, args)
            .AsVariant()
            .AsInt32();
    }

    Side nearSide = std::make_shared<SideState>();
    Side farSide = std::make_shared<SideState>();
    std::unique_ptr<Channel> near;
    std::unique_ptr<Channel> far;
    std::thread server;
};

TEST_F(ChannelPair, ValuesOfEveryKindCrossUnchanged) {
    const std::vector<Value> values{
        Value(),
        Value(Variant::Null()),
        Value(Variant(int32_t{-2147217895})),
        Value(Variant(true)),
        Value(Variant("Réserve")),
        Value(Variant(Variant::Array{Variant("SCL=6"), Variant(Variant::Array{}), Variant(7)})),
        Value::MissingArgument(),
        Value::OfError(-2147467259, "planted"),
    };
    for (size_t i = 0; i < values.size(); ++i) {
        std::vector<Value> args{values[i]};
        bridge::InvokeDeclared(FarRoot(), kKeep, args);
        EXPECT_EQ(args[0].kind, values[i].kind) << i;
        EXPECT_EQ(args[0].variant, values[i].variant) << i;
        EXPECT_EQ(args[0].errorNumber, values[i].errorNumber) << i;
        EXPECT_EQ(args[0].errorDescription, values[i].errorDescription) << i;
    }
}

TEST_F(ChannelPair, ObjectsAreCalledLateBoundAndReleasedWithTheirLastReference) {
    EXPECT_EQ(FarRoot().ClassName(), "Side");
    auto counter = MakeCounter();
    EXPECT_EQ(counter->ClassName(), "Counter");
    EXPECT_EQ(Invoke(*counter, "Add", {Value(5)}), 5);
    std::vector<Value> byRef{Value(21)};
    counter->Invoke(counter->MemberId("Twice"), bridge::invoke_kind::kMethod, byRef, {true});
    EXPECT_EQ(byRef[0].AsVariant().AsInt32(), 42);
    // Handed back, the object is the far side's own again.
    EXPECT_TRUE(Call(FarRoot(), kOwn, {Value::OfObject(counter)}).AsVariant().AsBool());
    try {
        counter->MemberId("Missing");
        FAIL() << "an unknown member was found";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), platform::hresult::DISP_E_UNKNOWNNAME);
    }
    EXPECT_EQ(*farSide->alive, 1);
    counter.reset();
    Call(FarRoot(), kKeep, {Value()});  // the release went before this request
    EXPECT_EQ(*farSide->alive, 0);
    EXPECT_EQ(far->HandedOutObjects(), 1u) << "only the root stays handed out";
    // An object lent for one call is given back with the call's reply, in
    // its frame.
    const size_t framesBefore = far->FramesSent();
    Call(FarRoot(), kOwn,
         {bridge::Serve(kCounter, std::make_shared<CounterState>(nearSide->alive))});
    EXPECT_EQ(near->HandedOutObjects(), 1u) << "the far side kept an object lent for one call";
    EXPECT_EQ(far->FramesSent() - framesBefore, 1u) << "a release had a frame of its own";
}

TEST_F(ChannelPair, AResultTheSameForTheSameNamesIsAskedOnceAndFailuresAndPositionsEveryTime) {
    auto counter = MakeCounter();
    const int32_t part = counter->MemberId("Part");
    struct Case {
        Value argument;
        bool asked;
    };
    const Case cases[] = {
        {Value("a"), true}, {Value("a"), false},  {Value("b"), true},   {Value(0), true},
        {Value(0), true},   {Value("bad"), true}, {Value("bad"), true}, {Value("a"), false},
    };
    std::map<std::string, std::shared_ptr<bridge::Object>> first;
    for (const Case& c : cases) {
        const int32_t before = Invoke(*counter, "Count");
        std::vector<Value> args{c.argument};
        try {
            const Value got = counter->Invoke(part, bridge::invoke_kind::kPropertyGet, args);
            if (c.argument.variant.IsString()) {
                auto [kept, added] = first.emplace(c.argument.variant.AsString(), got.object);
                EXPECT_EQ(added, c.asked);
                EXPECT_EQ(kept->second, got.object) << "a name gave another object";
            }
        } catch (const ComError& error) {
            EXPECT_EQ(error.description(), "no such part");
        }
        EXPECT_EQ(Invoke(*counter, "Count") - before, c.asked ? 1 : 0)
            << c.argument.variant.AppendToEmptyString();
    }
}

TEST_F(ChannelPair, ObjectsHandedOutOnOneConnectionAreEachTheirOwn) {
    auto first = MakeCounter();
    auto second = MakeCounter();
    EXPECT_NE(first->Handle(), second->Handle());
    EXPECT_EQ(Invoke(*first, "Add", {Value(5)}), 5);
    EXPECT_EQ(Invoke(*second, "Count"), 0);
    EXPECT_EQ(far->HandedOutObjects(), 3u);
}

TEST_F(ChannelPair, CallsNestInBothDirectionsUpToTheLimit) {
    // Relay(n) nests n + 1 calls, alternately on each side.
    EXPECT_EQ(Call(FarRoot(), kRelay, {Value(bridge::kMaxCallNesting - 1)}).AsVariant().AsInt32(),
              bridge::kMaxCallNesting - 1);
    try {
        Call(FarRoot(), kRelay, {Value(bridge::kMaxCallNesting)});
        ADD_FAILURE() << "calls nested past the limit";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), platform::hresult::E_FAIL);
        EXPECT_EQ(error.description(), "Calls over the bridge nest too deep");
    }
    EXPECT_EQ(Call(FarRoot(), kRelay, {Value(2)}).AsVariant().AsInt32(), 2);
}

TEST_F(ChannelPair, AFailureCrossesWithNumberAndTextAndTheConnectionStays) {
    try {
        Call(FarRoot(), kFail);
        ADD_FAILURE() << "the failure did not cross";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), platform::hresult::DB_E_NOTFOUND);
        EXPECT_EQ(error.description(), "Not found");
    }
    EXPECT_EQ(Call(FarRoot(), kRelay, {Value(1)}).AsVariant().AsInt32(), 1);
}

TEST_F(ChannelPair, AClosedConnectionDropsTheObjectsAndFailsTheirCalls) {
    auto counter = MakeCounter();
    const int32_t part = counter->MemberId("Part");
    std::vector<Value> name{Value("a")};
    counter->Invoke(part, bridge::invoke_kind::kPropertyGet, name);
    try {
        Call(FarRoot(), kEnd);
        ADD_FAILURE() << "a call outlived its peer";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), bridge::error_number::kServerUnavailable);
    }
    server.join();
    EXPECT_THROW(Invoke(*counter, "Count"), ComError);
    EXPECT_THROW(counter->Invoke(part, bridge::invoke_kind::kPropertyGet, name), ComError)
        << "a kept result answered on a closed connection";
    EXPECT_EQ(*farSide->alive, 0);
    EXPECT_FALSE(near->IsOpen());
}

// Raw frames from a socket of the test against a serving channel.
TEST(BridgeChannel, MalformedInputEndsTheConnectionWithAClearError) {
    const std::vector<std::vector<uint8_t>> frames{
        {0xFF, 0xFF, 0xFF, 0x7F},              // announces more than the limit
        {0x02, 0x00, 0x00, 0x00, 0xFF, 0xFF},  // not CBOR
        {0x01, 0x00, 0x00, 0x00, 0x01},        // CBOR, but not a map
        // A request whose value is of no known kind.
        bridge::EncodeFrame(nlohmann::json{
            {"k", "q"}, {"i", 1}, {"o", "ids"}, {"a", nlohmann::json::array({{99}})}}),
        // A release of a handle that does not fit a handle (it would free
        // handle 1 if it were cut to 32 bits).
        bridge::EncodeFrame(nlohmann::json{{"k", "x"}, {"x", {(int64_t{1} << 32) + 1}}}),
        // Releases that are no list of handles.
        bridge::EncodeFrame(nlohmann::json{{"k", "x"}, {"x", 1}}),
        bridge::EncodeFrame(nlohmann::json{{"k", "q"}, {"i", 1}, {"o", "ids"}, {"x", {-1}}}),
        // A request the channel does not know.
        bridge::EncodeFrame(
            nlohmann::json{{"k", "q"}, {"i", 1}, {"o", "create"}, {"a", nlohmann::json::array()}}),
    };
    for (const auto& frame : frames) {
        bridge::SocketPair sockets = bridge::MakeSocketPair();
        Channel serving(std::move(sockets.second));
        ASSERT_TRUE(sockets.first->Send(frame.data(), frame.size()));
        sockets.first->Shutdown();  // a frame that is served ends the serving
        try {
            serving.Serve();
            ADD_FAILURE() << "a malformed frame was served";
        } catch (const ComError& error) {
            EXPECT_EQ(error.number(), bridge::error_number::kInvalidDataPacket);
        }
        EXPECT_FALSE(serving.IsOpen());
    }
}

// A request of the member identifier of handle 999, which is no object.
std::vector<uint8_t> UnknownHandleRequest(int id) {
    return bridge::EncodeFrame(
        nlohmann::json{{"k", "q"},
                       {"i", id},
                       {"o", "ids"},
                       {"a", nlohmann::json::array({{2, 999}, {4, "Count"}})}});
}

nlohmann::json ReceiveRaw(bridge::Socket& socket) {
    uint8_t header[bridge::kFrameHeaderSize];
    EXPECT_EQ(socket.Receive(header, sizeof header, 5000), bridge::Socket::Received::Complete);
    std::vector<uint8_t> body(bridge::FrameLength(header));
    EXPECT_EQ(socket.Receive(body.data(), body.size(), 5000), bridge::Socket::Received::Complete);
    return bridge::DecodeMessage(body.data(), body.size());
}

// Frames that arrive together, or a byte at a time, are each served whole.
TEST(BridgeChannel, AnUnknownHandleFailsItsRequestAndNotTheConnection) {
    bridge::SocketPair sockets = bridge::MakeSocketPair();
    auto serving = std::make_unique<Channel>(std::move(sockets.second));
    std::thread server([&] { serving->Serve(); });
    std::vector<uint8_t> together = UnknownHandleRequest(1);
    const std::vector<uint8_t> second = UnknownHandleRequest(2);
    together.insert(together.end(), second.begin(), second.end());
    ASSERT_TRUE(sockets.first->Send(together.data(), together.size()));
    for (const uint8_t byte : UnknownHandleRequest(3)) {
        ASSERT_TRUE(sockets.first->Send(&byte, 1));
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    for (int id = 1; id <= 3; ++id) {
        const nlohmann::json reply = ReceiveRaw(*sockets.first);
        EXPECT_EQ(reply["i"], id);
        EXPECT_EQ(reply["e"][0], bridge::error_number::kDisconnected);
    }
    EXPECT_TRUE(serving->IsOpen());
    sockets.first->Shutdown();
    server.join();
}

TEST(BridgeChannel, IntroductionsHandOverRootsAndRefuseStrangers) {
    bridge::Listener listener;
    std::thread stranger(
        [port = listener.Port()] { EXPECT_THROW(Channel::Connect(port, "wrong"), ComError); });
    EXPECT_THROW(Channel::Accept(listener.Accept(5000), "secret", 5000), ComError);
    stranger.join();
    // A side may hand over no root.
    Pair pair = Connect(Value(), bridge::Serve(kSide, std::make_shared<SideState>()));
    EXPECT_EQ(pair.accepting->PeerRoot(), nullptr);
    ASSERT_NE(pair.connecting->PeerRoot(), nullptr);
    EXPECT_EQ(pair.connecting->PeerRoot()->ClassName(), "Side");
    EXPECT_EQ(bridge::ParseLoopbackAddress("127.0.0.1:4711"), 4711);
    EXPECT_EQ(bridge::ParseLoopbackAddress("10.0.0.1:4711"), 0);
    EXPECT_EQ(bridge::ParseLoopbackAddress("127.0.0.1:70000"), 0);
}

TEST(BridgeChannel, ASilentPeerIsGivenUpAfterTheWaitLimit) {
    Pair pair = Connect(Value(), bridge::Serve(kSide, std::make_shared<SideState>()));
    std::thread server([&] {
        try {
            pair.accepting->Serve();
        } catch (const ComError&) {
            // Its caller gave up and left.
        }
    });
    pair.connecting->SetWaitLimit(100);
    try {
        Call(*pair.connecting->PeerRoot(), kWait, {Value(400)});
        ADD_FAILURE() << "a silent peer was waited for forever";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), bridge::error_number::kTimeout);
    }
    server.join();
}

}  // namespace
