#include <gtest/gtest.h>

#include <thread>

#include <nlohmann/json.hpp>

#include "platform/ComError.h"
#include "platform/bridge/BridgeChannel.h"
#include "platform/bridge/BridgeCodec.h"
#include "platform/bridge/BridgeErrors.h"
#include "platform/bridge/BridgeListener.h"

using bridge::Channel;
using bridge::LocalObject;
using bridge::RemoteObject;
using bridge::Value;
using platform::ComError;
using platform::Variant;

namespace {

// A counter object: "Count" reads it, "Add" adds its argument, "Twice"
// doubles a by-reference argument; its life is watched by alive.
class Counter : public LocalObject {
  public:
    explicit Counter(std::shared_ptr<int> alive) : alive_(std::move(alive)) { ++*alive_; }
    ~Counter() override { --*alive_; }
    std::string ClassName() const override { return "Counter"; }
    int32_t MemberId(const std::string& name) override {
        for (int32_t id = 0; id < 3; ++id)
            if (name == kNames[id])
                return id + 1;
        throw ComError(platform::hresult::DISP_E_UNKNOWNNAME, "Unknown name.");
    }
    Value Invoke(int32_t id, uint16_t, std::vector<Value>& args,
                 const std::vector<bool>&) override {
        if (id == 2)
            count_ += args.at(0).AsVariant().AsInt32();
        if (id == 3)
            args.at(0) = Value(args.at(0).AsVariant().AsInt32() * 2);
        return Value(count_);
    }

  private:
    static constexpr const char* kNames[] = {"Count", "Add", "Twice"};
    std::shared_ptr<int> alive_;
    int32_t count_ = 0;
};

// Two channels over a socket pair; the far one serves on a thread of its own.
class ChannelPair : public ::testing::Test {
  protected:
    void SetUp() override {
        bridge::SocketPair sockets = bridge::MakeSocketPair();
        near = std::make_unique<Channel>(std::move(sockets.first));
        far = std::make_unique<Channel>(std::move(sockets.second));
        far->Handle("make", [this](std::vector<Value>&) {
            return std::vector<Value>{Value::OfObject(std::make_shared<Counter>(alive))};
        });
        far->Handle("echo", [](std::vector<Value>& args) { return args; });
        far->Handle("own", [](std::vector<Value>& args) {
            return std::vector<Value>{
                Value(dynamic_cast<Counter*>(args.at(0).object.get()) != nullptr)};
        });
        // The far process ends.
        far->Handle("end", [this](std::vector<Value>&) {
            far->Close();
            return std::vector<Value>{};
        });
        far->Handle("fail", [](std::vector<Value>&) -> std::vector<Value> {
            throw ComError(platform::hresult::DB_E_NOTFOUND, "Not found");
        });
        // Calls back into the near side while the near side waits.
        far->Handle("nest", [this](std::vector<Value>& args) {
            return far->Call("near.add", {args.at(0)});
        });
        near->Handle("near.add", [](std::vector<Value>& args) {
            return std::vector<Value>{Value(args.at(0).AsVariant().AsInt32() + 1)};
        });
        server = std::thread([this] {
            try {
                far->Serve();
            } catch (const ComError& error) {
                serveError = error.number();
            }
        });
    }
    void TearDown() override {
        near.reset();
        if (server.joinable())
            server.join();
    }
    std::shared_ptr<RemoteObject> MakeCounter() {
        auto object = near->Call("make", {}).at(0).AsObject();
        return std::shared_ptr<RemoteObject>(object, object->AsRemote());
    }

    std::shared_ptr<int> alive = std::make_shared<int>(0);
    std::unique_ptr<Channel> near;
    std::unique_ptr<Channel> far;
    std::thread server;
    int32_t serveError = 0;
};

TEST_F(ChannelPair, ValuesOfEveryKindCrossUnchanged) {
    std::vector<Value> values{
        Value(),
        Value(Variant::Null()),
        Value(Variant(int32_t{-2147217895})),
        Value(Variant(true)),
        Value(Variant("Réserve")),
        Value(Variant(Variant::Array{Variant("SCL=6"), Variant(Variant::Array{}), Variant(7)})),
        Value::MissingArgument(),
        Value::OfError(-2147467259, "planted"),
    };
    std::vector<Value> back = near->Call("echo", values);
    ASSERT_EQ(back.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(back[i].kind, values[i].kind) << i;
        EXPECT_EQ(back[i].variant, values[i].variant) << i;
        EXPECT_EQ(back[i].errorNumber, values[i].errorNumber) << i;
        EXPECT_EQ(back[i].errorDescription, values[i].errorDescription) << i;
    }
}

TEST_F(ChannelPair, ObjectsAreCalledLateBoundAndReleasedWithTheirLastReference) {
    auto counter = MakeCounter();
    EXPECT_EQ(counter->ClassName(), "Counter");
    std::vector<Value> args{Value(5)};
    EXPECT_EQ(counter->Invoke(counter->MemberId("Add"), 1, args).AsVariant().AsInt32(), 5);
    std::vector<Value> byRef{Value(21)};
    counter->Invoke(counter->MemberId("Twice"), 1, byRef, {true});
    EXPECT_EQ(byRef[0].AsVariant().AsInt32(), 42);
    // Handed back, the object is the far side's own again.
    EXPECT_TRUE(near->Call("own", {Value::OfObject(counter)}).at(0).AsVariant().AsBool());
    try {
        counter->MemberId("Missing");
        FAIL() << "an unknown member was found";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), platform::hresult::DISP_E_UNKNOWNNAME);
    }
    EXPECT_EQ(*alive, 1);
    counter.reset();
    near->Call("echo", {});  // the release went before this request
    EXPECT_EQ(*alive, 0);
    EXPECT_EQ(far->HandedOutObjects(), 0u);
}

