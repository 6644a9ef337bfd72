#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/emulated/activation/Registry.h"

// What a Windows library's DllRegisterServer wrote under
// HKEY_CLASSES_ROOT, captured value by value, read as the registry
// entries the server keeps: classes (with their ProgIDs and library
// files, Windows libraries all), type libraries and interfaces.
namespace platform::emulated {

// One value: its key below HKEY_CLASSES_ROOT, its name ("" for the key's
// default value) and its text.
struct CapturedValue {
    std::string key;
    std::string name;
    std::string text;
};

struct CapturedRegistration {
    std::vector<ClassEntry> classes;
    std::vector<TypeLibraryEntry> typeLibraries;
    std::vector<InterfaceEntry> interfaces;
};

// libraryPath turns a library file named in a value (a Windows path) into
// the path the server keeps.
CapturedRegistration ReadCapturedRegistration(
    const std::vector<CapturedValue>& values,
    const std::function<std::string(const std::string&)>& libraryPath);

void RecordRegistration(Registry& registry, const CapturedRegistration& registration);
void RemoveRegistration(Registry& registry, const CapturedRegistration& registration);

}  // namespace platform::emulated
