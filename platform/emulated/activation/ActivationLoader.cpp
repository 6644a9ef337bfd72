#include "platform/emulated/activation/ActivationLoader.h"

#include <dlfcn.h>

#include <filesystem>
#include <fstream>

#include "platform/ComError.h"
#include "platform/emulated/activation/ActivationLibrary.h"

namespace platform::emulated {

namespace {

// Whether handle is the library this very code is part of. The store that
// runs inside the sink library creates the sink from its own file, so the
// library's activation layer may hold a handle to itself.
bool IsThisLibrary(void* handle) {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&IsThisLibrary), &info) == 0 || !info.dli_fname)
        return false;
    void* own = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (!own)
        return false;
    dlclose(own);
    return own == handle;
}

}  // namespace

std::shared_ptr<LoadedLibrary> LoadedLibrary::Load(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        throw ComError(activation_error::MOD_NOT_FOUND,
                       "The specified module could not be found: " + FileNameOf(path));
    }
    // A relative path names a file below the current directory, never one
    // found through the loader's search path.
    std::string file = NormalLibraryPath(path);
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        throw ComError(activation_error::BAD_EXE_FORMAT,
                       FileNameOf(path) + " is not a valid library (" +
                           (reason ? reason : "unknown reason") + ")");
    }
    return std::make_shared<LoadedLibrary>(Key{}, file, handle);
}

LoadedLibrary::LoadedLibrary(Key, std::string path, void* handle)
    : path_(std::move(path)), handle_(handle) {}

LoadedLibrary::~LoadedLibrary() {
    // A library that still has live objects stays loaded, as COM keeps it.
    auto canUnloadNow = reinterpret_cast<DllFunction>(FindExport(kDllCanUnloadNow));
    if (canUnloadNow && canUnloadNow() != hresult::S_OK)
        return;
    // A library never unloads itself: the last release, met while the
    // library's own objects are torn down at exit, would return into
    // unmapped code. The handle goes with the process.
    if (IsThisLibrary(handle_))
        return;
    dlclose(handle_);
}

void* LoadedLibrary::FindExport(const std::string& name) const {
    return dlsym(handle_, name.c_str());
}

LibraryKind LibraryKindOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char magic[2] = {};
    const bool windows = file.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
    return windows ? LibraryKind::Windows : LibraryKind::Native;
}

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string NormalLibraryPath(const std::string& path) {
    if (path.empty())
        return path;
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec)
        return path;
    return absolute.lexically_normal().string();
}

std::string LibraryPathOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname)
        return "";
    return NormalLibraryPath(info.dli_fname);
}

}  // namespace platform::emulated
