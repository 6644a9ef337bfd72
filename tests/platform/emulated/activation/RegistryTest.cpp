#include "platform/emulated/activation/Registry.h"

#include <gtest/gtest.h>

#include "tests/platform/emulated/activation/ActivationTestSupport.h"

using platform::emulated::ClassEntry;
using platform::emulated::InterfaceEntry;
using platform::emulated::LibraryKind;
using platform::emulated::Registry;
using platform::emulated::ServerDb;
using platform::emulated::TypeLibraryEntry;

namespace {

constexpr const char* kClsidA = "{11111111-2222-3333-4444-555555555555}";
constexpr const char* kClsidB = "{66666666-7777-8888-9999-AAAAAAAAAAAA}";

ClassEntry MakeClass(const char* clsid, const char* progId, const char* library) {
    ClassEntry entry;
    entry.clsid = clsid;
    entry.progId = progId;
    entry.libraryPath = library;
    entry.typeLibraryId = "{ABCDEF00-0000-0000-0000-000000000001}";
    entry.typeLibraryVersion = "1.0";
    return entry;
}

class RegistryTest : public ::testing::Test {
  protected:
    activation_test::ServerScope server;
    Registry registry{server.db()};
};

TEST_F(RegistryTest, ClassEntryReadsBackWithEveryValue) {
    registry.RegisterClass(MakeClass(kClsidA, "Vendor.Thing", "/opt/lib/Thing.so"));
    auto found = registry.FindClass(kClsidA);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->clsid, kClsidA);
    EXPECT_EQ(found->progId, "Vendor.Thing");
    EXPECT_EQ(found->libraryPath, "/opt/lib/Thing.so");
    EXPECT_EQ(found->threadingModel, "Apartment");
    EXPECT_EQ(found->typeLibraryId, "{ABCDEF00-0000-0000-0000-000000000001}");
    EXPECT_EQ(found->typeLibraryVersion, "1.0");
    EXPECT_FALSE(found->application);
    EXPECT_EQ(registry.FindClsidOfProgId("Vendor.Thing"), kClsidA);
}

TEST_F(RegistryTest, ALibrarysKindIsDecidedWhenItsClassIsRegistered) {
    const std::string windows = server.temp().File("Sink.dll");
    testsupport::WriteFile(windows, "MZ\x90");
    registry.RegisterClass(MakeClass(kClsidA, "Vendor.A", windows.c_str()));
    registry.RegisterClass(MakeClass(kClsidB, "Vendor.B", "/opt/lib/B.so"));
    testsupport::WriteFile(windows, "no longer read");
    EXPECT_EQ(registry.ResolveProgId("Vendor.A")->classEntry->libraryKind, LibraryKind::Windows);
    EXPECT_EQ(registry.FindClass(kClsidB)->libraryKind, LibraryKind::Native);
}

TEST_F(RegistryTest, ProgIdAndClsidLookupsIgnoreCase) {
    registry.RegisterClass(MakeClass(kClsidB, "Vendor.Thing", "/opt/lib/Thing.so"));
    EXPECT_EQ(registry.FindClsidOfProgId("VENDOR.thing"), kClsidB);
    EXPECT_TRUE(registry.FindClass("{66666666-7777-8888-9999-aaaaaaaaaaaa}"));
    EXPECT_FALSE(registry.FindClsidOfProgId("Vendor.Other"));
    EXPECT_FALSE(registry.FindClass(kClsidA));
}

TEST_F(RegistryTest, ResolvingAProgIdSeesWritesOfOtherConnections) {
    Registry writer(ServerDb::Open(server.folder()));
    EXPECT_FALSE(registry.ResolveProgId("Vendor.A"));
    writer.RegisterClass(MakeClass(kClsidA, "Vendor.A", "/opt/lib/A.so"));
    auto found = registry.ResolveProgId("vendor.a");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->clsid, kClsidA);
    ASSERT_TRUE(found->classEntry);
    EXPECT_EQ(found->classEntry->libraryPath, "/opt/lib/A.so");
    EXPECT_EQ(found->classEntry->progId, "Vendor.A");

    writer.UnregisterClass(kClsidA);
    EXPECT_FALSE(registry.ResolveProgId("Vendor.A"));
}

