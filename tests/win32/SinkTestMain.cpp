#include <string>

#include "tests/win32/Check.h"
#include "tests/win32/SinkComTests.h"
#include "tests/win32/TestMain.h"

// Run after "regsvr32 Morvane.dll" with "registered", after
// "regsvr32 /u Morvane.dll" with "unregistered".
int main(int argc, char** argv) {
    testsupport_win32::ComApartment apartment;
    check::Expect("COM starts", apartment.ok());
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "registered") {
        RunRegisteredEntryTests();
        RunTypeLibraryTests();
        RunAutomationTests();
        RunStoreEventTests();
    } else if (mode == "unregistered") {
        RunUnregisteredTests();
    } else {
        check::Expect("a mode is given: registered or unregistered", false);
    }
    return check::Finish();
}
