// The stub's entry point: hands control to the one application object.
#include <cstdlib>

#include "framework/WinApp.h"

// The runtime's default terminate handler prints a demangled type name to a
// console the stub does not have; replacing it drops the demangler from the
// image (about 45 KB of every download).
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

// The stub runs elevated from a Downloads folder: a DLL planted beside it
// must never be loaded. Restrict every later load to the system folder.
void RestrictDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                   GetProcAddress(kernel, "SetDefaultDllDirectories"))
                             : nullptr;
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without it (before the KB2533623 update) still lose the
    // current directory from the search order.
    SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RestrictDllSearchToSystemFolder();
    return framework::AfxWinMain();
}
