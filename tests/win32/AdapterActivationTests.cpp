// Library exports bound by file name.
#include "platform/Activation.h"
#include "platform/win32/WindowsHeaders.h"
#include "tests/win32/AdapterTests.h"
#include "tests/win32/Check.h"

namespace {

void BoundExports() {
    auto missingLibrary =
        platform::SystemActivation().BindExport("NoSuchLibrary.dll", "DllUnregisterServer");
    check::ExpectComError(
        "a missing library fails at the first call", 53, [&] { missingLibrary(); },
        "File not found: NoSuchLibrary.dll");
    auto missingExport = platform::SystemActivation().BindExport("kernel32.dll", "NoSuchExport");
    check::ExpectComError(
        "a missing entry point", 453, [&] { missingExport(); },
        "Can't find DLL entry point NoSuchExport in kernel32.dll");
    auto lastError = platform::SystemActivation().BindExport("kernel32.dll", "GetLastError");
    SetLastError(0);
    check::ExpectEqual("a bound export is called", 0, lastError());
}

}  // namespace

void RunActivationTests() {
    check::Group("library exports", BoundExports);
}
