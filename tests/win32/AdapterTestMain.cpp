#include "tests/win32/AdapterTests.h"
#include "tests/win32/Check.h"
#include "tests/win32/TestMain.h"

int main() {
    testsupport_win32::ComApartment apartment;
    check::Expect("COM starts", apartment.ok());
    RunConversionTests();
    RunStoreAdoTests();
    RunProfileTests();
    RunActivationTests();
    RunSetupPortTests();
    RunDirectoryQueryTests();
    return check::Finish();
}
