#include "platform/win32/WindowsHeaders.h"

#include <utility>

#include "platform/Activation.h"
#include "platform/ComError.h"
#include "platform/win32/AdoStore.h"
#include "platform/win32/Automation.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/ExStoreInterfaces.h"
#include "platform/win32/WideText.h"

// COM as the activation port: creation by ProgID, IDispatch late binding,
// the store's event interfaces and library exports bound by file name.
namespace platform::win32 {

namespace {

// Runs a late-bound call with every argument a string: by value as
// VT_BSTR, by reference as VT_BYREF | VT_BSTR, read back after the call.
class LateBoundDispatch : public Dispatch {
  public:
    explicit LateBoundDispatch(ComPtr<IDispatch> object) : object_(std::move(object)) {}

    int32_t GetIDOfName(const std::string& member) override {
        return automation::MemberId(object_.Get(), member);
    }

    Variant Invoke(const std::string& member, std::vector<DispArg>& args) override {
        DISPID id = automation::MemberId(object_.Get(), member);
        std::vector<BSTR> strings;
        for (const DispArg& arg : args)
            strings.push_back(Bstr(arg.value).Release());
        std::vector<ComVariant> values(args.size());
        for (size_t i = 0; i < args.size(); ++i) {
            VARIANT* slot = values[i].Out();
            slot->vt = static_cast<VARTYPE>(args[i].byRef ? (VT_BYREF | VT_BSTR) : VT_BSTR);
            if (args[i].byRef)
                slot->pbstrVal = &strings[i];
            else
                slot->bstrVal = SysAllocStringLen(strings[i], SysStringLen(strings[i]));
        }
        auto freeStrings = [&strings] {
            for (BSTR s : strings)
                SysFreeString(s);
        };
        try {
            Variant result =
                automation::Invoke(object_.Get(), id, DISPATCH_METHOD, values).ToVariant();
            for (size_t i = 0; i < args.size(); ++i)
                if (args[i].byRef)
                    args[i].value = BstrToUtf8(strings[i]);
            freeStrings();
            return result;
        } catch (...) {
            freeStrings();
            throw;
        }
    }

  private:
    ComPtr<IDispatch> object_;
};

IExStoreEventInfo* EventInfoFor(store::EventInfo& eventInfo) {
    IUnknown* object = EventInfoObject(eventInfo);
    if (object == nullptr)
        throw ComError(static_cast<int32_t>(E_INVALIDARG),
                       "The event information is not a store object");
    return static_cast<IExStoreEventInfo*>(object);
}

class SyncEventsCaller : public StoreSyncEvents {
  public:
    explicit SyncEventsCaller(ComPtr<IExStoreSyncEvents> sink) : sink_(std::move(sink)) {}
    void OnSyncSave(store::EventInfo& eventInfo, const std::string& urlItem,
                    int32_t flags) override {
        Bstr url(urlItem);
        ThrowIfFailed(sink_->OnSyncSave(EventInfoFor(eventInfo), url.Get(), flags));
    }
    void OnSyncDelete(store::EventInfo& eventInfo, const std::string& urlItem,
                      int32_t flags) override {
        Bstr url(urlItem);
        ThrowIfFailed(sink_->OnSyncDelete(EventInfoFor(eventInfo), url.Get(), flags));
    }

  private:
    ComPtr<IExStoreSyncEvents> sink_;
};

class RegistrationCaller : public CreateRegistration {
  public:
    explicit RegistrationCaller(ComPtr<ICreateRegistration> sink) : sink_(std::move(sink)) {}
    int32_t Register(store::EventInfo& eventInfo, const std::string& urlItem,
                     int32_t flags) override {
        Bstr url(urlItem);
        LONG result = -1;
        ThrowIfFailed(sink_->Register(EventInfoFor(eventInfo), url.Get(), flags, &result));
        return result;
    }

  private:
    ComPtr<ICreateRegistration> sink_;
};

template <typename Interface>
ComPtr<Interface> Query(IUnknown* object, const IID& iid) {
    ComPtr<Interface> result;
    if (FAILED(object->QueryInterface(iid, result.OutVoid())))
        result.Reset();
    return result;
}

class CreatedObject : public ComObject {
  public:
    explicit CreatedObject(ComPtr<IDispatch> object) : object_(std::move(object)) {
        if (auto events = Query<IExStoreSyncEvents>(object_.Get(), IID_IExStoreSyncEvents))
            events_ = std::make_unique<SyncEventsCaller>(std::move(events));
        if (auto registration = Query<ICreateRegistration>(object_.Get(), IID_ICreateRegistration))
            registration_ = std::make_unique<RegistrationCaller>(std::move(registration));
        dispatch_ = std::make_unique<LateBoundDispatch>(object_);
    }
    Dispatch* AsDispatch() override { return dispatch_.get(); }
    StoreSyncEvents* AsStoreSyncEvents() override { return events_.get(); }
    CreateRegistration* AsCreateRegistration() override { return registration_.get(); }

  private:
    ComPtr<IDispatch> object_;
    std::unique_ptr<LateBoundDispatch> dispatch_;
    std::unique_ptr<SyncEventsCaller> events_;
    std::unique_ptr<RegistrationCaller> registration_;
};

using ExportFunction = HRESULT(STDAPICALLTYPE*)();

// The library is loaded when the export is first called and stays loaded,
// as a declared library function does.
class BoundExport {
  public:
    BoundExport(std::string libraryFile, std::string exportName)
        : libraryFile_(std::move(libraryFile)), exportName_(std::move(exportName)) {}

    int32_t operator()() {
        if (function_ == nullptr)
            Bind();
        return static_cast<int32_t>(function_());
    }

  private:
    void Bind() {
        HMODULE library = LoadLibraryW(Utf8ToWide(libraryFile_).c_str());
        if (library == nullptr)
            throw ComError(53, "File not found: " + libraryFile_);
        FARPROC address = GetProcAddress(library, exportName_.c_str());
        if (address == nullptr)
            throw ComError(453,
                           "Can't find DLL entry point " + exportName_ + " in " + libraryFile_);
        function_ = reinterpret_cast<ExportFunction>(reinterpret_cast<void*>(address));
    }

    std::string libraryFile_;
    std::string exportName_;
    ExportFunction function_ = nullptr;
};

class ComActivation : public Activation {
  public:
    std::shared_ptr<ComObject> CreateObject(const std::string& progId) override {
        return std::make_shared<CreatedObject>(automation::CreateObject(progId));
    }
    std::function<int32_t()> BindExport(const std::string& libraryFile,
                                        const std::string& exportName) override {
        auto bound = std::make_shared<BoundExport>(libraryFile, exportName);
        return [bound] { return (*bound)(); };
    }
};

}  // namespace

}  // namespace platform::win32

namespace platform {

Activation& SystemActivation() {
    static win32::ComActivation activation;
    return activation;
}

}  // namespace platform
