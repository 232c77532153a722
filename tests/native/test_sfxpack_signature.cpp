// verify's Authenticode check, the parts sfxpack does itself: which bytes the
// file's digest leaves out, and reading a certificate table that may be
// hostile. Real signatures, tampered with, run end to end (against
// osslsigncode) in test_sfxpack_signed.sh.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "packager/core/PackError.h"
#include "packager/sign/AuthenticodeContent.h"
#include "packager/sign/AuthenticodeDigest.h"
#include "packager/sign/SigningRules.h"
#include "tests/native/TestPe.h"

namespace {

using Bytes = std::vector<uint8_t>;
using sfxpack::DigestAlgorithm;

Bytes Digest(const Bytes& file, const sfxpack::SignedLayout& layout, DigestAlgorithm algorithm) {
    std::istringstream in(std::string(file.begin(), file.end()));
    return sfxpack::ComputeImageDigest(in, file.size(), layout, algorithm);
}

TEST(SfxpackSignature, FileDigestLeavesOutTheChecksumTheCertificateEntryAndTheTable) {
    Bytes file = testpe::BuildStub().bytes;
    const size_t table = file.size();
    file.resize(table + 24, 0x5A);
    testpe::Put32(file, testpe::kOptionalHeader + 96 + 8 * 4, static_cast<uint32_t>(table));
    testpe::Put32(file, testpe::kOptionalHeader + 96 + 8 * 4 + 4, 24);
    sfxpack::SignedLayout layout;
    ASSERT_TRUE(sfxpack::ReadSignedLayout(file.data(), file.size(), &layout));
    EXPECT_EQ(layout.checksumOffset, testpe::kOptionalHeader + 64);
    EXPECT_EQ(layout.certificateEntryOffset, testpe::kOptionalHeader + 128);

    const struct {
        const char* what;
        size_t offset;
        bool changesDigest;
    } cases[] = {
        {"checksum", testpe::kOptionalHeader + 66, false},
        {"certificate entry", testpe::kOptionalHeader + 133, false},
        {"certificate table", table + 17, false},
        {"MZ", 0, true},
        {"byte 600, in the resources", 600, true},
        {"the byte after the checksum", testpe::kOptionalHeader + 68, true},
        {"the byte after the certificate entry", testpe::kOptionalHeader + 136, true},
        {"the last byte before the table", table - 1, true},
    };
    for (const DigestAlgorithm algorithm :
         {DigestAlgorithm::Sha1, DigestAlgorithm::Sha256, DigestAlgorithm::Sha384, DigestAlgorithm::Sha512}) {
        const Bytes original = Digest(file, layout, algorithm);
        EXPECT_EQ(original.size(), sfxpack::DigestSize(algorithm));
        for (const auto& c : cases) {
            Bytes changed = file;
            changed[c.offset] ^= 0x01;
            EXPECT_EQ(Digest(changed, layout, algorithm) != original, c.changesDigest)
                << c.what << ", " << sfxpack::DigestAlgorithmName(algorithm);
        }
    }
}

// DER, built up from the inside.
Bytes Tlv(uint8_t tag, const Bytes& contents) {
    Bytes out{tag};
    if (contents.size() < 0x80) {
        out.push_back(static_cast<uint8_t>(contents.size()));
    } else {
        out.insert(out.end(),
                   {0x82, static_cast<uint8_t>(contents.size() >> 8), static_cast<uint8_t>(contents.size())});
    }
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const Bytes kSha256 = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01};
const Bytes kIndirectData = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x04};
const Bytes kData = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x01};

// A certificate table with one WIN_CERTIFICATE: a SignedData with no
// certificates and no signers (their check is CheckSignedData's), holding
// an SpcIndirectDataContent with a digest of `digestSize` bytes 0xAB.
Bytes Table(const Bytes& algorithm = kSha256, size_t digestSize = 32, const Bytes& contentType = kIndirectData) {
    const Bytes peImageData = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x0F};
    const Bytes signedDataOid = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
    const Bytes digestInfo =
        Tlv(0x30, Cat({Tlv(0x30, Cat({Tlv(0x06, algorithm), Tlv(0x05, {})})), Tlv(0x04, Bytes(digestSize, 0xAB))}));
    const Bytes indirect = Tlv(0x30, Cat({Tlv(0x30, Cat({Tlv(0x06, peImageData), Tlv(0x30, {})})), digestInfo}));
    const Bytes signedData =
        Tlv(0x30, Cat({Tlv(0x02, {1}), Tlv(0x31, {}), Tlv(0x30, Cat({Tlv(0x06, contentType), Tlv(0xA0, indirect)})),
                       Tlv(0x31, {})}));
    const Bytes der = Tlv(0x30, Cat({Tlv(0x06, signedDataOid), Tlv(0xA0, signedData)}));
    Bytes table(8, 0);
    testpe::Put32(table, 0, static_cast<uint32_t>(8 + der.size()));
    testpe::Put16(table, 4, 0x0200);
    testpe::Put16(table, 6, 0x0002);
    table.insert(table.end(), der.begin(), der.end());
    table.resize(table.size() + 8, 0);  // padding
    return table;
}

std::string Read(const Bytes& table, sfxpack::AuthenticodeContent* content) try {
    *content = sfxpack::ReadAuthenticodeContent(table.data(), table.size());
    return "";
} catch (const sfxpack::CPackError& e) {
    return e.Code() == sfxpack::DiagCode::SignatureDamaged ? e.what() : "not signature.damaged";
}

TEST(SfxpackSignature, CertificateTablesThatAreNoAuthenticodeSignatureAreNamed) {
    sfxpack::AuthenticodeContent content;
    ASSERT_EQ(Read(Table(), &content), "");
    EXPECT_EQ(content.algorithmName, "sha256");
    EXPECT_EQ(content.digest, Bytes(32, 0xAB));
    ASSERT_EQ(Read(Table({0x2A, 0x03}, 20), &content), "");  // 1.2.3: read, but not computed
    EXPECT_FALSE(content.algorithmKnown);
    EXPECT_EQ(content.algorithmName, "1.2.3");

    auto patched = [](size_t at, uint8_t value) {
        Bytes table = Table();
        table[at] = value;
        return table;
    };
    const struct {
        const char* what;
        Bytes table;
        const char* problem;
    } cases[] = {
        {"not PKCS#7", patched(6, 0x01), "no PKCS#7 signature"},
        {"a length past the table", patched(1, 0x10), "does not fit the certificate table"},
        {"an indefinite length", patched(9, 0x80), "no well-formed PKCS#7 SignedData"},
        {"a long tag number", patched(8, 0x3F), "no well-formed PKCS#7 SignedData"},
        {"a byte in the padding", patched(Table().size() - 3, 0x01), "data after its signature"},
        {"a short digest", Table(kSha256, 20), "sha256 digest is 20 bytes long"},
        {"other content", Table(kSha256, 32, kData), "not Authenticode's SpcIndirectDataContent"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(Read(c.table, &content).find(c.problem), std::string::npos)
            << c.what << ": " << Read(c.table, &content);
    }
    // Cut anywhere before the signature's end, with the WIN_CERTIFICATE
    // length cut to match: named, never read past.
    const Bytes whole = Table();
    for (size_t size = 0; size + 8 < whole.size(); ++size) {
        Bytes cut(whole.begin(), whole.begin() + size);
        if (size >= 4) testpe::Put32(cut, 0, static_cast<uint32_t>(size));
        EXPECT_NE(Read(cut, &content), "") << "cut to " << size << " bytes";
    }
}

}  // namespace
