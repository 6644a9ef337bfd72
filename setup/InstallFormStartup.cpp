#include "platform/ComError.h"
#include "platform/Text.h"
#include "setup/Cluster.h"
#include "setup/InstallForm.h"
#include "setup/basGlobals.h"
#include "setup/basis64bit.h"
#include "setup/modGetWindowsVersion.h"

// Start-up of the setup window. A step that fails is skipped without any
// message: its target keeps its previous value and the next step runs.
namespace setup {

namespace {

template <typename StepBody>
void Step(StepBody&& body) {
    try {
        body();
    } catch (const platform::ComError&) {
        // Skipped: start-up goes on with the next step.
    }
}

// An object that an earlier, skipped step did not create: using it fails
// like any other step instead of crashing.
template <typename T>
T& Required(const std::shared_ptr<T>& object) {
    if (object == nullptr) {
        throw platform::ComError(91, "Object variable or With block variable not set");
    }
    return *object;
}

}  // namespace

void InstallForm::Form_Load() {
    LearnNames();
    Step([&] {
        basGlobals::sWindowsVersion = modGetWindowsVersion::GetWindowsVersion(ports_.machine);
    });
    if (!PassesPlatformGate()) {
        return;
    }
    OpenDirectoryConnection();
    CreateSink();
    ProvisionComPlus();
}

// Steps 1 to 11: batch mode, the progress box, the caption and the names.
void InstallForm::LearnNames() {
    std::shared_ptr<platform::sysinfo::ADSystemInfo> adSystemInfo;
    std::shared_ptr<platform::sysinfo::WinNTSystemInfo> winNtSystemInfo;
    Step([&] { adSystemInfo = ports_.systemInfo.CreateADSystemInfo(); });
    Step([&] { winNtSystemInfo = ports_.systemInfo.CreateWinNTSystemInfo(); });
    blnBatchMode = IsBatchCommandLine(commandLine_);
    PreparePicture1();
    SetCaption();
    Step([&] {
        ShortComputerName = platform::text::ToLower(Required(winNtSystemInfo).ComputerName());
    });
    blnIsClusterNode = Cluster::IsClusterNode(ports_.machine);
    ClusterName = "";
    Step([&] { sUserName = GetCurrentUserName(); });
    Step([&] {
        FolderURL = "http://" + ShortComputerName + "/exadmin/" +
                    Required(adSystemInfo).DomainDNSName() + "/mbx";
    });
    adSystemInfo.reset();
    winNtSystemInfo.reset();
    Step([&] {
        auto rootDse = ports_.systemInfo.GetObject("GC://RootDSE");
        strSearchRoot = "GC://" + rootDse->Get("dnshostname").AppendToEmptyString();
    });
}

void InstallForm::PreparePicture1() {
    Picture1.SetFontBold(true);
    Picture1.SetAutoRedraw(true);
    Picture1.SetBackColor(0xFFFFFF);
    Picture1.SetDrawMode(forms::kDrawModeNotXorPen);
    Picture1.SetFillStyle(0);
    Picture1.SetForeColor(0xFF0000);
}

void InstallForm::SetCaption() {
    window_.SetCaption(std::string(basGlobals::kProductWord) + " setup");
    if (blnBatchMode) {
        window_.SetCaption(window_.Caption() + " - batch mode");
    }
}

// Step 13: only Windows Server 2003, and not as a 32-bit process on 64-bit
// Windows.
bool InstallForm::PassesPlatformGate() {
    if (platform::text::EqualsNoCase(basGlobals::sWindowsVersion, "windows 2003") &&
        !basis64bit::Is64bit(ports_.machine)) {
        return true;
    }
    log_.Replace(std::string("You can execute ") + basGlobals::kProductWord +
                 " program only on the computer that runs Exchange 2003 on Windows 2003 32-bit.");
    return false;
}

// Step 14.
void InstallForm::OpenDirectoryConnection() {
    Step([&] { cnn = ports_.directoryAdo.CreateConnection(); });
    Step([&] { Required(cnn).SetProvider("adsDSOobject"); });
    Step([&] {
        Required(cnn).Open(strSearchRoot, "", "", platform::directory::adConnectUnspecified);
    });
}

// Step 15.
void InstallForm::CreateSink() {
    Step([&] { objSink = ports_.activation.CreateObject(basGlobals::SinkProgId()); });
}

// Step 16: a class that cannot be created means a missing or broken
// installation, which is cleared first.
void InstallForm::ProvisionComPlus() {
    const std::string appName = basGlobals::kProductWord;
    if (objSink == nullptr) {
        ComPlus::UninstallComPlusApp(comPlus_, appName, sUserName);
        InstallFromCurrentDirectory();
    } else if (!ComPlus::ComPlusAppExists(comPlus_, appName, sUserName)) {
        InstallFromCurrentDirectory();
    }
}

void InstallForm::InstallFromCurrentDirectory() {
    const std::string appName = basGlobals::kProductWord;
    Step([&] {
        platform::FileSystem& files = ports_.fileSystem;
        const std::string libraryFile =
            files.JoinPath(files.CurrentDirectory(), files.LibraryFileName(appName));
        if (!files.NormalFileExists(libraryFile)) {
            log_.AddMessage("File " + libraryFile +
                            " not found. COM+ object installation impossible.");
            return;
        }
        ComPlus::InstallComPlusApp(comPlus_, appName, sUserName);
        CreateSink();
    });
}

}  // namespace setup