TEST_F(ChannelPair, CallsNestInBothDirectionsOnOneThread) {
    EXPECT_EQ(near->Call("nest", {Value(41)}).at(0).AsVariant().AsInt32(), 42);
}

TEST_F(ChannelPair, FailuresCrossWithNumberAndText) {
    struct Case {
        std::string op;
        int32_t number;
    } cases[] = {{"fail", platform::hresult::DB_E_NOTFOUND},
                 {"no such request", platform::hresult::E_NOTIMPL}};
    for (const Case& c : cases) {
        try {
            near->Call(c.op, {});
            ADD_FAILURE() << c.op << " did not fail";
        } catch (const ComError& error) {
            EXPECT_EQ(error.number(), c.number) << c.op;
        }
    }
    // An unknown handle is a clear error, and the connection stays usable.
    try {
        near->Call("ids", {Value(999), Value("Count")});
        ADD_FAILURE() << "an unknown handle was accepted";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), bridge::error_number::kDisconnected);
    }
    EXPECT_TRUE(near->IsOpen());
}

TEST_F(ChannelPair, AClosedConnectionDropsTheObjectsAndFailsTheirCalls) {
    auto counter = MakeCounter();
    try {
        near->Call("end", {});
        ADD_FAILURE() << "a call outlived its peer";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), bridge::error_number::kServerUnavailable);
    }
    server.join();
    std::vector<Value> none;
    EXPECT_THROW(counter->Invoke(1, 2, none), ComError);
    EXPECT_EQ(*alive, 0);
    EXPECT_FALSE(near->IsOpen());
}

// Raw frames from a socket of the test against a serving channel.
TEST(BridgeChannel, MalformedInputEndsTheConnectionWithAClearError) {
    const std::vector<std::vector<uint8_t>> frames{
        {0xFF, 0xFF, 0xFF, 0x7F},              // announces more than the limit
        {0x02, 0x00, 0x00, 0x00, 0xFF, 0xFF},  // not CBOR
        {0x01, 0x00, 0x00, 0x00, 0x01},        // CBOR, but not a map
        // A request whose value is of no known kind.
        bridge::EncodeFrame(
            nlohmann::json{{"k", "q"}, {"i", 1}, {"o", "x"}, {"a", nlohmann::json::array({{99}})}}),
    };
    for (const auto& frame : frames) {
        bridge::SocketPair sockets = bridge::MakeSocketPair();
        Channel serving(std::move(sockets.second));
        ASSERT_TRUE(sockets.first->Send(frame.data(), frame.size()));
        try {
            serving.Serve();
            ADD_FAILURE() << "a malformed frame was served";
        } catch (const ComError& error) {
            EXPECT_EQ(error.number(), bridge::error_number::kInvalidDataPacket);
        }
        EXPECT_FALSE(serving.IsOpen());
    }
}

TEST(BridgeChannel, IntroductionsAndSilentPeers) {
    bridge::Listener listener;
    std::thread client([port = listener.Port()] {
        EXPECT_THROW(Channel::Connect(port, "wrong"), ComError);
        auto channel = Channel::Connect(port, "secret");
        channel->SetWaitLimit(100);
        try {
            channel->Call("never answered", {});
            ADD_FAILURE() << "a silent peer was waited for forever";
        } catch (const ComError& error) {
            EXPECT_EQ(error.number(), bridge::error_number::kTimeout);
        }
    });
    EXPECT_THROW(Channel::Accept(listener.Accept(5000), "secret", 5000), ComError);
    auto accepted = Channel::Accept(listener.Accept(5000), "secret", 5000);
    accepted->Handle("never answered", [](std::vector<Value>& args) {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return args;
    });
    client.join();
    EXPECT_EQ(bridge::ParseLoopbackAddress("127.0.0.1:4711"), 4711);
    EXPECT_EQ(bridge::ParseLoopbackAddress("10.0.0.1:4711"), 0);
    EXPECT_EQ(bridge::ParseLoopbackAddress("127.0.0.1:70000"), 0);
}

}  // namespace
