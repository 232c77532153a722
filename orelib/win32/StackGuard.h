#pragma once
// The stack protector's run-time part, in place of the toolchain's (libssp):
// that one seeds its guard through CryptAcquireContext, which advapi32
// forwards to cryptsp, a DLL that is no KnownDLL and would be searched for
// beside the setup file. Here the guard (__stack_chk_guard) holds a fixed
// canary until it is seeded, and a failed check (__stack_chk_fail, and
// __chk_fail of the checked string and memory functions) ends the process at
// once with STATUS_STACK_BUFFER_OVERRUN.
#include <cstdint>

namespace orelib {

// The guard value that protected functions compare on return.
uintptr_t StackGuardValue();

// Draws the guard from the system's generator. Call it once, after the DLL
// search is restricted, from a function built without the protector: every
// protected function active during the call would fail its check on return.
// The fixed canary stays when the generator fails.
void SeedStackGuard();

}  // namespace orelib
