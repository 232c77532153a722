#pragma once
// The few operating-system services the packager needs beyond the standard
// library. PlatformPosix.cpp implements them for Linux; everything else in
// the packager is portable.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sfxpack {

// The folder that holds the running sfxpack; empty when unknown.
std::filesystem::path GetExecutableDir();

// Fills `out` from the system's random source; throws CPackError on failure.
void GetRandomBytes(uint8_t* out, size_t size);

struct ProcessResult {
    bool started = false;
    std::string startError;  // why it could not be started
    int exitCode = -1;       // -1 when it ended by a signal
    std::string output;      // standard output and error, interleaved
};

// Runs `args[0]` (looked up in PATH) with the arguments in `args`, in the
// folder `workDir` (or the current one when empty), with no input, and waits.
ProcessResult RunProcess(const std::vector<std::string>& args,
                         const std::filesystem::path& workDir);

}  // namespace sfxpack
