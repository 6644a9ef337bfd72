#pragma once

#include <string>
#include <vector>

namespace setup {

// The command line as the program sees it: the arguments after the
// program's name, joined by single blanks.
std::string CommandLineText(int argc, const char* const argv[]);
std::string ArgumentText(const std::vector<std::string>& arguments);

// What the whole argument text asks of the program. "--help" and
// "--version" are the program's own requests, answered without a window,
// only when they are the whole text; any other text goes to the form, which
// selects batch mode by its first two characters ("/b --version" too).
enum class ProgramRequest { Form, Help, Version };
ProgramRequest RequestOf(const std::string& argumentText);

// What a request of the program's own prints on standard output: for Help
// the usage (screenshotOption: the program offers --screenshot), for
// Version "MorvaneSetup " and the version on one line.
std::string RequestAnswer(ProgramRequest request, bool screenshotOption);

}  // namespace setup
