#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/emulated/activation/Activation.h"
#include "platform/emulated/activation/ActivationLibrary.h"
#include "tests/platform/emulated/activation/ActivationTestSupport.h"
#include "tests/sink/posix/ExportedSymbols.h"

using activation_test::CatchComError;
using platform::ComObject;
using platform::DispArg;
using platform::Variant;
using platform::emulated::EmulatedActivation;
using platform::emulated::Registry;
namespace activation_error = platform::emulated::activation_error;
namespace hresult = platform::hresult;

namespace {

const std::string kLibrary = MORVANE_LIBRARY_FILE;
constexpr const char* kProgId = "Morvane.MorvaneCls";
constexpr const char* kClsid = "{43FDAD47-0820-4223-A6D8-7511C42A3A9A}";
constexpr const char* kLibid = "{52EA5F07-01B6-4444-B821-C0F865C91106}";
constexpr const char* kIid = "{78C42E18-F371-4246-9B4A-B170937668EB}";
constexpr int32_t kBeginAndDelivered = 0x01000000 | 0x8;

class MorvaneLibraryTest : public ::testing::Test {
  protected:
    int32_t CallExport(const char* name) { return activation.BindExport(kLibrary, name)(); }

    void SetUp() override { ASSERT_EQ(CallExport("DllRegisterServer"), hresult::S_OK); }

    activation_test::ServerScope server;
    Registry registry{server.db()};
    EmulatedActivation activation;
};

TEST_F(MorvaneLibraryTest, LibraryFileHasNoLibPrefix) {
    EXPECT_EQ(std::filesystem::path(kLibrary).filename(), "Morvane.so");
}

TEST_F(MorvaneLibraryTest, LibraryExportsExactlyTheFourEntryPoints) {
    std::set<std::string> expected = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                      "DllUnregisterServer"};
    EXPECT_EQ(sink_posix_test::ExportedSymbols(kLibrary), expected);
}

TEST(ExportedSymbols, ReadsTheDynamicSymbolsOfALibraryAndNothingElse) {
    // The probe of the test itself: a file that is no library has none.
    testsupport::TempFolder folder;
    testsupport::WriteFile(folder.File("Text.so"), "not a library");
    EXPECT_TRUE(sink_posix_test::ExportedSymbols(folder.File("Text.so")).empty());
    void* handle = dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    std::set<std::string> names = sink_posix_test::ExportedSymbols(kLibrary);
    EXPECT_FALSE(names.empty());
    for (const std::string& name : names)
        EXPECT_NE(dlsym(handle, name.c_str()), nullptr) << name;
    dlclose(handle);
}

TEST_F(MorvaneLibraryTest, RegistrationWritesClassProgIdTypeLibraryAndInterface) {
    auto entry = registry.FindClass(kClsid);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->progId, kProgId);
    EXPECT_EQ(entry->libraryPath, platform::emulated::NormalLibraryPath(kLibrary));
    EXPECT_EQ(entry->threadingModel, "Apartment");
    EXPECT_EQ(entry->typeLibraryId, kLibid);
    EXPECT_EQ(entry->typeLibraryVersion, "1.0");
    EXPECT_EQ(registry.FindClsidOfProgId(kProgId), kClsid);
    auto library = registry.FindTypeLibrary(kLibid, "1.0");
    ASSERT_TRUE(library);
    EXPECT_EQ(library->name, "Morvane");
    EXPECT_EQ(library->libraryPath, entry->libraryPath);
    auto dual = registry.FindInterface(kIid);
    ASSERT_TRUE(dual);
    EXPECT_EQ(dual->name, "_MorvaneCls");
    EXPECT_EQ(dual->typeLibraryId, kLibid);
}

TEST_F(MorvaneLibraryTest, UnregistrationRemovesExactlyTheLibrarysEntries) {
    platform::emulated::ClassEntry other;
    other.clsid = "{0BADC0DE-0000-4000-8000-000000000002}";
    other.progId = "Other.Class";
    other.libraryPath = "/opt/other/Other.so";
    registry.RegisterClass(other);
    registry.SetKey("HKEY_LOCAL_MACHINE", "Cluster");

    ASSERT_EQ(CallExport("DllUnregisterServer"), hresult::S_OK);
    EXPECT_FALSE(registry.FindClass(kClsid));
    EXPECT_FALSE(registry.FindClsidOfProgId(kProgId));
    EXPECT_FALSE(registry.FindTypeLibrary(kLibid, "1.0"));
    EXPECT_FALSE(registry.FindInterface(kIid));
    EXPECT_TRUE(registry.FindClass(other.clsid));
    EXPECT_EQ(registry.FindClsidOfProgId("Other.Class"), other.clsid);
    EXPECT_TRUE(registry.KeyExists("HKEY_LOCAL_MACHINE", "Cluster"));
}

