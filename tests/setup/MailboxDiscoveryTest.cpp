#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>

#include "platform/emulated/db/Faults.h"
#include "platform/emulated/directory/DirectoryRequests.h"
#include "tests/setup/DiscoveryWorld.h"

using discoverytest::DiscoveryWorld;
using discoverytest::Entries;
using platform::Variant;
using platform::emulated::kAccountDisabled;
using platform::emulated::NewPerson;
using setup::forms::CheckBox;
using setup::forms::Property;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

constexpr const char* kStorePart = "MAIL01 / FIRST STORAGE GROUP / MAILBOX STORE / ";

struct DiscoveryFixture : ::testing::Test {
    DiscoveryWorld world;
    std::unique_ptr<setup::InstallForm> form = world.LoadForm();
    int pictureShown = 0;

    void SetUp() override {
        form->Picture1.Subscribe([this](setup::forms::Control& control, Property property) {
            if (property == Property::Visible && control.Visible()) {
                ++pictureShown;
            }
        });
    }
    void AddPerson(const NewPerson& person) { world.people->Add(person); }
    std::string UserEntry(const std::string& name) const {
        return kStorePart + name + " / " + name + "@corp.example.com / " + name;
    }
    std::string SystemEntry() const {
        const std::string alias = world.systemMailbox.substr(0, world.systemMailbox.find('@'));
        return kStorePart + alias + " / " + world.systemMailbox + " / " + alias;
    }
};

using EmptyDirectory = DiscoveryFixture;

TEST_F(EmptyDirectory, ListsStayEmptyProgressBoxIsNeverShownAndActionsEndDisabled) {
    world.db->Execute("DELETE FROM store_mailboxes");
    form->Check3.SetValue(CheckBox::kChecked);
    form->GetUsersWithMailboxes();
    for (auto* list : {&form->SysMbxInstList, &form->SysMbxUninstList, &form->MbxInstList,
                       &form->MbxUninstList}) {
        EXPECT_EQ(list->ListCount(), 0) << list->Name();
    }
    EXPECT_EQ(pictureShown, 0);
    EXPECT_EQ(world.fakes.eventLoop.runs, 0);
    for (auto* check : {&form->Check2, &form->Check3, &form->Check4, &form->Check5}) {
        EXPECT_EQ(check->Value(), CheckBox::kUnchecked) << check->Name();
        EXPECT_FALSE(check->Enabled()) << check->Name();
    }
    for (auto* button : {&form->Command5, &form->Command6, &form->Command7, &form->Command8}) {
        EXPECT_FALSE(button->Enabled()) << button->Name();
    }
}

TEST_F(EmptyDirectory, AQueryThatCannotRunEndsTheWalkAtOnceWithEmptyLists) {
    form->MbxInstList.AddItem("left over from an earlier run");
    form->cnn->Close();
    form->GetUsersWithMailboxes();
    EXPECT_EQ(form->MbxInstList.ListCount(), 0);
    EXPECT_EQ(form->SysMbxInstList.ListCount(), 0);
    EXPECT_EQ(pictureShown, 0);
    EXPECT_TRUE(world.activation.sink->calls.empty());
}

using ListedMailboxes = DiscoveryFixture;

TEST_F(ListedMailboxes, StoreMailboxesAreListedInCnOrderWithTheirRegistrationState) {
    world.AddMailbox("carol@corp.example.com");
    world.AddMailbox("alice@corp.example.com");
    world.AddMailbox("bob@corp.example.com");
    world.activation.sink->results[DiscoveryWorld::Url("bob@corp.example.com") + "|inbox"] = "1";
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), ElementsAre(UserEntry("alice"), UserEntry("carol")));
    EXPECT_THAT(Entries(form->MbxUninstList), ElementsAre(UserEntry("bob")));
    EXPECT_THAT(Entries(form->SysMbxInstList), ElementsAre(SystemEntry()));
    EXPECT_THAT(Entries(form->SysMbxUninstList), IsEmpty());
    EXPECT_THAT(world.activation.sink->calls,
                ElementsAre(DiscoveryWorld::Url("alice@corp.example.com") + "|inbox|Morvane.reg",
                            DiscoveryWorld::Url("bob@corp.example.com") + "|inbox|Morvane.reg",
                            DiscoveryWorld::Url("carol@corp.example.com") + "|inbox|Morvane.reg",
                            DiscoveryWorld::Url(world.systemMailbox) +
                                "|StoreEvents/GlobalEvents|Morvane.reg"));
}

