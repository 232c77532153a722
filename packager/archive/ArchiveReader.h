#pragma once
// Reading a 7z archive the way the stub will: open it at an offset inside a
// file, list what it holds, and optionally decode every item and check its
// CRC. Every failure is a CPackError with a clear reason.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sfxpack {

struct ArchiveInfo {
    // Coder names the archive uses, each once, in the order the library
    // lists them ("LZMA2", "BCJ2", "7zAES", "PPMD", ...). An ID without a
    // name is shown in hex, as the library prints it ("0401FF").
    std::vector<std::string> methods;
    // The headers are encrypted: nothing can be listed without the password
    // (the stub cannot open such an archive at all).
    bool headersEncrypted = false;
    // Some file data is encrypted (7zAES).
    bool dataEncrypted = false;
    uint64_t itemCount = 0;          // files and folders
    uint64_t unpackedSize = 0;       // sum of the files' sizes
    uint64_t physicalSize = 0;       // bytes the archive takes in the file
    std::vector<std::string> paths;  // UTF-8, '/' between names, in archive order
};

// An open archive. The file stays open until the reader goes away.
class CArchiveReader {
public:
    // Opens the 7z archive whose signature header starts exactly at `offset`
    // in `file`. `password` is only needed for encrypted headers; without it,
    // such an archive opens with headersEncrypted set and nothing listed.
    CArchiveReader(const std::filesystem::path& file, uint64_t offset,
                   const std::optional<std::string>& password = std::nullopt);
    ~CArchiveReader();
    CArchiveReader(const CArchiveReader&) = delete;
    CArchiveReader& operator=(const CArchiveReader&) = delete;

    const ArchiveInfo& Info() const { return m_info; }

    // Decodes every item and checks its CRC, writing nothing. Throws for an
    // unsupported method, a data or CRC error, truncated data, or a missing
    // or wrong password.
    void TestAll(const std::optional<std::string>& password = std::nullopt);

private:
    struct CState;
    std::unique_ptr<CState> m_state;
    ArchiveInfo m_info;
};

// The methods the stub can decode: Copy, LZMA, LZMA2, BCJ, BCJ2 and 7zAES.
bool IsStubMethod(const std::string& name);

// Why the stub could not extract an archive of this kind; nothing when it can.
std::optional<std::string> CheckArchiveForStub(const ArchiveInfo& info);

}  // namespace sfxpack
