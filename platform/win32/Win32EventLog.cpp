// The Application event log through the Win32 event logging functions, and
// the registry key of an event source.
#include <string>
#include <vector>

#include "platform/EventLog.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace platform::win32 {

namespace {

constexpr wchar_t kApplicationLogKey[] =
    L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\";

// The longest insert string ReportEventW takes; longer ones are cut.
constexpr size_t kLongestInsert = 31839;

void ThrowIfError(LONG status) {
    if (status != ERROR_SUCCESS)
        ThrowComError(HRESULT_FROM_WIN32(static_cast<DWORD>(status)));
}

std::wstring SourceKey(const std::string& source) {
    return kApplicationLogKey + Utf8ToWide(source);
}

class Win32EventLog final : public EventLog {
  public:
    void Report(const EventReport& report) override {
        const std::wstring source = Utf8ToWide(report.source);
        std::vector<std::wstring> texts;
        for (const std::string& insert : report.inserts)
            texts.push_back(Utf8ToWide(insert).substr(0, kLongestInsert));
        std::vector<LPCWSTR> strings;
        for (const std::wstring& text : texts)
            strings.push_back(text.c_str());
        // A source that is not registered still reports; the viewer then
        // shows the inserts without the message's sentences.
        HANDLE log = RegisterEventSourceW(nullptr, source.c_str());
        if (log == nullptr)
            ThrowComError(HRESULT_FROM_WIN32(GetLastError()));
        const BOOL written =
            ReportEventW(log, static_cast<WORD>(report.type), 0, report.eventId, nullptr,
                         static_cast<WORD>(strings.size()), 0, strings.data(), nullptr);
        const DWORD error = written ? ERROR_SUCCESS : GetLastError();
        DeregisterEventSource(log);
        if (!written)
            ThrowComError(HRESULT_FROM_WIN32(error));
    }
};

class Win32EventSources final : public EventSources {
  public:
    void RegisterSource(const std::string& source, const std::string& messageFile,
                        uint32_t typesSupported) override {
        const std::wstring file = Utf8ToWide(messageFile);
        HKEY key = nullptr;
        ThrowIfError(RegCreateKeyExW(HKEY_LOCAL_MACHINE, SourceKey(source).c_str(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                                     nullptr));
        const DWORD types = typesSupported;
        LONG status = RegSetValueExW(key, L"EventMessageFile", 0, REG_EXPAND_SZ,
                                     reinterpret_cast<const BYTE*>(file.c_str()),
                                     static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
        if (status == ERROR_SUCCESS)
            status = RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&types), sizeof types);
        RegCloseKey(key);
        ThrowIfError(status);
    }

    void RemoveSource(const std::string& source) override {
        const LONG status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, SourceKey(source).c_str());
        if (status != ERROR_FILE_NOT_FOUND)
            ThrowIfError(status);
    }

    bool SourceExists(const std::string& source) override {
        HKEY key = nullptr;
        const LONG status =
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, SourceKey(source).c_str(), 0, KEY_READ, &key);
        if (status == ERROR_FILE_NOT_FOUND)
            return false;
        ThrowIfError(status);
        RegCloseKey(key);
        return true;
    }
};

}  // namespace

}  // namespace platform::win32

namespace platform {

EventLog& SystemEventLog() {
    static win32::Win32EventLog log;
    return log;
}

EventSources& SystemEventSources() {
    static win32::Win32EventSources sources;
    return sources;
}

}  // namespace platform