TEST_F(ListedMailboxes, RegisteredSystemMailboxGoesToTheStoreWideUninstallList) {
    world.activation.sink
        ->results[DiscoveryWorld::Url(world.systemMailbox) + "|StoreEvents/GlobalEvents"] = "1";
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->SysMbxUninstList), ElementsAre(SystemEntry()));
    EXPECT_THAT(Entries(form->SysMbxInstList), IsEmpty());
}

// What the directory was asked, as the directory itself kept it: a
// changed query text or provider property fails here.
TEST_F(ListedMailboxes, TheDirectoryIsAskedTheExactQueryWithItsSixProperties) {
    form->GetUsersWithMailboxes();
    auto request = platform::emulated::LastDirectoryRequest(*world.db);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->commandText,
              "SELECT adspath, cn, msExchHomeServerName,mailNickName,mail,homeMDB, "
              "useraccountcontrol FROM 'GC://dc1.corp.example.com' WHERE "
              "objectcategory='person' AND MsExchMailboxGuid='*' ORDER BY cn");
    EXPECT_EQ(request->properties,
              (std::vector<std::pair<std::string, Variant>>{{"searchscope", Variant(2)},
                                                            {"cache results", Variant(true)},
                                                            {"Chase Referrals", Variant(96)},
                                                            {"Page Size", Variant(100)},
                                                            {"Size Limit", Variant(30000)},
                                                            {"Timeout", Variant(120)}}));
}

// The walk's own query and properties page through a directory of the
// size limit (the directory's tests show where an unpaged query stops).
TEST_F(ListedMailboxes, PagedQueryGetsAllOfThirtyThousand) {
    std::vector<NewPerson> people;
    for (int i = 0; i < 29999; ++i) {
        char cn[16];
        std::snprintf(cn, sizeof cn, "Person %05d", (i * 7919) % 29999);
        people.push_back(world.Person(cn, "MAIL02"));
    }
    world.people->Add(people);  // with the system mailbox: 30,000 mailboxes
    form->GetUsersWithMailboxes();
    EXPECT_DOUBLE_EQ(form->Picture1.ScaleWidth(), 30000);
    EXPECT_EQ(world.fakes.eventLoop.runs, 30000);
    EXPECT_EQ(form->SysMbxInstList.ListCount(), 1) << "the last in cn order is listed too";
}

TEST_F(ListedMailboxes, ActionBoxesEndUntickedAndEnabledExactlyForListsWithEntries) {
    world.AddMailbox("alice@corp.example.com");
    form->GetUsersWithMailboxes();
    EXPECT_TRUE(form->Check2.Enabled());
    EXPECT_TRUE(form->Check3.Enabled());
    EXPECT_FALSE(form->Check4.Enabled());
    EXPECT_FALSE(form->Check5.Enabled());
    EXPECT_TRUE(form->Command5.Enabled());
    EXPECT_TRUE(form->Command6.Enabled());
    EXPECT_FALSE(form->Command7.Enabled());
    EXPECT_FALSE(form->Command8.Enabled());
}

TEST_F(ListedMailboxes, EveryRecordAdvancesTheProgressAndYieldsEvenWhenDropped) {
    world.AddMailbox("alice@corp.example.com");
    AddPerson(world.Person("elsewhere", "MAIL02"));
    form->GetUsersWithMailboxes();
    EXPECT_EQ(world.fakes.eventLoop.runs, 3);  // system mailbox, alice, elsewhere
    EXPECT_EQ(pictureShown, 1);
    EXPECT_FALSE(form->Picture1.Visible());
    EXPECT_DOUBLE_EQ(form->Picture1.ScaleWidth(), 3);
}

TEST_F(ListedMailboxes, ScrollExtentsAreRecomputedAtTheEnd) {
    world.AddMailbox("alice@corp.example.com");
    form->GetUsersWithMailboxes();
    // The fake measures 6 pixels a character, the scroll bar is 16 wide.
    EXPECT_EQ(form->MbxInstList.HorizontalExtent(),
              static_cast<int32_t>(UserEntry("alice").size()) * 6 + 16);
    EXPECT_EQ(form->MbxUninstList.HorizontalExtent(), 0);
}

using HomeServerFilter = DiscoveryFixture;

