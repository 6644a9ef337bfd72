#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ComError.h"
#include "platform/SystemInfo.h"
#include "platform/emulated/db/ServerDb.h"

// The system-information objects of the emulated server, answered from its
// machine facts: "ADSystemInfo" gives the domain's DNS name,
// "WinNTSystemInfo" the computer name, and "GC://RootDSE" the global
// catalog host as "dnshostname".
namespace platform::emulated {

// Error numbers of the directory service.
namespace directory_error {
constexpr int32_t kDomainUnreachable = hresult::FromUnsigned(0x8007054B);
constexpr int32_t kServerNotOperational = hresult::FromUnsigned(0x8007203A);
constexpr int32_t kNoSuchObject = hresult::FromUnsigned(0x80072030);
constexpr int32_t kPropertyNotFound = hresult::FromUnsigned(0x8000500D);
}  // namespace directory_error

class EmulatedSystemInfo final : public sysinfo::SystemInfo {
  public:
    explicit EmulatedSystemInfo(std::function<std::string()> serverFolder = ServerFolder);

    // A server without a domain: ERROR_NO_SUCH_DOMAIN as an HRESULT.
    std::shared_ptr<sysinfo::ADSystemInfo> CreateADSystemInfo() override;
    std::shared_ptr<sysinfo::WinNTSystemInfo> CreateWinNTSystemInfo() override;
    // "GC://RootDSE" (any letter case); without a global catalog host the
    // server is not operational; any other path is no such object.
    std::shared_ptr<sysinfo::DirectoryObject> GetObject(const std::string& adsPath) override;

  private:
    std::function<std::string()> serverFolder_;
};

}  // namespace platform::emulated
