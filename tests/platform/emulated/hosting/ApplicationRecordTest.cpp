// The record that publishes a COM+ application's process to the server's
// other processes, and the identity that tells the process from a later one
// of the same number.
#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/emulated/hosting/ApplicationProcess.h"
#include "platform/emulated/hosting/ApplicationRecord.h"
#include "platform/emulated/machine/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace platform::emulated;

TEST(ApplicationRecord, ReadsBackWhatWasWrittenUnderAnyNameAndGoesWhenRemoved) {
    testsupport::TempFolder server;
    const ProcessIdentity self = *RunningProcess(getpid());
    for (const std::string name : {"Morvane", "Mail / Sink 2"}) {
        {
            ApplicationRecordLock lock(server.path(), name);
            EXPECT_FALSE(lock.Read()) << name;
            lock.Write({self, 4711, "token"});
        }
        ApplicationRecordLock again(server.path(), name);
        const std::optional<ApplicationRecord> record = again.Read();
        ASSERT_TRUE(record) << name;
        EXPECT_EQ(record->host, self);
        EXPECT_EQ(record->port, 4711);
        EXPECT_EQ(record->token, "token");
    }
    EXPECT_EQ(RecordedApplications(server.path()),
              (std::vector<std::string>{"mail / sink 2", "morvane"}));
    ApplicationRecordLock lock(server.path(), "MORVANE");
    lock.Remove();
    EXPECT_FALSE(lock.Read()) << "the name's letter case names the same record";
}

// A record naming a process that ended, or a later process of the same
// number, names no running host: the next activation starts one.
TEST(ApplicationRecord, EndedOrOtherProcessOfTheSameNumberIsNoRunningHost) {
    testsupport::TempFolder server;
    ChildLaunch launch;
    launch.words = {"sleep", "30"};
    const pid_t child = StartChild(launch);
    const ProcessIdentity identity = *RunningProcess(child);
    EXPECT_FALSE(IsRunning({child, identity.started + 1})) << "a later process of that number";
    {
        ApplicationRecordLock lock(server.path(), "Morvane");
        lock.Write({identity, 1, "token"});
    }
    EXPECT_EQ(RunningApplicationHost(server.path(), "Morvane"), child);
    EndApplicationHost(server.path(), "Morvane");
    EXPECT_FALSE(IsRunning(identity)) << "the host was not ended";
    EXPECT_FALSE(RunningApplicationHost(server.path(), "Morvane"));
    EXPECT_TRUE(RecordedApplications(server.path()).empty());
}

}  // namespace
