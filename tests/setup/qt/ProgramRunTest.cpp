#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

#include "tests/support/TempFolder.h"

// Runs the MorvaneSetup program itself, with a fresh (empty) emulated server
// folder and no display.
namespace {

struct ProgramRun {
    int exitCode = -1;
    bool finished = false;
    QString errorText;
};

struct ProgramFixture : ::testing::Test {
    testsupport::TempFolder folder;

    ProgramRun Run(const QStringList& arguments, bool offscreenPlatform = false) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        if (offscreenPlatform) {
            environment.insert("QT_QPA_PLATFORM", "offscreen");
        }
        environment.insert("MORVANE_SERVER", QString::fromStdString(folder.File("server")));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QString::fromStdString(folder.path()));
        process.start(QStringLiteral(MORVANE_SETUP_PROGRAM), arguments);
        ProgramRun run;
        run.finished = process.waitForFinished(60000);
        run.exitCode = process.exitCode();
        run.errorText = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }
};

using ProgramWithoutDisplay = ProgramFixture;

TEST_F(ProgramWithoutDisplay, AnInteractiveStartSaysSoAndFails) {
    const ProgramRun run = Run({});
    ASSERT_TRUE(run.finished);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.errorText.contains("no display found")) << run.errorText.toStdString();
}

TEST_F(ProgramWithoutDisplay, BatchModeRunsOffscreenAndReportsItsLog) {
    const ProgramRun run = Run({"-b"});
    ASSERT_TRUE(run.finished) << "batch mode closes the program by itself";
    EXPECT_FALSE(run.errorText.contains("no display found"));
    // No server in the folder: the run's log is not empty, and says why.
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errorText.contains(
        "Morvane COM+ application not found. Event (un)registration impossible."));
}

TEST_F(ProgramWithoutDisplay, BatchModeWithMoreTextIsStillBatchMode) {
    const ProgramRun run = Run({"/b", "--version"});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1) << "a batch run on a folder without a server";
    EXPECT_TRUE(run.errorText.contains("COM+ application not found"))
        << run.errorText.toStdString();
}

TEST_F(ProgramWithoutDisplay, ScreenshotSavesTheWindowAndEnds) {
    const std::string file = folder.File("window.png");
    const ProgramRun run = Run({"--screenshot", QString::fromStdString(file)});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    const QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull()) << "a PNG was written";
    EXPECT_GE(image.width(), 800);
    EXPECT_GE(image.height(), 500);
}

TEST_F(ProgramWithoutDisplay, AScreenshotWithoutAFileNameIsRefused) {
    const ProgramRun run = Run({"--screenshot"}, true);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errorText.contains("--screenshot needs a file name"));
}

}  // namespace
