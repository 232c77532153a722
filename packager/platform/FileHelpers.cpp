#include "packager/platform/FileHelpers.h"

#include <cerrno>
#include <cstring>

#include "packager/core/PackError.h"
#include "packager/platform/Platform.h"

namespace sfxpack {

namespace fs = std::filesystem;

namespace {

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

std::string LastSystemError() { return errno != 0 ? std::strerror(errno) : "read error"; }

std::ifstream OpenForReading(const fs::path& path, const std::string& what) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        throw CPackError(what + " " + Quote(path) + " does not exist", kExitFailure, DiagCode::InputUnreadable);
    }
    if (fs::is_directory(status)) {
        throw CPackError(what + " " + Quote(path) + " is a folder, not a file", kExitFailure,
                         DiagCode::InputUnreadable);
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw CPackError("cannot open " + what + " " + Quote(path) + ": " + LastSystemError(), kExitFailure,
                         DiagCode::InputUnreadable);
    }
    return in;
}

}  // namespace

void CheckReadableFile(const fs::path& path, const std::string& what) { OpenForReading(path, what); }

uint64_t GetFileSizeOrThrow(const fs::path& path, const std::string& what) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        throw CPackError("cannot read " + what + " " + Quote(path) + ": " + ec.message(), kExitFailure,
                         DiagCode::InputUnreadable);
    }
    return size;
}

std::vector<uint8_t> ReadFileHead(const fs::path& path, uint64_t limit, const std::string& what) {
    std::ifstream in = OpenForReading(path, what);
    std::vector<uint8_t> data;
    char buffer[65536];
    while (data.size() < limit) {
        const uint64_t want = limit - data.size() < sizeof buffer ? limit - data.size() : sizeof buffer;
        in.read(buffer, static_cast<std::streamsize>(want));
        const std::streamsize got = in.gcount();
        data.insert(data.end(), buffer, buffer + got);
        if (got == 0 || in.eof()) break;
        if (in.fail()) {
            throw CPackError("cannot read " + what + " " + Quote(path) + ": " + LastSystemError(), kExitFailure,
                             DiagCode::InputUnreadable);
        }
    }
    if (in.bad()) {
        throw CPackError("cannot read " + what + " " + Quote(path) + ": " + LastSystemError(), kExitFailure,
                         DiagCode::InputUnreadable);
    }
    return data;
}

std::vector<uint8_t> ReadWholeFile(const fs::path& path, const std::string& what) {
    return ReadFileHead(path, UINT64_MAX, what);
}

void OverwriteAt(const fs::path& path, uint64_t offset, const std::vector<uint8_t>& bytes) {
    errno = 0;
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    if (file) file.seekp(static_cast<std::streamoff>(offset));
    if (file) file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file) file.close();
    if (!file || file.fail()) {
        throw CPackError("cannot write " + Quote(path) + ": " + LastSystemError(), kExitFailure,
                         DiagCode::OutputUnwritable);
    }
}

std::string RandomHex(size_t bytes) {
    std::vector<uint8_t> random(bytes);
    GetRandomBytes(random.data(), random.size());
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t b : random) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

CAtomicOutput::CAtomicOutput(const fs::path& target) : m_target(target) {
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        throw CPackError("output " + Quote(target) + " is a folder", kExitFailure, DiagCode::OutputUnwritable);
    }
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::is_directory(folder, ec)) {
        throw CPackError("output folder " + Quote(folder) + " does not exist", kExitFailure,
                         DiagCode::OutputUnwritable);
    }
    m_temp = folder / fs::u8path("." + target.filename().u8string() + ".sfxpack-" + RandomHex(6));
    m_cleanup = std::make_unique<CCleanupPath>(m_temp, false);
    errno = 0;
    m_stream.open(m_temp, std::ios::binary | std::ios::trunc);
    if (!m_stream) {
        const std::string reason = LastSystemError();
        fs::remove(m_temp, ec);
        throw CPackError("cannot write output " + Quote(target) + ": " + reason, kExitFailure,
                         DiagCode::OutputUnwritable);
    }
}

CAtomicOutput::~CAtomicOutput() {
    if (m_committed) return;
    m_stream.close();
    std::error_code ec;
    fs::remove(m_temp, ec);
}

void CAtomicOutput::Write(const uint8_t* data, size_t size) {
    ThrowIfStopRequested();
    errno = 0;
    m_stream.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!m_stream) {
        throw CPackError("cannot write output " + Quote(m_target) + ": " + LastSystemError(), kExitFailure,
                         DiagCode::OutputUnwritable);
    }
}

void CAtomicOutput::Close() {
    if (m_closed) return;
    errno = 0;
    m_stream.close();
    m_closed = true;
    if (m_stream.fail()) {
        throw CPackError("cannot write output " + Quote(m_target) + ": " + LastSystemError(), kExitFailure,
                         DiagCode::OutputUnwritable);
    }
}

void CAtomicOutput::Commit() {
    Close();
    std::error_code ec;
    fs::rename(m_temp, m_target, ec);
    if (ec) {
        throw CPackError("cannot write output " + Quote(m_target) + ": " + ec.message(), kExitFailure,
                         DiagCode::OutputUnwritable);
    }
    m_committed = true;
    m_cleanup.reset();
}

CTempDir::CTempDir() {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) throw CPackError("no temporary folder: " + ec.message(), kExitFailure, DiagCode::OutputUnwritable);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const fs::path candidate = base / ("sfxpack-" + RandomHex(8));
        auto cleanup = std::make_unique<CCleanupPath>(candidate, true);
        if (fs::create_directory(candidate, ec)) {
            m_path = candidate;
            m_cleanup = std::move(cleanup);
            return;
        }
    }
    throw CPackError("cannot create a temporary folder in " + Quote(base) + ": " + ec.message(), kExitFailure,
                     DiagCode::OutputUnwritable);
}

CTempDir::~CTempDir() { RemoveTree(m_path); }

}  // namespace sfxpack
