#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "platform/emulated/store/StoreConnectionPool.h"
#include "platform/emulated/store/StoreValues.h"
#include "tests/platform/emulated/store/StoreTestSupport.h"

namespace {

using platform::ComError;
using platform::Variant;
using storetest::StoreFixture;
namespace store = platform::store;
namespace hresult = platform::hresult;

constexpr const char* kNotFoundText =
    "Object or data matching the name, range, or selection criteria was not found within the "
    "scope of this operation.";

class StoreAdo : public ::testing::Test {
  protected:
    std::shared_ptr<store::Connection> Connect(const std::string& url) {
        auto connection = fixture.ado.CreateConnection();
        connection->SetProvider("ExOLEDB.DataSource");
        connection->Open(url, "", "", store::adConnectUnspecified);
        return connection;
    }

    std::shared_ptr<store::Record> OpenExisting(store::Connection& connection,
                                                const std::string& url,
                                                int32_t mode = store::adModeReadWrite) {
        auto record = fixture.ado.CreateRecord();
        record->Open(url, connection, mode, store::adFailIfNotExists,
                     store::adOpenRecordUnspecified, "", "");
        return record;
    }

    // Creates (or overwrites) an item with one subject property.
    void CreateItem(store::Connection& connection, const std::string& url,
                    const std::string& subject) {
        auto record = fixture.ado.CreateRecord();
        record->Open(url, connection, store::adModeReadWrite, store::adCreateOverwrite,
                     store::adDelayFetchFields, "", "");
        record->GetFields()->Item("urn:schemas:httpmail:subject")->SetValue(Variant(subject));
        record->GetFields()->Update();
        record->Close();
    }

    // The error of opening url with fail-if-not-exists.
    ComError OpenFailure(store::Connection& connection, const std::string& url) {
        try {
            OpenExisting(connection, url);
        } catch (const ComError& error) {
            return error;
        }
        ADD_FAILURE() << "opening " << url << " did not fail";
        return ComError(0, "");
    }

    StoreFixture fixture;
};

TEST_F(StoreAdo, ConnectionOpensOnAMailboxAndReportsItsState) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = fixture.ado.CreateConnection();
    EXPECT_EQ(connection->State(), store::adStateClosed);
    connection->SetProvider("ExOLEDB.DataSource");
    connection->Open(alice.url, "", "", store::adConnectUnspecified);
    EXPECT_EQ(connection->State(), store::adStateOpen);
    connection->Close();
    EXPECT_EQ(connection->State(), store::adStateClosed);
}

TEST_F(StoreAdo, ConnectionRefusesAnotherProviderAndUnknownMailboxes) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = fixture.ado.CreateConnection();
    connection->SetProvider("adsDSOobject");
    EXPECT_THROW(connection->Open(alice.url, "", "", -1), ComError);
    EXPECT_EQ(connection->State(), store::adStateClosed);

    connection->SetProvider("exoledb.datasource");
    try {
        connection->Open("http://mail01/exadmin/example.com/mbx/nobody@example.com", "", "", -1);
        FAIL() << "connected to a mailbox that does not exist";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), -2147217895);
    }
    EXPECT_THROW(connection->Open("", "", "", -1), ComError);
    EXPECT_EQ(connection->State(), store::adStateClosed);
}

TEST_F(StoreAdo, MissingItemOrFolderFailsWithNotFound) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    for (const std::string& url :
         {alice.inboxUrl + "/Morvane.reg", alice.url + "/NoSuchFolder/Morvane.reg",
          alice.url + "/NoSuchFolder/deeper/x.EML"}) {
        ComError error = OpenFailure(*connection, url);
        EXPECT_EQ(error.number(), hresult::DB_E_NOTFOUND) << url;
        EXPECT_EQ(error.number(), -2147217895) << url;
        EXPECT_EQ(error.description(), kNotFoundText) << url;
    }
    // Creating into a folder that does not exist fails the same way.
    auto record = fixture.ado.CreateRecord();
    try {
        record->Open(alice.url + "/NoSuchFolder/new.EML", *connection, store::adModeReadWrite,
                     store::adCreateOverwrite, store::adDelayFetchFields, "", "");
        FAIL() << "created an item in a missing folder";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), hresult::DB_E_NOTFOUND);
    }
    EXPECT_EQ(record->State(), store::adStateClosed);
}

