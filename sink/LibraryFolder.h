#pragma once

#include <optional>
#include <string>

// The folder that holds the library file at run time, without a trailing
// separator. Written once per platform (dladdr on Linux, GetModuleFileNameW
// on Windows). Throws platform::ComError when the folder cannot be found.
std::string LibraryFolder();

// The folder the sink looks for its settings file in: the override of the
// calling thread when one is set, otherwise LibraryFolder().
std::string SettingsFolder();

// Points SettingsFolder() of the calling thread at another folder; nullopt
// goes back to the library's own folder. Used by tests and benchmarks, which
// cannot place files beside the library under test.
void SetSettingsFolderOverride(std::optional<std::string> folder);
