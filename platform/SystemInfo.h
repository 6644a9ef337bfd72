#pragma once

#include <memory>
#include <string>

#include "platform/Variant.h"

// The system-information port: the directory service's automation objects
// the setup program learns its names from ("ADSystemInfo",
// "WinNTSystemInfo") and binding to a directory object by ADsPath, such as
// "GC://RootDSE". Every failing call throws platform::ComError.
namespace platform::sysinfo {

// "ADSystemInfo": the computer's Active Directory domain.
class ADSystemInfo {
  public:
    virtual ~ADSystemInfo() = default;
    // The property "DomainDNSName".
    virtual std::string DomainDNSName() = 0;
};

// "WinNTSystemInfo": the local computer.
class WinNTSystemInfo {
  public:
    virtual ~WinNTSystemInfo() = default;
    // The property "computername": the NetBIOS name.
    virtual std::string ComputerName() = 0;
};

// A bound directory object (IADs).
class DirectoryObject {
  public:
    virtual ~DirectoryObject() = default;
    // IADs::Get of one attribute; an attribute the object has not throws
    // E_ADS_PROPERTY_NOT_FOUND.
    virtual Variant Get(const std::string& attribute) = 0;
};

class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual std::shared_ptr<ADSystemInfo> CreateADSystemInfo() = 0;
    virtual std::shared_ptr<WinNTSystemInfo> CreateWinNTSystemInfo() = 0;
    // GetObject(adsPath).
    virtual std::shared_ptr<DirectoryObject> GetObject(const std::string& adsPath) = 0;
};

// The system information of the platform the program runs on.
SystemInfo& SystemSystemInfo();

}  // namespace platform::sysinfo
