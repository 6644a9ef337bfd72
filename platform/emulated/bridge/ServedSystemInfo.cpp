#include "platform/SystemInfo.h"
#include "platform/bridge/BridgeClasses.h"
#include "platform/bridge/ServedObject.h"
#include "platform/emulated/bridge/ServedClasses.h"

// The system-information objects and the directory objects bound by ADsPath.
namespace platform::emulated::served {

namespace {

using bridge::Args;
using bridge::Serve;
using bridge::ServedClass;
using bridge::Takes;
using bridge::Value;
using enum bridge::MemberKind;

using AdInfo = std::shared_ptr<sysinfo::ADSystemInfo>;
const ServedClass<AdInfo> kAdSystemInfo{
    std::string(bridge::kAdSystemInfo.progId),
    {{Get, "DomainDNSName", Takes(0), [](AdInfo& info) { return info->DomainDNSName(); }}}};

using NtInfo = std::shared_ptr<sysinfo::WinNTSystemInfo>;
const ServedClass<NtInfo> kWinNtSystemInfo{
    std::string(bridge::kWinNtSystemInfo.progId),
    {{Get, "ComputerName", Takes(0), [](NtInfo& info) { return info->ComputerName(); }}}};

using DirectoryObject = std::shared_ptr<sysinfo::DirectoryObject>;
const ServedClass<DirectoryObject> kDirectoryObject{
    "IADs", {{Method, "Get", Takes(1), [](DirectoryObject& object, Args& args) {
                  return object->Get(args.Text(0));
              }}}};

}  // namespace

Value NewAdSystemInfo() {
    return Serve(kAdSystemInfo, sysinfo::SystemSystemInfo().CreateADSystemInfo());
}

Value NewWinNtSystemInfo() {
    return Serve(kWinNtSystemInfo, sysinfo::SystemSystemInfo().CreateWinNTSystemInfo());
}

Value BindDirectoryObject(const std::string& adsPath) {
    return Serve(kDirectoryObject, sysinfo::SystemSystemInfo().GetObject(adsPath));
}

}  // namespace platform::emulated::served
