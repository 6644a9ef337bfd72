#include "sink/posix/Registration.h"

#include "sink/ProductWord.h"
#include "sink/posix/MorvaneIds.h"

namespace morvane_posix {

void RegisterMorvane(platform::emulated::Registry& registry, const std::string& libraryPath) {
    platform::emulated::ClassEntry entry;
    entry.clsid = kClsidMorvaneCls;
    entry.progId = ProgId();
    entry.libraryPath = libraryPath;
    entry.threadingModel = kThreadingModel;
    entry.typeLibraryId = kLibidMorvane;
    entry.typeLibraryVersion = kTypeLibraryVersion;
    registry.RegisterClass(entry);
    registry.RegisterTypeLibrary(
        {kLibidMorvane, kTypeLibraryVersion, std::string(kProductWord), libraryPath});
    registry.RegisterInterface(
        {kIidMorvaneCls, kInterfaceName, kLibidMorvane, kTypeLibraryVersion});
}

void UnregisterMorvane(platform::emulated::Registry& registry) {
    registry.UnregisterInterface(kIidMorvaneCls);
    registry.UnregisterTypeLibrary(kLibidMorvane, kTypeLibraryVersion);
    registry.UnregisterClass(kClsidMorvaneCls);
}

}  // namespace morvane_posix
