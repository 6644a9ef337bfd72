#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ComError.h"
#include "platform/bridge/BridgeChannel.h"
#include "platform/bridge/BridgeMembers.h"
#include "platform/emulated/hosting/WindowsHostLaunch.h"

// A Windows host: the process under Wine in which Windows libraries run
// for this server (WindowsHostLaunch.h), reached over a bridge channel on
// which this process serves the emulated platform to the host and calls
// the host's root object (bridge::host_root). Either a host of one
// caller, one per thread that needs one, started at the first use on the
// thread and ended with the thread (or the process), or this thread's
// connection to the host of a COM+ application, which serves every caller
// and outlives them (ApplicationHost.h). A host that dies, hangs past its
// limit or cannot start fails the call at hand, and the next use starts a
// new one.
namespace platform::emulated {

// A time limit of the hosts: the milliseconds $variable gives, when a
// positive number, else otherwise (tests shorten the limits).
int MillisecondsSetting(const char* variable, int otherwise);

// How long a call to a host may go without a word from it before the host
// counts as hung: $MORVANE_HOST_CALL_LIMIT_MS, a minute unless it says
// otherwise.
int CallLimitMs();

class WindowsHost {
  public:
    // The host of this thread, started when there is none or it ended.
    static std::shared_ptr<WindowsHost> ForThisThread();

    // A host of one caller, ended with this object.
    explicit WindowsHost(LaunchedHost launched);
    // A connection to a host this object does not own: end ends the
    // host's process as a crash would.
    WindowsHost(std::unique_ptr<bridge::Channel> channel, pid_t process, std::function<void()> end);
    ~WindowsHost();
    WindowsHost(const WindowsHost&) = delete;
    WindowsHost& operator=(const WindowsHost&) = delete;

    // Invokes a member of the host's root.
    bridge::Value Invoke(const bridge::MemberDeclaration& member, std::vector<bridge::Value>& args);
    // The identifier of a member of one of the host's objects, asked of the
    // host once per class and name for the host's life.
    int32_t MemberId(bridge::RemoteObject& object, const std::string& classId,
                     const std::string& name);
    bool IsRunning() const { return process_ > 0 && channel_->IsOpen(); }
    pid_t Process() const { return process_; }
    // The objects of this process the host holds over this connection, the
    // platform's root included.
    size_t HandedOutObjects() const { return channel_->HandedOutObjects(); }
    // Ends the host process now (it dies as a crash would end it).
    void End();
    // Runs a call on the host's channel; when the call closed the channel
    // (the host died, hung or broke the protocol) the host is ended and
    // the failure thrown.
    template <typename Body>
    auto Guard(Body&& body) -> decltype(body()) {
        try {
            return body();
        } catch (const ComError&) {
            if (!channel_->IsOpen())
                End();
            throw;
        }
    }

  private:
    pid_t process_;
    bool owned_;
    std::function<void()> end_;
    std::unique_ptr<bridge::Channel> channel_;
    std::shared_ptr<bridge::RemoteObject> root_;
    std::mutex memberIdsMutex_;
    std::map<std::string, int32_t> memberIds_;
};

}  // namespace platform::emulated
