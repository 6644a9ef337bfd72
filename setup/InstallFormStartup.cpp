#include "platform/ComError.h"
#include "platform/Text.h"
#include "setup/Cluster.h"
#include "setup/InstallForm.h"
#include "setup/SkippedStep.h"
#include "setup/basGlobals.h"
#include "setup/basis64bit.h"
#include "setup/modGetWindowsVersion.h"

// Start-up of the setup window. A step that fails is skipped without a
// message in the window: its target keeps its previous value and the next
// step runs. The run's journal notes each skipped step.
namespace setup {

void InstallForm::Form_Load() {
    LearnNames();
    FindGlobalCatalog();
    SkipStep(log_, "Windows version not read", [&] {
        basGlobals::sWindowsVersion = modGetWindowsVersion::GetWindowsVersion(ports_.machine);
    });
    if (!PassesPlatformGate()) {
        return;
    }
    OpenDirectoryConnection();
    std::optional<platform::ComError> sinkFailure = CreateSink();
    ProvisionComPlus(sinkFailure);
    // A library object that even a new installation did not give: no
    // registration can be checked or renewed.
    if (objSink == nullptr && sinkFailure) {
        log_.AddSkippedStep(basGlobals::SinkProgId() + " object not created", *sinkFailure);
    }
}

// Steps 1 to 10: batch mode, the progress box, the caption and the names.
void InstallForm::LearnNames() {
    std::shared_ptr<platform::sysinfo::ADSystemInfo> adSystemInfo;
    std::shared_ptr<platform::sysinfo::WinNTSystemInfo> winNtSystemInfo;
    SkipStep(log_, "ADSystemInfo object not created",
             [&] { adSystemInfo = ports_.systemInfo.CreateADSystemInfo(); });
    SkipStep(log_, "WinNTSystemInfo object not created",
             [&] { winNtSystemInfo = ports_.systemInfo.CreateWinNTSystemInfo(); });
    blnBatchMode = IsBatchCommandLine(commandLine_);
    PreparePicture1();
    SetCaption();
    // A step on an object that an earlier, skipped step did not make is
    // skipped with it; the journal holds the earlier step's line.
    if (winNtSystemInfo != nullptr) {
        SkipStep(log_, "Computer name not read", [&] {
            ShortComputerName = platform::text::ToLower(winNtSystemInfo->ComputerName());
        });
    }
    // A cluster test that fails for any reason but the key's absence
    // leaves the machine taken for no node.
    blnIsClusterNode = false;
    SkipStep(log_, "Cluster membership not tested",
             [&] { blnIsClusterNode = Cluster::IsClusterNode(ports_.machine); });
    ClusterName = "";
    SkipStep(log_, "Account name not read", [&] { sUserName = GetCurrentUserName(); });
    if (adSystemInfo != nullptr) {
        SkipStep(log_, "Domain name not read", [&] {
            FolderURL = "http://" + ShortComputerName + "/exadmin/" +
                        adSystemInfo->DomainDNSName() + "/mbx";
        });
    }
    adSystemInfo.reset();
    winNtSystemInfo.reset();
}

// Step 11.
void InstallForm::FindGlobalCatalog() {
    SkipStep(log_, "Global catalog not found", [&] {
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
    SkipStep(log_, "Directory connection not created",
             [&] { cnn = ports_.directoryAdo.CreateConnection(); });
    if (cnn == nullptr) {
        return;
    }
    SkipStep(log_, "Directory connection provider not set",
             [&] { cnn->SetProvider("adsDSOobject"); });
    SkipStep(log_, "Directory connection not opened",
             [&] { cnn->Open(strSearchRoot, "", "", platform::directory::adConnectUnspecified); });
}

// Step 15; the creation's error when it failed.
std::optional<platform::ComError> InstallForm::CreateSink() {
    try {
        objSink = ports_.activation.CreateObject(basGlobals::SinkProgId());
    } catch (const platform::ComError& error) {
        return error;
    }
    return std::nullopt;
}

// Step 16: a class that cannot be created means a missing or broken
// installation, which is cleared first. sinkFailure becomes the error of
// the last creation tried. An installation that stands gets the event
// source it lacks.
void InstallForm::ProvisionComPlus(std::optional<platform::ComError>& sinkFailure) {
    const std::string appName = basGlobals::kProductWord;
    if (objSink == nullptr) {
        ComPlus::UninstallComPlusApp(comPlus_, appName, sUserName);
        InstallFromCurrentDirectory(sinkFailure);
    } else if (!ComPlus::ComPlusAppExists(comPlus_, appName, sUserName)) {
        InstallFromCurrentDirectory(sinkFailure);
    } else {
        ComPlus::AddMissingEventSource(comPlus_, appName, sUserName);
    }
}

void InstallForm::InstallFromCurrentDirectory(std::optional<platform::ComError>& sinkFailure) {
    const std::string appName = basGlobals::kProductWord;
    SkipStep(log_, "Installation from the current directory not tried", [&] {
        platform::FileSystem& files = ports_.fileSystem;
        const std::string libraryFile =
            files.JoinPath(files.CurrentDirectory(), files.LibraryFileName(appName));
        if (!files.NormalFileExists(libraryFile)) {
            log_.AddMessage("File " + libraryFile +
                            " not found. COM+ object installation impossible.");
            return;
        }
        ComPlus::InstallComPlusApp(comPlus_, appName, sUserName);
        sinkFailure = CreateSink();
    });
}

}  // namespace setup
