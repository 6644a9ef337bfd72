// The system's error names come first: the Windows headers define some of
// them as macros.
// clang-format off
#include "platform/bridge/BridgeErrors.h"
#include "platform/bridge/BridgeListener.h"
#include "platform/bridge/BridgeSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include <string>

namespace bridge {

namespace {

// Winsock is started once per process and left running until it ends.
bool StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool WaitReadable(SOCKET handle, int limitMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(handle, &readable);
    timeval limit{limitMs / 1000, (limitMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, limitMs < 0 ? nullptr : &limit) != 0;
}

class WinsockSocket final : public Socket {
  public:
    explicit WinsockSocket(SOCKET handle) : handle_(handle) {
        BOOL on = TRUE;
        setsockopt(handle_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                   sizeof on);
    }
    ~WinsockSocket() override { closesocket(handle_); }
    WinsockSocket(const WinsockSocket&) = delete;
    WinsockSocket& operator=(const WinsockSocket&) = delete;

    bool Send(const uint8_t* data, size_t size) override {
        while (size > 0) {
            const int sent = send(handle_, reinterpret_cast<const char*>(data),
                                  static_cast<int>(size > 0x10000000 ? 0x10000000 : size), 0);
            if (sent <= 0)
                return false;
            data += sent;
            size -= static_cast<size_t>(sent);
        }
        return true;
    }

    Received ReceiveSome(uint8_t* data, size_t capacity, int limitMs, size_t& got) override {
        // Without a limit the read itself waits.
        if (limitMs >= 0 && !WaitReadable(handle_, limitMs))
            return Received::TimedOut;
        const int received =
            recv(handle_, reinterpret_cast<char*>(data),
                 static_cast<int>(capacity > 0x10000000 ? 0x10000000 : capacity), 0);
        if (received <= 0)
            return Received::Closed;
        got = static_cast<size_t>(received);
        return Received::Complete;
    }

    void Shutdown() override { shutdown(handle_, SD_BOTH); }

  private:
    SOCKET handle_;
};

sockaddr_in LoopbackAddress(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

std::unique_ptr<Socket> ConnectLoopback(uint16_t port) {
    if (!StartWinsock())
        ThrowServerUnavailable("Winsock cannot be started");
    SOCKET handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET)
        ThrowServerUnavailable("no socket: error " + std::to_string(WSAGetLastError()));
    sockaddr_in address = LoopbackAddress(port);
    if (connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = WSAGetLastError();
        closesocket(handle);
        ThrowServerUnavailable("cannot connect to 127.0.0.1:" + std::to_string(port) + ": error " +
                               std::to_string(error));
    }
    return std::make_unique<WinsockSocket>(handle);
}

Listener::Listener() {
    if (!StartWinsock())
        ThrowServerUnavailable("Winsock cannot be started");
    const SOCKET handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    handle_ = handle == INVALID_SOCKET ? -1 : static_cast<intptr_t>(handle);
    sockaddr_in address = LoopbackAddress(0);
    int length = sizeof address;
    if (handle == INVALID_SOCKET ||
        bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(handle, SOMAXCONN) != 0 ||
        getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = WSAGetLastError();
        Close();
        ThrowServerUnavailable("cannot listen on 127.0.0.1: error " + std::to_string(error));
    }
    port_ = ntohs(address.sin_port);
}

Listener::~Listener() {
    Close();
}

std::unique_ptr<Socket> Listener::Accept(int limitMs) {
    if (handle_ < 0 || !WaitReadable(static_cast<SOCKET>(handle_), limitMs))
        return nullptr;
    const SOCKET handle = accept(static_cast<SOCKET>(handle_), nullptr, nullptr);
    if (handle == INVALID_SOCKET)
        return nullptr;
    return std::make_unique<WinsockSocket>(handle);
}

void Listener::Close() {
    if (handle_ >= 0)
        closesocket(static_cast<SOCKET>(handle_));
    handle_ = -1;
}

}  // namespace bridge
