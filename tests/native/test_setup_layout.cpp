// The setup-file layout rules shared by the stub and the packager: the size
// rule over hand-built PE images, and the positions of block and archive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "orelib/ConfigBlock.h"
#include "orelib/SetupLayout.h"
#include "packager/core/LayoutRules.h"
#include "tests/native/TestPe.h"

namespace {

using Bytes = std::vector<uint8_t>;
using orelib::SizeProblem;
using orelib::SizeSource;

Bytes WithSize(Bytes image, size_t at, uint64_t value) {
    for (int i = 0; i < 8; ++i) image[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return image;
}

Bytes Signed(Bytes image, uint32_t offset, uint32_t size) {
    testpe::Put32(image, testpe::kPeOffset + 0x98, offset);
    testpe::Put32(image, testpe::kPeOffset + 0x9C, size);
    return image;
}

}  // namespace

TEST(SetupSizeRule, EachFaultClass) {
    const auto stub = testpe::BuildStub();
    const Bytes unsignedWhole = WithSize(stub.bytes, stub.data, stub.bytes.size());
    const uint64_t size = unsignedWhole.size();

    Bytes noPe(0x100, 0);
    noPe[0] = 'M';
    noPe[1] = 'Z';
    noPe[0x3C] = 0x80;
    Bytes farHeader = stub.bytes;  // a header offset far outside the file
    testpe::Put32(farHeader, 0x3C, 0x7FFFFFF0u);
    // Valid headers, but beyond the 1 MiB the stub maps to read them.
    Bytes beyondWindow(orelib::kHeaderWindow + 0x400, 0);
    beyondWindow[0] = 'M';
    beyondWindow[1] = 'Z';
    testpe::Put32(beyondWindow, 0x3C, orelib::kHeaderWindow + 0x10);
    std::memcpy(beyondWindow.data() + orelib::kHeaderWindow + 0x10, stub.bytes.data() + testpe::kPeOffset,
                0x200 - testpe::kPeOffset);
    // The signature is there, the certificate entry is cut off.
    const Bytes cutHeaders(stub.bytes.begin(), stub.bytes.begin() + testpe::kPeOffset + 0x98);
    const Bytes noResource = testpe::Build(10, u"OTHER", Bytes(8, 0)).bytes;
    const Bytes shortResource = testpe::Build(10, u"_KTV_VERIFY", Bytes(4, 0)).bytes;
    // 12 bytes whose first 8 hold the size: still no size resource.
    const testpe::Image longImage = testpe::Build(10, u"_KTV_VERIFY", Bytes(12, 0));
    const Bytes longResource = WithSize(longImage.bytes, longImage.data, longImage.bytes.size());
    const Bytes signedWhole = Signed(WithSize(stub.bytes, stub.data, 12345), 0x10000, 0x1234);

    constexpr SizeProblem kOk = SizeProblem::None, kNotExe = SizeProblem::NotExe, kBadPe = SizeProblem::BadPeSignature,
                          kNoResource = SizeProblem::NoSizeResource, kMismatch = SizeProblem::SizeMismatch;
    constexpr SizeSource kCert = SizeSource::Certificate, kRes = SizeSource::Resource;
    const uint64_t big = 0x0102030405060708ull;
    const Bytes wraps = Signed(stub.bytes, 0xFFFFFF00u, 0x200);
    struct Case {
        const char* what;
        Bytes head;
        uint64_t actual;
        SizeProblem problem;
        SizeSource source;  // and `expected`: checked when the rule got as far as a value
        uint64_t expected;
        bool readsResource;
    };
    const Case cases[] = {
        {"not MZ", Bytes(64, 0), 64, kNotExe, kRes, 0, false},
        {"no PE signature", noPe, 0x100, kBadPe, kRes, 0, false},
        {"header offset outside the file", farHeader, size, kBadPe, kRes, 0, false},
        {"headers beyond the header window", beyondWindow, beyondWindow.size(), kBadPe, kRes, 0, false},
        {"cut headers", cutHeaders, size, kBadPe, kRes, 0, false},
        {"no size resource", noResource, noResource.size(), kNoResource, kRes, 0, true},
        {"4-byte size resource", shortResource, shortResource.size(), kNoResource, kRes, 0, true},
        {"12-byte size resource", longResource, longResource.size(), kNoResource, kRes, 0, true},
        {"unsigned, whole", unsignedWhole, size, kOk, kRes, size, true},
        {"unsigned, one byte short", unsignedWhole, size - 1, kMismatch, kRes, size, true},
        {"unsigned, one byte added", unsignedWhole, size + 1, kMismatch, kRes, size, true},
        {"unsigned, all 64 bits", WithSize(stub.bytes, stub.data, big), big, kOk, kRes, big, true},
        {"signed, whole: the resource is not read", signedWhole, 0x11234, kOk, kCert, 0x11234, false},
        {"signed, bytes appended", signedWhole, 0x11235, kMismatch, kCert, 0x11234, false},
        {"signed, no size resource", Signed(noResource, 0x10000, 0x1234), 0x11234, kOk, kCert, 0x11234, false},
        {"signed, offset + size wraps in 32 bits", wraps, 0x100, kOk, kCert, 0x100, false},
        {"signed, no 33rd bit", wraps, 0x100000100ull, kMismatch, kCert, 0x100, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int reads = 0;
        const auto fromHead = [&](Bytes* bytes) {
            ++reads;
            size_t offset = 0;
            uint32_t length = 0;
            if (!orelib::FindSizeResource(c.head.data(), c.head.size(), &offset, &length)) return false;
            bytes->assign(c.head.begin() + offset, c.head.begin() + offset + length);
            return true;
        };
        const orelib::SetupSize rule = orelib::CheckSetupFileSize(c.head.data(), c.head.size(), fromHead, c.actual);
        EXPECT_EQ(rule.problem, c.problem);
        EXPECT_EQ(reads, c.readsResource ? 1 : 0);
        const bool valued = c.problem == SizeProblem::None || c.problem == SizeProblem::SizeMismatch;
        EXPECT_EQ(rule.hasExpected, valued);
        if (valued) {
            EXPECT_EQ(rule.source, c.source);
            EXPECT_EQ(rule.expected, c.expected);
        }
        // The stub's own texts for what stops the rule before a value.
        const char* text = orelib::FixedSizeProblemText(rule.problem);
        EXPECT_EQ(text != nullptr, !valued);

        // The packager's verify and inspect report the same verdict.
        const sfxpack::SizeCheck check = sfxpack::CheckSetupSize(c.head.data(), c.head.size(), c.actual);
        EXPECT_EQ(check.passes, c.problem == SizeProblem::None);
        EXPECT_EQ(check.hasExpected, valued);
        EXPECT_EQ(check.expected, rule.expected);
        EXPECT_EQ(check.fromCertificate, valued && c.source == SizeSource::Certificate);
        if (text) {
            EXPECT_EQ(check.problem, text);
        }
        if (c.problem == SizeProblem::SizeMismatch) {
            EXPECT_NE(check.problem.find(std::to_string(c.actual)), std::string::npos) << check.problem;
        }
    }
}

TEST(SetupLayoutPositions, ArchiveWithinFourMiBAndBlockInsideTheScannedWindow) {
    const uint8_t iv[16] = {};
    const Bytes block = orelib::BuildConfigBlock("[main]", iv);
    const uint64_t b = block.size();
    const uint64_t mib4 = orelib::kArchiveScanLimit;
    struct Case {
        uint64_t stub, archive;
        orelib::LayoutProblem problem;
    };
    const Case cases[] = {
        {300000, 1000, orelib::LayoutProblem::None},
        {mib4 - 1 - b, 50u * 1024 * 1024, orelib::LayoutProblem::None},
        {mib4 - b, 1000, orelib::LayoutProblem::ArchiveTooFar},
        {mib4 + 1000, 1000, orelib::LayoutProblem::ArchiveTooFar},
        // The end marker must begin 20 bytes before the end: 6 bytes after it.
        {1000, 6, orelib::LayoutProblem::None},
        {1000, 5, orelib::LayoutProblem::BlockOutsideWindow},
        {1000, 0, orelib::LayoutProblem::BlockOutsideWindow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.stub) + " + block + " + std::to_string(c.archive));
        EXPECT_EQ(orelib::CheckLayoutPositions(c.stub, b, c.archive), c.problem);
        const std::string text = sfxpack::CheckLayout(c.stub, b, c.archive).value_or("");
        EXPECT_EQ(text.empty(), c.problem == orelib::LayoutProblem::None) << text;
        if (c.problem == orelib::LayoutProblem::ArchiveTooFar) {
            EXPECT_NE(text.find("4 MiB"), std::string::npos) << text;
        }
        // Where the file is small enough to build, the stub's block scan agrees.
        if (c.stub + b + c.archive < 1024 * 1024) {
            Bytes file(c.stub, 0xCC);
            file.insert(file.end(), block.begin(), block.end());
            file.resize(file.size() + c.archive, 0xCC);
            size_t offset = 0, length = 0;
            EXPECT_EQ(orelib::FindConfigBlock(file.data(), file.size(), &offset, &length),
                      c.problem == orelib::LayoutProblem::None);
        }
    }
}

// The digest resource as the stub reads it: only a set, well-formed one
// counts; the stub refuses to run without one.
TEST(PayloadDigest, DecodesOnlyASetWellFormedResource) {
    orelib::PayloadDigest digest;
    digest.offset = 0x0102030405060708ull;
    digest.size = 0x1000;
    for (size_t i = 0; i < digest.sha256.size(); ++i) digest.sha256[i] = static_cast<uint8_t>(i * 7);
    Bytes good(orelib::kDigestResourceLength);
    orelib::EncodePayloadDigest(digest, good.data());
    EXPECT_EQ(good[0], 0x08);  // little-endian, as the resource is written
    EXPECT_EQ(good[9], 0x10);

    Bytes wrapping = good;  // offset + size past 2^64
    std::fill(wrapping.begin(), wrapping.begin() + 8, 0xFF);
    Bytes unset = good;  // as the stub is built
    std::fill(unset.begin() + 8, unset.begin() + 16, 0);
    const struct {
        const char* name;
        Bytes bytes;
        size_t length;
        bool decodes;
    } kCases[] = {
        {"as written", good, good.size(), true},
        {"shorter", good, good.size() - 1, false},
        {"longer", Bytes(good.size() + 1), good.size() + 1, false},
        {"size 0", unset, unset.size(), false},
        {"range wraps", wrapping, wrapping.size(), false},
    };
    for (const auto& c : kCases) {
        orelib::PayloadDigest read;
        EXPECT_EQ(orelib::DecodePayloadDigest(c.bytes.data(), c.length, &read), c.decodes) << c.name;
        if (!c.decodes) continue;
        EXPECT_EQ(read.offset, digest.offset);
        EXPECT_EQ(read.size, digest.size);
        EXPECT_EQ(read.sha256, digest.sha256);
    }
}
