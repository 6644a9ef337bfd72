#pragma once

#include <string>

// The standard streams of a windowed program: a batch run's log goes where
// a console program's would, for a scheduled task's "2>> file" as well as
// for an administrator at a console, and so do --help and --version.
namespace setup::win32 {

// Writes text to the standard error handle the program inherited: its
// UTF-8 bytes to a file or pipe, its characters to a console. Without an
// inherited handle that is open the program attaches to its parent's
// console and writes there; without that either, the text goes nowhere.
void WriteStandardError(const std::string& text);
// The same for the standard output handle (--help, --version).
void WriteStandardOutput(const std::string& text);

}  // namespace setup::win32
