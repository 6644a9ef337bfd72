#include "platform/emulated/activation/Activation.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/emulated/activation/ActivationLibrary.h"
#include "tests/platform/emulated/activation/ActivationProbeLibrary.h"
#include "tests/platform/emulated/activation/ActivationTestSupport.h"

using activation_test::CatchComError;
using platform::ComError;
using platform::ComObject;
using platform::DispArg;
using platform::Variant;
using platform::emulated::ClassEntry;
using platform::emulated::EmulatedActivation;
using platform::emulated::Registry;
namespace activation_error = platform::emulated::activation_error;
namespace hresult = platform::hresult;

namespace {

const std::string kProbeLibrary = MORVANE_PROBE_LIBRARY;
const std::string kPlainLibrary = MORVANE_PLAIN_LIBRARY;
constexpr const char* kStrayClsid = "{0BADC0DE-0000-4000-8000-000000000001}";

class ActivationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(activation.BindExport(kProbeLibrary, "DllRegisterServer")(), hresult::S_OK);
    }

    // Registers a class of our own that points at library.
    void RegisterStrayClass(const std::string& library) {
        ClassEntry entry;
        entry.clsid = kStrayClsid;
        entry.progId = "MorvaneTest.Stray";
        entry.libraryPath = library;
        Registry(server.db()).RegisterClass(entry);
    }

    int32_t CreationError(const std::string& progId) {
        auto error = CatchComError([&] { activation.CreateObject(progId); });
        return error ? error->number() : hresult::S_OK;
    }

    activation_test::ServerScope server;
    EmulatedActivation activation;
};

// A store's save creates its sinks inside a snapshot of the server, where
// the activation keeps what the registry said; a class another process
// removed meanwhile is not created by the next save.
TEST_F(ActivationTest, AClassRemovedSinceTheLastSaveIsNotCreatedByTheNext) {
    auto store = platform::emulated::ServerDb::Open(server.folder());
    {
        platform::emulated::ReadSnapshot save(*store);
        EXPECT_EQ(CreationError(activation_probe::kProbeProgId), hresult::S_OK);
        EXPECT_EQ(CreationError(activation_probe::kProbeProgId), hresult::S_OK);
    }
    const pid_t other = fork();
    if (other == 0) {
        Registry(platform::emulated::ServerDb::Open(server.folder()))
            .UnregisterClass(activation_probe::kProbeClsid);
        _exit(0);
    }
    int status = 1;
    ASSERT_TRUE(other > 0 && waitpid(other, &status, 0) == other && status == 0);
    platform::emulated::ReadSnapshot nextSave(*store);
    EXPECT_EQ(CreationError(activation_probe::kProbeProgId), hresult::CO_E_CLASSSTRING);
}

Variant Call(ComObject& object, const std::string& member, std::vector<DispArg> args) {
    return object.AsDispatch()->Invoke(member, args);
}

TEST_F(ActivationTest, SelfRegistrationWritesTheClassesWithTheLibrarysOwnPath) {
    Registry registry(server.db());
    auto classes = registry.ClassesOfLibrary(std::filesystem::canonical(kProbeLibrary).string());
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(registry.FindClsidOfProgId(activation_probe::kProbeProgId),
              activation_probe::kProbeClsid);
    EXPECT_EQ(registry.FindClass(activation_probe::kProbeClsid)->threadingModel, "Apartment");
}

TEST_F(ActivationTest, CreatedObjectAnswersLateBoundCallsByName) {
    auto object = activation.CreateObject(activation_probe::kProbeProgId);
    ASSERT_TRUE(object);
    ASSERT_NE(object->AsDispatch(), nullptr);
    EXPECT_EQ(object->AsDispatch()->GetIDOfName("ECHO"), activation_probe::kProbeEchoDispId);
    EXPECT_EQ(Call(*object, "Echo", {{"hello", false}}), Variant("hello"));

    std::vector<DispArg> args = {{"abc", true}};
    EXPECT_EQ(object->AsDispatch()->Invoke("Reverse", args), Variant("1"));
    EXPECT_EQ(args[0].value, "cba") << "a by-reference argument carries the callee's change back";
    args = {{"abc", false}};
    object->AsDispatch()->Invoke("Reverse", args);
    EXPECT_EQ(args[0].value, "abc");
}

