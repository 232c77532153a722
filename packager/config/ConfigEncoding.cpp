#include "packager/config/ConfigEncoding.h"

#include "packager/core/WideText.h"

namespace sfxpack {

namespace {

// Bytes looked at to tell UTF-16 from text with a stray NUL.
constexpr size_t kSniffSize = 512;

// True when most two-byte units of the start have their zero byte at `zeroAt`
// (0 or 1), as ASCII text in UTF-16 has.
bool LooksLikeUtf16(const std::string& bytes, size_t zeroAt) {
    size_t units = 0, zeros = 0;
    for (size_t i = 0; i + 1 < bytes.size() && i < kSniffSize; i += 2, ++units) {
        if (bytes[i + zeroAt] == '\0' && bytes[i + 1 - zeroAt] != '\0') ++zeros;
    }
    return units != 0 && zeros * 2 > units;
}

}  // namespace

std::optional<std::string> DescribeConfigEncoding(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        return "is UTF-16 little-endian (with a byte-order mark)";
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
        static_cast<unsigned char>(bytes[1]) == 0xFF)
        return "is UTF-16 big-endian (with a byte-order mark)";
    if (LooksLikeUtf16(bytes, 1)) return "is UTF-16 little-endian (without a byte-order mark)";
    if (LooksLikeUtf16(bytes, 0)) return "is UTF-16 big-endian (without a byte-order mark)";
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos) return "holds a NUL byte at offset " + std::to_string(nul);
    std::wstring wide;
    if (!FromUtf8(bytes, &wide)) return "is not valid UTF-8 text";
    return std::nullopt;
}

}  // namespace sfxpack
