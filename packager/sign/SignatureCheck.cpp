#include "packager/sign/SignatureCheck.h"

#include <fstream>

#include "orelib/PeImage.h"
#include "packager/sign/AuthenticodeContent.h"
#include "packager/sign/AuthenticodeDigest.h"
#include "packager/core/PackError.h"
#include "packager/sign/SignedData.h"
#include "packager/sign/SigningRules.h"

namespace sfxpack {

const char kSignedDigestFailure[] =
    "the messageDigest of the signer's signed attributes is not the digest of the signed content";
const char kSignatureFailure[] = "the signer's signature over its signed attributes does not verify with its key";

namespace {

// Far above any real signature (certificates, timestamps, nested
// signatures), low enough to read whole.
constexpr uint32_t kMaxTableSize = 16u << 20;

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

std::vector<uint8_t> ReadTable(std::istream& file, const SignedLayout& layout) {
    std::vector<uint8_t> table(layout.certificateSize);
    file.seekg(static_cast<std::streamoff>(layout.certificateOffset));
    file.read(reinterpret_cast<char*>(table.data()), static_cast<std::streamsize>(table.size()));
    if (static_cast<size_t>(file.gcount()) != table.size()) {
        throw CPackError("the certificate table of the setup file could not be read", kExitFailure,
                         DiagCode::InputUnreadable);
    }
    return table;
}

}  // namespace

SignatureFacts CheckFileSignature(const std::filesystem::path& path, const std::vector<uint8_t>& head,
                                  uint64_t fileSize) {
    SignatureFacts facts;
    orelib::PeCertificateEntry entry;
    const orelib::PeImage image(head.data(), head.size());
    if (!image.GetCertificateEntry(&entry) || (entry.offset == 0 && entry.size == 0)) return facts;
    facts.present = true;
    auto problem = [&facts](DiagCode code, const std::string& message) { facts.problems.push_back({code, message}); };
    SignedLayout layout;
    if (!ReadSignedLayout(head.data(), head.size(), &layout)) {
        problem(DiagCode::SignatureDamaged, "the certificate table's directory entry is unusable");
        return facts;
    }
    if (layout.certificateSize > kMaxTableSize || layout.certificateOffset > fileSize ||
        layout.certificateSize > fileSize - layout.certificateOffset) {
        problem(DiagCode::SignatureDamaged,
                "the certificate table (offset " + std::to_string(layout.certificateOffset) + ", size " +
                    std::to_string(layout.certificateSize) + ") does not lie inside the file");
        return facts;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw CPackError("cannot read setup file " + path.string(), kExitFailure, DiagCode::InputUnreadable);
    }
    const std::vector<uint8_t> table = ReadTable(file, layout);
    AuthenticodeContent content;
    try {
        content = ReadAuthenticodeContent(table.data(), table.size());
    } catch (const CPackError& e) {
        problem(e.Code(), e.what());  // a damaged signature is a finding of verify, not its failure
        return facts;
    }
    facts.algorithm = content.algorithmName;
    facts.signedDigest = Hex(content.digest);

    if (!content.algorithmKnown) {
        problem(DiagCode::SignatureUnsupported,
                "the signed digest is " + content.algorithmName +
                    ", which sfxpack cannot compute (it checks sha1, sha256, sha384 and sha512)");
    } else {
        facts.fileDigest = Hex(ComputeImageDigest(file, fileSize, layout, content.algorithm));
        facts.digestMatches = facts.fileDigest == facts.signedDigest;
        if (!facts.digestMatches) {
            problem(DiagCode::SignatureMismatch, "the file's Authenticode digest (" + facts.algorithm + " " +
                                                     facts.fileDigest + ") is not the signed one (" +
                                                     facts.signedDigest + "): the file was changed after signing");
        }
    }
    const SignedDataCheck check = CheckSignedData(content.pkcs7, content.indirectData);
    facts.signatureChecked = true;
    facts.signatureValid = check.valid;
    facts.signer = check.signer;
    if (!check.valid)
        problem(DiagCode::SignatureInvalid, "the Authenticode signature does not verify: " + check.problem);
    return facts;
}

}  // namespace sfxpack
