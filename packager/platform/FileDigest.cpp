#include "packager/platform/FileDigest.h"

#include <fstream>
#include <limits>
#include <vector>

#include "packager/core/PackError.h"

namespace sfxpack {

uint64_t HashFileRange(const std::filesystem::path& path, uint64_t offset, uint64_t size, CSha256Digest* hash) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw CPackError("cannot open '" + path.string() + "' to hash it", kExitFailure, DiagCode::InputUnreadable);
    }
    in.seekg(static_cast<std::streamoff>(offset));
    std::vector<char> buffer(1024 * 1024);
    uint64_t done = 0;
    while (done < size && in) {
        const uint64_t left = size - done;
        const size_t want = left < buffer.size() ? static_cast<size_t>(left) : buffer.size();
        in.read(buffer.data(), static_cast<std::streamsize>(want));
        const size_t got = static_cast<size_t>(in.gcount());
        hash->Update(reinterpret_cast<const uint8_t*>(buffer.data()), got);
        done += got;
    }
    if (in.bad()) {
        throw CPackError("cannot read '" + path.string() + "' to hash it", kExitFailure, DiagCode::InputUnreadable);
    }
    return done;
}

std::string GetFileSha256Hex(const std::filesystem::path& path) {
    CSha256Digest hash;
    HashFileRange(path, 0, std::numeric_limits<uint64_t>::max(), &hash);
    const std::array<uint8_t, 32> digest = hash.Finish();
    return HexText(digest.data(), digest.size());
}

std::string HexText(const uint8_t* bytes, size_t size) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text.push_back(kHex[bytes[i] >> 4]);
        text.push_back(kHex[bytes[i] & 15]);
    }
    return text;
}

}  // namespace sfxpack