TEST_F(HomeServerFilter, RecordsOfAnotherServerAreNotListedWhateverTheirKind) {
    NewPerson user = world.Person("user2", "MAIL02");
    NewPerson system = world.Person("SystemMailbox{X2}", "MAIL02");
    NewPerson disabled = world.Person("disabled2", "MAIL02");
    disabled.useraccountcontrol = kAccountDisabled;
    NewPerson storeless = world.Person("storeless2", "MAIL02");
    storeless.homeMDB.reset();
    for (const NewPerson& person : {user, system, disabled, storeless}) {
        AddPerson(person);
    }
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), IsEmpty());
    EXPECT_THAT(Entries(form->SysMbxInstList), ElementsAre(SystemEntry()));
}

TEST_F(HomeServerFilter, ClusterNodeListsMailboxesOfTheVirtualServerToo) {
    AddPerson(world.Person("virtual", "EVS1"));
    form->blnIsClusterNode = true;
    form->ClusterName = "evs1";
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList),
                ElementsAre("EVS1 / FIRST STORAGE GROUP / MAILBOX STORE / virtual / "
                            "virtual@corp.example.com / virtual"));
}

TEST_F(HomeServerFilter, TheClusterNameCountsOnlyOnAClusterNode) {
    AddPerson(world.Person("virtual", "EVS1"));
    form->ClusterName = "EVS1";
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), IsEmpty());
}

TEST_F(HomeServerFilter, ClusterNodeWithoutClusterNameListsRecordsWithoutHomeServer) {
    NewPerson homeless = world.Person("homeless", "MAIL01");
    homeless.msExchHomeServerName.reset();
    AddPerson(homeless);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), IsEmpty());
    form->blnIsClusterNode = true;
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList),
                ElementsAre(" / FIRST STORAGE GROUP / MAILBOX STORE / homeless / "
                            "homeless@corp.example.com / homeless"));
}

TEST_F(HomeServerFilter, OneCharacterAfterTheLastCnKeepsTheWholeValue) {
    NewPerson odd = world.Person("odd", "X");
    odd.msExchHomeServerName = "/o=Corp/cn=Servers/cn=X";
    AddPerson(odd);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), IsEmpty());
    form->ShortComputerName = "/o=corp/cn=servers/cn=x";
    form->GetUsersWithMailboxes();
    ASSERT_EQ(form->MbxInstList.ListCount(), 1);
    EXPECT_EQ(form->MbxInstList.List(0).substr(0, 26), "/O=CORP/CN=SERVERS/CN=X / ");
}

TEST_F(HomeServerFilter, AHomeServerWithoutCnIsTheServerItself) {
    NewPerson plain = world.Person("plain", "MAIL01");
    plain.msExchHomeServerName = "mail01";
    AddPerson(plain);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), ElementsAre(UserEntry("plain")));
}

using EntryKinds = DiscoveryFixture;

TEST_F(EntryKinds, SystemMailboxIsRecognisedInAnyLetterCase) {
    NewPerson lower = world.Person("systemmailbox{zz}", "MAIL01");
    AddPerson(lower);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->SysMbxInstList),
                ElementsAre(SystemEntry(), std::string(kStorePart) + "systemmailbox{zz} / " +
                                               "systemmailbox{zz}@corp.example.com / " +
                                               "systemmailbox{zz}"));
    EXPECT_THAT(Entries(form->MbxInstList), IsEmpty());
}

TEST_F(EntryKinds, SystemMailboxWithoutHomeMdbIsNotListed) {
    NewPerson system = world.Person("SystemMailbox{NOSTORE}", "MAIL01");
    system.homeMDB.reset();
    AddPerson(system);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->SysMbxInstList), ElementsAre(SystemEntry()));
    EXPECT_THAT(Entries(form->MbxInstList), IsEmpty());
}

TEST_F(EntryKinds, DisabledSystemMailboxIsListedWithShowDisabledUnticked) {
    form->Check7.SetValue(CheckBox::kUnchecked);
    form->GetUsersWithMailboxes();
    // The store's own system mailbox belongs to a disabled account.
    EXPECT_THAT(Entries(form->SysMbxInstList), ElementsAre(SystemEntry()));
}

TEST_F(EntryKinds, UserMailboxWithoutAddressIsListedWithoutStateCheck) {
    NewPerson noMail = world.Person("nomail", "MAIL01");
    noMail.mail.reset();
    AddPerson(noMail);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList),
                ElementsAre(std::string(kStorePart) + "nomail /  / nomail"));
    EXPECT_EQ(world.activation.sink->calls.size(), 1u);  // the system mailbox only
}