TEST_F(RegistryTest, ProgIdOfAMissingClassResolvesWithoutClassEntry) {
    server.db()
        ->Prepare("INSERT INTO registry_prog_ids(prog_id, clsid) VALUES('Vendor.Orphan', ?1)")
        .Bind(1, std::string_view(kClsidB))
        .Run();
    auto found = registry.ResolveProgId("Vendor.Orphan");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->clsid, kClsidB);
    EXPECT_FALSE(found->classEntry);
}

TEST_F(RegistryTest, UnregisteringAClassRemovesItsProgIdAndNothingElse) {
    registry.RegisterClass(MakeClass(kClsidA, "Vendor.A", "/opt/lib/A.so"));
    registry.RegisterClass(MakeClass(kClsidB, "Vendor.B", "/opt/lib/B.so"));
    registry.UnregisterClass(kClsidA);
    EXPECT_FALSE(registry.FindClass(kClsidA));
    EXPECT_FALSE(registry.FindClsidOfProgId("Vendor.A"));
    EXPECT_TRUE(registry.FindClass(kClsidB));
    EXPECT_EQ(registry.FindClsidOfProgId("Vendor.B"), kClsidB);
}

TEST_F(RegistryTest, ReRegisteringReplacesTheEntry) {
    registry.RegisterClass(MakeClass(kClsidA, "Vendor.A", "/opt/old/A.so"));
    registry.RegisterClass(MakeClass(kClsidA, "Vendor.A", "/opt/new/A.so"));
    EXPECT_EQ(registry.FindClass(kClsidA)->libraryPath, "/opt/new/A.so");
    EXPECT_TRUE(registry.ClassesOfLibrary("/opt/old/A.so").empty());
}

TEST_F(RegistryTest, LibraryPathsAreKeptAbsoluteAndNormal) {
    registry.RegisterClass(MakeClass(kClsidA, "Vendor.A", "/opt/lib/../bin/./A.so"));
    EXPECT_EQ(registry.FindClass(kClsidA)->libraryPath, "/opt/bin/A.so");
    ASSERT_EQ(registry.ClassesOfLibrary("/opt/bin//A.so").size(), 1u);
}

TEST_F(RegistryTest, EntriesOutliveTheConnectionThatWroteThem) {
    registry.RegisterClass(MakeClass(kClsidA, "Vendor.A", "/opt/lib/A.so"));
    registry.SetKey("HKEY_LOCAL_MACHINE", "Cluster");
    Registry reopened(ServerDb::Open(server.folder()));
    EXPECT_EQ(reopened.FindClsidOfProgId("Vendor.A"), kClsidA);
    EXPECT_TRUE(reopened.KeyExists("HKEY_LOCAL_MACHINE", "Cluster"));
}

TEST_F(RegistryTest, TypeLibraryAndInterfaceEntriesComeAndGo) {
    registry.RegisterTypeLibrary(
        {"{ABCDEF00-0000-0000-0000-000000000001}", "1.0", "Thing", "/opt/lib/Thing.so"});
    registry.RegisterInterface({"{ABCDEF00-0000-0000-0000-000000000002}", "_Thing",
                                "{ABCDEF00-0000-0000-0000-000000000001}", "1.0"});
    auto library = registry.FindTypeLibrary("{abcdef00-0000-0000-0000-000000000001}", "1.0");
    ASSERT_TRUE(library);
    EXPECT_EQ(library->name, "Thing");
    EXPECT_EQ(library->libraryPath, "/opt/lib/Thing.so");
    EXPECT_FALSE(registry.FindTypeLibrary("{ABCDEF00-0000-0000-0000-000000000001}", "2.0"));
    auto found = registry.FindInterface("{ABCDEF00-0000-0000-0000-000000000002}");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, "_Thing");
    EXPECT_EQ(found->typeLibraryVersion, "1.0");

    registry.UnregisterTypeLibrary("{ABCDEF00-0000-0000-0000-000000000001}", "1.0");
    registry.UnregisterInterface("{ABCDEF00-0000-0000-0000-000000000002}");
    EXPECT_FALSE(registry.FindTypeLibrary("{ABCDEF00-0000-0000-0000-000000000001}", "1.0"));
    EXPECT_FALSE(registry.FindInterface("{ABCDEF00-0000-0000-0000-000000000002}"));
}

