#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Activation.h"
#include "platform/ComError.h"
#include "platform/bridge/BridgeChannel.h"
#include "platform/emulated/activation/Registry.h"

// Classes whose library is a Windows DLL live in a host process under Wine
// (MorvaneSinkHost.exe), one per thread that needs one, reached over a
// bridge channel on which this process serves the emulated platform to the
// host. The host is started at the first use on a thread and ended with the
// thread (or the process); a host that dies, hangs past its limit or cannot
// start fails the call at hand, and the next use starts a new one.
namespace platform::emulated {

class WindowsHost {
  public:
    // The host of this thread, started when there is none or it ended.
    static std::shared_ptr<WindowsHost> ForThisThread();

    WindowsHost(pid_t process, std::unique_ptr<bridge::Channel> channel);
    ~WindowsHost();
    WindowsHost(const WindowsHost&) = delete;
    WindowsHost& operator=(const WindowsHost&) = delete;

    // A request to the host; a host that fails to answer is ended and the
    // failure thrown.
    std::vector<bridge::Value> Call(const std::string& op, std::vector<bridge::Value> args);
    bool IsRunning() const { return process_ > 0 && channel_->IsOpen(); }
    pid_t Process() const { return process_; }
    // Ends the host process now (it dies as a crash would end it).
    void End();
    // Runs a call on the host's channel; when the call closed the channel
    // (the host died, hung or broke the protocol) the host is ended.
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
    std::unique_ptr<bridge::Channel> channel_;
};

// Creates the class from its Windows library in this thread's host.
std::shared_ptr<ComObject> CreateWindowsObject(const ClassEntry& entry);

// Runs an export of a Windows library in this thread's host and returns
// its HRESULT. DllRegisterServer also records the classes, type library and
// interfaces the library registers in the server's registry (what it writes
// is captured), DllUnregisterServer removes them again; both also change
// the Wine prefix's own registry, so that Windows programs find the class.
int32_t RunWindowsExport(const std::string& libraryPath, const std::string& exportName);

// Removes the classes from the Wine prefix's registry (COM+ removed their
// application).
void ForgetWindowsClasses(const std::vector<ClassEntry>& classes);

}  // namespace platform::emulated
