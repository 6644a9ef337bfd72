#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Clock.h"
#include "sink/MorvaneCls.h"
#include "tests/sink/FakeStore.h"

namespace sinktest {

inline const std::string kMbx = "http://mail/exadmin/example.com/mbx";
// Inbox named "Inbox".
inline const std::string kAnn = kMbx + "/ann@example.com";
// Inbox with a localised name.
inline const std::string kBob = kMbx + "/bob@example.com";
// A store's system mailbox: its root exposes no fields.
inline const std::string kSys = kMbx + "/SystemMailbox{0A1B}";
inline const std::string kMissing = kMbx + "/nobody@example.com";
inline const std::string kRegName = "Morvane.reg";
inline const std::string kNow = "[2026-12-07 05:07:58] ";
inline const std::string kEvents = "http://schemas.microsoft.com/exchange/events/";

// A store with three mailboxes and the sink over it, with a fixed clock.
class Registration : public ::testing::Test {
  protected:
    Registration() {
        store_.AddItem(kAnn, {{"DAV:displayname", platform::Variant("ann")},
                              {"urn:schemas:httpmail:inbox", platform::Variant(kAnn + "/Inbox")}});
        store_.AddItem(kAnn + "/Inbox");
        store_.AddItem(kBob,
                       {{"urn:schemas:httpmail:inbox", platform::Variant(kBob + "/Posteingang")}});
        store_.AddItem(kBob + "/Posteingang");
        store_.AddItem(kSys);
        store_.AddItem(kSys + "/StoreEvents");
        store_.AddItem(kSys + "/StoreEvents/GlobalEvents");
    }

    std::string Create(std::string parent, std::string subFolder = "inbox",
                       std::string priority = "65535") {
        std::string name = kRegName, method = "onsyncsave", sinkClass = "Morvane.MorvaneCls",
                    scope = "SHALLOW", criteria = "WHERE \"DAV:ishidden\" = FALSE";
        return sink_.CreateRegItem(parent, subFolder, name, method, sinkClass, scope, criteria,
                                   priority);
    }
    std::string Remove(std::string parent, std::string subFolder = "inbox") {
        std::string name = kRegName;
        return sink_.RemoveRegItem(parent, subFolder, name);
    }
    std::string Check(std::string parent, std::string subFolder = "inbox") {
        std::string name = kRegName;
        return sink_.CheckRegItemExists(parent, subFolder, name);
    }

    // A registration item with one property of its own.
    void PlantItem(const std::string& folderUrl) {
        store_.AddItem(
            folderUrl + "/" + kRegName,
            {{"DAV:contentclass", platform::Variant("urn:content-class:storeeventreg")}});
    }

    // The calls to the store's records and connections that open, change or
    // end something, in order.
    std::vector<std::string> StoreSteps() const {
        std::vector<std::string> steps;
        for (const std::string& call : store_.Calls()) {
            if (call.rfind("Connection.Open", 0) == 0 || call.rfind("Record.Open", 0) == 0 ||
                call.rfind("Record.DeleteRecord", 0) == 0 || call.rfind("Record.Close", 0) == 0 ||
                call.rfind("Connection.Close", 0) == 0 || call.find("Trans") != std::string::npos ||
                call == "Fields.Update")
                steps.push_back(call);
        }
        return steps;
    }

    fakestore::FakeStore store_;
    platform::FixedClock clock_{platform::LocalTime{2026, 12, 7, 5, 7, 58}};
    MorvaneCls sink_{store_, clock_};
};

// Arguments of the calls as the fake store logs them.
inline std::string ConnectionOpen(const std::string& url) {
    return "Connection.Open " + url + " user=\"\" password=\"\" options=-1";
}
inline std::string ReadOpen(const std::string& url) {
    return "Record.Open " + url + " mode=1 create=-1 options=-1 user=\"\" password=\"\"";
}
inline std::string CreateOpen(const std::string& url) {
    return "Record.Open " + url + " mode=3 create=67108864 options=32768 user=\"\" password=\"\"";
}
inline std::string ExistingOpen(const std::string& url) {
    return "Record.Open " + url + " mode=3 create=-1 options=-1 user=\"\" password=\"\"";
}

}  // namespace sinktest