TEST_F(RegistryTest, ApplicationTakesTheClassesOfItsLibraryOnly) {
    registry.RegisterClass(MakeClass(kClsidA, "Vendor.A", "/opt/lib/Shared.so"));
    registry.RegisterClass(MakeClass(kClsidB, "Vendor.B", "/opt/lib/Other.so"));
    EXPECT_EQ(registry.AssignLibraryClassesToApplication("/opt/lib/Shared.so", "Morvane"), 1);
    EXPECT_EQ(registry.FindClass(kClsidA)->application, "Morvane");
    EXPECT_FALSE(registry.FindClass(kClsidB)->application);
    auto classes = registry.ApplicationClasses("morvane");
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(classes[0].clsid, kClsidA);
}

TEST_F(RegistryTest, RemovingAnApplicationRemovesItsClassesAndProgIds) {
    registry.RegisterClass(MakeClass(kClsidA, "Vendor.A", "/opt/lib/Shared.so"));
    registry.RegisterClass(MakeClass(kClsidB, "Vendor.B", "/opt/lib/Other.so"));
    registry.AssignLibraryClassesToApplication("/opt/lib/Shared.so", "Morvane");
    EXPECT_EQ(registry.RemoveApplicationClasses("Morvane"), 1);
    EXPECT_FALSE(registry.FindClass(kClsidA));
    EXPECT_FALSE(registry.FindClsidOfProgId("Vendor.A"));
    EXPECT_EQ(registry.FindClsidOfProgId("Vendor.B"), kClsidB);
    EXPECT_EQ(registry.RemoveApplicationClasses("Morvane"), 0);
}

TEST_F(RegistryTest, SetKeyCreatesTheKeyWithItsParents) {
    EXPECT_FALSE(registry.KeyExists("HKEY_LOCAL_MACHINE", "Cluster"));
    registry.SetKey("HKEY_LOCAL_MACHINE", "Software\\Vendor\\Product");
    EXPECT_TRUE(registry.KeyExists("HKEY_LOCAL_MACHINE", "Software"));
    EXPECT_TRUE(registry.KeyExists("HKEY_LOCAL_MACHINE", "Software\\Vendor"));
    EXPECT_TRUE(registry.KeyExists("hkey_local_machine", "SOFTWARE\\vendor\\product\\"));
    EXPECT_FALSE(registry.KeyExists("HKEY_CURRENT_USER", "Software"));
    EXPECT_FALSE(registry.KeyExists("HKEY_LOCAL_MACHINE", "Software\\Vend"));
}

TEST_F(RegistryTest, DeleteKeyRemovesTheKeyAndItsSubkeysOnly) {
    registry.SetKey("HKEY_LOCAL_MACHINE", "Cluster\\Nodes\\1");
    registry.SetKey("HKEY_LOCAL_MACHINE", "ClusterTools");
    registry.DeleteKey("HKEY_LOCAL_MACHINE", "CLUSTER");
    EXPECT_FALSE(registry.KeyExists("HKEY_LOCAL_MACHINE", "Cluster"));
    EXPECT_FALSE(registry.KeyExists("HKEY_LOCAL_MACHINE", "Cluster\\Nodes\\1"));
    EXPECT_TRUE(registry.KeyExists("HKEY_LOCAL_MACHINE", "ClusterTools"));
}

TEST_F(RegistryTest, UnknownHiveIsAnInvalidArgument) {
    auto error =
        activation_test::CatchComError([&] { registry.SetKey("HKEY_NOWHERE", "Cluster"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), platform::hresult::E_INVALIDARG);
    EXPECT_EQ(error->description(), "Unknown registry hive: HKEY_NOWHERE");
    EXPECT_TRUE(registry.KeyExists("HKEY_USERS", ""));
}

}  // namespace
