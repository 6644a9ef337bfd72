#pragma once

#include <string>

#include "platform/Activation.h"
#include "platform/Catalog.h"
#include "platform/Clock.h"
#include "platform/DirectoryAdo.h"
#include "platform/EventLog.h"
#include "platform/FileSystem.h"
#include "platform/Machine.h"
#include "platform/Profile.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "setup/forms/Ports.h"

namespace setup {

// Everything outside the window that the setup program talks to, handed to
// InstallForm. SystemPorts() (SystemPorts.h) gives the platform's own;
// tests give fakes.
struct SetupPorts {
    platform::Activation& activation;
    platform::catalog::Catalog& catalog;
    platform::Machine& machine;
    platform::sysinfo::SystemInfo& systemInfo;
    platform::directory::Ado& directoryAdo;
    platform::Shell& shell;
    const platform::Clock& clock;
    platform::Profile& profile;
    platform::FileSystem& fileSystem;
    // The Application log's event sources: the sink's is registered with
    // the COM+ application and removed by the complete uninstall.
    platform::EventSources& eventSources;
    forms::MessageBox& messageBox;
    forms::EventLoop& eventLoop;
    forms::TextMeasure& textMeasure;
    // The web address of the link label Label5.
    std::string linkAddress;
};

}  // namespace setup
