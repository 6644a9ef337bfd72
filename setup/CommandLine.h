#pragma once

#include <string>

namespace setup {

// The command line as the program sees it: the arguments after the
// program's name, joined by single blanks.
std::string CommandLineText(int argc, const char* const argv[]);

}  // namespace setup
