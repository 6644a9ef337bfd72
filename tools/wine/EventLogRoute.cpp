#include "tools/wine/EventLogRoute.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/ComError.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/win32/WideText.h"
#include "tools/wine/ThreadChannel.h"

namespace wine_bridge {

namespace {

using platform::Variant;

// The "handle" of a registered source is the source's name.
struct Source {
    std::wstring name;
};

HANDLE WINAPI RegisterSource(LPCWSTR, LPCWSTR name) {
    return new Source{name != nullptr ? name : L""};
}

BOOL WINAPI DeregisterSource(HANDLE source) {
    delete static_cast<Source*>(source);
    return TRUE;
}

BOOL WINAPI Report(HANDLE source, WORD type, WORD, DWORD eventId, PSID, WORD count, DWORD,
                   LPCWSTR* strings, LPVOID) {
    if (source == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Variant::Array inserts;
    for (WORD i = 0; i < count && strings != nullptr; ++i)
        inserts.emplace_back(platform::win32::WideToUtf8(strings[i] != nullptr ? strings[i] : L""));
    try {
        std::vector<bridge::Value> args{
            Variant(platform::win32::WideToUtf8(static_cast<Source*>(source)->name)),
            Variant(static_cast<int32_t>(type)), Variant(static_cast<int32_t>(eventId)),
            Variant(std::move(inserts))};
        bridge::InvokeDeclared(*ServerPlatform(), bridge::platform_root::kReportEvent, args);
    } catch (const platform::ComError&) {
        SetLastError(ERROR_LOG_FILE_FULL);
        return FALSE;
    }
    return TRUE;
}

struct Replacement {
    const char* name;
    void* function;
};

const Replacement kReplacements[] = {
    {"RegisterEventSourceW", reinterpret_cast<void*>(&RegisterSource)},
    {"DeregisterEventSource", reinterpret_cast<void*>(&DeregisterSource)},
    {"ReportEventW", reinterpret_cast<void*>(&Report)},
};

void* ReplacementOf(const char* name) {
    for (const Replacement& replacement : kReplacements) {
        if (std::strcmp(replacement.name, name) == 0)
            return replacement.function;
    }
    return nullptr;
}

void Patch(ULONG_PTR& slot, void* function) {
    DWORD was = 0;
    if (!VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &was))
        return;
    slot = reinterpret_cast<ULONG_PTR>(function);
    VirtualProtect(&slot, sizeof slot, was, &was);
}

}  // namespace

void RouteEventLog(HMODULE library) {
    auto* base = reinterpret_cast<BYTE*>(library);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return;
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (_stricmp(reinterpret_cast<const char*>(base + module->Name), "advapi32.dll") != 0 ||
            module->OriginalFirstThunk == 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (void* function = ReplacementOf(reinterpret_cast<const char*>(name->Name)))
                Patch(slots->u1.Function, function);
        }
    }
}

}  // namespace wine_bridge
