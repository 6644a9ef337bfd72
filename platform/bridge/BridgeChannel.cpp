#include "platform/bridge/BridgeChannel.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "platform/bridge/BridgeCodec.h"
#include "platform/bridge/BridgeErrors.h"

namespace bridge {

using nlohmann::json;

namespace {

constexpr int kProtocolVersion = 3;
// How much a read asks for beyond the frame at hand.
constexpr size_t kReceiveChunk = 16 * 1024;

json ErrorOf(int32_t number, const std::string& description) {
    return json::array({number, description});
}

int32_t HandleArgument(const Value& value) {
    return value.AsVariant().AsInt32();
}

// Whether a call's arguments are all names, passed by value: the calls
// whose results a member may declare the same for the same arguments.
bool AllNames(const std::vector<Value>& args, const std::vector<bool>& byRef) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].kind != Value::Kind::Variant || !args[i].variant.IsString() ||
            (i < byRef.size() && byRef[i]))
            return false;
    }
    return true;
}

// Counts a level of nesting while it lives.
class Nested {
  public:
    explicit Nested(std::atomic<int>& depth) : depth_(depth) { ++depth_; }
    ~Nested() { --depth_; }
    Nested(const Nested&) = delete;
    Nested& operator=(const Nested&) = delete;

  private:
    std::atomic<int>& depth_;
};

}  // namespace

// What a request gives: its values, and whether the caller may keep them.
struct Channel::Answer {
    std::vector<Value> values;
    bool kept = false;
};

struct Channel::Core final : ObjectTable, std::enable_shared_from_this<Core> {
    explicit Core(std::unique_ptr<Socket> s) : socket(std::move(s)) {}

    // --- the handle tables
    json EncodeObject(const std::shared_ptr<Object>& object) override {
        if (RemoteObject* remote = object->AsRemote()) {
            if (!remote->BelongsTo(this))
                ThrowInvalidData("an object of another connection cannot be passed on");
            return json::array({static_cast<int>(ValueTag::ReceiversObject), remote->Handle()});
        }
        auto local = std::dynamic_pointer_cast<LocalObject>(object);
        if (!local)
            ThrowInvalidData("an object that cannot be called");
        const uint32_t handle = nextHandle++;
        handedOut.emplace(handle, local);
        return json::array({static_cast<int>(ValueTag::SendersObject), handle, local->ClassName()});
    }
    std::shared_ptr<Object> SendersObject(uint32_t handle, std::string className) override {
        return std::make_shared<RemoteObject>(weak_from_this(), handle, std::move(className));
    }
    std::shared_ptr<Object> ReceiversObject(uint32_t handle) override { return HandedOut(handle); }
    std::shared_ptr<LocalObject> HandedOut(uint32_t handle) {
        auto found = handedOut.find(handle);
        if (found == handedOut.end())
            ThrowDisconnected("no object has handle " + std::to_string(handle));
        return found->second;
    }

    // --- the roots of the introduction
    json EncodeRoot(const Value& root) {
        if (!root.IsObject() && !(root.kind == Value::Kind::Variant && root.variant.IsEmpty()))
            ThrowInvalidData("a root that is no object");
        return EncodeValue(root, *this);
    }
    void TakePeerRoot(const json& introduction) {
        auto root = introduction.find("r");
        if (root == introduction.end())
            return;
        Value value = DecodeValue(*root, *this);
        if (value.IsObject() && value.object->AsRemote() != nullptr)
            peerRoot = std::static_pointer_cast<RemoteObject>(value.object);
        else if (value.kind != Value::Kind::Variant || !value.variant.IsEmpty())
            ThrowInvalidData("a root that is no object of the peer");
    }

