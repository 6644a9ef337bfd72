#include "tests/tools/morvane-lab/LabProcess.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <system_error>

#include "platform/emulated/activation/WindowsHosting.h"
#include "platform/emulated/machine/ChildProcess.h"

namespace labtest {

nlohmann::json LabResult::Json() const {
    try {
        return nlohmann::json::parse(out);
    } catch (const nlohmann::json::exception& error) {
        ADD_FAILURE() << "not JSON (" << error.what() << "):\n" << out;
        return nullptr;
    }
}

std::vector<std::string> LabResult::ErrorLines() const {
    std::vector<std::string> lines;
    std::istringstream stream(err);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::string LabServer::Scrub(std::string text) const {
    for (size_t at = text.find(temp_.path()); at != std::string::npos;
         at = text.find(temp_.path(), at)) {
        text.replace(at, temp_.path().size(), "<temp>");
    }
    return text;
}

LabServer::LabServer() : folder_(temp_.File("server")) {}

LabServer::~LabServer() {
    platform::emulated::SystemWindowsHosting().EndApplications(folder_);
}

LabResult LabServer::Run(const std::vector<std::string>& arguments) const {
    return RunAtOnce({arguments}).front();
}

std::vector<LabResult> LabServer::RunAtOnce(
    const std::vector<std::vector<std::string>>& commands) const {
    std::vector<platform::emulated::ChildLaunch> launches(commands.size());
    std::vector<std::optional<pid_t>> processes(commands.size());
    for (size_t i = 0; i < commands.size(); ++i) {
        launches[i].words = {MORVANE_LAB_PROGRAM};
        launches[i].words.insert(launches[i].words.end(), commands[i].begin(), commands[i].end());
        launches[i].environment =
            platform::emulated::EnvironmentWith({{"MORVANE_SERVER", folder_}});
        launches[i].output = temp_.File("stdout" + std::to_string(i) + ".txt");
        launches[i].error = temp_.File("stderr" + std::to_string(i) + ".txt");
        try {
            processes[i] = platform::emulated::StartChild(launches[i]);
        } catch (const std::system_error& error) {
            ADD_FAILURE() << "could not run morvane-lab: " << error.what();
        }
    }
    std::vector<LabResult> results(commands.size());
    for (size_t i = 0; i < commands.size(); ++i) {
        if (!processes[i])
            continue;
        results[i].exitCode = platform::emulated::WaitForChild(*processes[i], -1)->status;
        results[i].out = testsupport::ReadFile(launches[i].output);
        results[i].err = testsupport::ReadFile(launches[i].error);
    }
    return results;
}

LabResult LabServer::Ok(const std::vector<std::string>& arguments) const {
    LabResult result = Run(arguments);
    std::string command;
    for (const std::string& argument : arguments)
        command += " " + argument;
    EXPECT_EQ(result.exitCode, 0) << "morvane-lab" << command << "\nstderr: " << Scrub(result.err);
    return result;
}

}  // namespace labtest
