#include <charconv>
#include <string_view>

#include "platform/bridge/BridgeListener.h"
#include "platform/bridge/BridgeSocket.h"

namespace bridge {

namespace {
constexpr std::string_view kHost = "127.0.0.1:";
}  // namespace

std::map<std::string, std::string> ConnectionEnvironment(uint16_t port, const std::string& token) {
    return {{kAddressVariable, std::string(kHost) + std::to_string(port)}, {kTokenVariable, token}};
}

uint16_t ParseLoopbackAddress(const std::string& text) {
    if (text.size() <= kHost.size() || text.compare(0, kHost.size(), kHost) != 0)
        return 0;
    unsigned port = 0;
    const char* first = text.data() + kHost.size();
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(first, last, port);
    if (error != std::errc() || end != last || port == 0 || port > 65535)
        return 0;
    return static_cast<uint16_t>(port);
}

}  // namespace bridge
