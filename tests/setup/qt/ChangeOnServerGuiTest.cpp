#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/FileSystem.h"
#include "setup/InstallForm.h"
#include "setup/SystemPorts.h"
#include "setup/qt/QtMessageBox.h"
#include "setup/qt/QtPorts.h"
#include "setup/qt/SetupWindow.h"
#include "tests/setup/FakePorts.h"
#include "tests/setup/qt/GuiTestSupport.h"
#include "tests/support/TempFolder.h"

// The setup window on a real emulated server, the default organisation of
// "morvane-lab init", with the sink library installed from the window's
// folder: clicks on the real widgets register and unregister mailboxes in
// the store, and mail delivered afterwards is stamped.
namespace {

constexpr const char* kAnna = "anna.berger@morvane.test";

// The platform's files, with the program's folder and the current
// directory both in the test's folder, where the library was copied.
class FolderFiles : public platform::FileSystem {
  public:
    explicit FolderFiles(std::string folder) : folder_(std::move(folder)) {}
    std::string CurrentDirectory() override { return folder_; }
    void ChangeDirectory(const std::string& folder) override { folder_ = folder; }
    std::string ProgramFolder() override { return folder_; }
    bool NormalFileExists(const std::string& path) override {
        return platform::SystemFileSystem().NormalFileExists(path);
    }
    std::string JoinPath(const std::string& folder, const std::string& name) override {
        return platform::SystemFileSystem().JoinPath(folder, name);
    }
    std::string LibraryFileName(const std::string& baseName) override {
        return platform::SystemFileSystem().LibraryFileName(baseName);
    }

  private:
    std::string folder_;
};

struct ChangeOnServer : ::testing::Test {
    testsupport::TempFolder folder;
    std::string previousServer;
    setupfakes::FakeShell fakeShell;
    setup::qt::QtMessageBox messageBox;
    setup::qt::QtEventLoop eventLoop;
    setup::qt::QtTextMeasure textMeasure;
    setup::qt::QtShell shell{fakeShell};
    std::unique_ptr<FolderFiles> files;
    std::unique_ptr<setup::InstallForm> form;
    std::unique_ptr<setup::qt::SetupWindow> window;

    void SetUp() override {
        if (const char* server = std::getenv("MORVANE_SERVER")) {
            previousServer = server;
        }
        setenv("MORVANE_SERVER", folder.File("server").c_str(), 1);
        const std::string library = folder.File("Morvane.so");
        std::filesystem::copy_file(MORVANE_SINK_LIBRARY, library);
        Lab({"init"});
        Lab({"regsvr", QString::fromStdString(library)});
        files = std::make_unique<FolderFiles>(folder.path());
    }
    void TearDown() override {
        window.reset();
        form.reset();
        if (previousServer.empty()) {
            unsetenv("MORVANE_SERVER");
        } else {
            setenv("MORVANE_SERVER", previousServer.c_str(), 1);
        }
    }

    // Runs morvane-lab on the test's server; returns its standard output.
    QByteArray Lab(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        process.start(QStringLiteral(MORVANE_LAB_PROGRAM), arguments);
        const bool finished = process.waitForFinished(60000);
        const QByteArray output = process.readAllStandardOutput();
        EXPECT_TRUE(finished && process.exitCode() == 0)
            << "morvane-lab " << arguments.join(' ').toStdString() << ": "
            << process.readAllStandardError().toStdString();
        return output;
    }

    void Open() {
        setup::SetupPorts system = setup::SystemPorts(messageBox, eventLoop, textMeasure);
        setup::SetupPorts ports{system.activation,   system.catalog,      system.machine,
                                system.systemInfo,   system.directoryAdo, shell,
                                system.clock,        system.profile,      *files,
                                system.eventSources, messageBox,          eventLoop,
                                textMeasure,         system.linkAddress};
        form = std::make_unique<setup::InstallForm>(ports, "");
        form->Form_Load();
        window = std::make_unique<setup::qt::SetupWindow>(*form, &shell);
        messageBox.SetParent(window.get());
        window->show();
        guitest::Settle();
    }
    const setup::qt::SetupWidgets& W() const { return window->Widgets(); }

