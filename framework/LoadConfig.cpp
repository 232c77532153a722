// The image's load configuration: it tells the loader to take the DLLs the
// stub imports from the system folder only, never from the folder the setup
// file was downloaded to. The linker points the load-configuration entry of
// the data directory here, by the symbol's name.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace framework {

// The 32-bit layout up to and including SecurityCookie: 64 bytes, the size
// every Windows version accepts for an x86 image. Nothing after it (safe
// exception handler table, control-flow guard) is claimed, since the
// toolchain produces none of that data.
struct LoadConfig32 {
    uint32_t size;
    uint32_t timeDateStamp;
    uint16_t majorVersion;
    uint16_t minorVersion;
    uint32_t globalFlagsClear;
    uint32_t globalFlagsSet;
    uint32_t criticalSectionDefaultTimeout;
    uint32_t deCommitFreeBlockThreshold;
    uint32_t deCommitTotalFreeThreshold;
    uint32_t lockPrefixTable;
    uint32_t maximumAllocationSize;
    uint32_t virtualMemoryThreshold;
    uint32_t processHeapFlags;
    uint32_t processAffinityMask;
    uint16_t csdVersion;
    uint16_t dependentLoadFlags;
    uint32_t editList;
    // The stack protector keeps its own guard value (__stack_chk_guard) and
    // seeds it itself; the loader has no cookie to set up.
    uint32_t securityCookie;
};
static_assert(sizeof(LoadConfig32) == 64, "the x86 load configuration is 64 bytes");
static_assert(offsetof(LoadConfig32, dependentLoadFlags) == 54, "DependentLoadFlags sits at 54");
static_assert(offsetof(LoadConfig32, securityCookie) == 60, "SecurityCookie sits at 60");

// Everything not named here stays zero: the system's defaults.
constexpr LoadConfig32 MakeLoadConfig() {
    LoadConfig32 config{};
    config.size = sizeof(LoadConfig32);
    config.dependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32;
    return config;
}

}  // namespace framework

// The name the loader's convention gives it; the stub's link keeps it with
// --require-defined, since nothing in the program refers to it.
extern "C" {
extern const framework::LoadConfig32 _load_config_used;
}

constexpr framework::LoadConfig32 _load_config_used = framework::MakeLoadConfig();
