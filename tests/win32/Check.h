#pragma once

#include <functional>
#include <string>

// A small check harness for the Windows test programs (GoogleTest is not
// built for mingw). Every check prints its name and outcome; a failing
// check makes the program exit non-zero; the last line is the summary
// "N passed, N failed".
namespace check {

void Expect(const std::string& name, bool condition, const std::string& detail = "");
void ExpectEqual(const std::string& name, const std::string& expected, const std::string& actual);
void ExpectEqual(const std::string& name, long long expected, long long actual);

// Runs body; an exception escaping it counts as one failed check.
void Group(const std::string& name, const std::function<void()>& body);

// Runs a body that must throw platform::ComError with that number (and that
// description, when one is given).
void ExpectComError(const std::string& name, long long number, const std::function<void()>& body,
                    const std::string& description = "");

// Prints the summary; the program's exit code.
int Finish();

}  // namespace check