    // --- frames
    // Sends a message with the releases that wait for a frame ("x").
    void Send(json message) {
        std::lock_guard lock(sendMutex);
        if (!waitingReleases.empty()) {
            json& releases = message["x"];
            if (releases.is_null())
                releases = json::array();
            for (const uint32_t handle : waitingReleases)
                releases.push_back(handle);
            waitingReleases.clear();
        }
        const std::vector<uint8_t> frame = EncodeFrame(message);
        // Counted before it goes: once sent, the peer may answer, and its
        // caller look at the count, before this thread runs on.
        ++framesSent;
        if (!open || !socket->Send(frame.data(), frame.size())) {
            MarkClosed();
            ThrowServerUnavailable("the connection is closed");
        }
    }
    // While a call is at hand (this side waits for a reply or serves a
    // request), a frame is sure to follow, and the release rides with it;
    // otherwise it is a frame of its own, at once, so that the peer never
    // keeps an object longer than the caller holds it.
    void SendRelease(uint32_t handle) {
        if (!open)
            return;
        if (nesting > 0) {
            std::lock_guard lock(sendMutex);
            waitingReleases.push_back(handle);
            return;
        }
        SendWaitingReleases(json::array({handle}));
    }
    // Sends the releases that wait, with those given, in a frame of their
    // own.
    void SendWaitingReleases(json releases = json::array()) {
        try {
            Send(json{{"k", "x"}, {"x", std::move(releases)}});
        } catch (...) {
            // A release that cannot be sent is moot: the peer drops every
            // handle of a connection that ends.
        }
    }
    // A call that ends this side's calls leaves no release waiting:
    // another thread may have released an object meanwhile.
    void SendReleasesLeftAtTopLevel() {
        bool left = false;
        {
            std::lock_guard lock(sendMutex);
            left = nesting == 0 && !waitingReleases.empty();
        }
        if (left)
            SendWaitingReleases();
    }
    // Drops the handles a message releases ("x"): one that is gone already
    // changes nothing; one that no handle can be is invalid.
    void TakeReleases(const json& message) {
        auto releases = message.find("x");
        if (releases == message.end())
            return;
        if (!releases->is_array())
            ThrowInvalidData("a release of no handle");
        for (const json& handle : *releases) {
            if (!handle.is_number_unsigned() || handle.get<uint64_t>() > UINT32_MAX)
                ThrowInvalidData("a release of no handle");
            handedOut.erase(handle.get<uint32_t>());
        }
    }
    // The next message; nullopt when the peer closed the connection. A
    // frame is read with what has arrived after it (one read for a frame
    // and its length, and for frames that came together).
    std::optional<json> Receive(int limitMs) {
        if (!open)
            return std::nullopt;
        if (!Buffer(kFrameHeaderSize, limitMs))
            return std::nullopt;
        try {
            const size_t length = FrameLength(inbox.data() + inboxStart);
            if (!Buffer(kFrameHeaderSize + length, limitMs))
                return std::nullopt;
            const uint8_t* body = inbox.data() + inboxStart + kFrameHeaderSize;
            inboxStart += kFrameHeaderSize + length;
            json message = DecodeMessage(body, length);
            ForgetLargeInbox();
            TakeReleases(message);
            return message;
        } catch (const platform::ComError& error) {
            Abort(error);
            throw;
        }
    }
    // A large message read whole leaves no large buffer behind.
    void ForgetLargeInbox() {
        if (inboxStart == inbox.size() && inbox.capacity() > kReceiveChunk * 16) {
            inbox = std::vector<uint8_t>();
            inboxStart = 0;
        }
    }
    // Makes size bytes wait in the inbox from inboxStart on; false when the
    // peer closed the connection first.
    bool Buffer(size_t size, int limitMs) {
        if (inbox.size() - inboxStart >= size)
            return true;
        inbox.erase(inbox.begin(), inbox.begin() + static_cast<ptrdiff_t>(inboxStart));
        inboxStart = 0;
        while (inbox.size() < size) {
            const size_t had = inbox.size();
            inbox.resize(std::max(size, had + kReceiveChunk));
            size_t got = 0;
            const Socket::Received received =
                socket->ReceiveSome(inbox.data() + had, inbox.size() - had, limitMs, got);
            inbox.resize(had + got);
            if (received == Socket::Received::Closed) {
                MarkClosed();
                return false;
            }
            if (received == Socket::Received::TimedOut) {
                Close();
                ThrowTimeout("no answer within " + std::to_string(limitMs) + " ms");
            }
        }
        return true;
    }
    // Tells the peer why the connection ends, then ends it.
    void Abort(const platform::ComError& error) {
        try {
            Send(json{{"k", "a"}, {"e", ErrorOf(error.number(), error.description())}});
        } catch (...) {
            // The peer may be gone already.
        }
        Close();
    }
    void MarkClosed() {
        if (open.exchange(false))
            socket->Shutdown();
    }
    void Close() {
        MarkClosed();
        // The objects go after the table is empty: their destructors may
        // reach the channel again.
        auto objects = std::move(handedOut);
        handedOut.clear();
        objects.clear();
    }

