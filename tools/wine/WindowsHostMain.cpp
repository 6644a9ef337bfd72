// MorvaneWindowsHost.exe: the Windows host, the process in which the
// emulated server runs Windows libraries (no arguments), or, with
// --prepare, readies the Wine prefix for the bridge. Everything it does is
// in MorvaneBridge.dll beside it, the same library the platform's ProgIDs
// name in the prefix, so that a library's own calls into the platform
// share the host's connection.
#include <windows.h>

#include <cstring>
#include <string>

int main(int argc, char** argv) {
    // Its windows (an apartment's, COM's) go on a desktop of the host's
    // own: a host runs without a display, and had it opened the prefix's
    // shared desktop, that desktop would have no display either, so that
    // Windows programs with one could open no window while it lasts.
    if (HDESK desktop =
            CreateDesktopW(L"MorvaneWindowsHost", nullptr, nullptr, 0, GENERIC_ALL, nullptr))
        SetThreadDesktop(desktop);
    wchar_t path[MAX_PATH] = {};
    std::wstring folder(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    folder.erase(folder.find_last_of(L"\\/") + 1);
    HMODULE bridge = LoadLibraryW((folder + L"MorvaneBridge.dll").c_str());
    if (bridge == nullptr)
        return 10;
    const bool prepare = argc > 1 && std::strcmp(argv[1], "--prepare") == 0;
    auto entry = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(
        GetProcAddress(bridge, prepare ? "MorvanePreparePrefix" : "MorvaneWindowsHost")));
    if (entry == nullptr)
        return 11;
    if (prepare)
        CoInitialize(nullptr);
    return entry();
}
