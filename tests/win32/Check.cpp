#include "tests/win32/Check.h"

#include <cstdio>
#include <exception>

#include "platform/ComError.h"

namespace check {

namespace {
int g_passed = 0;
int g_failed = 0;
std::string g_group;

void Report(const std::string& name, bool ok, const std::string& detail) {
    ok ? ++g_passed : ++g_failed;
    std::printf("%s %s%s%s\n", ok ? "[ PASS ]" : "[ FAIL ]", g_group.c_str(), name.c_str(),
                ok || detail.empty() ? "" : (" -- " + detail).c_str());
    std::fflush(stdout);
}
}  // namespace

void Expect(const std::string& name, bool condition, const std::string& detail) {
    Report(name, condition, detail);
}

void ExpectEqual(const std::string& name, const std::string& expected, const std::string& actual) {
    Report(name, expected == actual, "expected \"" + expected + "\", got \"" + actual + "\"");
}

void ExpectEqual(const std::string& name, long long expected, long long actual) {
    Report(name, expected == actual,
           "expected " + std::to_string(expected) + ", got " + std::to_string(actual));
}

void Group(const std::string& name, const std::function<void()>& body) {
    g_group = name + ": ";
    try {
        body();
    } catch (const platform::ComError& error) {
        Report("unexpected error", false,
               std::to_string(error.number()) + " " + error.description());
    } catch (const std::exception& error) {
        Report("unexpected exception", false, error.what());
    }
    g_group.clear();
}

void ExpectComError(const std::string& name, long long number, const std::function<void()>& body,
                    const std::string& description) {
    try {
        body();
        Report(name, false, "no error was raised");
    } catch (const platform::ComError& error) {
        bool ok =
            error.number() == number && (description.empty() || error.description() == description);
        Report(name, ok,
               "got " + std::to_string(error.number()) + " \"" + error.description() + "\"");
    }
}

int Finish() {
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    std::fflush(stdout);
    return g_failed == 0 && g_passed > 0 ? 0 : 1;
}

}  // namespace check
