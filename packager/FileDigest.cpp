#include "packager/FileDigest.h"

#include <fstream>
#include <vector>

#include "packager/PackError.h"
#include "packager/Sha256.h"

namespace sfxpack {

std::string GetFileSha256Hex(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw CPackError("cannot open '" + path.string() + "' to hash it", kExitFailure, DiagCode::InputUnreadable);
    }
    CSha256Digest hash;
    std::vector<char> buffer(1024 * 1024);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const size_t got = static_cast<size_t>(in.gcount());
        if (got == 0) break;
        hash.Update(reinterpret_cast<const uint8_t*>(buffer.data()), got);
    }
    if (in.bad()) {
        throw CPackError("cannot read '" + path.string() + "' to hash it", kExitFailure, DiagCode::InputUnreadable);
    }
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : hash.Finish()) {
        text.push_back(kHex[byte >> 4]);
        text.push_back(kHex[byte & 15]);
    }
    return text;
}

}  // namespace sfxpack
