#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "setup/InstallForm.h"
#include "setup/qt/QtMessageBox.h"
#include "setup/qt/QtPorts.h"
#include "setup/qt/SetupWindow.h"
#include "tests/setup/FakePorts.h"
#include "tests/setup/qt/GuiTestSupport.h"

namespace guitest {

// The setup window on the fake ports, with the Qt window services: a
// supported platform, the sink class creatable and its COM+ application
// present.
struct WindowFixture : ::testing::Test {
    setupfakes::FakeWorld world;
    setup::qt::QtMessageBox messageBox;
    setup::qt::QtEventLoop eventLoop;
    setup::qt::QtTextMeasure textMeasure;
    setup::qt::QtShell shell{world.shell};
    std::unique_ptr<setup::InstallForm> form;
    std::unique_ptr<setup::qt::SetupWindow> window;
    int unloadedCalls = 0;

    WindowFixture() {
        world.activation.creatable.insert("Morvane.MorvaneCls");
        world.catalog.AddApplication("Morvane");
    }
    void TearDown() override {
        window.reset();
        form.reset();
    }
    setup::SetupPorts Ports() {
        setup::SetupPorts fake = world.Ports();
        return setup::SetupPorts{
            fake.activation, fake.catalog, fake.machine, fake.systemInfo, fake.directoryAdo,
            shell,           fake.clock,   fake.profile, fake.fileSystem, fake.eventSources,
            messageBox,      eventLoop,    textMeasure,  fake.linkAddress};
    }
    // Loads the form, opens the window and lets the first activation run.
    void Open(const std::string& commandLine = "") {
        form = std::make_unique<setup::InstallForm>(Ports(), commandLine);
        form->Form_Load();
        window = std::make_unique<setup::qt::SetupWindow>(*form, &shell);
        window->OnUnloaded([this] { ++unloadedCalls; });
        messageBox.SetParent(window.get());
        window->show();
        Settle();
    }
    const setup::qt::SetupWidgets& W() const { return window->Widgets(); }
};

}  // namespace guitest
