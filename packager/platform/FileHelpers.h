#pragma once
// File helpers of the packager: whole-file reads with clear errors, an output
// file that appears only when complete, and a scratch folder that goes away.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "packager/platform/SignalCleanup.h"

namespace sfxpack {

// Reads the whole file; throws CPackError naming `what` and the path.
std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path, const std::string& what);

// Reads at most `limit` bytes from the start of the file.
std::vector<uint8_t> ReadFileHead(const std::filesystem::path& path, uint64_t limit, const std::string& what);

// Throws CPackError unless `path` is a file that opens for reading.
void CheckReadableFile(const std::filesystem::path& path, const std::string& what);

uint64_t GetFileSizeOrThrow(const std::filesystem::path& path, const std::string& what);

// Writes `bytes` over the file's bytes from `offset` on; throws CPackError
// naming the path and the system's reason.
void OverwriteAt(const std::filesystem::path& path, uint64_t offset, const std::vector<uint8_t>& bytes);

// Lowercase hex of random bytes, for unique scratch names.
std::string RandomHex(size_t bytes);

// Writes to a temporary file beside `target`; Commit renames it over the
// target. Until then the target is untouched, and the temporary file is
// removed if the owner goes away without committing.
class CAtomicOutput {
public:
    explicit CAtomicOutput(const std::filesystem::path& target);
    ~CAtomicOutput();
    CAtomicOutput(const CAtomicOutput&) = delete;
    CAtomicOutput& operator=(const CAtomicOutput&) = delete;

    void Write(const uint8_t* data, size_t size);
    // Flushes and closes the temporary file, which can then be read back.
    void Close();
    // Closes if needed and puts the file in place.
    void Commit();
    const std::filesystem::path& TempPath() const { return m_temp; }

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::unique_ptr<CCleanupPath> m_cleanup;
    std::ofstream m_stream;
    bool m_closed = false;
    bool m_committed = false;
};

// A fresh folder under the system's temporary folder, removed with its contents.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::unique_ptr<CCleanupPath> m_cleanup;
};

}  // namespace sfxpack