TEST_F(EntryKinds, DisabledAccountIsListedOnlyWhileShowDisabledIsTicked) {
    NewPerson disabled = world.Person("dis", "MAIL01");
    disabled.useraccountcontrol = kAccountDisabled;
    NewPerson storeless = world.Person("dis2", "MAIL01");
    storeless.useraccountcontrol = kAccountDisabled;
    storeless.homeMDB.reset();
    AddPerson(disabled);
    AddPerson(storeless);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(
        Entries(form->MbxInstList),
        ElementsAre(std::string(kStorePart) + "dis [***DISABLED***] / dis@corp.example.com / dis",
                    "MAIL01 / dis2 [***DISABLED***] / dis2@corp.example.com / dis2"));
    EXPECT_EQ(world.activation.sink->calls.size(), 1u);
    form->Check7.SetValue(CheckBox::kUnchecked);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), IsEmpty());
    form->Check7.SetValue(CheckBox::kGrayed);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), IsEmpty());
}

TEST_F(EntryKinds, AccountControl514CountsAsEnabled) {
    NewPerson person = world.Person("old", "MAIL01");
    person.useraccountcontrol = 514;
    AddPerson(person);
    form->Check7.SetValue(CheckBox::kUnchecked);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), ElementsAre(UserEntry("old")));
}

TEST_F(EntryKinds, AccountWithoutStoreIsMarked) {
    NewPerson storeless = world.Person("nohome", "MAIL01");
    storeless.homeMDB.reset();
    storeless.useraccountcontrol.reset();
    AddPerson(storeless);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList),
                ElementsAre("MAIL01 / nohome [*** No HomeMDB ***] / nohome@corp.example.com / "
                            "nohome"));
}

using StorePaths = DiscoveryFixture;

TEST_F(StorePaths, FirstRelativeNameWithoutCnIsKeptAsTheStoreName) {
    NewPerson person = world.Person("plainstore", "MAIL01");
    person.homeMDB = "  Mailbox Store (MAIL01),CN=Second Group,CN=InformationStore,CN=MAIL01  ";
    AddPerson(person);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList),
                ElementsAre("MAIL01 / SECOND GROUP / MAILBOX STORE (MAIL01) / plainstore / "
                            "plainstore@corp.example.com / plainstore"));
}

TEST_F(StorePaths, PathWithoutCnSeparatorLeavesStoreAndGroupEmpty) {
    NewPerson person = world.Person("flat", "MAIL01");
    person.homeMDB = "just a store";
    NewPerson leading = world.Person("leading", "MAIL01");
    leading.homeMDB = ",CN=Group,CN=InformationStore";
    AddPerson(person);
    AddPerson(leading);
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList),
                ElementsAre("MAIL01 /  /  / flat / flat@corp.example.com / flat",
                            "MAIL01 /  /  / leading / leading@corp.example.com / leading"));
}

using StateChecks = DiscoveryFixture;

TEST_F(StateChecks, ZeroIsNotLoggedOneIsRegisteredErrorLinesAreLoggedFirstWithoutNul) {
    world.AddMailbox("alice@corp.example.com");
    world.AddMailbox("bob@corp.example.com");
    world.AddMailbox("carol@corp.example.com");
    auto& results = world.activation.sink->results;
    const std::string bobLine = "[x] " + DiscoveryWorld::Url("bob@corp.example.com") +
                                "/inbox/Morvane.reg - ERROR: -2147217895 not found";
    const std::string carolLine = "[y] carol - ERROR: 5 Access is denied.";
    results[DiscoveryWorld::Url("alice@corp.example.com") + "|inbox"] = "0";
    results[DiscoveryWorld::Url("bob@corp.example.com") + "|inbox"] =
        bobLine + std::string(1, '\0') + "garbage";
    results[DiscoveryWorld::Url("carol@corp.example.com") + "|inbox"] = carolLine;
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList),
                ElementsAre(UserEntry("alice"), UserEntry("bob"), UserEntry("carol")));
    EXPECT_EQ(form->txtErr.Text(), carolLine + "\r\n\r\n" + bobLine + "\r\n\r\n");
    EXPECT_FALSE(form->txtErr.Visible());
}

// Silently in the window; the run's journal names each mailbox.
TEST_F(StateChecks, ACheckThatCannotBeMadeListsTheMailboxAsNotRegisteredSilently) {
    world.AddMailbox("alice@corp.example.com");
    world.activation.sink->fails = true;
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), ElementsAre(UserEntry("alice")));
    EXPECT_EQ(form->txtErr.Text(), "");
    auto line = [this](const std::string& address) {
        return "[" + world.fakes.Now() + "] Registration state of " + DiscoveryWorld::Url(address) +
               " not checked - ERROR: -2147467259 Automation error\r\n\r\n";
    };
    EXPECT_EQ(form->BatchLog(), line(world.systemMailbox) + line("alice@corp.example.com"));
}

