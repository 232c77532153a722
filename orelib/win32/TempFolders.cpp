#include "orelib/win32/TempFolders.h"

#include <windows.h>

#include "orelib/win32/Handle.h"

namespace orelib {

bool IsProcessElevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const CHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

std::wstring GetUserTempDir() {
    std::wstring temp(MAX_PATH + 1, L'\0');
    DWORD length = GetTempPathW(static_cast<DWORD>(temp.size()), &temp[0]);
    if (length > temp.size()) {
        // A longer temporary path than the usual buffer: read it whole.
        temp.assign(length, L'\0');
        length = GetTempPathW(length, &temp[0]);
        if (length >= temp.size()) length = 0;
    }
    temp.resize(length);
    return temp;
}

std::wstring GetSystemWindowsDir() {
    std::wstring folder(MAX_PATH + 1, L'\0');
    UINT length = GetSystemWindowsDirectoryW(&folder[0], static_cast<UINT>(folder.size()));
    if (length > folder.size()) {
        folder.assign(length, L'\0');
        length = GetSystemWindowsDirectoryW(&folder[0], length);
        if (length >= folder.size()) length = 0;
    }
    folder.resize(length);
    return folder;
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace orelib
