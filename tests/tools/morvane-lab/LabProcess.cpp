#include "tests/tools/morvane-lab/LabProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string_view>

namespace labtest {

namespace {

int OpenOutput(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
}

// The program's argument vector and environment (this one, with
// MORVANE_SERVER pointing at the server), made before the fork.
struct Invocation {
    std::vector<std::string> strings;
    std::vector<char*> argv;
    std::vector<char*> envp;

    Invocation(const std::vector<std::string>& arguments, const std::string& server) {
        strings.push_back(MORVANE_LAB_PROGRAM);
        strings.insert(strings.end(), arguments.begin(), arguments.end());
        size_t argumentCount = strings.size();
        for (char** entry = environ; *entry != nullptr; ++entry) {
            if (std::string_view(*entry).rfind("MORVANE_SERVER=", 0) != 0)
                strings.emplace_back(*entry);
        }
        strings.push_back("MORVANE_SERVER=" + server);
        for (size_t index = 0; index < strings.size(); ++index) {
            (index < argumentCount ? argv : envp).push_back(strings[index].data());
        }
        argv.push_back(nullptr);
        envp.push_back(nullptr);
    }
};

// Child side: redirect and exec. Never returns.
[[noreturn]] void ExecLab(Invocation& invocation, const std::string& outFile,
                          const std::string& errFile) {
    int out = OpenOutput(outFile);
    int err = OpenOutput(errFile);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0)
        _exit(126);
    execve(invocation.argv[0], invocation.argv.data(), invocation.envp.data());
    _exit(127);
}

}  // namespace

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
    std::string outFile = temp_.File("stdout.txt");
    std::string errFile = temp_.File("stderr.txt");
    Invocation invocation(arguments, folder_);
    pid_t child = fork();
    if (child == 0)
        ExecLab(invocation, outFile, errFile);
    LabResult result;
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "could not run morvane-lab";
        return result;
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = testsupport::ReadFile(outFile);
    result.err = testsupport::ReadFile(errFile);
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
