// The process protections the stub applies before anything else runs: the
// mitigation policies, a DLL search restricted to the system folder, the
// stack protector's guard and the system libraries loaded by full path.
// The own file's open starts among them, to wait while the rest starts.
#include "app/ProtectProcess.h"

#include <windows.h>

#include <initializer_list>

#include "app/OwnFileOpen.h"
#include "orelib/win32/DynamicCalls.h"
#include "orelib/win32/ProcessMitigations.h"
#include "orelib/win32/StackGuard.h"

namespace app {

namespace {

// The stub runs elevated from a Downloads folder: a DLL planted beside it
// must never be loaded. Restrict every later load to the system folder.
void RestrictDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = orelib::LookupFunction<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"),
                                                                               "SetDefaultDllDirectories");
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without it (before the KB2533623 update) still lose the
    // current directory from the search order.
    SetDllDirectoryW(L"");
}

// Windows components load uxtheme by name (comctl32 while it attaches, dialogs
// through delay-loads), not all of them with the restriction above. A module
// already loaded under the same name is what such a load gets, so uxtheme is
// taken from the system folder first, then comctl32, which the stub does not
// import for this reason. Both stay loaded for the life of the process.
void PreloadSystemLibraries() {
    for (const wchar_t* name : {L"uxtheme.dll", L"comctl32.dll"}) orelib::LoadSystemLibrary(name);
}

}  // namespace

// Built without the stack protector, since it seeds the protector's guard.
__attribute__((no_stack_protector)) void ProtectProcess() {
    orelib::ApplyProcessMitigations();
    RestrictDllSearchToSystemFolder();
    // The generator's DLL (cryptbase) loads only after the restriction.
    orelib::SeedStackGuard();
    // After the guard is seeded (the thread's frames check it), before the
    // slow part of start-up: the open's wait runs beside it.
    StartOwnFileOpen();
    PreloadSystemLibraries();
}

}  // namespace app
