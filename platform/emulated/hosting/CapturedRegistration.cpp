#include "platform/emulated/hosting/CapturedRegistration.h"

#include <map>
#include <set>

#include "platform/Text.h"

namespace platform::emulated {

namespace {

std::vector<std::string> SplitKey(const std::string& key) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find('\\', start);
        if (end == std::string::npos)
            end = key.size();
        parts.push_back(key.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The captured values by key (without regard to case) and name.
class CapturedTree {
  public:
    explicit CapturedTree(const std::vector<CapturedValue>& values) {
        for (const CapturedValue& value : values)
            values_[text::ToLower(value.key) + "\n" + text::ToLower(value.name)] = value.text;
    }
    std::string Get(const std::string& key, const std::string& name = "") const {
        auto found = values_.find(text::ToLower(key) + "\n" + text::ToLower(name));
        return found == values_.end() ? "" : found->second;
    }

  private:
    std::map<std::string, std::string> values_;
};

}  // namespace

CapturedRegistration ReadCapturedRegistration(
    const std::vector<CapturedValue>& values,
    const std::function<std::string(const std::string&)>& libraryPath) {
    const CapturedTree tree(values);
    CapturedRegistration registration;
    std::set<std::string> seen;
    for (const CapturedValue& value : values) {
        const std::vector<std::string> parts = SplitKey(value.key);
        const bool typeLibrary = text::EqualsNoCase(parts[0], "TypeLib");
        if (parts.size() < (typeLibrary ? 3u : 2u))
            continue;
        // One entry per class, type library version and interface.
        const std::string key = parts[0] + "\\" + parts[1] + (typeLibrary ? "\\" + parts[2] : "");
        if (!seen.insert(text::ToLower(key)).second)
            continue;
        if (text::EqualsNoCase(parts[0], "CLSID")) {
            ClassEntry entry;
            entry.clsid = parts[1];
            entry.progId = tree.Get(key + "\\ProgID");
            entry.libraryPath = libraryPath(tree.Get(key + "\\InprocServer32"));
            entry.threadingModel = tree.Get(key + "\\InprocServer32", "ThreadingModel");
            entry.typeLibraryId = tree.Get(key + "\\TypeLib");
            entry.typeLibraryVersion = tree.Get(key + "\\Version");
            entry.libraryKind = LibraryKind::Windows;
            registration.classes.push_back(std::move(entry));
        } else if (typeLibrary) {
            registration.typeLibraries.push_back(
                {parts[1], parts[2], tree.Get(key), libraryPath(tree.Get(key + "\\0\\win32"))});
        } else if (text::EqualsNoCase(parts[0], "Interface")) {
            registration.interfaces.push_back({parts[1], tree.Get(key), tree.Get(key + "\\TypeLib"),
                                               tree.Get(key + "\\TypeLib", "Version")});
        }
    }
    return registration;
}

void RecordRegistration(Registry& registry, const CapturedRegistration& registration) {
    for (const ClassEntry& entry : registration.classes)
        registry.RegisterClass(entry);
    for (const TypeLibraryEntry& entry : registration.typeLibraries)
        registry.RegisterTypeLibrary(entry);
    for (const InterfaceEntry& entry : registration.interfaces)
        registry.RegisterInterface(entry);
}

void RemoveRegistration(Registry& registry, const CapturedRegistration& registration) {
    for (const InterfaceEntry& entry : registration.interfaces)
        registry.UnregisterInterface(entry.interfaceId);
    for (const TypeLibraryEntry& entry : registration.typeLibraries)
        registry.UnregisterTypeLibrary(entry.libraryId, entry.version);
    for (const ClassEntry& entry : registration.classes)
        registry.UnregisterClass(entry.clsid);
}

}  // namespace platform::emulated
