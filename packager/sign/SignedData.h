#pragma once
// The PKCS#7 half of checking an Authenticode signature, by the system's
// cryptography: OpenSSL's libcrypto on Linux (SignedDataOpenSsl.cpp),
// CryptoAPI on Windows (SignedDataWin32.cpp). Whether the signer's
// certificate leads to a trusted root is not checked: that is for the
// machine that runs the file, with its own roots.
#include <string>

#include "packager/sign/Der.h"

namespace sfxpack {

struct SignedDataCheck {
    bool valid = false;
    std::string signer;   // the subject of the signer's certificate, when found
    std::string problem;  // why it is not valid
};

// `pkcs7` is the signature's ContentInfo; `content` the SpcIndirectDataContent
// inside it, from which the caller took the file's digest. Valid when the
// message has one signer, with signed attributes, whose certificate it
// carries; their messageDigest is the digest of `content` (its contents
// octets, as PKCS#7 digests them); and the signature over them verifies
// with that certificate's key.
SignedDataCheck CheckSignedData(const DerElement& pkcs7, const DerElement& content);

// The reasons both implementations give for the two ways a signature fails.
extern const char kSignedDigestFailure[];
extern const char kSignatureFailure[];

}  // namespace sfxpack
