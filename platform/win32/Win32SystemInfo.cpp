#include "platform/SystemInfo.h"
#include "platform/win32/Automation.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/WideText.h"

// The port's GetObject is declared before the Windows headers turn the name
// into a macro.
#undef GetObject

// The directory service's automation objects, late-bound.
namespace platform::win32 {

namespace {

using automation::Get;

std::string TextProperty(IDispatch* object, const std::string& name) {
    Variant value = Get(object, name).ToVariant();
    return value.AppendToEmptyString();
}

class AdsSystemInfo : public sysinfo::ADSystemInfo {
  public:
    explicit AdsSystemInfo(ComPtr<IDispatch> object) : object_(std::move(object)) {}
    std::string DomainDNSName() override { return TextProperty(object_.Get(), "DomainDNSName"); }

  private:
    ComPtr<IDispatch> object_;
};

class NtSystemInfo : public sysinfo::WinNTSystemInfo {
  public:
    explicit NtSystemInfo(ComPtr<IDispatch> object) : object_(std::move(object)) {}
    std::string ComputerName() override { return TextProperty(object_.Get(), "ComputerName"); }

  private:
    ComPtr<IDispatch> object_;
};

class BoundObject : public sysinfo::DirectoryObject {
  public:
    explicit BoundObject(ComPtr<IDispatch> object) : object_(std::move(object)) {}
    Variant Get(const std::string& attribute) override {
        return automation::Call(object_.Get(), "Get", {ComVariant(Variant(attribute))}).ToVariant();
    }

  private:
    ComPtr<IDispatch> object_;
};

class Win32SystemInfo : public sysinfo::SystemInfo {
  public:
    std::shared_ptr<sysinfo::ADSystemInfo> CreateADSystemInfo() override {
        return std::make_shared<AdsSystemInfo>(automation::CreateObject("ADSystemInfo"));
    }
    std::shared_ptr<sysinfo::WinNTSystemInfo> CreateWinNTSystemInfo() override {
        return std::make_shared<NtSystemInfo>(automation::CreateObject("WinNTSystemInfo"));
    }
    std::shared_ptr<sysinfo::DirectoryObject> GetObject(const std::string& adsPath) override {
        ComPtr<IDispatch> object;
        ThrowIfFailed(
            CoGetObject(Utf8ToWide(adsPath).c_str(), nullptr, IID_IDispatch, object.OutVoid()));
        return std::make_shared<BoundObject>(std::move(object));
    }
};

}  // namespace

}  // namespace platform::win32

namespace platform::sysinfo {

SystemInfo& SystemSystemInfo() {
    static win32::Win32SystemInfo systemInfo;
    return systemInfo;
}

}  // namespace platform::sysinfo