    // --- requests
    void Reply(int64_t id, const Answer& answer) {
        json reply{{"k", "r"}, {"i", id}, {"v", EncodeValues(answer.values, *this)}};
        if (answer.kept)
            reply["s"] = true;
        Send(std::move(reply));
    }
    void ReplyError(int64_t id, int32_t number, const std::string& description) {
        Send(json{{"k", "r"}, {"i", id}, {"e", ErrorOf(number, description)}});
    }
    Answer Run(const std::string& op, std::vector<Value>& args) {
        if (op == "ids")
            return {RunMemberId(args)};
        if (op == "invoke")
            return RunInvoke(args);
        ThrowInvalidData("an unknown request \"" + op + "\"");
    }
    std::vector<Value> RunMemberId(std::vector<Value>& args) {
        if (args.size() != 2)
            ThrowInvalidData("\"ids\" takes a handle and a name");
        std::shared_ptr<LocalObject> object = HandedOut(HandleArgument(args[0]));
        return {Value(object->MemberId(args[1].AsVariant().AsString()))};
    }
    // [handle, member, kind, by-reference flags, arguments...] gives
    // [result, new values of the by-reference arguments...], and says
    // whether the caller may keep the result (LocalObject::KeepsResult).
    Answer RunInvoke(std::vector<Value>& args) {
        if (args.size() < 4)
            ThrowInvalidData("\"invoke\" without its target");
        std::shared_ptr<LocalObject> object = HandedOut(HandleArgument(args[0]));
        const int32_t member = args[1].AsVariant().AsInt32();
        const auto kind = static_cast<uint16_t>(args[2].AsVariant().AsInt32());
        std::vector<bool> byRef;
        for (const platform::Variant& flag : args[3].AsVariant().AsArray())
            byRef.push_back(flag.IsBool() && flag.AsBool());
        std::vector<Value> callArgs(std::make_move_iterator(args.begin() + 4),
                                    std::make_move_iterator(args.end()));
        const bool names = AllNames(callArgs, byRef);
        Answer answer{{object->Invoke(member, kind, callArgs, byRef)}};
        answer.kept = names && object->KeepsResult(member, kind, callArgs.size());
        for (size_t i = 0; i < callArgs.size() && i < byRef.size(); ++i) {
            if (byRef[i])
                answer.values.push_back(std::move(callArgs[i]));
        }
        return answer;
    }
    void ServeRequest(const json& message) {
        const int64_t id = IntegerMember(message, "i");
        const std::string& op = TextMember(message, "o");
        Nested serving(nesting);
        try {
            std::vector<Value> args = DecodeValues(ArrayMember(message, "a"), *this);
            Reply(id, Run(op, args));
            return;
        } catch (const platform::ComError& error) {
            if (error.number() == error_number::kInvalidDataPacket || !open)
                throw;
            ReplyError(id, error.number(), error.description());
        } catch (const std::exception& error) {
            if (!open)
                throw;
            ReplyError(id, platform::hresult::E_FAIL, error.what());
        }
    }
    // Serves one message that is not the reply a call waits for.
    void ServeMessage(const json& message) {
        const std::string& kind = TextMember(message, "k");
        try {
            if (kind == "q") {
                ServeRequest(message);
            } else if (kind == "x") {
                // Releases only, taken as the message came.
                if (!message.contains("x"))
                    ThrowInvalidData("a release of no handle");
            } else if (kind == "a") {
                const json& reason = ArrayMember(message, "e");
                Close();
                if (reason.size() == 2 && reason[0].is_number_integer() && reason[1].is_string())
                    throw platform::ComError(reason[0].get<int32_t>(),
                                             reason[1].get<std::string>());
                ThrowServerUnavailable("the peer ended the connection");
            } else {
                ThrowInvalidData("an unexpected message \"" + kind + "\"");
            }
        } catch (const platform::ComError& error) {
            if (error.number() == error_number::kInvalidDataPacket && open)
                Abort(error);
            throw;
        }
    }

