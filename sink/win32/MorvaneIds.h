#pragma once

#include "platform/win32/WindowsHeaders.h"

// The identifiers of the type library "Morvane" 1.0 (Morvane.idl).
namespace morvane_com {

// {52EA5F07-01B6-4444-B821-C0F865C91106}
constexpr GUID LIBID_Morvane = {
    0x52EA5F07, 0x01B6, 0x4444, {0xB8, 0x21, 0xC0, 0xF8, 0x65, 0xC9, 0x11, 0x06}};
// {43FDAD47-0820-4223-A6D8-7511C42A3A9A}
constexpr CLSID CLSID_MorvaneCls = {
    0x43FDAD47, 0x0820, 0x4223, {0xA6, 0xD8, 0x75, 0x11, 0xC4, 0x2A, 0x3A, 0x9A}};
// {78C42E18-F371-4246-9B4A-B170937668EB}
constexpr IID IID__MorvaneCls = {
    0x78C42E18, 0xF371, 0x4246, {0x9B, 0x4A, 0xB1, 0x70, 0x93, 0x76, 0x68, 0xEB}};

constexpr WORD kTypeLibMajor = 1;
constexpr WORD kTypeLibMinor = 0;

// The dual interface _MorvaneCls, in the slot order of the type library.
struct _MorvaneCls : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE CreateRegItem(BSTR* FolderURL, BSTR* SubFolderName,
                                                    BSTR* itemName, BSTR* EventMethod,
                                                    BSTR* SinkClass, BSTR* MatchScope,
                                                    BSTR* Criteria, BSTR* Priority,
                                                    BSTR* pbstrResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveRegItem(BSTR* sParentUrl, BSTR* SubFolderName,
                                                    BSTR* sName, BSTR* pbstrResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE CheckRegItemExists(BSTR* sParentUrl, BSTR* SubFolderName,
                                                         BSTR* sName, BSTR* pbstrResult) = 0;
};

}  // namespace morvane_com
