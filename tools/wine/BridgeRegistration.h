#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <string>

#include "platform/bridge/BridgeClasses.h"

// The bridge's classes (bridge::kBridgeClasses and the directory moniker)
// in the Wine prefix's HKEY_CLASSES_ROOT: each ProgID names the bridge's
// own class identifier, whose objects forward to the emulated server.
namespace wine_bridge {

// The class identifier of a bridge class.
CLSID ClassIdOf(const bridge::BridgeClass& served);

// The full path of the bridge library itself.
std::wstring BridgeModulePath();

// Registers every class under its ProgID in HKEY_CLASSES_ROOT.
HRESULT RegisterBridgeClasses();
HRESULT UnregisterBridgeClasses();
// Whether every ProgID names the bridge's class and that class is this
// library.
bool BridgeClassesHold();

}  // namespace wine_bridge
