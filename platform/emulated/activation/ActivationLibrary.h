#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Activation.h"
#include "platform/ComError.h"

// What an in-process server library gives the emulated activation layer:
// the four entry points with C linkage, and the class factory handed out by
// DllGetClassObject. Host and library are built by the same compiler, so the
// factory and the objects it creates are C++ objects behind the port's
// abstract interfaces. Entry points and factories report failures as
// HRESULTs and never let an exception out; the objects' methods throw
// platform::ComError like every other port call.
//
// A library links the platform adapter statically and so holds its own copy
// of every static; whatever host and library must agree on goes through the
// server database or the environment.
namespace platform::emulated {

// The error numbers of COM activation beyond the common ones.
namespace activation_error {
constexpr int32_t S_FALSE = 1;
constexpr int32_t CLASS_E_CLASSNOTAVAILABLE = hresult::FromUnsigned(0x80040111);
constexpr int32_t CO_E_ERRORINDLL = hresult::FromUnsigned(0x800401F9);
constexpr int32_t RPC_E_WRONG_THREAD = hresult::FromUnsigned(0x8001010E);
constexpr int32_t REGDB_E_READREGDB = hresult::FromUnsigned(0x80040150);
constexpr int32_t SELFREG_E_TYPELIB = hresult::FromUnsigned(0x80040200);
constexpr int32_t SELFREG_E_CLASS = hresult::FromUnsigned(0x80040201);
constexpr int32_t E_OUTOFMEMORY = hresult::FromUnsigned(0x8007000E);
constexpr int32_t E_POINTER = hresult::FromUnsigned(0x80004003);
// ERROR_MOD_NOT_FOUND and ERROR_BAD_EXE_FORMAT as HRESULTs.
constexpr int32_t MOD_NOT_FOUND = hresult::FromUnsigned(0x8007007E);
constexpr int32_t BAD_EXE_FORMAT = hresult::FromUnsigned(0x800700C1);
// Run-time errors of a declared library function bound by file name.
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kErrorInLoadingDll = 48;
constexpr int32_t kEntryPointNotFound = 453;
}  // namespace activation_error

// The interface identifier DllGetClassObject is asked for (IClassFactory).
inline constexpr const char* kClassFactoryIid = "{00000001-0000-0000-C000-000000000046}";

// IClassFactory. Owned by the library; it lives as long as the library is
// loaded.
class ClassFactory {
  public:
    // Creates a new instance into object; returns an HRESULT.
    virtual int32_t CreateInstance(std::shared_ptr<ComObject>& object) noexcept = 0;

  protected:
    ~ClassFactory() = default;
};

// The entry points, as the activation layer calls them.
// DllGetClassObject(clsid, iid, object): sets *object to the class's
// ClassFactory* when iid is kClassFactoryIid; returns
// CLASS_E_CLASSNOTAVAILABLE for a class the library does not have.
using DllGetClassObjectFunction = int32_t (*)(const char* clsid, const char* iid, void** object);
// DllCanUnloadNow, DllRegisterServer, DllUnregisterServer.
using DllFunction = int32_t (*)();

inline constexpr const char* kDllGetClassObject = "DllGetClassObject";
inline constexpr const char* kDllCanUnloadNow = "DllCanUnloadNow";
inline constexpr const char* kDllRegisterServer = "DllRegisterServer";
inline constexpr const char* kDllUnregisterServer = "DllUnregisterServer";

// For libraries: the full path of the loaded file that holds address (a
// function or variable of the library itself).
std::string LibraryPathOf(const void* address);

// For libraries: the count of live objects behind DllCanUnloadNow. An
// object holds one LiveObject for its lifetime.
class LiveObject {
  public:
    LiveObject() { count_.fetch_add(1); }
    ~LiveObject() { count_.fetch_sub(1); }
    LiveObject(const LiveObject&) = delete;
    LiveObject& operator=(const LiveObject&) = delete;
    // S_OK when no object lives, else S_FALSE.
    static int32_t CanUnloadNow() {
        return count_.load() == 0 ? hresult::S_OK : activation_error::S_FALSE;
    }

  private:
    static inline std::atomic<int> count_{0};
};

}  // namespace platform::emulated
