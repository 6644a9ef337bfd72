#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <string>

// The platform's classes the bridge stands in for in a Wine prefix: each
// ProgID is registered with a class identifier of the bridge's own, whose
// objects forward to the emulated server. "GC" is the ADSI moniker prefix
// of "GC://RootDSE".
namespace wine_bridge {

struct BridgeClass {
    const wchar_t* progId;
    CLSID clsid;
};

inline constexpr BridgeClass kBridgeClasses[] = {
    {L"ADODB.Connection",
     {0xD568E05E, 0xBDE8, 0x44D1, {0x98, 0x35, 0x46, 0xF3, 0x9E, 0x3F, 0x3D, 0x7F}}},
    {L"ADODB.Record",
     {0xD28D8729, 0xA64A, 0x4957, {0x9E, 0xD8, 0x9C, 0x13, 0x5D, 0x73, 0x56, 0x42}}},
    {L"ADODB.Command",
     {0xAD1E97A2, 0xCE1D, 0x4FEF, {0xAC, 0x6F, 0xEB, 0xDD, 0xB0, 0x60, 0xDF, 0x47}}},
    {L"COMAdmin.COMAdminCatalog",
     {0x647DECE4, 0xA62D, 0x423A, {0xBA, 0xBB, 0x0D, 0xC7, 0xAF, 0x54, 0x27, 0xFF}}},
    {L"ADSystemInfo",
     {0x4278F05A, 0x343F, 0x4FBC, {0x99, 0x68, 0x71, 0x29, 0x2B, 0x11, 0x1A, 0x48}}},
    {L"WinNTSystemInfo",
     {0xD1D15B1E, 0x5458, 0x4EE1, {0xA9, 0xF7, 0xD2, 0xD3, 0xC7, 0xDF, 0xD2, 0xDC}}},
};

// The class object of "GC" parses "GC://..." display names.
inline constexpr CLSID kMonikerClassId = {
    0xFDA6A535, 0x775F, 0x4FE7, {0x81, 0x90, 0x0C, 0x39, 0x9A, 0xBF, 0xC5, 0x7F}};
inline constexpr const wchar_t* kMonikerProgId = L"GC";

// The full path of the bridge library itself.
std::wstring BridgeModulePath();

// Registers every class under its ProgID in HKEY_CLASSES_ROOT.
HRESULT RegisterBridgeClasses();
HRESULT UnregisterBridgeClasses();
// Whether every ProgID names the bridge's class and that class is this
// library.
bool BridgeClassesHold();

}  // namespace wine_bridge