    Answer Call(const std::string& op, std::vector<Value> args) {
        if (!open)
            ThrowServerUnavailable("the connection is closed");
        if (nesting >= kMaxCallNesting)
            throw platform::ComError(platform::hresult::E_FAIL,
                                     "Calls over the bridge nest too deep");
        const int64_t id = nextRequest++;
        Send(json{{"k", "q"}, {"i", id}, {"o", op}, {"a", EncodeValues(args, *this)}});
        try {
            Answer answer = WaitForReply(op, id);
            SendReleasesLeftAtTopLevel();
            return answer;
        } catch (const platform::ComError&) {
            SendReleasesLeftAtTopLevel();
            throw;
        }
    }
    Answer WaitForReply(const std::string& op, int64_t id) {
        Nested calling(nesting);
        for (;;) {
            std::optional<json> message = Receive(waitLimit);
            if (!message)
                ThrowServerUnavailable("the peer closed the connection during \"" + op + "\"");
            if (TextMember(*message, "k") != "r") {
                ServeMessage(*message);
                continue;
            }
            return TakeReply(*message, id);
        }
    }
    Answer TakeReply(const json& reply, int64_t id) {
        try {
            if (IntegerMember(reply, "i") != id)
                ThrowInvalidData("a reply to another request");
            auto error = reply.find("e");
            if (error != reply.end()) {
                if (!error->is_array() || error->size() != 2 || !(*error)[0].is_number_integer() ||
                    !(*error)[1].is_string())
                    ThrowInvalidData("an error reply without number and text");
                throw platform::ComError((*error)[0].get<int32_t>(),
                                         (*error)[1].get<std::string>());
            }
            return {DecodeValues(ArrayMember(reply, "v"), *this), reply.contains("s")};
        } catch (const platform::ComError& failure) {
            if (failure.number() == error_number::kInvalidDataPacket && open)
                Abort(failure);
            throw;
        }
    }

    std::unique_ptr<Socket> socket;
    // What was received and not yet read as frames, from inboxStart on.
    std::vector<uint8_t> inbox;
    size_t inboxStart = 0;
    std::mutex sendMutex;
    std::atomic<bool> open{true};
    std::shared_ptr<RemoteObject> peerRoot;
    std::unordered_map<uint32_t, std::shared_ptr<LocalObject>> handedOut;
    uint32_t nextHandle = 1;
    int64_t nextRequest = 1;
    // Releases that ride with the next frame (SendRelease).
    std::vector<uint32_t> waitingReleases;
    std::atomic<size_t> framesSent{0};
    int waitLimit = -1;
    std::atomic<int> nesting{0};
};

Channel::Channel(std::unique_ptr<Socket> socket)
    : core_(std::make_shared<Core>(std::move(socket))) {}

Channel::~Channel() {
    core_->Close();
}

std::unique_ptr<Channel> Channel::Connect(uint16_t port, const std::string& token,
                                          const Value& root, int limitMs) {
    auto channel = std::make_unique<Channel>(ConnectLoopback(port));
    Core& core = *channel->core_;
    core.Send(
        json{{"k", "h"}, {"t", token}, {"v", kProtocolVersion}, {"r", core.EncodeRoot(root)}});
    std::optional<json> answer = core.Receive(limitMs);
    if (!answer)
        ThrowServerUnavailable("the server closed the connection at the introduction");
    if (TextMember(*answer, "k") != "h")
        core.ServeMessage(*answer);  // an abort throws its reason
    core.TakePeerRoot(*answer);
    return channel;
}

std::unique_ptr<Channel> Channel::Accept(std::unique_ptr<Socket> socket, const std::string& token,
                                         int limitMs, const Value& root) {
    auto channel = std::make_unique<Channel>(std::move(socket));
    Core& core = *channel->core_;
    std::optional<json> hello = core.Receive(limitMs);
    if (!hello)
        ThrowServerUnavailable("the peer left before its introduction");
    if (TextMember(*hello, "k") != "h" || !hello->contains("t") || !(*hello)["t"].is_string() ||
        (*hello)["t"].get<std::string>() != token || !hello->contains("v") ||
        (*hello)["v"] != kProtocolVersion) {
        platform::ComError refused(error_number::kAccessDenied,
                                   "Access is denied. (bridge: the introduction does not match)");
        core.Abort(refused);
        throw refused;
    }
    core.TakePeerRoot(*hello);
    core.Send(json{{"k", "h"}, {"r", core.EncodeRoot(root)}});
    return channel;
}

