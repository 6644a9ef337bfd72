#include "platform/SystemInfo.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/bridge/ServedObject.h"

// The system-information objects and the directory objects bound by ADsPath.
namespace platform::emulated::served {

namespace {

using bridge::Value;

using AdInfo = std::shared_ptr<sysinfo::ADSystemInfo>;
const ServedClass<AdInfo> kAdSystemInfo{
    "ADSystemInfo",
    {{"DomainDNSName", [](AdInfo& info, Args&) { return Value(info->DomainDNSName()); }, {}, {}}}};

using NtInfo = std::shared_ptr<sysinfo::WinNTSystemInfo>;
const ServedClass<NtInfo> kWinNtSystemInfo{
    "WinNTSystemInfo",
    {{"ComputerName", [](NtInfo& info, Args&) { return Value(info->ComputerName()); }, {}, {}}}};

using DirectoryObject = std::shared_ptr<sysinfo::DirectoryObject>;
const ServedClass<DirectoryObject> kDirectoryObject{
    "IADs", {{"Get", {}, {}, [](DirectoryObject& object, Args& args) {
                  args.Expect(1, 1);
                  return Value(object->Get(args.Text(0)));
              }}}};

}  // namespace

std::optional<Value> CreateSystemInfoObject(const std::string& progId) {
    if (text::EqualsNoCase(progId, "ADSystemInfo"))
        return Serve(kAdSystemInfo, sysinfo::SystemSystemInfo().CreateADSystemInfo());
    if (text::EqualsNoCase(progId, "WinNTSystemInfo"))
        return Serve(kWinNtSystemInfo, sysinfo::SystemSystemInfo().CreateWinNTSystemInfo());
    return std::nullopt;
}

Value BindDirectoryObject(const std::string& adsPath) {
    return Serve(kDirectoryObject, sysinfo::SystemSystemInfo().GetObject(adsPath));
}

}  // namespace platform::emulated::served
