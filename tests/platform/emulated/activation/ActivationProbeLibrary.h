#pragma once

// The classes of the probe library the activation tests load: a tests-only
// in-process server with the same four entry points as the sink library.
namespace activation_probe {

// Dispatch: Echo(text) returns text; Reverse(byref text) reverses the
// argument in place and returns "1"; Fail() raises E_ACCESSDENIED "probe
// refused". Store events: OnSyncSave fetches the event record and lets its
// error pass; Register returns the number of the error fetching the event
// record raised (0 when none). ThreadingModel "Apartment".
inline constexpr const char* kProbeClsid = "{5A0C2E41-7B3D-4F6A-9C1E-2D8B4A6F0C11}";
inline constexpr const char* kProbeProgId = "MorvaneTest.Probe";
inline constexpr int kProbeEchoDispId = 1;

// A class whose factory always fails with E_OUTOFMEMORY.
inline constexpr const char* kBrokenClsid = "{5A0C2E41-7B3D-4F6A-9C1E-2D8B4A6F0C12}";
inline constexpr const char* kBrokenProgId = "MorvaneTest.Broken";

inline constexpr const char* kProbeTypeLibraryId = "{5A0C2E41-7B3D-4F6A-9C1E-2D8B4A6F0C10}";

}  // namespace activation_probe
