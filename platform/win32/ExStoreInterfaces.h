#pragma once

#include "platform/win32/WindowsHeaders.h"

// The store's event interfaces from its type library "Exoledb", declared
// here from their identifiers and slot order. All derive from IUnknown.
namespace platform::win32 {

// {9DA0E100-86CE-11D1-8699-00C04FB98036}; its own methods are not used:
// the event record is read through IExStoreDispEventInfo.
constexpr IID IID_IExStoreEventInfo = {
    0x9DA0E100, 0x86CE, 0x11D1, {0x86, 0x99, 0x00, 0xC0, 0x4F, 0xB9, 0x80, 0x36}};
// {9DA0E110-86CE-11D1-8699-00C04FB98036}: a dual interface whose property
// EventRecord is read late-bound.
constexpr IID IID_IExStoreDispEventInfo = {
    0x9DA0E110, 0x86CE, 0x11D1, {0x86, 0x99, 0x00, 0xC0, 0x4F, 0xB9, 0x80, 0x36}};
// {9DA0E0FF-86CE-11D1-8699-00C04FB98036}
constexpr IID IID_IExStoreSyncEvents = {
    0x9DA0E0FF, 0x86CE, 0x11D1, {0x86, 0x99, 0x00, 0xC0, 0x4F, 0xB9, 0x80, 0x36}};
// {9DA0E11C-86CE-11D1-8699-00C04FB98036}
constexpr IID IID_ICreateRegistration = {
    0x9DA0E11C, 0x86CE, 0x11D1, {0x86, 0x99, 0x00, 0xC0, 0x4F, 0xB9, 0x80, 0x36}};

struct IExStoreEventInfo : public IUnknown {};

struct IExStoreSyncEvents : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnSyncSave(IExStoreEventInfo* pEventInfo, BSTR bstrURLItem,
                                                 LONG lFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnSyncDelete(IExStoreEventInfo* pEventInfo, BSTR bstrURLItem,
                                                   LONG lFlags) = 0;
};

struct ICreateRegistration : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Register(IExStoreEventInfo* pEventInfo, BSTR bstrURLItem,
                                               LONG lFlags, LONG* plResult) = 0;
};

}  // namespace platform::win32
