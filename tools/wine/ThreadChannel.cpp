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

std::string EnvironmentText(const char* name) {
    wchar_t buffer[1024] = {};
    const DWORD length =
        GetEnvironmentVariableW(platform::win32::Utf8ToWide(name).c_str(), buffer, 1024);
    if (length == 0 || length >= 1024)
        return "";
    return platform::win32::WideToUtf8(std::wstring_view(buffer, length));
}

bridge::Channel& ConnectThread(const bridge::Value& root) {
    DropThreadChannel();
    const uint16_t port = bridge::ParseLoopbackAddress(EnvironmentText(bridge::kAddressVariable));
    if (port == 0)
        bridge::ThrowServerUnavailable(std::string(bridge::kAddressVariable) +
                                       " names no server; run the program with \"morvane-lab "
                                       "wine\"");
    channel =
        bridge::Channel::Connect(port, EnvironmentText(bridge::kTokenVariable), root).release();
    return *channel;
}

std::shared_ptr<bridge::RemoteObject> ServerPlatform() {
    if (channel == nullptr)
        ConnectThread();
    std::shared_ptr<bridge::RemoteObject> root = channel->PeerRoot();
    if (!root)
        bridge::ThrowServerUnavailable("the server handed over no platform");
    return root;
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
