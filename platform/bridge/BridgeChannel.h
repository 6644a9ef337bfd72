#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/bridge/BridgeSocket.h"
#include "platform/bridge/BridgeValue.h"

// One connection of the bridge between a Wine process and the emulated
// server. At the introduction each side may hand the other one root object;
// after it, everything either side asks of the other is a call of an
// object's member (RemoteObject): a call sends a request and waits for its
// reply, and while it waits it serves the peer's requests, so calls nest
// in both directions on one thread, at most kMaxCallNesting deep on each
// side. Objects cross as handles: each side keeps a table of the objects
// it handed out and drops an entry when the peer releases its last
// reference, or when the connection ends.
//
// A channel is used by one thread; only the release of a RemoteObject may
// come from another. Every failure throws platform::ComError (BridgeErrors.h).
namespace bridge {

// How deep calls may nest on one side: its own calls waiting for their
// replies and the peer's requests it serves meanwhile, together.
constexpr int kMaxCallNesting = 64;
// How long a connecting side waits for the answer to its introduction,
// unless it says otherwise.
constexpr int kIntroductionLimitMs = 30000;

class Channel {
  public:
    // Connects to the listener at port, introduces itself with token and
    // hands over root (an object, or nothing); an answer that takes longer
    // than limitMs throws the bridge's timeout.
    static std::unique_ptr<Channel> Connect(uint16_t port, const std::string& token,
                                            const Value& root = Value(),
                                            int limitMs = kIntroductionLimitMs);
    // Takes an accepted connection whose first message must be the
    // introduction with token, within limitMs; anything else throws. The
    // answer hands over root (an object, or nothing).
    static std::unique_ptr<Channel> Accept(std::unique_ptr<Socket> socket, const std::string& token,
                                           int limitMs, const Value& root = Value());
    // A channel over a socket that needs no introduction (tests).
    explicit Channel(std::unique_ptr<Socket> socket);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // The root object the peer handed over at the introduction; nullptr
    // when it handed none.
    std::shared_ptr<RemoteObject> PeerRoot() const;
    // Serves the peer's requests until it closes the connection.
    void Serve();
    // How long a call waits without a word from the peer before it gives up
    // (negative: no limit, the default). The connection is then closed.
    void SetWaitLimit(int limitMs);

    bool IsOpen() const;
    // Closes the connection and drops every object handed out.
    void Close();
    // Ends the connection from any thread: the thread that uses the
    // channel finds the peer gone.
    void Disconnect();
    // The objects of this side the peer holds (tests and diagnostics).
    size_t HandedOutObjects() const;
    // The frames this side sent (tests and diagnostics).
    size_t FramesSent() const;

    struct Core;
    struct Answer;

  private:
    std::shared_ptr<Core> core_;
};

// The stand-in for an object of the peer. Its last reference releases the
// peer's handle.
class RemoteObject final : public Object {
  public:
    RemoteObject(std::weak_ptr<Channel::Core> channel, uint32_t handle, std::string className);
    ~RemoteObject() override;
    RemoteObject(const RemoteObject&) = delete;
    RemoteObject& operator=(const RemoteObject&) = delete;

    RemoteObject* AsRemote() override { return this; }
    const std::string& ClassName() const { return className_; }
    uint32_t Handle() const { return handle_; }
    bool BelongsTo(const Channel::Core* channel) const;

    // GetIDsOfNames and Invoke on the peer's object. byRef marks the
    // arguments the callee may change; their new values come back in args.
    // A result the peer declares the same for the same names is kept: the
    // same call again answers it without a round trip.
    int32_t MemberId(const std::string& name);
    Value Invoke(int32_t memberId, uint16_t kind, std::vector<Value>& args,
                 const std::vector<bool>& byRef = {});

  private:
    std::shared_ptr<Channel::Core> Live() const;
    static std::string KeptKey(int32_t memberId, uint16_t kind, const std::vector<Value>& names);

    std::weak_ptr<Channel::Core> channel_;
    uint32_t handle_;
    std::string className_;
    std::mutex keptMutex_;
    std::map<std::string, Value> kept_;
};

}  // namespace bridge
