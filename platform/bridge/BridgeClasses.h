#pragma once

#include <string_view>

// The platform's classes the bridge serves to Windows programs under Wine.
// In the Wine prefix each ProgID is registered with a class identifier of
// the bridge's own, whose objects forward to the emulated server; the
// server creates the class by the same ProgID. The one list both sides
// read.
namespace bridge {

struct BridgeClass {
    std::string_view progId;
    std::string_view clsid;
};

inline constexpr BridgeClass kAdoConnection{"ADODB.Connection",
                                            "{D568E05E-BDE8-44D1-9835-46F39E3F3D7F}"};
inline constexpr BridgeClass kAdoRecord{"ADODB.Record", "{D28D8729-A64A-4957-9ED8-9C135D735642}"};
inline constexpr BridgeClass kAdoCommand{"ADODB.Command", "{AD1E97A2-CE1D-4FEF-AC6F-EBDDB060DF47}"};
inline constexpr BridgeClass kAdminCatalog{"COMAdmin.COMAdminCatalog",
                                           "{647DECE4-A62D-423A-BABB-0DC7AF5427FF}"};
inline constexpr BridgeClass kAdSystemInfo{"ADSystemInfo",
                                           "{4278F05A-343F-4FBC-9968-71292B111A48}"};
inline constexpr BridgeClass kWinNtSystemInfo{"WinNTSystemInfo",
                                              "{D1D15B1E-5458-4EE1-A9F7-D2D3C7DFD2DC}"};

// Every class created by ProgID.
inline constexpr const BridgeClass* kBridgeClasses[] = {
    &kAdoConnection, &kAdoRecord, &kAdoCommand, &kAdminCatalog, &kAdSystemInfo, &kWinNtSystemInfo,
};

// The ADSI moniker prefix of "GC://RootDSE": its class object parses such
// display names into the directory object the server binds.
inline constexpr BridgeClass kDirectoryMoniker{"GC", "{FDA6A535-775F-4FE7-8190-0C399ABFC57F}"};

}  // namespace bridge
