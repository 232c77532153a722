#pragma once
// A stand-in for a system DLL that an attacker put beside a downloaded setup
// file. When any process loads it, it writes "<its own path>.loaded" holding
// the loading program's path, so a test can tell that it was loaded.
#include <windows.h>

inline void WritePlantMarker(HINSTANCE self) {
    wchar_t path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    lstrcpyW(path + length, L".loaded");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    wchar_t program[MAX_PATH];
    const DWORD programLength = GetModuleFileNameW(nullptr, program, MAX_PATH);
    DWORD written = 0;
    WriteFile(file, program, programLength * sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
}
