#include "tests/tools/morvane-lab/LabProcess.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <system_error>

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

LabResult LabServer::Run(const std::vector<std::string>& arguments) const {
    platform::emulated::ChildLaunch launch;
    launch.words = {MORVANE_LAB_PROGRAM};
    launch.words.insert(launch.words.end(), arguments.begin(), arguments.end());
    launch.environment = platform::emulated::EnvironmentWith({{"MORVANE_SERVER", folder_}});
    launch.output = temp_.File("stdout.txt");
    launch.error = temp_.File("stderr.txt");
    LabResult result;
    try {
        result.exitCode =
            platform::emulated::WaitForChild(platform::emulated::StartChild(launch), -1)->status;
    } catch (const std::system_error& error) {
        ADD_FAILURE() << "could not run morvane-lab: " << error.what();
        return result;
    }
    result.out = testsupport::ReadFile(launch.output);
    result.err = testsupport::ReadFile(launch.error);
    return result;
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