std::shared_ptr<RemoteObject> Channel::PeerRoot() const {
    return core_->peerRoot;
}

void Channel::Serve() {
    for (;;) {
        std::optional<json> message = core_->Receive(-1);
        if (!message)
            return;
        core_->ServeMessage(*message);
    }
}

void Channel::SetWaitLimit(int limitMs) {
    core_->waitLimit = limitMs;
}

bool Channel::IsOpen() const {
    return core_->open;
}

void Channel::Close() {
    core_->Close();
}

void Channel::Disconnect() {
    core_->MarkClosed();
}

size_t Channel::HandedOutObjects() const {
    return core_->handedOut.size();
}

size_t Channel::FramesSent() const {
    return core_->framesSent;
}

RemoteObject::RemoteObject(std::weak_ptr<Channel::Core> channel, uint32_t handle,
                           std::string className)
    : channel_(std::move(channel)), handle_(handle), className_(std::move(className)) {}

RemoteObject::~RemoteObject() {
    if (auto channel = channel_.lock())
        channel->SendRelease(handle_);
}

bool RemoteObject::BelongsTo(const Channel::Core* channel) const {
    return channel_.lock().get() == channel;
}

std::shared_ptr<Channel::Core> RemoteObject::Live() const {
    auto channel = channel_.lock();
    if (!channel || !channel->open)
        ThrowServerUnavailable("the connection of this object is closed");
    return channel;
}

int32_t RemoteObject::MemberId(const std::string& name) {
    std::vector<Value> results =
        Live()->Call("ids", {Value(static_cast<int32_t>(handle_)), Value(name)}).values;
    if (results.size() != 1)
        ThrowInvalidData("\"ids\" answered without an identifier");
    return results[0].AsVariant().AsInt32();
}

Value RemoteObject::Invoke(int32_t memberId, uint16_t kind, std::vector<Value>& args,
                           const std::vector<bool>& byRef) {
    // A kept result answers only while the connection lives, as a call
    // would.
    std::shared_ptr<Channel::Core> channel = Live();
    std::optional<std::string> key;
    if (AllNames(args, byRef)) {
        key = KeptKey(memberId, kind, args);
        std::lock_guard lock(keptMutex_);
        if (auto found = kept_.find(*key); found != kept_.end())
            return found->second;
    }
    std::vector<Value> request{Value(static_cast<int32_t>(handle_)), Value(memberId),
                               Value(static_cast<int32_t>(kind))};
    platform::Variant::Array flags;
    for (size_t i = 0; i < args.size(); ++i)
        flags.emplace_back(i < byRef.size() && byRef[i]);
    request.emplace_back(platform::Variant(std::move(flags)));
    request.insert(request.end(), args.begin(), args.end());
    Channel::Answer answer = channel->Call("invoke", std::move(request));
    std::vector<Value>& results = answer.values;
    if (results.empty())
        ThrowInvalidData("\"invoke\" answered without a result");
    size_t next = 1;
    for (size_t i = 0; i < args.size() && i < byRef.size(); ++i) {
        if (!byRef[i])
            continue;
        if (next >= results.size())
            ThrowInvalidData("\"invoke\" answered without an argument passed by reference");
        args[i] = std::move(results[next++]);
    }
    if (answer.kept && key) {
        std::lock_guard lock(keptMutex_);
        kept_.emplace(std::move(*key), results[0]);
    }
    return std::move(results[0]);
}

std::string RemoteObject::KeptKey(int32_t memberId, uint16_t kind,
                                  const std::vector<Value>& names) {
    std::string key = std::to_string(memberId) + "/" + std::to_string(kind);
    for (const Value& name : names) {
        key += '\0';
        key += name.variant.AsString();
    }
    return key;
}

}  // namespace bridge