TEST_F(ActivationTest, UnknownMemberFailsWithUnknownName) {
    auto object = activation.CreateObject(activation_probe::kProbeProgId);
    auto error = CatchComError([&] { Call(*object, "Launch", {}); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), hresult::DISP_E_UNKNOWNNAME);
    error = CatchComError([&] { object->AsDispatch()->GetIDOfName("Launch"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), hresult::DISP_E_UNKNOWNNAME);
}

TEST_F(ActivationTest, UnregisteredClassIsGoneByProgIdAndByClsid) {
    ASSERT_EQ(activation.BindExport(kProbeLibrary, "DllUnregisterServer")(), hresult::S_OK);
    auto byProgId = CatchComError([&] { activation.CreateObject(activation_probe::kProbeProgId); });
    ASSERT_TRUE(byProgId);
    EXPECT_EQ(byProgId->number(), hresult::CO_E_CLASSSTRING);
    EXPECT_EQ(byProgId->description(), "Invalid class string");
    auto byClsid =
        CatchComError([&] { activation.CreateObjectByClsid(activation_probe::kProbeClsid); });
    ASSERT_TRUE(byClsid);
    EXPECT_EQ(byClsid->number(), hresult::REGDB_E_CLASSNOTREG);
    EXPECT_EQ(byClsid->description(), "Class not registered");
}

TEST_F(ActivationTest, ProgIdWithoutClassEntryIsNotRegistered) {
    server.db()
        ->Prepare("INSERT INTO registry_prog_ids(prog_id, clsid) VALUES('MorvaneTest.Orphan', ?1)")
        .Bind(1, std::string_view(kStrayClsid))
        .Run();
    EXPECT_EQ(CreationError("MorvaneTest.Orphan"), hresult::REGDB_E_CLASSNOTREG);
}

TEST_F(ActivationTest, ChangedServerFolderTakesEffectAtTheNextCreation) {
    ASSERT_TRUE(activation.CreateObject(activation_probe::kProbeProgId));
    activation_test::ServerScope other;
    EXPECT_EQ(CreationError(activation_probe::kProbeProgId), hresult::CO_E_CLASSSTRING);
}

// As morvane-lab init --force replaces a server: a new one made beside it
// and moved into the folder. The folder's name stays, its registry does not.
// Inside a store's save as outside one.
TEST_F(ActivationTest, AServerReplacedInItsFolderIsReadAfresh) {
    {
        auto before = platform::emulated::ServerDb::Open(server.folder());
        platform::emulated::ReadSnapshot save(*before);
        ASSERT_TRUE(activation.CreateObject(activation_probe::kProbeProgId));
    }
    const std::string staged = server.temp().File("staged");
    platform::emulated::ServerDb::Open(staged, true);
    std::filesystem::rename(server.folder(), server.temp().File("replaced"));
    std::filesystem::rename(staged, server.folder());
    {
        auto after = platform::emulated::ServerDb::Open(server.folder());
        platform::emulated::ReadSnapshot save(*after);
        EXPECT_EQ(CreationError(activation_probe::kProbeProgId), hresult::CO_E_CLASSSTRING);
    }
    EXPECT_EQ(CreationError(activation_probe::kProbeProgId), hresult::CO_E_CLASSSTRING);
}

TEST_F(ActivationTest, FailingFactoryGivesItsHResult) {
    auto error = CatchComError([&] { activation.CreateObject(activation_probe::kBrokenProgId); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), activation_error::E_OUTOFMEMORY);
    EXPECT_EQ(error->description(), "Not enough storage is available to complete this operation.");
}

TEST_F(ActivationTest, ClassTheLibraryDoesNotHaveIsNotAvailable) {
    RegisterStrayClass(kProbeLibrary);
    EXPECT_EQ(CreationError("MorvaneTest.Stray"), activation_error::CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(ActivationTest, LibraryFilesThatAreNoServerAreRefusedCleanly) {
    RegisterStrayClass(server.temp().File("Missing.so"));
    EXPECT_EQ(CreationError("MorvaneTest.Stray"), activation_error::MOD_NOT_FOUND);

    testsupport::WriteFile(server.temp().File("Text.so"), "not a library\n");
    RegisterStrayClass(server.temp().File("Text.so"));
    EXPECT_EQ(CreationError("MorvaneTest.Stray"), activation_error::BAD_EXE_FORMAT);

    RegisterStrayClass(kPlainLibrary);
    auto error = CatchComError([&] { activation.CreateObject("MorvaneTest.Stray"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), activation_error::CO_E_ERRORINDLL);
    EXPECT_EQ(error->description(),
              "Error in the DLL: ActivationPlain.so has no DllGetClassObject");
}

TEST_F(ActivationTest, ServerWithoutDatabaseCannotBeRead) {
    EmulatedActivation nowhere([&] { return server.temp().File("no-server"); });
    auto error = CatchComError([&] { nowhere.CreateObject(activation_probe::kProbeProgId); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), activation_error::REGDB_E_READREGDB);
}

TEST_F(ActivationTest, ErrorRaisedInTheLibraryReachesTheCaller) {
    auto object = activation.CreateObject(activation_probe::kProbeProgId);
    auto error = CatchComError([&] { Call(*object, "Fail", {}); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), hresult::E_ACCESSDENIED);
    EXPECT_EQ(error->description(), "probe refused");
}

TEST_F(ActivationTest, HostErrorCanBeCaughtInsideTheLibrary) {
    auto object = activation.CreateObject(activation_probe::kProbeProgId);
    activation_test::FailingEventInfo eventInfo(hresult::DB_E_NOTFOUND, "not found");
    EXPECT_EQ(object->AsCreateRegistration()->Register(eventInfo, "http://x/item.eml", 0),
              hresult::DB_E_NOTFOUND);
    EXPECT_EQ(eventInfo.calls(), 1);
}

TEST_F(ActivationTest, HostErrorPassingThroughTheLibraryComesBack) {
    auto object = activation.CreateObject(activation_probe::kProbeProgId);
    activation_test::FailingEventInfo eventInfo(hresult::E_FAIL, "store failed");
    auto error = CatchComError(
        [&] { object->AsStoreSyncEvents()->OnSyncSave(eventInfo, "http://x/item.eml", 0); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), hresult::E_FAIL);
    EXPECT_EQ(error->description(), "store failed");
}

TEST_F(ActivationTest, LibraryCannotUnloadWhileAnObjectLives) {
    auto canUnloadNow = activation.BindExport(kProbeLibrary, "DllCanUnloadNow");
    EXPECT_EQ(canUnloadNow(), hresult::S_OK);
    auto object = activation.CreateObject(activation_probe::kProbeProgId);
    EXPECT_EQ(canUnloadNow(), activation_error::S_FALSE);
    object.reset();
    EXPECT_EQ(canUnloadNow(), hresult::S_OK);
}

TEST_F(ActivationTest, ErrorOutlivesTheLibraryUnloadedWhileItIsRaised) {
    auto object = activation.CreateObject(activation_probe::kProbeProgId);
    activation.FreeUnusedLibraries();
    ASSERT_TRUE(activation_test::IsLoaded(kProbeLibrary)) << "the object keeps its library";

    // The last object, and with it the library, goes while the error is on
    // its way to the caller.
    auto error = CatchComError([&] {
        [](std::shared_ptr<ComObject> last) { Call(*last, "Fail", {}); }(std::move(object));
    });
    EXPECT_FALSE(activation_test::IsLoaded(kProbeLibrary));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), hresult::E_ACCESSDENIED);
    EXPECT_EQ(error->description(), "probe refused");
}

TEST_F(ActivationTest, ObjectIsUsedOnlyOnTheThreadThatCreatedIt) {
    auto object = activation.CreateObject(activation_probe::kProbeProgId);
    std::optional<ComError> error;
    std::thread other([&] {
        error = CatchComError([&] { Call(*object, "Echo", {{"x", false}}); });
    });
    other.join();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), activation_error::RPC_E_WRONG_THREAD);

    Variant result;
    std::thread own([&] {
        auto mine = activation.CreateObject(activation_probe::kProbeProgId);
        result = Call(*mine, "Echo", {{"own", false}});
    });
    own.join();
    EXPECT_EQ(result, Variant("own"));
}

