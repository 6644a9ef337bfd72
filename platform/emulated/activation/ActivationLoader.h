#pragma once

#include <memory>
#include <string>

// Loading of library files for the emulated activation layer (the
// LoadLibrary / GetProcAddress / FreeLibrary of the platform).
namespace platform::emulated {

// One loaded library file. The file stays loaded while any holder of the
// shared handle lives (and longer when the library says it cannot be
// unloaded yet).
class LoadedLibrary {
  public:
    // Loads the file at path. A missing file throws ComError
    // ERROR_MOD_NOT_FOUND (0x8007007E), a file that is not a loadable
    // library ERROR_BAD_EXE_FORMAT (0x800700C1).
    static std::shared_ptr<LoadedLibrary> Load(const std::string& path);

    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    const std::string& path() const { return path_; }
    // The address of an exported function; nullptr when there is none.
    void* FindExport(const std::string& name) const;

  private:
    struct Key {
        explicit Key() = default;
    };

  public:
    LoadedLibrary(Key, std::string path, void* handle);

  private:
    std::string path_;
    void* handle_;
};

// What a library file is: one this process loads itself, or a Windows DLL,
// which runs in a Windows host under Wine.
enum class LibraryKind { Unknown, Native, Windows };

// The kind of the file at path, by its first bytes (a Windows executable
// starts with "MZ"); a file that cannot be read is native.
LibraryKind LibraryKindOf(const std::string& path);

// The file's name without its folder, for error texts.
std::string FileNameOf(const std::string& path);

// The path as the registry keeps library files: absolute, without "." and
// ".." parts (symbolic links are kept as they are).
std::string NormalLibraryPath(const std::string& path);

}  // namespace platform::emulated