TEST_F(StoreAdo, RecordOpensAndClosesWithState) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    auto record = OpenExisting(*connection, alice.url, store::adModeRead);
    EXPECT_EQ(record->State(), store::adStateOpen);
    EXPECT_THROW(record->Open(alice.url, *connection, 1, -1, -1, "", ""), ComError);
    record->Close();
    EXPECT_EQ(record->State(), store::adStateClosed);
    EXPECT_THROW(record->Close(), ComError);
    EXPECT_THROW(record->GetFields(), ComError);
}

TEST_F(StoreAdo, RecordNeedsAnOpenConnection) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    connection->Close();
    auto record = fixture.ado.CreateRecord();
    EXPECT_THROW(record->Open(alice.url, *connection, 1, -1, -1, "", ""), ComError);
}

TEST_F(StoreAdo, MailboxRootNamesItsInboxWhateverItsName) {
    auto alice = fixture.AddUser("alice@example.com");
    auto hans = fixture.AddUser("hans@example.com", "Posteingang");
    for (const auto& mailbox : {alice, hans}) {
        auto connection = Connect(mailbox.url);
        auto root = OpenExisting(*connection, mailbox.url, store::adModeRead);
        auto fields = root->GetFields();
        EXPECT_GT(fields->Count(), 0);
        EXPECT_EQ(fields->Item("urn:schemas:httpmail:inbox")->Value(), Variant(mailbox.inboxUrl));
    }
    EXPECT_EQ(hans.inboxUrl, "http://mail01/exadmin/example.com/mbx/hans@example.com/Posteingang");
    EXPECT_EQ(alice.inboxUrl, "http://mail01/exadmin/example.com/mbx/alice@example.com/Inbox");
}

TEST_F(StoreAdo, MailboxRootCanExposeNoFields) {
    auto bare = fixture.AddUser("bare@example.com", "Inbox", false);
    auto connection = Connect(bare.url);
    auto root = OpenExisting(*connection, bare.url, store::adModeRead);
    EXPECT_EQ(root->GetFields()->Count(), 0);
    EXPECT_TRUE(root->GetFields()->Item("urn:schemas:httpmail:inbox")->Value().IsEmpty());
    // Items can still live at the root itself.
    CreateItem(*connection, bare.url + "/Morvane.reg", "at the root");
    EXPECT_EQ(fixture.model.ReadItem(bare.url + "/Morvane.reg")
                  .properties.Get("urn:schemas:httpmail:subject"),
              Variant("at the root"));
}

TEST_F(StoreAdo, LiteralInboxPathFindsOnlyAnInboxOfThatName) {
    auto alice = fixture.AddUser("alice@example.com");
    auto hans = fixture.AddUser("hans@example.com", "Posteingang");
    auto connection = Connect(alice.url);
    EXPECT_NO_THROW(OpenExisting(*connection, alice.url + "/INBOX"));
    EXPECT_EQ(OpenFailure(*connection, hans.url + "/inbox").number(), hresult::DB_E_NOTFOUND);
}

TEST_F(StoreAdo, FieldsHoldEveryValueType) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    const std::string url = alice.inboxUrl + "/typed.EML";
    auto record = fixture.ado.CreateRecord();
    record->Open(url, *connection, store::adModeReadWrite, store::adCreateOverwrite,
                 store::adDelayFetchFields, "", "");
    auto fields = record->GetFields();
    EXPECT_EQ(fields->Count(), 0);
    fields->Item("s")->SetValue(Variant("text"));
    fields->Item("i")->SetValue(Variant(int32_t{-7}));
    fields->Item("b")->SetValue(Variant(true));
    fields->Item("a")->SetValue(Variant::StringArray({"one", "", "three"}));
    fields->Item("gone")->SetValue(Variant("soon"));
    fields->Item("gone")->SetValue(Variant());
    fields->Update();
    record->Close();

    auto again = OpenExisting(*connection, url, store::adModeRead);
    auto read = again->GetFields();
    EXPECT_EQ(read->Count(), 4);
    EXPECT_EQ(read->Item("s")->Value(), Variant("text"));
    EXPECT_EQ(read->Item("i")->Value(), Variant(int32_t{-7}));
    EXPECT_EQ(read->Item("b")->Value(), Variant(true));
    EXPECT_EQ(read->Item("a")->Value(), Variant::StringArray({"one", "", "three"}));
    EXPECT_TRUE(read->Item("gone")->Value().IsEmpty());
    EXPECT_TRUE(read->Item("never set")->Value().IsEmpty());
    // Property names ignore case, as the store's do.
    EXPECT_EQ(read->Item("S")->Value(), Variant("text"));
}

