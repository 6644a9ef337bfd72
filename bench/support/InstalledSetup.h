#pragma once

#include <map>
#include <string>
#include <vector>

#include "bench/support/BenchFolder.h"
#include "bench/support/ChildProcess.h"

namespace benchsupport {

// The setup program as installed, beside its library in a folder of their
// own, and a server made by morvane-lab with mailboxes user1 to userN
// (numbers padded) beside the store's system mailbox, none registered.
class InstalledSetup {
  public:
    // files: the program and its library, copied into the folder; command:
    // the words that run the program in batch mode from there (its name
    // first, or the tool that runs it); environment: what the run needs
    // besides the server.
    InstalledSetup(const std::vector<std::string>& files, std::vector<std::string> command,
                   std::map<std::string, std::string> environment, int mailboxes);

    // The batch run, as a user runs it.
    ProcessRun RunBatch() const;
    // Whether the batch run asks the library about the mailboxes: a failure
    // planted at the first mailbox's connection reaches the run's error log
    // as the library's error line.
    bool ChecksThroughTheLibrary() const;

  private:
    std::string Install() const;
    void Lab(const std::vector<std::string>& arguments) const;

    BenchFolder folder_;
    std::vector<std::string> command_;
    std::map<std::string, std::string> environment_;
    int mailboxes_;
};

}  // namespace benchsupport
