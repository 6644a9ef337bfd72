#pragma once

#include <string>
#include <string_view>

namespace setup::win32 {

// The command line after the program's name (quoted or not) and the blanks
// that follow it, as the program's arguments text.
std::string ProgramArguments(std::wstring_view commandLine);

}  // namespace setup::win32
