#include "orelib/win32/StackGuard.h"

#include <windows.h>

#include "orelib/win32/SecureRandom.h"

namespace {

// Not in this toolchain's headers.
constexpr DWORD kFastFailAvailable = 23;                // PF_FASTFAIL_AVAILABLE
constexpr unsigned kFastFailStackCookieCheck = 2;       // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
constexpr unsigned kFastFailRangeCheck = 8;             // FAST_FAIL_RANGE_CHECK_FAILURE
constexpr UINT kStatusStackBufferOverrun = 0xC0000409;  // STATUS_STACK_BUFFER_OVERRUN

// A corrupted stack may hold forged handlers and return addresses: no
// exception is raised and nothing of the process runs any more. Windows 8
// and later end it through the fail-fast interrupt, which reports the code
// to Windows Error Reporting; older ones are told to terminate it.
[[noreturn]] void FailFast(unsigned code) {
    if (IsProcessorFeaturePresent(kFastFailAvailable)) __asm__ volatile("int $0x29" : : "c"(code));
    TerminateProcess(GetCurrentProcess(), kStatusStackBufferOverrun);
    __builtin_trap();
}

}  // namespace

extern "C" {

// A terminator canary (NUL, line feed, 0xFF) until seeded: string copies
// that run over a frame cannot write it back.
uintptr_t __stack_chk_guard = 0xFF0A0000u;

[[noreturn]] void __stack_chk_fail() { FailFast(kFastFailStackCookieCheck); }

// string.h declares it first (noreturn there too), when fortified.
__attribute__((noreturn)) void __chk_fail() { FailFast(kFastFailRangeCheck); }

}  // extern "C"

namespace orelib {

uintptr_t StackGuardValue() { return __stack_chk_guard; }

__attribute__((no_stack_protector)) void SeedStackGuard() {
    uintptr_t seed = 0;
    if (FillSecureRandom(reinterpret_cast<unsigned char*>(&seed), sizeof seed) && seed != 0) __stack_chk_guard = seed;
}

}  // namespace orelib
