#pragma once

#include <cstdint>
#include <string_view>

#include "platform/bridge/BridgeMembers.h"

// The root objects the two sides of a connection hand each other at its
// introduction, with every member declared here once: the emulated server
// hands its platform to every Wine process, and a Windows host hands the
// server the host. Everything else the two sides do is a call of a member
// of these objects or of the objects they return.
namespace bridge {

// The emulated platform, as the server hands it to a Wine process.
namespace platform_root {

inline constexpr std::string_view kClassName = "Platform";

inline constexpr Parameter kCreateObjectParameters[] = {{"progId"}};
inline constexpr Parameter kGetObjectParameters[] = {{"adsPath"}};
inline constexpr Parameter kReportEventParameters[] = {
    {"source"}, {"type"}, {"eventId"}, {"inserts"}};

// CreateObject(progId): a new object of one of the served classes
// (BridgeClasses.h).
inline constexpr MemberDeclaration kCreateObject{1, "CreateObject", MemberKind::Method,
                                                 kCreateObjectParameters};
// GetObject(adsPath): the directory object the path names.
inline constexpr MemberDeclaration kGetObject{2, "GetObject", MemberKind::Method,
                                              kGetObjectParameters};
// ReportEvent(source, type, eventId, inserts): an entry of the machine's
// Application log; inserts is an array of texts.
inline constexpr MemberDeclaration kReportEvent{3, "ReportEvent", MemberKind::Method,
                                                kReportEventParameters};

}  // namespace platform_root

// A Windows host: the process under Wine that runs Windows libraries for
// the emulated server.
namespace host_root {

inline constexpr std::string_view kClassName = "WindowsHost";

// The interfaces a created instance has, as the bits of CreateInstance's
// interfaces.
inline constexpr int32_t kHasDispatch = 1;
inline constexpr int32_t kHasStoreSyncEvents = 2;
inline constexpr int32_t kHasCreateRegistration = 4;

// The store's event methods DeliverEvent calls.
enum class Event : int32_t { OnSyncSave = 1, OnSyncDelete = 2, Register = 3 };

inline constexpr Parameter kCreateInstanceParameters[] = {
    {"library"}, {"clsid"}, {"interfaces", true}};
inline constexpr Parameter kDeliverEventParameters[] = {
    {"instance"}, {"event"}, {"eventInfo"}, {"url"}, {"flags"}};
inline constexpr Parameter kRunExportParameters[] = {{"library"}, {"export"}};
inline constexpr Parameter kCaptureRegistrationParameters[] = {{"library"}, {"values", true}};
inline constexpr Parameter kForgetClassesParameters[] = {{"keys"}};

// CreateInstance(library, clsid, interfaces): a new instance of the class
// from the library (a Windows path), its interfaces' bits set.
inline constexpr MemberDeclaration kCreateInstance{1, "CreateInstance", MemberKind::Method,
                                                   kCreateInstanceParameters};
// DeliverEvent(instance, event, eventInfo, url, flags): calls the store's
// event method on an instance CreateInstance made; returns Register's
// result (0 for the other events). A failing HRESULT is the call's error.
inline constexpr MemberDeclaration kDeliverEvent{2, "DeliverEvent", MemberKind::Method,
                                                 kDeliverEventParameters};
// RunExport(library, export): the HRESULT of an export without arguments.
inline constexpr MemberDeclaration kRunExport{3, "RunExport", MemberKind::Method,
                                              kRunExportParameters};
// CaptureRegistration(library, values): runs the library's
// DllRegisterServer with nothing reaching the registry and returns its
// HRESULT; values is set to what it wrote below HKEY_CLASSES_ROOT, an
// array of [key, name, text] arrays.
inline constexpr MemberDeclaration kCaptureRegistration{
    4, "CaptureRegistration", MemberKind::Method, kCaptureRegistrationParameters};
// ForgetClasses(keys): removes the keys (an array of texts) below
// HKEY_CLASSES_ROOT of the Wine prefix.
inline constexpr MemberDeclaration kForgetClasses{5, "ForgetClasses", MemberKind::Method,
                                                  kForgetClassesParameters};

// The host of a COM+ server application, one process for every caller,
// also listens for further connections (each caller's thread has one);
// its root answers, besides the above:
// ListenerPort: the port of that listener on 127.0.0.1 (0 in a host that
// serves only the connection it was started for).
inline constexpr MemberDeclaration kListenerPort{6, "ListenerPort", MemberKind::Get, {}};
// LoadedLibraries(): the library files the host has loaded, as an array of
// [Windows path, size in bytes when it was loaded] arrays, first loaded first.
inline constexpr MemberDeclaration kLoadedLibraries{7, "LoadedLibraries", MemberKind::Method, {}};
// HandleCount: the number of handles the host's process holds
// (GetProcessHandleCount).
inline constexpr MemberDeclaration kHandleCount{8, "HandleCount", MemberKind::Get, {}};

// What the host of a COM+ server application is started with, besides the
// connection's address and token (BridgeSocket.h), which also introduce
// every later caller: the application's name, the Windows path of the
// record that publishes the host to the callers (while the record names
// the host's token, the host is the application's; once it does not, the
// host ends), and the idle time after which it ends, in milliseconds.
inline constexpr const char* kApplicationVariable = "MORVANE_APPLICATION";
inline constexpr const char* kApplicationRecordVariable = "MORVANE_APPLICATION_RECORD";
inline constexpr const char* kApplicationIdleVariable = "MORVANE_APPLICATION_IDLE_MS";

// What a creation in an application's host that has begun to end on its
// own answers: CO_E_SERVER_STOPPING. The caller's activation tries once
// more, in the host that follows it.
inline constexpr int32_t kServerStopping = static_cast<int32_t>(0x80080008u);

}  // namespace host_root

}  // namespace bridge
