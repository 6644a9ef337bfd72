#include "tools/wine/HostLibraries.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/ComError.h"
#include "platform/win32/WideText.h"
#include "tools/wine/EventLogRoute.h"

namespace wine_bridge {

namespace {

using platform::ComError;
using platform::Variant;

struct Loaded {
    HMODULE module;
    int32_t size;
};

// Several apartments of an application's host load libraries at once.
class Libraries {
  public:
    HMODULE Load(const std::wstring& path) {
        std::lock_guard lock(mutex_);
        auto found = loaded_.find(path);
        if (found != loaded_.end())
            return found->second.module;
        HMODULE library = LoadLibraryW(path.c_str());
        if (library == nullptr)
            throw ComError(kErrorInLoadingDll, "Error in loading DLL");
        RouteEventLog(library);
        loaded_.emplace(path, Loaded{library, FileSize(path)});
        order_.push_back(path);
        return library;
    }
    Variant::Array List() {
        std::lock_guard lock(mutex_);
        Variant::Array list;
        for (const std::wstring& path : order_)
            list.emplace_back(Variant::Array{Variant(platform::win32::WideToUtf8(path)),
                                             Variant(loaded_.at(path).size)});
        return list;
    }

  private:
    // The file's size, -1 when it cannot be read.
    static int32_t FileSize(const std::wstring& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
            data.nFileSizeHigh != 0 || data.nFileSizeLow > INT32_MAX)
            return -1;
        return static_cast<int32_t>(data.nFileSizeLow);
    }

    std::mutex mutex_;
    std::map<std::wstring, Loaded> loaded_;
    std::vector<std::wstring> order_;
};

Libraries& HostLibraries() {
    static Libraries libraries;
    return libraries;
}

}  // namespace

HMODULE HostLibrary(const std::wstring& path) {
    return HostLibraries().Load(path);
}

void* HostLibraryExport(const std::wstring& path, const char* name) {
    void* address = reinterpret_cast<void*>(GetProcAddress(HostLibrary(path), name));
    if (address == nullptr)
        throw ComError(kEntryPointNotFound, std::string("Can't find DLL entry point ") + name +
                                                " in " + platform::win32::WideToUtf8(path));
    return address;
}

Variant::Array LoadedLibraries() {
    return HostLibraries().List();
}

}  // namespace wine_bridge
