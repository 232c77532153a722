// loadunprotected.exe NAME: loads NAME with a plain LoadLibraryW, the way a
// program does that leaves the DLL search order as it is. The DLL-planting
// test uses it to show that a planted DLL beside a program is picked up when
// nothing restricts the search. Prints "loaded=<path>" or "failed=<error>".
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: loadunprotected NAME\n");
        return 2;
    }
    HMODULE module = LoadLibraryW(argv[1]);
    if (!module) {
        std::wprintf(L"failed=%lu\n", GetLastError());
        return 1;
    }
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    std::wprintf(L"loaded=%.*ls\n", static_cast<int>(length), path);
    FreeLibrary(module);
    return 0;
}