TEST_F(StoreAdo, CreateOverwriteReplacesTheItemOfTheSameName) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    const std::string url = alice.inboxUrl + "/Morvane.reg";
    auto first = fixture.ado.CreateRecord();
    first->Open(url, *connection, store::adModeReadWrite, store::adCreateOverwrite,
                store::adDelayFetchFields, "", "");
    first->GetFields()->Item("old")->SetValue(Variant("left over"));
    first->GetFields()->Item("urn:schemas:httpmail:subject")->SetValue(Variant("first"));
    first->GetFields()->Update();
    first->Close();
    CreateItem(*connection, url, "second");

    auto items = fixture.model.Items(alice.inboxUrl);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].properties.Get("urn:schemas:httpmail:subject"), Variant("second"));
    EXPECT_FALSE(items[0].properties.Has("old"));
}

TEST_F(StoreAdo, EditOfAnExistingItemKeepsItsOtherProperties) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    const std::string url = alice.inboxUrl + "/note.EML";
    CreateItem(*connection, url, "kept");
    auto record = OpenExisting(*connection, url);
    record->GetFields()
        ->Item("urn:schemas-microsoft-com:office:office#Comments")
        ->SetValue(Variant("added"));
    record->GetFields()->Update();
    record->Close();
    auto item = fixture.model.ReadItem(url);
    EXPECT_EQ(item.properties.Get("urn:schemas:httpmail:subject"), Variant("kept"));
    EXPECT_EQ(item.properties.Get("urn:schemas-microsoft-com:office:office#Comments"),
              Variant("added"));
}

TEST_F(StoreAdo, ReadOnlyRecordRefusesToSaveOrDelete) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    const std::string url = alice.inboxUrl + "/note.EML";
    CreateItem(*connection, url, "original");
    auto record = OpenExisting(*connection, url, store::adModeRead);
    record->GetFields()->Item("urn:schemas:httpmail:subject")->SetValue(Variant("changed"));
    EXPECT_THROW(record->GetFields()->Update(), ComError);
    EXPECT_THROW(record->DeleteRecord("", false), ComError);
    EXPECT_EQ(fixture.model.ReadItem(url).properties.Get("urn:schemas:httpmail:subject"),
              Variant("original"));
}

TEST_F(StoreAdo, DeleteRecordRemovesTheOpenItem) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    const std::string url = alice.inboxUrl + "/Morvane.reg";
    CreateItem(*connection, url, "doomed");
    CreateItem(*connection, alice.inboxUrl + "/other.EML", "stays");
    auto record = OpenExisting(*connection, url);
    record->DeleteRecord("", false);
    EXPECT_EQ(OpenFailure(*connection, url).number(), hresult::DB_E_NOTFOUND);
    EXPECT_EQ(fixture.model.Items(alice.inboxUrl).size(), 1u);
    // A folder is not deleted this way.
    auto folder = OpenExisting(*connection, alice.inboxUrl);
    EXPECT_THROW(folder->DeleteRecord("", false), ComError);
}

TEST_F(StoreAdo, TransactionChangesAreInvisibleToOthersUntilCommit) {
    auto alice = fixture.AddUser("alice@example.com");
    auto writer = Connect(alice.url);
    auto reader = Connect(alice.url);
    const std::string url = alice.inboxUrl + "/Morvane.reg";
    writer->BeginTrans();
    CreateItem(*writer, url, "pending");
    // The writer sees its own change, the reader does not.
    EXPECT_NO_THROW(OpenExisting(*writer, url, store::adModeRead));
    EXPECT_EQ(OpenFailure(*reader, url).number(), hresult::DB_E_NOTFOUND);
    writer->CommitTrans();
    auto record = OpenExisting(*reader, url, store::adModeRead);
    EXPECT_EQ(record->GetFields()->Item("urn:schemas:httpmail:subject")->Value(),
              Variant("pending"));
}

