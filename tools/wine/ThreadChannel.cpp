#include "tools/wine/ThreadChannel.h"

#include "platform/bridge/BridgeErrors.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace wine_bridge {

namespace {
// Left to the process's end when the thread ends without dropping it: the
// system closes the connection, and the server drops what it held.
thread_local bridge::Channel* channel = nullptr;
}  // namespace

std::string EnvironmentText(const wchar_t* name) {
    wchar_t buffer[512] = {};
    const DWORD length = GetEnvironmentVariableW(name, buffer, 512);
    if (length == 0 || length >= 512)
        return "";
    return platform::win32::WideToUtf8(std::wstring_view(buffer, length));
}

bridge::Channel& ThreadChannel() {
    if (channel == nullptr) {
        const std::string address = EnvironmentText(L"MORVANE_BRIDGE");
        const uint16_t port = bridge::ParseLoopbackAddress(address);
        if (port == 0)
            bridge::ThrowServerUnavailable(
                "MORVANE_BRIDGE names no server; run the program with \"morvane-lab wine\"");
        channel =
            bridge::Channel::Connect(port, EnvironmentText(L"MORVANE_BRIDGE_TOKEN")).release();
    }
    return *channel;
}

bridge::Channel& AdoptThreadChannel(std::unique_ptr<bridge::Channel> adopted) {
    DropThreadChannel();
    channel = adopted.release();
    return *channel;
}

void DropThreadChannel() {
    delete channel;
    channel = nullptr;
}

}  // namespace wine_bridge
