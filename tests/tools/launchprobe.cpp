// Started by the process-launch tests: writes what it sees of its own start
// into the file named by its first argument, as UTF-16 fields separated by
// U+0001: the current directory, the own arguments (everything after the
// program name), then each argument after the first as the system parses it.
// Its exit code is the number of arguments.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "orelib/win32/Process.h"

int wmain(int, wchar_t**) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count < 2) return 255;

    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    std::wstring report = directory;
    report += L'\x01';
    report += orelib::GetOwnArguments();
    for (int i = 2; i < count; ++i) {
        report += L'\x01';
        report += args[i];
    }

    HANDLE file = CreateFileW(args[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 254;
    DWORD written = 0;
    WriteFile(file, report.data(), static_cast<DWORD>(report.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    LocalFree(args);
    return count;
}
