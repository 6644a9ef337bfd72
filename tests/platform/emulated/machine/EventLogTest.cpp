#include "platform/emulated/machine/MachineEventLog.h"

#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "tests/setup/emulated/EmulatedServerFixture.h"

namespace {

using MachineEventLog = EmulatedServerFixture;

// The sink's reports catch nothing but ComError: the server's own failures
// must arrive as one. (Entries written are read back by morvane-lab's tests.)
TEST_F(MachineEventLog, LogOfAMissingServerFailsWithEFail) {
    platform::emulated::EmulatedEventLog log([this] { return folder_.File("no server"); });
    try {
        log.Report(platform::EventReport{"Morvane", platform::EventType::Warning, 1, {}});
        FAIL() << "a missing server was written";
    } catch (const platform::ComError& error) {
        EXPECT_EQ(error.number(), platform::hresult::E_FAIL);
    }
}

}  // namespace
