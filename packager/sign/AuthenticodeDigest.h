#pragma once
// The Authenticode digest of a PE file: every byte but the checksum field,
// the certificate table's directory entry and the certificate table itself,
// in file order. A signature holds this digest; any other changed byte
// changes it.
#include <cstdint>
#include <iosfwd>
#include <vector>

#include "packager/sign/SigningRules.h"

namespace sfxpack {

enum class DigestAlgorithm { Sha1, Sha256, Sha384, Sha512 };

inline const char* DigestAlgorithmName(DigestAlgorithm algorithm) {
    static const char* const kNames[] = {"sha1", "sha256", "sha384", "sha512"};
    return kNames[static_cast<int>(algorithm)];
}
inline size_t DigestSize(DigestAlgorithm algorithm) {
    static const size_t kSizes[] = {20, 32, 48, 64};
    return kSizes[static_cast<int>(algorithm)];
}

// The digest of the `fileSize` bytes of `file` without the three parts
// `layout` names. Throws CPackError when the file cannot be read.
std::vector<uint8_t> ComputeImageDigest(std::istream& file, uint64_t fileSize, const SignedLayout& layout,
                                        DigestAlgorithm algorithm);

}  // namespace sfxpack
