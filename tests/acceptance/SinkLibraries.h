#pragma once

#include <ostream>
#include <string>

// The sink's two libraries, the parameter of its acceptance cases: the
// Linux build's Morvane.so, loaded by the emulated activation, and the
// Windows build's Morvane.dll (from MORVANE_WINDOWS_BIN), which the
// activation runs in a host under Wine, reached over the bridge.
namespace acceptance {

struct SinkLibrary {
    std::string build;     // "Linux" or "Windows"
    std::string fileName;  // the installed file: "Morvane.so" or "Morvane.dll"

    // The built file; "" when this build is not at hand.
    std::string Source() const;
    // Why the cases cannot run here ("" when they can): a Windows build
    // without its Wine tooling.
    std::string Unavailable() const;
};

SinkLibrary LinuxSink();
SinkLibrary WindowsSink();

inline void PrintTo(const SinkLibrary& library, std::ostream* out) {
    *out << library.fileName;
}

// The text with the date and time of a leading "[date time] " replaced by
// "<date>": the one part of an error line that differs between the builds
// (the platform's regional text on Windows). A bracket without a digit in
// it is left as it is.
std::string MaskDate(const std::string& line);

}  // namespace acceptance