    // The row of the list widget whose entry names the address; -1 if none.
    static int RowOf(const QListWidget* list, const char* address) {
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->text().contains(QString::fromLatin1(address))) {
                return row;
            }
        }
        return -1;
    }

    // The server's registration items whose URL names the address.
    QJsonArray RegistrationsOf(const char* address) {
        QJsonArray found;
        const QJsonArray all = QJsonDocument::fromJson(Lab({"registrations", "--json"})).array();
        for (const QJsonValue& item : all) {
            if (item.toObject()["url"].toString().contains(QString::fromLatin1(address))) {
                found.append(item);
            }
        }
        return found;
    }

    void ClickChange() {
        guitest::ClickButton(W().Command1);
        guitest::Settle();
    }
};

TEST_F(ChangeOnServer, RegisteringAMailboxByClicksCreatesItsItemAndMailIsStamped) {
    Open();
    ASSERT_TRUE(W().txtErr->toPlainText().isEmpty()) << W().txtErr->toPlainText().toStdString();
    const int row = RowOf(W().MbxInstList, kAnna);
    ASSERT_GE(row, 0) << "the mailbox is listed as not registered";
    ASSERT_EQ(RowOf(W().MbxUninstList, kAnna), -1);
    ASSERT_TRUE(RegistrationsOf(kAnna).isEmpty());

    guitest::ClickListRow(W().MbxInstList, row);
    guitest::ClickIndicator(W().Check3);
    ClickChange();

    const QJsonArray items = RegistrationsOf(kAnna);
    ASSERT_EQ(items.size(), 1);
    const QJsonObject item = items.first().toObject();
    // The store answers with the folder's own spelling of the name.
    EXPECT_TRUE(item["url"].toString().endsWith("/inbox/Morvane.reg", Qt::CaseInsensitive))
        << item["url"].toString().toStdString();
    EXPECT_EQ(item["sinkclass"].toString(), "Morvane.MorvaneCls");
    EXPECT_EQ(item["matchscope"].toString(), "SHALLOW");
    // The lists were read again: the mailbox moved to the registered side,
    // and the operation box was cleared.
    EXPECT_EQ(RowOf(W().MbxInstList, kAnna), -1);
    EXPECT_GE(RowOf(W().MbxUninstList, kAnna), 0);
    EXPECT_FALSE(W().Check3->isChecked());
    EXPECT_TRUE(W().txtErr->toPlainText().isEmpty()) << W().txtErr->toPlainText().toStdString();

    const QByteArray delivered = Lab({"deliver", kAnna, "--scl", "6", "--json"});
    EXPECT_TRUE(delivered.contains("SCL=6")) << delivered.toStdString();
}

TEST_F(ChangeOnServer, UnregisteringByClicksRemovesTheItemAgain) {
    Open();
    guitest::ClickListRow(W().MbxInstList, RowOf(W().MbxInstList, kAnna));
    guitest::ClickIndicator(W().Check3);
    ClickChange();
    ASSERT_EQ(RegistrationsOf(kAnna).size(), 1);

    const int row = RowOf(W().MbxUninstList, kAnna);
    ASSERT_GE(row, 0);
    guitest::ClickListRow(W().MbxUninstList, row);
    guitest::ClickIndicator(W().Check4);
    ClickChange();

    EXPECT_TRUE(RegistrationsOf(kAnna).isEmpty());
    EXPECT_GE(RowOf(W().MbxInstList, kAnna), 0);
    EXPECT_EQ(RowOf(W().MbxUninstList, kAnna), -1);
    const QByteArray delivered = Lab({"deliver", kAnna, "--scl", "6", "--json"});
    EXPECT_FALSE(delivered.contains("SCL=6")) << delivered.toStdString();
}

// The close box during a walk: the window stays open until the walk has
// read its next record, then the form unloads and the window closes.
TEST_F(ChangeOnServer, ClosingTheWindowDuringAWalkClosesItOnceTheWalkHasEnded) {
    Open();
    auto entries = [this] {
        return form->MbxInstList.ListCount() + form->MbxUninstList.ListCount() +
               form->SysMbxInstList.ListCount() + form->SysMbxUninstList.ListCount();
    };
    const int listed = entries();
    bool stayedDuringTheWalk = false;
    QTimer::singleShot(0, window.get(), [&] {
        window->close();
        stayedDuringTheWalk = window->isVisible() && !form->Window().IsUnloaded();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the walk's first yield runs
    form->GetUsersWithMailboxes();
    EXPECT_TRUE(stayedDuringTheWalk);
    EXPECT_TRUE(form->Window().IsUnloaded());
    EXPECT_FALSE(window->isVisible());
    EXPECT_LT(entries(), listed) << "the walk ended early";
}

}  // namespace
