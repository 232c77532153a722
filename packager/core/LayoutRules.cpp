#include "packager/core/LayoutRules.h"

#include <cstring>

#include "orelib/ConfigBlock.h"
#include "orelib/PeImage.h"
#include "packager/core/LittleEndian.h"
#include "packager/core/PackError.h"
#include "packager/core/Sha256.h"

namespace sfxpack {

namespace {

const uint8_t kSevenZipSignature[6] = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};
// The packager's messages name the limits in words.
static_assert(kArchiveScanLimit == 4u << 20 && kBlockScanWindow == 20u << 20, "messages say 4 and 20 MiB");

CPackError StubRefused(const std::string& why) { return CPackError(why, kExitFailure, DiagCode::StubRefused); }

}  // namespace

bool IsSevenZipHeaderAt(const uint8_t* data, size_t size, size_t offset) {
    if (offset > size || size - offset < kSevenZipHeaderSize) return false;
    const uint8_t* p = data + offset;
    return std::memcmp(p, kSevenZipSignature, sizeof kSevenZipSignature) == 0 && Crc32(p + 12, 20) == Load32(p + 8);
}

bool FindSevenZipHeader(const uint8_t* data, size_t size, uint64_t limit, size_t* offset) {
    const size_t end = size < limit ? size : static_cast<size_t>(limit);
    for (size_t p = 0; p < end; ++p) {
        if (data[p] == kSevenZipSignature[0] && IsSevenZipHeaderAt(data, size, p)) {
            *offset = p;
            return true;
        }
    }
    return false;
}

std::optional<std::string> CheckLayout(uint64_t stubSize, uint64_t blockSize, uint64_t archiveSize) {
    const uint64_t archiveOffset = stubSize + blockSize;
    switch (orelib::CheckLayoutPositions(stubSize, blockSize, archiveSize)) {
    case orelib::LayoutProblem::None:
        break;
    case orelib::LayoutProblem::ArchiveTooFar:
        return "the archive would start at offset " + std::to_string(archiveOffset) +
               ", but the stub looks for it only in the first 4 MiB (" + std::to_string(kArchiveScanLimit) +
               " bytes); the stub and configuration are too large";
    case orelib::LayoutProblem::BlockOutsideWindow:
        return "the configuration block would end at offset " + std::to_string(archiveOffset) +
               ", too close to the end of the file or beyond 20 MiB for the stub to find it";
    }
    return std::nullopt;
}

std::optional<std::string> CheckSetupSizeLimit(uint64_t size, bool signing) {
    const uint64_t limit = signing ? kMaxSetupSize - kSignatureReserve : kMaxSetupSize;
    if (size <= limit) return std::nullopt;
    const std::string bytes = std::to_string(size) + " bytes, more than 4 GiB";
    if (signing) {
        return "the setup file would be " + bytes +
               ": it cannot be signed, since Authenticode records where the signature starts in 32 bits";
    }
    return "the setup file would be " + bytes + ": the stub has never been tried on a file that large";
}

StubFields CheckStub(const std::vector<uint8_t>& stub) {
    StubFields fields;
    const orelib::PeImage image(stub.data(), stub.size());
    switch (image.CheckHeaders()) {
    case orelib::PeHeaderCheck::NotMz:
        throw StubRefused("not a Windows executable (no MZ header)");
    case orelib::PeHeaderCheck::BadPeSignature:
        throw StubRefused("not a Windows executable (no PE signature)");
    case orelib::PeHeaderCheck::Ok:
        break;
    }
    orelib::PeCertificateEntry cert;
    if (!image.GetCertificateEntry(&cert)) throw StubRefused("unreadable PE optional header");
    if (cert.offset != 0) {
        throw StubRefused("it is signed (it has a certificate table); sign the finished setup file instead");
    }
    uint32_t size = 0;
    if (!orelib::FindSizeResource(stub.data(), stub.size(), &fields.size, &size)) {
        throw StubRefused("it has no _KTV_VERIFY resource");
    }
    if (size != orelib::kSizeResourceLength) {
        throw StubRefused("its _KTV_VERIFY resource is " + std::to_string(size) + " bytes, not 8");
    }
    // Without it the stub could not tell its archive from another one put
    // behind the same stub.
    if (!image.FindNamedResource(orelib::kStubResourceType, orelib::kDigestResourceName, &fields.digest, &size)) {
        throw StubRefused("it has no _KTV_DIGEST resource (a stub older than this packager?)");
    }
    if (size != orelib::kDigestResourceLength) {
        throw StubRefused("its _KTV_DIGEST resource is " + std::to_string(size) + " bytes, not " +
                          std::to_string(orelib::kDigestResourceLength));
    }

    // A stub that already carries a block or an archive would make the stub
    // find those instead of ours.
    uint8_t start[orelib::kConfigStartMarkerSize], end[orelib::kConfigEndMarkerSize];
    orelib::MakeConfigMarkers(start, end);
    for (size_t p = 0; p + sizeof start <= stub.size(); ++p) {
        if (std::memcmp(stub.data() + p, start, sizeof start) == 0) {
            throw StubRefused("it already contains a configuration block (is it a finished setup file?)");
        }
    }
    size_t archive = 0;
    if (FindSevenZipHeader(stub.data(), stub.size(), kArchiveScanLimit, &archive)) {
        throw StubRefused("it already contains a 7z archive at offset " + std::to_string(archive));
    }
    return fields;
}

void PatchSize(std::vector<uint8_t>* stub, size_t offset, uint64_t totalSize) {
    for (uint32_t i = 0; i < orelib::kSizeResourceLength; ++i) {
        (*stub)[offset + i] = static_cast<uint8_t>(totalSize >> (8 * i));
    }
}

void PatchDigest(std::vector<uint8_t>* stub, size_t offset, const orelib::PayloadDigest& digest) {
    orelib::EncodePayloadDigest(digest, stub->data() + offset);
}

SizeCheck CheckSetupSize(const uint8_t* head, size_t headSize, uint64_t actualSize) {
    const orelib::SetupSize size = orelib::CheckSetupFileSize(head, headSize, actualSize);
    SizeCheck check;
    check.passes = size.problem == orelib::SizeProblem::None;
    check.fromCertificate = size.source == orelib::SizeSource::Certificate;
    check.hasExpected = size.hasExpected;
    check.expected = size.expected;
    if (const char* fixed = orelib::FixedSizeProblemText(size.problem)) {
        check.problem = fixed;
    } else if (!check.passes) {
        check.problem =
            "expected file size " + std::to_string(size.expected) + ", actual " + std::to_string(actualSize);
    }
    return check;
}

}  // namespace sfxpack