TEST_F(MorvaneLibraryTest, AfterUnregistrationTheClassCannotBeCreated) {
    ASSERT_TRUE(activation.CreateObject(kProgId));
    ASSERT_EQ(CallExport("DllUnregisterServer"), hresult::S_OK);
    auto byProgId = CatchComError([&] { activation.CreateObject(kProgId); });
    ASSERT_TRUE(byProgId);
    EXPECT_EQ(byProgId->number(), hresult::CO_E_CLASSSTRING);
    auto byClsid = CatchComError([&] { activation.CreateObjectByClsid(kClsid); });
    ASSERT_TRUE(byClsid);
    EXPECT_EQ(byClsid->number(), hresult::REGDB_E_CLASSNOTREG);
}

TEST_F(MorvaneLibraryTest, RegistrationWithoutAServerFailsWithoutThrowing) {
    testsupport::TempFolder empty;
    setenv("MORVANE_SERVER", empty.File("none").c_str(), 1);
    int32_t result = CallExport("DllRegisterServer");
    setenv("MORVANE_SERVER", server.folder().c_str(), 1);
    EXPECT_EQ(result, activation_error::SELFREG_E_CLASS);
}

TEST_F(MorvaneLibraryTest, ObjectOffersTheStoreInterfacesAndAutomation) {
    auto object = activation.CreateObject(kProgId);
    EXPECT_NE(object->AsStoreSyncEvents(), nullptr);
    EXPECT_NE(object->AsCreateRegistration(), nullptr);
    ASSERT_NE(object->AsDispatch(), nullptr);
    EXPECT_EQ(object->AsDispatch()->GetIDOfName("CreateRegItem"), 0x60030004);
    EXPECT_EQ(object->AsDispatch()->GetIDOfName("removeregitem"), 0x60030005);
    EXPECT_EQ(object->AsDispatch()->GetIDOfName("CHECKREGITEMEXISTS"), 0x60030006);
}

TEST_F(MorvaneLibraryTest, UnknownMemberAndWrongArgumentCountAreRefused) {
    auto object = activation.CreateObject(kProgId);
    std::vector<DispArg> none;
    auto unknown = CatchComError([&] { object->AsDispatch()->Invoke("OnSyncSave", none); });
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->number(), hresult::DISP_E_UNKNOWNNAME);
    auto missing = CatchComError([&] { object->AsDispatch()->GetIDOfName("Register"); });
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->number(), hresult::DISP_E_UNKNOWNNAME);
    std::vector<DispArg> two = {{"http://server/mbx/a", true}, {"inbox", true}};
    auto count = CatchComError([&] { object->AsDispatch()->Invoke("CheckRegItemExists", two); });
    ASSERT_TRUE(count);
    EXPECT_EQ(count->number(), hresult::DISP_E_BADPARAMCOUNT);
}

TEST_F(MorvaneLibraryTest, StoreErrorIsCaughtInsideTheLibrary) {
    auto object = activation.CreateObject(kProgId);
    activation_test::FailingEventInfo eventInfo(hresult::DB_E_NOTFOUND, "not found");
    EXPECT_FALSE(CatchComError([&] {
        object->AsStoreSyncEvents()->OnSyncSave(eventInfo, "http://server/item.eml",
                                                kBeginAndDelivered);
    }));
    EXPECT_EQ(eventInfo.calls(), 1) << "the stamping must have reached the event record";
    EXPECT_EQ(object->AsCreateRegistration()->Register(eventInfo, "http://server/reg", 0), 0);
}

TEST_F(MorvaneLibraryTest, LibraryStaysLoadedWhileAnObjectLives) {
    auto canUnloadNow = activation.BindExport(kLibrary, "DllCanUnloadNow");
    EXPECT_EQ(canUnloadNow(), hresult::S_OK);
    auto object = activation.CreateObject(kProgId);
    EXPECT_EQ(canUnloadNow(), activation_error::S_FALSE);
    object.reset();
    EXPECT_EQ(canUnloadNow(), hresult::S_OK);
}

}  // namespace
