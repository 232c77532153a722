#pragma once
// Reading the signature in a PE certificate table far enough to compare
// digests: the one WIN_CERTIFICATE, its PKCS#7 SignedData and the
// SpcIndirectDataContent the signer signed, which holds the file's digest.
// The signature itself is checked by CheckSignedData (SignedData.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "packager/sign/AuthenticodeDigest.h"
#include "packager/sign/Der.h"

namespace sfxpack {

struct AuthenticodeContent {
    DerElement pkcs7;         // the ContentInfo holding the SignedData
    DerElement indirectData;  // the SpcIndirectDataContent inside it
    bool algorithmKnown = false;
    DigestAlgorithm algorithm = DigestAlgorithm::Sha256;
    std::string algorithmName;  // "sha256", or the identifier of one sfxpack does not compute
    std::vector<uint8_t> digest;
};

// Reads the `size` bytes of a certificate table that holds one Authenticode
// signature of a PE image (zero padding after it allowed); throws
// CPackError (signature.damaged) saying what is wrong with it. The elements
// point into `table`.
AuthenticodeContent ReadAuthenticodeContent(const uint8_t* table, size_t size);

}  // namespace sfxpack