TEST_F(ActivationTest, BareLibraryNameIsFoundInTheCurrentFolder) {
    std::filesystem::path library(kProbeLibrary);
    int32_t result = hresult::E_FAIL;
    activation_test::InFolder(library.parent_path().string(), [&] {
        result = activation.BindExport(library.filename().string(), "DllCanUnloadNow")();
    });
    EXPECT_EQ(result, hresult::S_OK);
}

TEST_F(ActivationTest, BindingFailsAtTheFirstCallWithTheRunTimeErrors) {
    auto missing = activation.BindExport(server.temp().File("Nothing.so"), "DllUnregisterServer");
    auto error = CatchComError([&] { missing(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), activation_error::kFileNotFound);

    auto noEntry = activation.BindExport(kPlainLibrary, "DllUnregisterServer");
    error = CatchComError([&] { noEntry(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), activation_error::kEntryPointNotFound);
    EXPECT_EQ(error->description(),
              "Can't find DLL entry point DllUnregisterServer in " + kPlainLibrary);

    testsupport::WriteFile(server.temp().File("Text.so"), "not a library\n");
    auto foreign = activation.BindExport(server.temp().File("Text.so"), "DllUnregisterServer");
    error = CatchComError([&] { foreign(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), activation_error::kErrorInLoadingDll);
    EXPECT_EQ(error->description(), "Error in loading DLL");
}

}  // namespace
