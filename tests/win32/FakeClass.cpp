#include "tests/win32/FakeClass.h"

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

bool PointProgIdAt(const std::string& progId, const CLSID& clsid) {
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, 40);
    std::wstring key = platform::win32::Utf8ToWide(progId) + L"\\CLSID";
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

}  // namespace

FakeClassRegistration::FakeClassRegistration(const std::string& progId, const CLSID& clsid,
                                             std::function<ComPtr<FakeObject>()> make) {
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
}

}  // namespace fakes
