#include <charconv>
#include <string_view>

#include "platform/bridge/BridgeSocket.h"

namespace bridge {

uint16_t ParseLoopbackAddress(const std::string& text) {
    constexpr std::string_view kHost = "127.0.0.1:";
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
