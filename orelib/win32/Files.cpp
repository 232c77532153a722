#include "orelib/win32/Files.h"

#include <string>

#include "orelib/Path.h"
#include "orelib/win32/Handle.h"

namespace orelib {

namespace {

constexpr DWORD kShortBuffer = MAX_PATH;
constexpr DWORD kLongestPath = 32768;
constexpr int kOpenAttempts = 5;
constexpr DWORD kOpenRetryDelayMs = 250;

}  // namespace

std::wstring GetModulePath(HMODULE module) {
    // A cut path would name another file, so grow the buffer rather than truncate.
    for (DWORD size = kShortBuffer; size <= kLongestPath; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = GetModuleFileNameW(module, &buffer[0], size);
        if (length == 0) return std::wstring();
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
    }
    return std::wstring();
}

std::wstring GetCurrentDir() {
    std::wstring buffer(kShortBuffer, L'\0');
    DWORD length = GetCurrentDirectoryW(kShortBuffer, &buffer[0]);
    if (length >= kShortBuffer) {
        // Too small: the call reported the size it needs; try once more with it.
        buffer.assign(length, L'\0');
        length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), &buffer[0]);
        if (length >= buffer.size()) return std::wstring();
    }
    buffer.resize(length);
    return buffer;
}

HRESULT OpenFileWithRetry(HANDLE* out, const wchar_t* name, DWORD access, DWORD share, DWORD disposition) {
    *out = INVALID_HANDLE_VALUE;
    const HRESULT kSharingViolation = HresultFromWin32(ERROR_SHARING_VIOLATION);
    HRESULT hr = kSharingViolation;
    for (int attempt = 1; attempt <= kOpenAttempts && hr == kSharingViolation; ++attempt) {
        // Another process (a scanner, the browser that just saved the file) may
        // hold it briefly: the waits come between the attempts. The first
        // comes at once, so that the file is held from the first instant it
        // can be, before anyone could put another file under its name.
        if (attempt > 1) Sleep(kOpenRetryDelayMs);
        HANDLE file = CreateFileW(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            *out = file;
            return S_OK;
        }
        hr = FailureFromLastError();
    }
    return hr;
}

}  // namespace orelib
