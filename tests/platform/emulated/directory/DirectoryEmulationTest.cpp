#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "platform/emulated/db/Faults.h"
#include "platform/emulated/directory/DirectoryCommand.h"
#include "platform/emulated/directory/DirectoryQuery.h"
#include "platform/emulated/directory/DirectoryService.h"
#include "platform/emulated/directory/LdapQuery.h"
#include "tests/setup/DiscoveryWorld.h"
#include "tests/support/ErrorNumber.h"

using discoverytest::DiscoveryWorld;
using platform::ComError;
using platform::Variant;
using platform::emulated::DirectoryCondition;
using platform::emulated::NewPerson;
using platform::emulated::ParseDirectoryQuery;
using ::testing::ElementsAre;

namespace {

using testsupport::ErrorNumberOf;

constexpr int32_t kErrorsInCommand = platform::hresult::FromUnsigned(0x80040E14);
constexpr const char* kMailboxQuery =
    "SELECT adspath, cn, msExchHomeServerName,mailNickName,mail,homeMDB, useraccountcontrol "
    "FROM 'GC://dc1.corp.example.com' "
    "WHERE objectcategory='person' AND MsExchMailboxGuid='*' ORDER BY cn";

TEST(DirectoryDialect, MailboxQueryParsesIntoColumnsSourceConditionsAndKey) {
    auto query = ParseDirectoryQuery(kMailboxQuery);
    EXPECT_THAT(query.columns, ElementsAre("adspath", "cn", "msExchHomeServerName", "mailNickName",
                                           "mail", "homeMDB", "useraccountcontrol"));
    EXPECT_EQ(query.from, "GC://dc1.corp.example.com");
    ASSERT_EQ(query.conditions.size(), 2u);
    EXPECT_EQ(query.conditions[0].attribute, "objectcategory");
    EXPECT_EQ(query.conditions[0].kind, DirectoryCondition::Kind::Equals);
    EXPECT_EQ(query.conditions[0].value, "person");
    EXPECT_EQ(query.conditions[1].kind, DirectoryCondition::Kind::Present);
    EXPECT_EQ(query.orderBy, "cn");
}

TEST(DirectoryDialect, DoubledApostropheIsOneApostropheAndTrailingStarAPrefix) {
    auto query = ParseDirectoryQuery(
        "select msExchHomeServerName from 'GC://h' where sAMAccountName='o''neil' and cn='ab*'");
    ASSERT_EQ(query.conditions.size(), 2u);
    EXPECT_EQ(query.conditions[0].value, "o'neil");
    EXPECT_EQ(query.conditions[1].kind, DirectoryCondition::Kind::Prefix);
    EXPECT_EQ(query.conditions[1].value, "ab");
    EXPECT_FALSE(query.orderBy.has_value());
}

TEST(DirectoryDialect, TextsOutsideTheDialectAreCommandErrors) {
    for (const char* text : {"SELECT cn FROM 'GC://h' WHERE sAMAccountName='o'neil'",
                             "SELECT cn 'GC://h'", "SELECT cn FROM 'GC://h' WHERE cn='a' OR cn='b'",
                             "SELECT cn FROM 'GC://h' WHERE cn<'a'", "SELECT cn FROM 'GC://h",
                             "SELECT FROM 'GC://h'", "SELECT cn FROM 'GC://h' ORDER BY", ""}) {
        EXPECT_EQ(ErrorNumberOf([&] { ParseDirectoryQuery(text); }), kErrorsInCommand) << text;
    }
}

// The LDAP search the provider makes of a query of its dialect.
struct LdapTranslationCase {
    const char* text;
    const char* filter;
    const char* base;
    std::vector<std::string> attributes;
    const char* sortKey;  // nullptr: no sort
    bool descending;
};

TEST(LdapTranslation, QueriesBecomeTheSearchesTheProviderSends) {
    const LdapTranslationCase cases[] = {
        {kMailboxQuery,
         "(&(objectcategory=person)(MsExchMailboxGuid=*))",
         "",
         {"cn", "msExchHomeServerName", "mailNickName", "mail", "homeMDB", "useraccountcontrol"},
         "cn",
         false},
        {"SELECT msExchHomeServerName FROM 'GC://h/DC=corp,DC=example' "
         "WHERE sAMAccountName='o''(n)*eil\\'",
         "(sAMAccountName=o'\\28n\\29\\2aeil\\5c)",
         "DC=corp,DC=example",
         {"msExchHomeServerName"},
         nullptr,
         false},
        {"SELECT adspath FROM 'GC://h' WHERE cn='ab*'", "(cn=ab*)", "", {"1.1"}, nullptr, false},
        {"SELECT * FROM 'GC://h' ORDER BY cn DESC", "(objectClass=*)", "", {}, "cn", true},
    };
    for (const LdapTranslationCase& row : cases) {
        const auto request = platform::emulated::LdapRequestFor(ParseDirectoryQuery(row.text));
        EXPECT_EQ(request.filter, row.filter) << row.text;
        EXPECT_EQ(request.base, row.base) << row.text;
        EXPECT_EQ(request.attributes, row.attributes) << row.text;
        EXPECT_EQ(request.sortKey.value_or("-"), row.sortKey ? row.sortKey : "-") << row.text;
        EXPECT_EQ(request.descending, row.descending) << row.text;
    }
}

TEST(LdapTranslation, EntriesBecomeRowsInTheAttributesSyntaxes) {
    platform::emulated::LdapEntry entry{"CN=Jo,CN=Users,DC=corp",
                                        {{"cn", {"Jo"}},
                                         {"userAccountControl", {"66050"}},
                                         {"objectClass", {"top", "user"}},
                                         {"msExchMailboxGuid", {std::string("\x01\xff", 2)}}}};
    const auto row = platform::emulated::PersonFromEntry(entry, "dc1.corp");
    EXPECT_EQ(*row.Find("cn"), Variant("Jo"));
    EXPECT_EQ(*row.Find("USERACCOUNTCONTROL"), Variant(66050));
    EXPECT_EQ(*row.Find("objectClass"), Variant(Variant::Array{"top", "user"}));
    EXPECT_EQ(*row.Find("msExchMailboxGuid"), Variant(Variant::Array{1, 255}));
    EXPECT_EQ(*row.Find("adspath"), Variant("GC://dc1.corp/CN=Jo,CN=Users,DC=corp"));
}

TEST(LdapTranslation, LdapFailuresAreTheProvidersErrors) {
    const std::pair<int, uint32_t> cases[] = {
        {-1, 0x8007203A},  // the server down
        {49, 0x8007052E},  // invalid credentials
        {1, 0x80072020},   // an operations error: no bind before the search
        {32, 0x80072030},  // no such object
        {-7, 0x8007203E},  // a filter the client library cannot send
        {9999, 0x8007001F},
    };
    for (const auto& [code, number] : cases) {
        EXPECT_EQ(ErrorNumberOf([&] { platform::emulated::ThrowLdapError(code); }),
                  platform::hresult::FromUnsigned(number))
            << code;
    }
}

struct DirectoryFixture : ::testing::Test {
    DiscoveryWorld world;
    std::shared_ptr<platform::directory::Connection> connection = Open();

