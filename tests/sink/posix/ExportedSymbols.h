#pragma once

#include <set>
#include <string>

namespace sink_posix_test {

// The names of the symbols a shared library file defines and exports (its
// dynamic symbol table, without undefined references). Empty when the file
// cannot be read as a 64-bit ELF library.
std::set<std::string> ExportedSymbols(const std::string& libraryFile);

}  // namespace sink_posix_test
