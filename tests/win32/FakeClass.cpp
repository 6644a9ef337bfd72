#include "tests/win32/FakeClass.h"

#include "platform/win32/ClassesRoot.h"
#include "platform/win32/WideText.h"

namespace fakes {

namespace {

class Factory : public IClassFactory {
  public:
    explicit Factory(std::function<ComPtr<FakeObject>()> make) : make_(std::move(make)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** object) override {
        return make_()->QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  private:
    virtual ~Factory() = default;
    ULONG references_ = 1;
    std::function<ComPtr<FakeObject>()> make_;
};

std::wstring ClsidKey(const std::string& progId) {
    return platform::win32::Utf8ToWide(progId) + L"\\CLSID";
}

bool ReadClsid(const std::string& progId, std::wstring& clsid) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, ClsidKey(progId).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
        return false;
    wchar_t text[64] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    LONG status =
        RegQueryValueExW(handle, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(handle);
    clsid = text;
    return status == ERROR_SUCCESS;
}

bool WriteClsid(const std::string& progId, const std::wstring& text) {
    return platform::win32::SetClassesRootText(ClsidKey(progId), nullptr, text) == ERROR_SUCCESS;
}

bool PointProgIdAt(const std::string& progId, const CLSID& clsid) {
    return WriteClsid(progId, platform::win32::GuidText(clsid));
}

}  // namespace

FakeClassRegistration::FakeClassRegistration(const std::string& progId, const CLSID& clsid,
                                             std::function<ComPtr<FakeObject>()> make)
    : progId_(progId) {
    hadProgId_ = ReadClsid(progId, previousClsid_);
    if (!PointProgIdAt(progId, clsid))
        return;
    factory_ = new Factory(std::move(make));
    if (FAILED(CoRegisterClassObject(clsid, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &cookie_)))
        cookie_ = 0;
}

FakeClassRegistration::~FakeClassRegistration() {
    if (cookie_ != 0)
        CoRevokeClassObject(cookie_);
    if (factory_ != nullptr)
        factory_->Release();
    if (hadProgId_) {
        WriteClsid(progId_, previousClsid_);
    } else {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, ClsidKey(progId_).c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, platform::win32::Utf8ToWide(progId_).c_str());
    }
}

}  // namespace fakes