TEST_F(StoreAdo, ClosingInsideATransactionFailsAndReleasingRollsItBack) {
    auto alice = fixture.AddUser("alice@example.com");
    const std::string url = alice.inboxUrl + "/Morvane.reg";
    {
        auto writer = Connect(alice.url);
        writer->BeginTrans();
        CreateItem(*writer, url, "never committed");
        // ADO refuses an explicit close while a transaction is open.
        try {
            writer->Close();
            ADD_FAILURE() << "Close inside a transaction succeeded";
        } catch (const ComError& error) {
            EXPECT_EQ(error.number(), hresult::FromUnsigned(0x800A0C93));
        }
        EXPECT_EQ(writer->State(), store::adStateOpen);
    }
    {
        // Releasing a connection without closing it rolls back as well.
        auto writer = Connect(alice.url);
        writer->BeginTrans();
        CreateItem(*writer, url, "released");
    }
    auto reader = Connect(alice.url);
    EXPECT_EQ(OpenFailure(*reader, url).number(), hresult::DB_E_NOTFOUND);
    EXPECT_TRUE(fixture.model.Items(alice.inboxUrl).empty());
}

// The pool itself, without a store connection that rolls back first: a
// connection given back inside a transaction is lent again without it, and
// what the transaction wrote is gone.
TEST_F(StoreAdo, APooledConnectionGivenBackInsideATransactionComesBackWithoutIt) {
    const char* generation = "SELECT value FROM configuration_generation WHERE id = 1";
    auto read = [&](platform::emulated::ServerDb& db) {
        auto query = db.Prepare(generation);
        return query.Step() ? query.Int(0) : -1;
    };
    int64_t before = 0;
    {
        auto db = platform::emulated::TakePooledServer(fixture.serverFolder());
        before = read(*db);
        db->Execute("BEGIN");
        db->Execute("UPDATE configuration_generation SET value = value + 1 WHERE id = 1");
    }
    auto again = platform::emulated::TakePooledServer(fixture.serverFolder());
    EXPECT_FALSE(again->InTransaction());
    EXPECT_EQ(read(*again), before);
}

TEST_F(StoreAdo, RollbackTransUndoesAndCommitWithoutTransactionFails) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    EXPECT_THROW(connection->CommitTrans(), ComError);
    connection->BeginTrans();
    EXPECT_THROW(connection->BeginTrans(), ComError);
    CreateItem(*connection, alice.inboxUrl + "/x.EML", "undone");
    connection->RollbackTrans();
    EXPECT_TRUE(fixture.model.Items(alice.inboxUrl).empty());
    // The connection goes on working after the rollback.
    CreateItem(*connection, alice.inboxUrl + "/y.EML", "kept");
    EXPECT_EQ(fixture.model.Items(alice.inboxUrl).size(), 1u);
}

TEST_F(StoreAdo, UrlsIgnoreLetterCase) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect("HTTP://MAIL01/ExAdmin/EXAMPLE.COM/MBX/Alice@Example.com");
    CreateItem(*connection, alice.inboxUrl + "/Note.EML", "x");
    auto record = OpenExisting(
        *connection, "http://mail01/exadmin/example.com/mbx/ALICE@example.com/inbox/NOTE.eml");
    EXPECT_EQ(record->GetFields()->Item("urn:schemas:httpmail:subject")->Value(), Variant("x"));
}

TEST_F(StoreAdo, FieldsOfAClosedRecordRefuseToWork) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    auto record = OpenExisting(*connection, alice.url);
    auto fields = record->GetFields();
    auto inbox = fields->Item("urn:schemas:httpmail:inbox");
    record->Close();
    EXPECT_THROW(fields->Count(), ComError);
    EXPECT_THROW(inbox->Value(), ComError);
}

}  // namespace
