#include "platform/emulated/machine/WindowsPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempFolder.h"

namespace wine = platform::emulated::wine;

namespace {

// A prefix whose drives are as Wine makes them: C: a folder of the
// prefix (a relative link), Z: the root folder.
TEST(WindowsPaths, DriveLettersLeadThroughThePrefixAndAnythingElseStaysAsItIs) {
    testsupport::TempFolder prefix;
    const std::filesystem::path devices = std::filesystem::path(prefix.path()) / "dosdevices";
    std::filesystem::create_directories(devices);
    std::filesystem::create_directory_symlink("../drive_c", devices / "c:");
    std::filesystem::create_directory_symlink("/", devices / "z:");
    const struct {
        std::string windows;
        std::string file;
    } cases[] = {
        {"Z:\\tmp\\Morvane.dll", "/tmp/Morvane.dll"},
        {"z:/tmp/lib/../Morvane.dll", "/tmp/Morvane.dll"},
        {"C:\\Windows\\system32\\scrrun.dll", "<prefix>/drive_c/Windows/system32/scrrun.dll"},
        {"Q:\\no\\such\\drive.dll", "Q:\\no\\such\\drive.dll"},
        {"Morvane\\Morvane.dll", "Morvane\\Morvane.dll"},
        {"C:", "C:"},
        {"C:relative.dll", "C:relative.dll"},
        {"/already/linux.so", "/already/linux.so"},
        {"", ""},
    };
    for (const auto& c : cases) {
        // The prefix's own folder as a word, so that no path of this
        // machine is shown.
        std::string file = wine::UnixPath(c.windows, prefix.path());
        if (file.rfind(prefix.path(), 0) == 0)
            file.replace(0, prefix.path().size(), "<prefix>");
        EXPECT_EQ(file, c.file) << c.windows;
    }
    EXPECT_EQ(wine::WindowsPath("/tmp/lib/./../Morvane.dll"), "Z:\\tmp\\Morvane.dll");
}

}  // namespace
