#include "bench/support/InstalledSetup.h"

#include <filesystem>
#include <stdexcept>

namespace benchsupport {

InstalledSetup::InstalledSetup(const std::vector<std::string>& files,
                               std::vector<std::string> command,
                               std::map<std::string, std::string> environment, int mailboxes)
    : command_(std::move(command)), environment_(std::move(environment)), mailboxes_(mailboxes) {
    environment_["MORVANE_SERVER"] = folder_.path() + "/server";
    std::filesystem::create_directory(Install());
    for (const std::string& file : files)
        std::filesystem::copy_file(file, Install() / std::filesystem::path(file).filename());
    Lab({"init", "--empty"});
    Lab({"mailbox", "add", "--count", std::to_string(mailboxes), "--prefix", "user"});
}

ProcessRun InstalledSetup::RunBatch() const {
    const std::string program = command_.front().find('/') == std::string::npos
                                    ? Install() + "/" + command_.front()
                                    : command_.front();
    return RunProcess(program, std::vector<std::string>(command_.begin() + 1, command_.end()),
                      Install(), environment_);
}

bool InstalledSetup::ChecksThroughTheLibrary() const {
    const std::string first =
        "user" + std::string(std::to_string(mailboxes_).size() - 1, '0') + "1@morvane.test";
    Lab({"fault", "add", "connection.open", "--url", "http://ex1/exadmin/morvane.test/mbx/" + first,
         "--hresult", "0x80004005", "--description", "planted"});
    const ProcessRun run = RunBatch();
    Lab({"fault", "clear"});
    return run.exitCode == 1 &&
           run.errorOutput.find(first + " - ERROR: -2147467259 planted") != std::string::npos;
}

std::string InstalledSetup::Install() const {
    return folder_.path() + "/bin";
}

void InstalledSetup::Lab(const std::vector<std::string>& arguments) const {
    const ProcessRun run = RunProcess(MORVANE_LAB_FILE, arguments, folder_.path(), environment_);
    if (run.exitCode != 0)
        throw std::runtime_error("morvane-lab " + arguments.front() + " failed");
}

}  // namespace benchsupport
