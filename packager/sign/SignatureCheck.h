#pragma once
// `sfxpack verify` on a signed setup file: the file's Authenticode digest
// against the one its signature holds, and the signature itself. Whether
// the signer's certificate is trusted stays the business of the machine
// that runs the file: the chain is not checked.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "packager/core/Diagnostics.h"

namespace sfxpack {

struct SignatureProblem {
    DiagCode code;
    std::string message;
};

struct SignatureFacts {
    bool present = false;      // the file has a certificate table
    std::string algorithm;     // of the signed digest: "sha256", "sha1", or an identifier
    std::string signedDigest;  // hex, as the signature holds it
    std::string fileDigest;    // hex, computed over the file; empty when not computed
    bool digestMatches = false;
    bool signatureChecked = false;  // the PKCS#7 check ran
    bool signatureValid = false;
    std::string signer;                      // the subject of the signer's certificate
    std::vector<SignatureProblem> problems;  // none when the signature holds

    bool Valid() const { return present && problems.empty(); }
};

// `head` is the start of the file (its PE headers), `fileSize` its size.
// Nothing is checked (present stays false) for a file without a certificate
// table. Throws CPackError when the file cannot be read.
SignatureFacts CheckFileSignature(const std::filesystem::path& path, const std::vector<uint8_t>& head,
                                  uint64_t fileSize);

}  // namespace sfxpack
