#include "packager/commands/PayloadCheck.h"

#include "orelib/PeImage.h"
#include "packager/platform/FileDigest.h"

namespace sfxpack {

PayloadCheck CheckPayloadDigest(const std::vector<uint8_t>& head, const std::filesystem::path& path) {
    PayloadCheck check;
    size_t offset = 0;
    uint32_t length = 0;
    check.recorded =
        orelib::PeImage(head.data(), head.size())
            .FindNamedResource(orelib::kStubResourceType, orelib::kDigestResourceName, &offset, &length) &&
        orelib::DecodePayloadDigest(head.data() + offset, length, &check.digest);
    if (!check.recorded) {
        check.problem = "no payload digest (_KTV_DIGEST): the stub refuses to run";
        return check;
    }
    CSha256Digest hash;
    if (HashFileRange(path, check.digest.offset, check.digest.size, &hash) != check.digest.size) {
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
