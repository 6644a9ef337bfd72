#include "platform/emulated/hosting/WindowsHost.h"

#include <cstdlib>

#include "platform/Text.h"
#include "platform/emulated/machine/ChildProcess.h"

namespace platform::emulated {

namespace {

// A call that hears nothing from the host for a minute is hung.
constexpr int kCallLimitMs = 60000;
// How long an ended channel's host may take to leave before it is killed.
constexpr int kLeaveLimitMs = 5000;

}  // namespace

int MillisecondsSetting(const char* variable, int otherwise) {
    const char* text = std::getenv(variable);
    const int value = text != nullptr ? std::atoi(text) : 0;
    return value > 0 ? value : otherwise;
}

int CallLimitMs() {
    return MillisecondsSetting("MORVANE_HOST_CALL_LIMIT_MS", kCallLimitMs);
}

namespace {

thread_local std::shared_ptr<WindowsHost> threadHost;

}  // namespace

std::shared_ptr<WindowsHost> WindowsHost::ForThisThread() {
    if (threadHost && !threadHost->IsRunning()) {
        threadHost->End();
        threadHost.reset();
    }
    if (!threadHost)
        threadHost = std::make_shared<WindowsHost>(LaunchWindowsHost());
    return threadHost;
}

WindowsHost::WindowsHost(LaunchedHost launched)
    : process_(launched.process),
      owned_(true),
      end_([process = launched.process] {
          if (!WaitForChild(process, 0))
              KillChild(process);
      }),
      channel_(std::move(launched.channel)),
      root_(channel_->PeerRoot()) {
    channel_->SetWaitLimit(CallLimitMs());
}

WindowsHost::WindowsHost(std::unique_ptr<bridge::Channel> channel, pid_t process,
                         std::function<void()> end)
    : process_(process),
      owned_(false),
      end_(std::move(end)),
      channel_(std::move(channel)),
      root_(channel_->PeerRoot()) {
    channel_->SetWaitLimit(CallLimitMs());
}

WindowsHost::~WindowsHost() {
    root_.reset();
    channel_->Close();
    if (owned_ && process_ > 0 && !WaitForChild(process_, kLeaveLimitMs))
        KillChild(process_);
}

bridge::Value WindowsHost::Invoke(const bridge::MemberDeclaration& member,
                                  std::vector<bridge::Value>& args) {
    return Guard([&] { return bridge::InvokeDeclared(*root_, member, args); });
}

int32_t WindowsHost::MemberId(bridge::RemoteObject& object, const std::string& classId,
                              const std::string& name) {
    const std::string key = text::ToLower(classId) + "\n" + text::ToLower(name);
    {
        std::lock_guard lock(memberIdsMutex_);
        auto found = memberIds_.find(key);
        if (found != memberIds_.end())
            return found->second;
    }
    const int32_t id = Guard([&] { return object.MemberId(name); });
    std::lock_guard lock(memberIdsMutex_);
    memberIds_[key] = id;
    return id;
}

void WindowsHost::End() {
    channel_->Close();
    if (process_ > 0) {
        end_();
        process_ = 0;
    }
}

}  // namespace platform::emulated
