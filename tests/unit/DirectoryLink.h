#pragma once
// Links to folders for tests, as another program of the user would plant
// them: a junction (mount point) where the system makes one; under Wine 8,
// which cannot, a Unix symbolic link made by ln (Wine starts Unix programs),
// which Wine lists as a reparse point.
#include <windows.h>
#include <winioctl.h>

#include <string>
#include <vector>

namespace testlink {

inline bool RunsOnWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Starts a Unix program from /bin. Wine starts it without a process to wait
// for, so the caller waits for what it does.
inline void StartUnix(const wchar_t* program, std::wstring arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring commandLine = std::wstring(program) + L" " + arguments;
    if (CreateProcessW((std::wstring(L"Z:\\bin\\") + program).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                       nullptr, nullptr, &startup, &info)) {
        WaitForSingleObject(info.hProcess, 30000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

// Waits up to 10 seconds until `path` exists (or no longer does).
inline bool WaitForPath(const std::wstring& path, bool exists) {
    for (int i = 0; i < 200; ++i) {
        if ((GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == exists) return true;
        Sleep(50);
    }
    return false;
}

// The Unix form of a Windows path, quoted for a command line.
inline std::wstring UnixArgument(const std::wstring& path) {
    using UnixNameFn = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name) return L"";
    wchar_t wide[1024] = {};
    MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, 1024);
    HeapFree(GetProcessHeap(), 0, name);
    return L"\"" + std::wstring(wide) + L"\"";
}

// A mount point's reparse data (REPARSE_DATA_BUFFER, MountPointReparseBuffer),
// set on the empty folder `link`, as another program may even while the
// folder is held open: setting it takes only the right to write attributes,
// which sharing does not limit.
inline bool SetMountPoint(const std::wstring& link, const std::wstring& target) {
    HANDLE folder = CreateFileW(link.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    const std::wstring substitute = L"\\??\\" + target;
    const size_t pathBytes = (substitute.size() + 1 + 1) * sizeof(wchar_t);  // substitute, empty print name
    std::vector<BYTE> data(8 + 8 + pathBytes);
    auto put16 = [&](size_t at, size_t value) { *reinterpret_cast<WORD*>(&data[at]) = static_cast<WORD>(value); };
    *reinterpret_cast<DWORD*>(&data[0]) = IO_REPARSE_TAG_MOUNT_POINT;
    put16(4, 8 + pathBytes);                               // ReparseDataLength
    put16(8, 0);                                           // SubstituteNameOffset
    put16(10, substitute.size() * sizeof(wchar_t));        // SubstituteNameLength
    put16(12, (substitute.size() + 1) * sizeof(wchar_t));  // PrintNameOffset
    put16(14, 0);                                          // PrintNameLength
    memcpy(&data[16], substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(), static_cast<DWORD>(data.size()),
                                    nullptr, 0, &returned, nullptr);
    CloseHandle(folder);
    return ok != FALSE;
}

// Makes `link` (which must not exist) a link to the existing folder `target`.
inline bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target) {
    if (!RunsOnWine()) return CreateDirectoryW(link.c_str(), nullptr) && SetMountPoint(link, target);
    StartUnix(L"ln", L"-s " + UnixArgument(target) + L" " + UnixArgument(link));
    return WaitForPath(link, true);
}

// Removes the link itself, never what it points to.
inline bool RemoveDirectoryLink(const std::wstring& link) {
    if (!RunsOnWine()) return RemoveDirectoryW(link.c_str()) != FALSE;
    StartUnix(L"rm", L"-f " + UnixArgument(link));
    return WaitForPath(link, false);
}

}  // namespace testlink
