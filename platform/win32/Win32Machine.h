#pragma once

#include <map>

#include "platform/Machine.h"

namespace platform::win32 {

// The machine facts through the Win32 calls themselves. Registry key
// handles are handed out as small numbers of this object's own.
class Win32Machine : public Machine {
  public:
    bool GetVersionEx(OsVersionInfo& info) override;
    bool HasProcedure(const std::string& module, const std::string& function) override;
    bool IsWow64Process(bool& wow64) override;
    int32_t RegOpenKey(uint32_t hive, const std::string& path, uint32_t& key) override;
    int32_t RegCloseKey(uint32_t key) override;
    int32_t GetUserName(std::string& buffer, uint32_t& size) override;
    ComError SystemError(int32_t code) override;

  private:
    std::map<uint32_t, void*> keys_;
    uint32_t nextKey_ = 1;
};

}  // namespace platform::win32
