#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A connected stream socket over TCP on 127.0.0.1, the one transport the
// bridge uses (Wine has no local-domain sockets). Each platform's file
// holds its own (BridgeSocketPosix.cpp, BridgeSocketWinsock.cpp).
namespace bridge {

class Socket {
  public:
    enum class Received { Complete, Closed, TimedOut };

    virtual ~Socket() = default;
    // Sends every byte; false when the connection is gone.
    virtual bool Send(const uint8_t* data, size_t size) = 0;
    // Receives what has arrived, at least one byte and at most capacity,
    // into data, setting got. A negative limitMs waits as long as it takes;
    // otherwise the wait gives up after limitMs without a byte.
    virtual Received ReceiveSome(uint8_t* data, size_t capacity, int limitMs, size_t& got) = 0;
    // Receives exactly size bytes, waiting as ReceiveSome does.
    Received Receive(uint8_t* data, size_t size, int limitMs) {
        while (size > 0) {
            size_t got = 0;
            const Received received = ReceiveSome(data, size, limitMs, got);
            if (received != Received::Complete)
                return received;
            data += got;
            size -= got;
        }
        return Received::Complete;
    }
    // Ends both directions; the peer sees the connection closed.
    virtual void Shutdown() = 0;
};

// Connects to a listener of this machine; a refused or failed connection
// throws the bridge's "server unavailable" error.
std::unique_ptr<Socket> ConnectLoopback(uint16_t port);

// The environment that leads a Wine process to the emulated server: the
// listener's address ("127.0.0.1:PORT") and the token to introduce itself
// with.
inline constexpr const char* kAddressVariable = "MORVANE_BRIDGE";
inline constexpr const char* kTokenVariable = "MORVANE_BRIDGE_TOKEN";

// "127.0.0.1:PORT" as the environment passes a listener's address; 0 when
// the text is not such an address.
uint16_t ParseLoopbackAddress(const std::string& text);

}  // namespace bridge
