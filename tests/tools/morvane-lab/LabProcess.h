#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/TempFolder.h"

// Runs the built morvane-lab program against a temporary server folder and
// captures what it printed and its exit code.
namespace labtest {

struct LabResult {
    int exitCode = -1;
    std::string out;
    std::string err;

    // stdout parsed as JSON; a test failure (and null) when it is not JSON.
    nlohmann::json Json() const;
    // stderr's lines.
    std::vector<std::string> ErrorLines() const;
};

class LabServer {
  public:
    LabServer();
    // The server's application processes end with it.
    ~LabServer();
    LabServer(const LabServer&) = delete;
    LabServer& operator=(const LabServer&) = delete;
    // The server folder (not created until "init" runs).
    const std::string& folder() const { return folder_; }
    // A folder of its own for other files of a test.
    const testsupport::TempFolder& temp() const { return temp_; }

    // morvane-lab with the arguments, MORVANE_SERVER set to folder().
    LabResult Run(const std::vector<std::string>& arguments) const;
    // The same, failing the test unless the exit code is 0.
    LabResult Ok(const std::vector<std::string>& arguments) const;
    // Several morvane-lab processes at once; their results in order.
    std::vector<LabResult> RunAtOnce(const std::vector<std::vector<std::string>>& commands) const;

    // The text with the temporary folder's path replaced by "<temp>", so
    // that failure messages never show paths of this machine.
    std::string Scrub(std::string text) const;

  private:
    testsupport::TempFolder temp_;
    std::string folder_;
};

}  // namespace labtest