    std::shared_ptr<platform::directory::Connection> Open() {
        auto opened = world.directoryAdo.CreateConnection();
        opened->SetProvider("adsDSOobject");
        opened->Open("GC://dc1.corp.example.com", "", "", -1);
        return opened;
    }
    std::shared_ptr<platform::directory::Recordset> Run(const std::string& text,
                                                        int32_t sizeLimit = 0,
                                                        int32_t pageSize = 0) {
        auto command = world.directoryAdo.CreateCommand();
        command->SetActiveConnection(connection);
        command->SetCommandText(text);
        command->SetProperty("Size Limit", sizeLimit);
        if (pageSize > 0)
            command->SetProperty("Page Size", pageSize);
        return command->Execute(-1);
    }
    std::vector<std::string> Column(platform::directory::Recordset& records,
                                    const std::string& name) {
        std::vector<std::string> values;
        for (; !records.IsEOF(); records.MoveNext()) {
            values.push_back(records.FieldValue(name).AppendToEmptyString());
        }
        return values;
    }
};

using StorePeople = DirectoryFixture;

TEST_F(StorePeople, MailboxesOfTheStoreAreMailboxEnabledPeopleConsistentWithIt) {
    world.AddMailbox("alice@corp.example.com", "Alice Example");
    auto records = Run(kMailboxQuery);
    ASSERT_EQ(records->RecordCount(), 2);
    EXPECT_EQ(records->FieldValue("cn"), Variant("Alice Example"));
    EXPECT_EQ(records->FieldValue("mail"), Variant("alice@corp.example.com"));
    EXPECT_EQ(records->FieldValue("mailNickName"), Variant("alice"));
    EXPECT_EQ(
        records->FieldValue("msExchHomeServerName"),
        Variant("/o=corp/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=MAIL01"));
    EXPECT_EQ(records->FieldValue("homeMDB"),
              Variant("CN=Mailbox Store,CN=First Storage Group,CN=InformationStore,CN=MAIL01,"
                      "CN=Servers,CN=First Administrative Group,CN=Administrative Groups,CN=corp,"
                      "CN=Microsoft Exchange,CN=Services,CN=Configuration,DC=corp,DC=example,"
                      "DC=com"));
    EXPECT_EQ(records->FieldValue("useraccountcontrol"), Variant(66048));
    records->MoveNext();
    const std::string alias = world.systemMailbox.substr(0, world.systemMailbox.find('@'));
    EXPECT_EQ(alias.rfind("SystemMailbox{", 0), 0u);
    EXPECT_EQ(records->FieldValue("mailNickName"), Variant(alias));
    EXPECT_EQ(records->FieldValue("mail"), Variant(world.systemMailbox));
    records->MoveNext();
    EXPECT_TRUE(records->IsEOF());
}

TEST_F(StorePeople, MailboxGuidAndAccountNameMatchTheStore) {
    world.AddMailbox("bob@corp.example.com");
    auto mailbox = world.store->FindMailbox("bob@corp.example.com");
    ASSERT_TRUE(mailbox.has_value());
    auto records =
        Run("SELECT msExchMailboxGuid FROM 'GC://dc1.corp.example.com' WHERE sAMAccountName='BOB'");
    ASSERT_FALSE(records->IsEOF());
    EXPECT_EQ(records->FieldValue("msExchMailboxGuid"), Variant(mailbox->guid));
}

TEST_F(StorePeople, PeopleWithoutMailboxAreNotMailboxEnabled) {
    NewPerson plain;
    plain.cn = "No Mailbox";
    plain.mail = "nomailbox@corp.example.com";
    world.people->Add(plain);
    EXPECT_EQ(Run(kMailboxQuery)->RecordCount(), 1);  // the system mailbox
    EXPECT_EQ(Run("SELECT cn FROM 'GC://dc1.corp.example.com' WHERE objectCategory='person'")
                  ->RecordCount(),
              2);
}

using DirectoryCommands = DirectoryFixture;

TEST_F(DirectoryCommands, AbsentAttributeReadsAsNullAndUnselectedColumnIsNotFound) {
    NewPerson odd;
    odd.cn = "Odd";
    odd.msExchMailboxGuid = "{odd}";
    world.people->Add(odd);
    auto records = Run("SELECT cn, mail, homeMDB FROM 'GC://dc1.corp.example.com' WHERE cn='odd'");
    ASSERT_FALSE(records->IsEOF());
    EXPECT_TRUE(records->FieldValue("mail").IsNull());
    EXPECT_TRUE(records->FieldValue("HOMEMDB").IsNull());
    EXPECT_EQ(ErrorNumberOf([&] { records->FieldValue("useraccountcontrol"); }),
              platform::directory::adErrItemNotFound);
}

// The people are stored out of their sort order (by address), so a size
// limit applied before the sort would keep the wrong ones.
TEST_F(DirectoryCommands, SizeLimitCapsTheRecordsInSortOrder) {
    int n = 0;
    for (const char* name : {"dora", "Bea", "carl", "Abe"}) {
        world.AddMailbox("a" + std::to_string(++n) + "@corp.example.com", name);
    }
    auto records = Run(kMailboxQuery, 3);
    EXPECT_EQ(records->RecordCount(), 3);
    EXPECT_THAT(Column(*records, "cn"), ElementsAre("Abe", "Bea", "carl"));
}

TEST_F(DirectoryCommands, OrderByFollowsTheUnicodeCollationWithoutLetterCase) {
    int n = 0;
    for (const char* name : {"Zo\u00EB", "\u00C9mile", "zach", "eve", "\u00C5sa", "abe"}) {
        world.AddMailbox("p" + std::to_string(++n) + "@corp.example.com", name);
    }
    // A byte order of lower-cased texts would put the accented names last.
    EXPECT_THAT(Column(*Run(kMailboxQuery), "cn"),
                ElementsAre("abe", "\u00C5sa", "\u00C9mile", "eve",
                            ::testing::StartsWith("SystemMailbox{"), "zach", "Zo\u00EB"));
}

TEST(DirectoryPaging, UnpagedQueriesStopAtOneThousandPagedOnesAtTheSizeLimit) {
    using platform::emulated::ResultLimit;
    EXPECT_EQ(ResultLimit(0, 0), 1000);
    EXPECT_EQ(ResultLimit(0, 3), 3);
    EXPECT_EQ(ResultLimit(0, 30000), 1000);
    EXPECT_EQ(ResultLimit(100, 30000), 30000);
    EXPECT_EQ(ResultLimit(100, 0), 0);  // no limit
}

TEST_F(DirectoryCommands, WalkingPastTheEndAndUsingAClosedRecordsetFail) {
    auto records = Run("SELECT cn FROM 'GC://dc1.corp.example.com' WHERE cn='nobody'");
    EXPECT_TRUE(records->IsEOF());
    EXPECT_EQ(records->RecordCount(), 0);
    EXPECT_NE(ErrorNumberOf([&] { records->MoveNext(); }), 0);
    EXPECT_NE(ErrorNumberOf([&] { records->FieldValue("cn"); }), 0);
    records->Close();
    EXPECT_NE(ErrorNumberOf([&] { records->IsEOF(); }), 0);
    EXPECT_NE(ErrorNumberOf([&] { records->Close(); }), 0);
}

TEST_F(DirectoryCommands, UnknownPropertyWrongHostAndClosedConnectionFail) {
    auto command = world.directoryAdo.CreateCommand();
    command->SetActiveConnection(connection);
    EXPECT_EQ(ErrorNumberOf([&] { command->SetProperty("Colour", 1); }),
              platform::directory::adErrItemNotFound);
    command->SetProperty("chase referrals", 0x60);
    command->SetCommandText("SELECT cn FROM 'GC://elsewhere.example.com' WHERE cn='a'");
    EXPECT_EQ(ErrorNumberOf([&] { command->Execute(-1); }),
              platform::hresult::FromUnsigned(0x8007203A));
    connection->Close();
    EXPECT_EQ(ErrorNumberOf([&] { command->Execute(-1); }),
              platform::hresult::FromUnsigned(0x800A0E7D));
    EXPECT_NE(ErrorNumberOf([&] { command->SetActiveConnection(nullptr); }), 0);
}

TEST_F(DirectoryCommands, PlantedExecuteFaultFailsTheQueryOnce) {
    platform::emulated::Faults(*world.db).Plant(
        {0, "directory.execute", std::string("GC://dc1*"), -2147016646, "down", int64_t{1}});
    EXPECT_EQ(ErrorNumberOf([&] { Run(kMailboxQuery); }), -2147016646);
    EXPECT_EQ(Run(kMailboxQuery)->RecordCount(), 1);
}

// The directory stopping before the second page of five records paged by
// two: the first page stays readable, the count and the move past it fail as
// a server that is gone fails, and so does every query until it starts again.
TEST_F(DirectoryCommands, DirectoryStoppedBetweenPagesFailsTheReadsThatNeedIt) {
    for (const char* name : {"a", "b", "c", "d"})
        world.AddMailbox(std::string(name) + "@corp.example.com", name);
    using platform::emulated::ReadDirectoryService;
    platform::emulated::Faults(*world.db).Plant(
        {0, "directory.stop", std::string("2"), 0, "", int64_t{1}});
    auto records = Run(kMailboxQuery, 30000, 2);
    const int32_t down = platform::hresult::FromUnsigned(0x8007203A);
    EXPECT_EQ(ErrorNumberOf([&] { records->RecordCount(); }), down);
    EXPECT_EQ(records->FieldValue("cn"), Variant("a"));
    records->MoveNext();
    EXPECT_EQ(ErrorNumberOf([&] { records->MoveNext(); }), down);
    EXPECT_EQ(records->FieldValue("cn"), Variant("b"));
    EXPECT_TRUE(ReadDirectoryService(*world.db).stopped);
    EXPECT_EQ(ErrorNumberOf([&] { Run(kMailboxQuery); }), down);
    auto service = ReadDirectoryService(*world.db);
    service.stopped = false;
    platform::emulated::WriteDirectoryService(*world.db, service);
    EXPECT_EQ(Run(kMailboxQuery, 30000, 2)->RecordCount(), 5);
}

TEST_F(DirectoryCommands, WrongBindPasswordIsRefusedAsTheDirectoryRefusesIt) {
    platform::emulated::DirectoryService service;
    service.password = "wrong";
    platform::emulated::WriteDirectoryService(*world.db, service);
    EXPECT_EQ(ErrorNumberOf([&] { Run(kMailboxQuery); }),
              platform::hresult::FromUnsigned(0x8007052E));
    service.password = platform::emulated::kBindPassword;
    platform::emulated::WriteDirectoryService(*world.db, service);
    EXPECT_EQ(Run(kMailboxQuery)->RecordCount(), 1);
}

}  // namespace