TEST_F(StateChecks, WithoutLibraryObjectEveryMailboxIsNotRegistered) {
    world.AddMailbox("alice@corp.example.com");
    world.activation.creatable = false;
    world.fakes.catalog.applications.clear();
    auto bare = world.LoadForm();
    ASSERT_EQ(bare->Sink(), nullptr);
    const std::string logBefore = bare->txtErr.Text();
    bare->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(bare->MbxInstList), ElementsAre(UserEntry("alice")));
    EXPECT_THAT(Entries(bare->SysMbxInstList), ElementsAre(SystemEntry()));
    EXPECT_EQ(bare->txtErr.Text(), logBefore);
    EXPECT_THAT(bare->BatchLog(),
                AllOf(HasSubstr("Morvane.MorvaneCls object not created - ERROR: -2147221164"),
                      Not(HasSubstr("Registration state"))))
        << "start-up reports the object once, the walk tries no check";
}

using OneWalk = DiscoveryFixture;

// Every click but the walk's own is ignored while the walk yields, and a
// walk asked for from inside it (as a refresh would) does not start.
TEST_F(OneWalk, ClicksThatWouldStartWorkAreIgnoredWhileTheWalkYields) {
    world.AddMailbox("alice@corp.example.com");
    world.AddMailbox("bob@corp.example.com");
    form->Log().AddMessage("kept");
    form->Log().UpdateVisibility();
    form->Window().SetMousePointer(setup::forms::Form::kPointerHourglass);
    world.fakes.eventLoop.onDoEvents = [this] {
        // CHANGE, Uninstall completely, Select All, Clear Error Log
        for (auto* button : {&form->Command1, &form->Command4, &form->Command6, &form->Command3}) {
            button->UserClick();
        }
        // the operation boxes and Show disabled
        for (auto* box :
             {&form->Check2, &form->Check3, &form->Check4, &form->Check5, &form->Check7}) {
            box->UserClick();
        }
        if (world.fakes.eventLoop.runs == 1) {
            form->GetUsersWithMailboxes();
        }
    };
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), ElementsAre(UserEntry("alice"), UserEntry("bob")));
    EXPECT_EQ(world.activation.sink->calls.size(), 3u) << "one state check a mailbox";
    EXPECT_TRUE(world.fakes.messageBox.shown.empty()) << "no question, no 'Please select'";
    EXPECT_EQ(form->Command6.Caption(), "Select All");
    EXPECT_EQ(form->Check7.Value(), CheckBox::kChecked);
    EXPECT_EQ(form->txtErr.Text(), "[" + world.fakes.Now() + "] kept\r\n\r\n");
    EXPECT_EQ(form->Window().MousePointer(), setup::forms::Form::kPointerHourglass)
        << "CHANGE did not run";
    EXPECT_FALSE(form->Window().IsUnloaded());
}

TEST_F(OneWalk, ClosingTheWindowEndsTheWalkAtTheNextRecordThenUnloads) {
    world.AddMailbox("alice@corp.example.com");
    world.AddMailbox("bob@corp.example.com");
    world.fakes.eventLoop.onDoEvents = [this] {
        form->Window().Unload();
        EXPECT_FALSE(form->Window().IsUnloaded()) << "the connection must outlive the walk";
    };
    form->GetUsersWithMailboxes();
    EXPECT_EQ(world.fakes.eventLoop.runs, 1);
    EXPECT_THAT(Entries(form->MbxInstList), ElementsAre(UserEntry("alice")));
    EXPECT_TRUE(form->Window().IsUnloaded());
}

TEST_F(OneWalk, ABatchRunClosedDuringItsWalkRenewsNothingAndFails) {
    world.activation.sink
        ->results[DiscoveryWorld::Url(world.systemMailbox) + "|StoreEvents/GlobalEvents"] = "1";
    setup::InstallForm batch(world.Ports(), "-b");
    batch.Form_Load();
    world.fakes.eventLoop.onDoEvents = [&batch] { batch.Window().Unload(); };
    batch.Form_Activate();
    std::ostringstream err;
    EXPECT_EQ(setup::FinishBatchRun(batch, err), 1);
    EXPECT_EQ(err.str(), "[" + world.fakes.Now() +
                             "] Batch mode ended: the window was closed before the "
                             "registrations were renewed.\r\n\r\n");
    EXPECT_EQ(world.activation.sink->calls.size(), 1u) << "the state check only";
}

