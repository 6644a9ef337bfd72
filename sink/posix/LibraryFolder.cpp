#include "sink/LibraryFolder.h"

#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <string_view>

#include "platform/ComError.h"

namespace {

// An object inside this library; dladdr names the file that holds it.
const char kAnchor = 0;

std::string FindLibraryFolder() {
    Dl_info info{};
    if (dladdr(&kAnchor, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname == '\0')
        throw platform::ComError(platform::hresult::E_FAIL, "The library file cannot be found.");
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved) == nullptr)
        throw platform::ComError(platform::hresult::E_FAIL, "The library file cannot be found.");
    std::string_view path(resolved);
    return std::string(path.substr(0, path.rfind('/')));
}

}  // namespace

std::string LibraryFolder() {
    // The library does not move while it is loaded: find it once.
    static const std::string folder = FindLibraryFolder();
    return folder;
}
