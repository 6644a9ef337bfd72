#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/bridge/BridgeErrors.h"
#include "platform/bridge/BridgeListener.h"

namespace bridge {

namespace {

// Waits until handle can be read; false when limitMs passed first.
bool WaitReadable(int handle, int limitMs) {
    pollfd entry{handle, POLLIN, 0};
    for (;;) {
        const int ready = poll(&entry, 1, limitMs < 0 ? -1 : limitMs);
        if (ready >= 0)
            return ready > 0;
        if (errno != EINTR)
            return true;  // the read that follows reports the failure
    }
}

class PosixSocket final : public Socket {
  public:
    explicit PosixSocket(int handle) : handle_(handle) {
        int on = 1;
        setsockopt(handle_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ~PosixSocket() override { close(handle_); }
    PosixSocket(const PosixSocket&) = delete;
    PosixSocket& operator=(const PosixSocket&) = delete;

    bool Send(const uint8_t* data, size_t size) override {
        while (size > 0) {
            const ssize_t sent = send(handle_, data, size, MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent <= 0)
                return false;
            data += sent;
            size -= static_cast<size_t>(sent);
        }
        return true;
    }

    Received ReceiveSome(uint8_t* data, size_t capacity, int limitMs, size_t& got) override {
        for (;;) {
            // Without a limit the read itself waits.
            if (limitMs >= 0 && !WaitReadable(handle_, limitMs))
                return Received::TimedOut;
            const ssize_t received = recv(handle_, data, capacity, 0);
            if (received < 0 && errno == EINTR)
                continue;
            if (received <= 0)
                return Received::Closed;
            got = static_cast<size_t>(received);
            return Received::Complete;
        }
    }

    void Shutdown() override { shutdown(handle_, SHUT_RDWR); }

  private:
    int handle_;
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
    const int handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (handle < 0)
        ThrowServerUnavailable(std::string("no socket: ") + std::strerror(errno));
    sockaddr_in address = LoopbackAddress(port);
    if (connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(handle);
        ThrowServerUnavailable("cannot connect to 127.0.0.1:" + std::to_string(port) + ": " +
                               std::strerror(error));
    }
    return std::make_unique<PosixSocket>(handle);
}

Listener::Listener() {
    const int handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    handle_ = handle;
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    if (handle < 0 || bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(handle, 16) != 0 ||
        getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = errno;
        Close();
        ThrowServerUnavailable(std::string("cannot listen on 127.0.0.1: ") + std::strerror(error));
    }
    port_ = ntohs(address.sin_port);
}

Listener::~Listener() {
    Close();
}

std::unique_ptr<Socket> Listener::Accept(int limitMs) {
    const int listening = static_cast<int>(handle_);
    if (listening < 0 || !WaitReadable(listening, limitMs))
        return nullptr;
    const int handle = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
    if (handle < 0)
        return nullptr;
    return std::make_unique<PosixSocket>(handle);
}

void Listener::Close() {
    if (handle_ >= 0) {
        shutdown(static_cast<int>(handle_), SHUT_RDWR);
        close(static_cast<int>(handle_));
    }
    handle_ = -1;
}

std::string NewIntroductionToken() {
    std::ifstream random("/dev/urandom", std::ios::binary);
    unsigned char bytes[16] = {};
    if (!random.read(reinterpret_cast<char*>(bytes), sizeof bytes))
        ThrowServerUnavailable("no random source for the introduction's token");
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string token;
    for (unsigned char byte : bytes) {
        token += kDigits[byte >> 4];
        token += kDigits[byte & 15];
    }
    return token;
}

SocketPair MakeSocketPair() {
    int handles[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, handles) != 0)
        ThrowServerUnavailable(std::string("no socket pair: ") + std::strerror(errno));
    return {std::make_unique<PosixSocket>(handles[0]), std::make_unique<PosixSocket>(handles[1])};
}

}  // namespace bridge