using DirectoryFaults = DiscoveryFixture;

TEST_F(DirectoryFaults, UnreadableFieldGivesTheEmptyText) {
    world.AddMailbox("alice@corp.example.com");
    platform::emulated::Faults(*world.db).Plant(
        {0, "directory.field", std::string("*CN=alice,*#mail"), -2147467259, "unreadable", {}});
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList),
                ElementsAre(std::string(kStorePart) + "alice /  / alice"));
}

TEST_F(DirectoryFaults, FailedEndOfRecordsTestCountsAsTheEnd) {
    world.AddMailbox("alice@corp.example.com");
    platform::emulated::Faults(*world.db).Plant({0, "directory.eof", {}, -2147467259, "eof", {}});
    form->GetUsersWithMailboxes();
    EXPECT_EQ(form->MbxInstList.ListCount() + form->SysMbxInstList.ListCount(), 0);
    EXPECT_EQ(pictureShown, 0);
}

TEST_F(DirectoryFaults, ARecordThatCannotBeLeftEndsTheWalkInsteadOfRepeatingIt) {
    world.AddMailbox("alice@corp.example.com");
    world.AddMailbox("bob@corp.example.com");
    platform::emulated::Faults(*world.db).Plant(
        {0, "directory.movenext", std::string("*CN=bob,*"), -2147467259, "stuck", {}});
    form->GetUsersWithMailboxes();
    EXPECT_THAT(Entries(form->MbxInstList), ElementsAre(UserEntry("alice"), UserEntry("bob")));
    EXPECT_THAT(Entries(form->SysMbxInstList), IsEmpty());  // after bob in cn order
    EXPECT_FALSE(form->Picture1.Visible());
}

// Each step the walk skips because a directory call failed is one line of
// the run's journal, with the error; the window's log shows nothing of it.
TEST_F(DirectoryFaults, EachSkippedStepIsOneLineOfTheRunsJournalAndNoneOfTheWindow) {
    world.AddMailbox("alice@corp.example.com");
    const struct {
        const char* operation;
        std::optional<std::string> url;
        const char* skipped;
    } rows[] = {
        {"directory.eof",
         {},
         "Mailbox walk ended at directory record 1: end-of-records test failed"},
        {"directory.movenext", "*CN=alice,*",
         "Mailbox walk ended at directory record 1: move to the next record failed"},
        {"directory.field", "*CN=SystemMailbox*#homeMDB",
         "Field homeMDB of directory record 2 not read"},
        {"directory.recordcount", {}, "Record count of the mailbox directory query not read"},
        {"directory.property", "Page Size", "Directory query property Page Size not set"},
    };
    for (const auto& row : rows) {
        platform::emulated::Faults faults(*world.db);
        faults.Clear();
        faults.Plant({0, row.operation, row.url, -2147467259, "planted", 1});
        auto walked = world.LoadForm();
        walked->GetUsersWithMailboxes();
        EXPECT_EQ(walked->txtErr.Text(), "") << row.operation;
        EXPECT_EQ(walked->BatchLog(), "[" + world.fakes.Now() + "] " + row.skipped +
                                          " - ERROR: -2147467259 planted\r\n\r\n")
            << row.operation;
        // A step that failed and went on as if done walks a record twice.
        std::vector<std::string> listed;
        for (auto* list : {&walked->SysMbxInstList, &walked->SysMbxUninstList, &walked->MbxInstList,
                           &walked->MbxUninstList}) {
            std::ranges::copy(Entries(*list), std::back_inserter(listed));
        }
        const std::set<std::string> distinct(listed.begin(), listed.end());
        EXPECT_EQ(listed.size(), distinct.size())
            << row.operation << ": a mailbox listed twice: " << ::testing::PrintToString(listed);
    }
}

TEST_F(DirectoryFaults, UnknownRecordCountKeepsTheBarWithinTheSizeLimit) {
    world.AddMailbox("alice@corp.example.com");
    platform::emulated::Faults(*world.db).Plant(
        {0, "directory.recordcount", {}, -2147467259, "no count", {}});
    form->GetUsersWithMailboxes();
    EXPECT_DOUBLE_EQ(form->Picture1.ScaleWidth(), 30000);
    EXPECT_EQ(form->MbxInstList.ListCount(), 1);
}

}  // namespace
