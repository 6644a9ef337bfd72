#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/emulated/hosting/WindowsHost.h"

// The process of a COM+ server application, as the platform runs one for
// the whole server: a Windows host under Wine (tools/wine's application
// host) started at the first activation of one of the application's
// classes by whichever process of the server activates first, published
// in the server's folder (ApplicationRecord.h) and shared by every thread
// of every process of the server, each over a connection of its own kept
// for the thread's life. It ends after the application's ShutdownAfter
// idle minutes, when it is shut down or its application removed, and when
// its server's folder goes; the next activation starts a new one. A host
// that dies or hangs fails the calls at hand; the next activation starts a
// new one.
namespace platform::emulated {

// How long one minute of ShutdownAfter lasts, in milliseconds: a minute,
// unless $MORVANE_COMPLUS_MINUTE_MS says otherwise (tests shorten it).
int ComPlusMinuteMs();

// This thread's connection to the application's host, started when none
// runs. A host that cannot start throws CO_E_SERVER_EXEC_FAILURE.
std::shared_ptr<WindowsHost> ApplicationHostOfThisThread(const std::string& serverFolder,
                                                         const std::string& application);

// This thread's connection to the application's host when one runs; none
// when none runs (nothing is started).
std::shared_ptr<WindowsHost> RunningApplicationHostOfThisThread(const std::string& serverFolder,
                                                                const std::string& application);

// The application's host, when one runs.
std::optional<pid_t> RunningApplicationHost(const std::string& serverFolder,
                                            const std::string& application);

// Ends the application's host, if one runs, at once: the calls it is in
// fail. The next activation starts a new one.
void EndApplicationHost(const std::string& serverFolder, const std::string& application);
// Ends the host of every application of the server.
void EndApplicationHosts(const std::string& serverFolder);

}  // namespace platform::emulated
