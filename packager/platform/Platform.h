#pragma once
// The few operating-system services the packager needs beyond the standard
// library. PlatformPosix.cpp implements them for Linux, PlatformWin32.cpp
// for Windows; everything else in the packager is portable.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sfxpack {

// The folder that holds the running sfxpack; empty when unknown.
std::filesystem::path GetExecutableDir();

// Fills `out` from the system's random source; throws CPackError on failure.
void GetRandomBytes(uint8_t* out, size_t size);

// An environment variable as UTF-8 text; nullopt when it is not set.
std::optional<std::string> GetEnvironmentText(const char* name);

// True when standard error is a terminal (a person is watching) that
// follows escape sequences.
bool IsErrorTerminal();

// The form of `path` to hand to file-system calls for everything under it:
// on Windows an absolute \\?\ path, so that names nested deeper than
// MAX_PATH still open; elsewhere `path` itself.
std::filesystem::path LongPathForm(const std::filesystem::path& path);

// The simple (one to one) upper-case mapping of one code point, as file
// systems that ignore case compare names; ASCII only where the system has
// no Unicode case table.
char32_t SimpleUpperCase(char32_t c);

// What a folder entry is, as far as packing is concerned.
enum class EntryKind { File, Folder, Link, Fifo, Socket, CharDevice, BlockDevice, Other };

struct EntryFacts {
    EntryKind kind = EntryKind::Other;
    uint64_t size = 0;
    int64_t mtimeSeconds = 0;  // since 1970-01-01, may be negative
    uint32_t mtimeNanoseconds = 0;
    bool readOnly = false;  // its owner cannot write it
};

// The names in folder `dir`, without "." and "..": UTF-8 on Windows, the
// bytes on disk elsewhere. False, with `error` set, when it cannot be read.
bool ReadFolderNames(const std::filesystem::path& dir, std::vector<std::string>* names, std::string* error);

// Removes `path` and, for a folder, everything in it (links, not what
// they lead to); best effort, also for paths longer than MAX_PATH.
void RemoveTree(const std::filesystem::path& path);

// Facts about the entry itself; a symbolic link (on Windows also a junction)
// is reported as a link, not followed. False when it cannot be read.
bool ReadEntry(const std::filesystem::path& path, EntryFacts* facts);

// Facts about what `path` finally leads to, and that place as an absolute
// path with every link resolved. False when it leads nowhere.
bool FollowEntry(const std::filesystem::path& path, EntryFacts* facts, std::filesystem::path* finalPath);

struct ProcessResult {
    bool started = false;
    std::string startError;  // why it could not be started
    int exitCode = -1;       // -1 when it ended by a signal
    bool timedOut = false;   // ended by sfxpack when its time was up
    std::string output;      // standard output and error, interleaved
};

// Runs `args[0]` (looked up in PATH) with the arguments in `args`, in the
// folder `workDir` (or the current one when empty), with no input, and waits.
// A child still running when the user stops sfxpack is ended with it
// (with its own children on Linux; on Windows with those it started in
// sfxpack's job), and so is one still running after `timeoutSeconds` (0: no limit).
ProcessResult RunProcess(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                         unsigned timeoutSeconds = 0);

// Waits `seconds`, returning early (false) when the user stops sfxpack.
bool SleepUnlessStopped(unsigned seconds);

// How to get osslsigncode on this system, for messages.
extern const char kOsslsigncodeHint[];

// Runs `command` through the system's shell, as RunProcess does: `/bin/sh -c`
// on POSIX, `cmd.exe /d /s /c` (from the system folder) on Windows.
ProcessResult RunShellCommand(const std::string& command);

}  // namespace sfxpack
