#include "setup/win32/StandardStreams.h"

#include <algorithm>

#include "platform/win32/WideText.h"

namespace setup::win32 {

namespace {

constexpr size_t kChunk = 8192;  // what one console write is sure to take

// A handle the program can write to. A windowed program started from a
// console without redirection may inherit the console's handle values,
// which mean nothing until it attaches to that console.
bool IsOpen(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    SetLastError(NO_ERROR);
    return GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

// Writes text in pieces, write(data, count, written) each, until all is
// written or a write fails.
template <typename Text, typename Write>
void WriteInPieces(const Text& text, Write write) {
    for (size_t done = 0; done < text.size();) {
        DWORD written = 0;
        const DWORD count = static_cast<DWORD>(std::min(kChunk, text.size() - done));
        if (!write(text.data() + done, count, &written) || written == 0)
            return;
        done += written;
    }
}

void WriteToConsole(HANDLE console, const std::string& text) {
    WriteInPieces(platform::win32::Utf8ToWide(text),
                  [console](const wchar_t* data, DWORD count, DWORD* written) {
                      return WriteConsoleW(console, data, count, written, nullptr);
                  });
}

void WriteToFile(HANDLE file, const std::string& text) {
    WriteInPieces(text, [file](const char* data, DWORD count, DWORD* written) {
        return WriteFile(file, data, count, written, nullptr);
    });
}

// The parent's console output, opened after attaching to it; null when the
// parent has no console.
HANDLE ParentConsole() {
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return nullptr;
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    return console == INVALID_HANDLE_VALUE ? nullptr : console;
}

// Writes text to the inherited standard handle (STD_ERROR_HANDLE or
// STD_OUTPUT_HANDLE), or to the parent's console.
void WriteStandardHandle(DWORD which, const std::string& text) {
    if (text.empty())
        return;
    HANDLE handle = GetStdHandle(which);
    if (!IsOpen(handle)) {
        HANDLE console = ParentConsole();
        if (console != nullptr) {
            WriteToConsole(console, text);
            CloseHandle(console);
        }
        return;
    }
    if (IsConsole(handle))
        WriteToConsole(handle, text);
    else
        WriteToFile(handle, text);
}

}  // namespace

void WriteStandardError(const std::string& text) {
    WriteStandardHandle(STD_ERROR_HANDLE, text);
}

void WriteStandardOutput(const std::string& text) {
    WriteStandardHandle(STD_OUTPUT_HANDLE, text);
}

}  // namespace setup::win32
