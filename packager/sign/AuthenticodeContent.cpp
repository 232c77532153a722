#include "packager/sign/AuthenticodeContent.h"

#include <cstring>

#include "packager/core/PackError.h"

namespace sfxpack {

namespace {

constexpr size_t kWinCertificateHeader = 8;
constexpr uint16_t kWinCertRevision2 = 0x0200;
constexpr uint16_t kWinCertTypePkcsSignedData = 0x0002;

// The object identifiers' contents.
constexpr uint8_t kOidSignedData[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};  // 1.2.840.113549.1.7.2
constexpr uint8_t kOidIndirectData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x04};  // ...311.2.1.4
constexpr uint8_t kOidPeImageData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x0F};   // ...311.2.1.15
constexpr uint8_t kOidSha1[] = {0x2B, 0x0E, 0x03, 0x02, 0x1A};
constexpr uint8_t kOidSha256[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01};
constexpr uint8_t kOidSha384[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x02};
constexpr uint8_t kOidSha512[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x03};

template <size_t N>
bool IsOid(const DerElement& oid, const uint8_t (&expected)[N]) {
    return oid.contentsSize == N && std::memcmp(oid.contents, expected, N) == 0;
}

uint32_t Load32(const uint8_t* p) {
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

const char kNotPkcs7[] = "the certificate table holds no well-formed PKCS#7 SignedData";

CPackError Damaged(const std::string& why) { return CPackError(why, kExitSignature, DiagCode::SignatureDamaged); }

// ContentInfo { contentType OID, content [0] EXPLICIT }: the OID and the content.
bool ReadContentInfo(const DerElement& info, DerElement* type, DerElement* content) {
    CDerReader reader(info);
    DerElement wrapper;
    if (!reader.Next(der::kOid, type) || !reader.Next(der::kContext0, &wrapper) || !reader.AtEnd()) return false;
    CDerReader inner(wrapper);
    return inner.Next(content) && inner.AtEnd();
}

void ReadIndirectData(AuthenticodeContent* content) {
    // SpcIndirectDataContent { data SpcAttributeTypeAndOptionalValue, messageDigest DigestInfo }
    CDerReader reader(content->indirectData);
    DerElement data, digestInfo, dataType;
    if (content->indirectData.tag != der::kSequence || !reader.Next(der::kSequence, &data) ||
        !reader.Next(der::kSequence, &digestInfo) || !reader.AtEnd()) {
        throw Damaged("the signed content is not a well-formed SpcIndirectDataContent");
    }
    if (!CDerReader(data).Next(der::kOid, &dataType) || !IsOid(dataType, kOidPeImageData)) {
        throw Damaged("the signature is not one of a PE image (its content is " +
                      DottedOid(dataType.contents, dataType.contentsSize) + ")");
    }
    // DigestInfo { digestAlgorithm AlgorithmIdentifier { OID, parameters }, digest OCTET STRING }
    CDerReader info(digestInfo);
    DerElement algorithm, algorithmOid, digest;
    if (!info.Next(der::kSequence, &algorithm) || !CDerReader(algorithm).Next(der::kOid, &algorithmOid) ||
        !info.Next(der::kOctetString, &digest) || !info.AtEnd()) {
        throw Damaged("the signed content holds no well-formed digest");
    }
    content->algorithmKnown = true;
    if (IsOid(algorithmOid, kOidSha256)) {
        content->algorithm = DigestAlgorithm::Sha256;
    } else if (IsOid(algorithmOid, kOidSha1)) {
        content->algorithm = DigestAlgorithm::Sha1;
    } else if (IsOid(algorithmOid, kOidSha384)) {
        content->algorithm = DigestAlgorithm::Sha384;
    } else if (IsOid(algorithmOid, kOidSha512)) {
        content->algorithm = DigestAlgorithm::Sha512;
    } else {
        content->algorithmKnown = false;
    }
    content->algorithmName = content->algorithmKnown ? DigestAlgorithmName(content->algorithm)
                                                     : DottedOid(algorithmOid.contents, algorithmOid.contentsSize);
    content->digest.assign(digest.contents, digest.contents + digest.contentsSize);
    if (content->algorithmKnown && digest.contentsSize != DigestSize(content->algorithm)) {
        throw Damaged("the signed " + content->algorithmName + " digest is " + std::to_string(digest.contentsSize) +
                      " bytes long");
    }
}

}  // namespace

AuthenticodeContent ReadAuthenticodeContent(const uint8_t* table, size_t size) {
    AuthenticodeContent content;
    if (size < kWinCertificateHeader) throw Damaged("the certificate table is too short for a WIN_CERTIFICATE");
    const uint32_t length = Load32(table);
    const uint16_t revision = static_cast<uint16_t>(table[4] | (table[5] << 8));
    const uint16_t type = static_cast<uint16_t>(table[6] | (table[7] << 8));
    if (length < kWinCertificateHeader || length > size) {
        throw Damaged("the WIN_CERTIFICATE length " + std::to_string(length) + " does not fit the certificate table");
    }
    if (revision != kWinCertRevision2 || type != kWinCertTypePkcsSignedData) {
        throw Damaged("the certificate table holds no PKCS#7 signature (revision " + std::to_string(revision) +
                      ", type " + std::to_string(type) + ")");
    }
    CDerReader outer(table + kWinCertificateHeader, length - kWinCertificateHeader);
    if (!outer.Next(der::kSequence, &content.pkcs7)) throw Damaged(kNotPkcs7);
    // Signers pad the table to a multiple of 8 bytes with zeros; anything
    // else there is covered by no digest and has no business being there.
    const uint8_t* end = content.pkcs7.start + content.pkcs7.size;
    for (const uint8_t* p = end; p < table + size; ++p) {
        if (*p != 0) {
            throw Damaged("the certificate table holds data after its signature (byte " + std::to_string(p - table) +
                          " of the table)");
        }
    }

    DerElement type7, signedData;
    if (!ReadContentInfo(content.pkcs7, &type7, &signedData) || !IsOid(type7, kOidSignedData) ||
        signedData.tag != der::kSequence) {
        throw Damaged(kNotPkcs7);
    }
    // SignedData { version, digestAlgorithms, contentInfo, [0] certificates, [1] crls, signerInfos }
    CDerReader reader(signedData);
    DerElement version, algorithms, contentInfo, contentType;
    if (!reader.Next(der::kInteger, &version) || !reader.Next(der::kSet, &algorithms) ||
        !reader.Next(der::kSequence, &contentInfo) ||
        !ReadContentInfo(contentInfo, &contentType, &content.indirectData)) {
        throw Damaged(kNotPkcs7);
    }
    if (!IsOid(contentType, kOidIndirectData)) {
        throw Damaged("the signature's content is not Authenticode's SpcIndirectDataContent (it is " +
                      DottedOid(contentType.contents, contentType.contentsSize) + ")");
    }
    ReadIndirectData(&content);
    return content;
}

}  // namespace sfxpack
