#include "packager/platform/FileDigest.h"

#include <fstream>
#include <vector>

#include "orelib/PeImage.h"
#include "packager/core/PackError.h"
#include "packager/core/Sha256.h"

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

PayloadCheck CheckPayloadDigest(const std::vector<uint8_t>& head, const std::filesystem::path& path) {
    PayloadCheck check;
    size_t offset = 0;
    uint32_t length = 0;
    check.recorded =
        orelib::PeImage(head.data(), head.size())
            .FindNamedResource(orelib::kSizeResourceType, orelib::kDigestResourceName, &offset, &length) &&
        orelib::DecodePayloadDigest(head.data() + offset, length, &check.digest);
    if (!check.recorded) {
        check.problem = "no payload digest (_KTV_DIGEST): the stub refuses to run";
        return check;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw CPackError("cannot open '" + path.string() + "' to hash it", kExitFailure, DiagCode::InputUnreadable);
    }
    in.seekg(static_cast<std::streamoff>(check.digest.offset));
    CSha256Digest hash;
    std::vector<char> buffer(1024 * 1024);
    uint64_t left = check.digest.size;
    while (left != 0 && in) {
        const size_t want = left < buffer.size() ? static_cast<size_t>(left) : buffer.size();
        in.read(buffer.data(), static_cast<std::streamsize>(want));
        const size_t got = static_cast<size_t>(in.gcount());
        hash.Update(reinterpret_cast<const uint8_t*>(buffer.data()), got);
        left -= got;
    }
    if (in.bad()) {
        throw CPackError("cannot read '" + path.string() + "' to hash it", kExitFailure, DiagCode::InputUnreadable);
    }
    if (left != 0) {
        check.problem = "the file ends before the payload its image records (" +
                        std::to_string(check.digest.size) + " bytes at offset " +
                        std::to_string(check.digest.offset) + ")";
        return check;
    }
    check.matches = hash.Finish() == check.digest.sha256;
    if (!check.matches) {
        check.problem = "the configuration block or the archive is not the one the file was built with "
                        "(SHA-256 differs from _KTV_DIGEST); the stub refuses it";
    }
    return check;
}

}  // namespace sfxpack
