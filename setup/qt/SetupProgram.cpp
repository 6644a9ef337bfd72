#include "setup/qt/SetupProgram.h"

#include <QApplication>
#include <QPixmap>
#include <QStyleFactory>
#include <cstdlib>
#include <iostream>

#include "setup/CommandLine.h"
#include "setup/InstallForm.h"
#include "setup/SystemPorts.h"
#include "setup/qt/ProgramOptions.h"
#include "setup/qt/QtFonts.h"
#include "setup/qt/QtMessageBox.h"
#include "setup/qt/QtPorts.h"
#include "setup/qt/SetupWindow.h"

namespace setup::qt {

namespace {

// The Qt window services and the platform's ports, with the shell wrapped
// so that the system cursor reaches the widget under the pointer.
struct QtServices {
    QtMessageBox messageBox;
    QtEventLoop eventLoop;
    QtTextMeasure textMeasure;
    SetupPorts platform = SystemPorts(messageBox, eventLoop, textMeasure);
    QtShell shell{platform.shell};

    SetupPorts Ports() {
        return SetupPorts{platform.activation,
                          platform.catalog,
                          platform.machine,
                          platform.systemInfo,
                          platform.directoryAdo,
                          shell,
                          platform.clock,
                          platform.profile,
                          platform.fileSystem,
                          platform.eventSources,
                          messageBox,
                          eventLoop,
                          textMeasure,
                          platform.linkAddress};
    }
};

// In batch mode standard error carries the run's error log and nothing
// else: the toolkit's own notices (such as those of the offscreen platform)
// are dropped. Fatal messages still end the program as usual.
void QuietToolkitMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::cerr << message.toStdString() << '\n';
        std::abort();
    }
}

bool EnvironmentHas(const char* name) {
    return !qEnvironmentVariableIsEmpty(name);
}

// Chooses the platform before Qt starts; false when no window can be shown.
bool PrepareDisplay(const ProgramOptions& options) {
    const DisplayChoice choice = ChooseDisplay(
        EnvironmentHas("DISPLAY") || EnvironmentHas("WAYLAND_DISPLAY"),
        EnvironmentHas("QT_QPA_PLATFORM"), InstallForm::IsBatchCommandLine(options.commandLine),
        !options.screenshotFile.empty());
    if (choice == DisplayChoice::None) {
        std::cerr << kNoDisplayMessage << '\n';
        return false;
    }
    if (choice == DisplayChoice::Offscreen) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return true;
}

void SetLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(ToQFont(forms::Font{}));
}

// Saves the window once the first activation has finished, then closes
// the program as Exit does.
void TakeScreenshot(SetupWindow& window, InstallForm& form, const std::string& file, int& code) {
    QApplication::processEvents();
    if (!window.grab().save(ToQString(file), "PNG")) {
        std::cerr << "MorvaneSetup: the screenshot could not be saved.\n";
        code = 1;
    }
    if (!form.Window().IsUnloaded()) {
        form.Command2.Click();
    }
}

}  // namespace

int RunSetupProgram(int argc, char* argv[]) {
    const ProgramOptions options =
        ParseProgramOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << "MorvaneSetup: " << options.error << '\n';
        return 2;
    }
    if (options.help || options.version) {
        std::cout << RequestAnswer(options.help ? ProgramRequest::Help : ProgramRequest::Version,
                                   true);
        return 0;
    }
    if (!PrepareDisplay(options)) {
        return 1;
    }
    if (InstallForm::IsBatchCommandLine(options.commandLine)) {
        qInstallMessageHandler(QuietToolkitMessages);
    }
    QApplication application(argc, argv);
    SetLook();
    QtServices services;
    InstallForm form(services.Ports(), options.commandLine);
    form.Form_Load();
    SetupWindow window(form, &services.shell);
    services.messageBox.SetParent(&window);
    int code = 0;
    window.OnUnloaded(
        [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); });
    if (!options.screenshotFile.empty()) {
        window.OnFirstActivationDone(
            [&] { TakeScreenshot(window, form, options.screenshotFile, code); });
    }
    window.show();
    const int loopCode = QApplication::exec();
    if (form.blnBatchMode) {
        return FinishBatchRun(form, std::cerr);
    }
    return code != 0 ? code : loopCode;
}

}  // namespace setup::qt
