#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "platform/emulated/db/Faults.h"
#include "platform/emulated/directory/DirectoryAdoConnection.h"
#include "platform/emulated/directory/SystemInfoObjects.h"
#include "platform/emulated/machine/MachineFacts.h"
#include "tests/setup/emulated/EmulatedServerFixture.h"
#include "tests/support/ErrorNumber.h"

using namespace platform::emulated;

namespace {

using testsupport::ErrorNumberOf;

using SystemInfoObjects = EmulatedServerFixture;

TEST_F(SystemInfoObjects, NamesComeFromTheMachineFacts) {
    MatchMachineToServer(*db_, "MAIL01", "Corp.Example.com");
    EmulatedSystemInfo systemInfo(ServerFolderFunction());
    EXPECT_EQ(systemInfo.CreateWinNTSystemInfo()->ComputerName(), "MAIL01");
    EXPECT_EQ(systemInfo.CreateADSystemInfo()->DomainDNSName(), "Corp.Example.com");
    auto root = systemInfo.GetObject("gc://rootdse");
    EXPECT_EQ(root->Get("dnshostname"), platform::Variant("dc1.corp.example.com"));
    EXPECT_EQ(ErrorNumberOf([&] { root->Get("defaultNamingContext"); }),
              directory_error::kPropertyNotFound);
}

TEST_F(SystemInfoObjects, MissingDomainOrCatalogFailWithTheDirectoryErrors) {
    EmulatedSystemInfo systemInfo(ServerFolderFunction());
    EXPECT_EQ(ErrorNumberOf([&] { systemInfo.CreateADSystemInfo(); }),
              directory_error::kDomainUnreachable);
    EXPECT_EQ(ErrorNumberOf([&] { systemInfo.GetObject("GC://RootDSE"); }),
              directory_error::kServerNotOperational);
    EXPECT_EQ(ErrorNumberOf([&] { systemInfo.GetObject("LDAP://RootDSE"); }),
              directory_error::kNoSuchObject);
}

using DirectoryConnectionTest = EmulatedServerFixture;

TEST_F(DirectoryConnectionTest, OpensOnlyThroughTheDirectoryProvider) {
    EmulatedDirectoryAdo ado(ServerFolderFunction());
    auto connection = ado.CreateConnection();
    EXPECT_EQ(ErrorNumberOf([&] { connection->Open("GC://dc1", "", "", -1); }),
              ado_error::kProviderNotFound);
    connection->SetProvider("ADsDSOObject");
    connection->Open("GC://dc1", "", "", -1);
    EXPECT_EQ(connection->State(), 1);
    EXPECT_EQ(dynamic_cast<DirectoryConnection&>(*connection).ConnectionString(), "GC://dc1");
    EXPECT_EQ(ErrorNumberOf([&] { connection->SetProvider("x"); }), ado_error::kObjectOpen);
    connection->Close();
    EXPECT_EQ(connection->State(), 0);
    EXPECT_EQ(ErrorNumberOf([&] { connection->Close(); }), ado_error::kObjectClosed);
}

TEST_F(DirectoryConnectionTest, PlantedFaultFailsTheOpen) {
    PlantedFault fault;
    fault.operation = "directory.open";
    fault.number = platform::hresult::FromUnsigned(0x8007203A);
    fault.description = "The server is not operational.";
    Faults(*db_).Plant(fault);
    EmulatedDirectoryAdo ado(ServerFolderFunction());
    auto connection = ado.CreateConnection();
    connection->SetProvider("adsDSOobject");
    EXPECT_EQ(ErrorNumberOf([&] { connection->Open("GC://dc1", "", "", -1); }), fault.number);
    EXPECT_EQ(connection->State(), 0);
}

}  // namespace
