#include "orelib/SetupLayout.h"

#include "orelib/ConfigBlock.h"
#include "orelib/PeImage.h"

namespace orelib {

uint64_t BlockMarkerLimit(uint64_t size) {
    const uint64_t window = size < kBlockScanWindow ? size : kBlockScanWindow;
    return window <= kBlockTailReserve ? 0 : window - kBlockTailReserve;
}

LayoutProblem CheckLayoutPositions(uint64_t stubSize, uint64_t blockSize, uint64_t archiveSize) {
    const uint64_t archiveOffset = stubSize + blockSize;
    if (archiveOffset >= kArchiveScanLimit) return LayoutProblem::ArchiveTooFar;
    // The end marker is the block's last part; the start marker lies before it.
    const uint64_t endMarker = archiveOffset - kConfigEndMarkerSize;
    if (endMarker >= BlockMarkerLimit(archiveOffset + archiveSize)) return LayoutProblem::BlockOutsideWindow;
    return LayoutProblem::None;
}

bool FindSizeResource(const uint8_t* data, size_t size, size_t* offset, uint32_t* length) {
    return PeImage(data, size).FindNamedResource(kStubResourceType, kSizeResourceName, offset, length);
}

SetupSize CheckSetupFileSize(const uint8_t* head, size_t headSize, const SizeResourceReader& readResource,
                             uint64_t actualSize) {
    SetupSize result;
    const PeImage headers(head, headSize < kHeaderWindow ? headSize : kHeaderWindow);
    switch (headers.CheckHeaders()) {
    case PeHeaderCheck::NotMz:
        result.problem = SizeProblem::NotExe;
        return result;
    case PeHeaderCheck::BadPeSignature:
        result.problem = SizeProblem::BadPeSignature;
        return result;
    case PeHeaderCheck::Ok:
        break;
    }
    PeCertificateEntry certificate;
    // Headers cut off by the window cannot be told from a broken signature.
    if (!headers.GetCertificateEntry(&certificate)) {
        result.problem = SizeProblem::BadPeSignature;
        return result;
    }
    if (certificate.offset != 0) {
        // A signing tool appends the table last: its end is the file's end.
        result.source = SizeSource::Certificate;
        result.expected = static_cast<uint32_t>(certificate.offset + certificate.size);
    } else {
        std::vector<uint8_t> bytes;
        if (!readResource(&bytes) || bytes.size() != kSizeResourceLength) {
            result.problem = SizeProblem::NoSizeResource;
            return result;
        }
        for (size_t i = kSizeResourceLength; i-- > 0;) result.expected = (result.expected << 8) | bytes[i];
    }
    result.hasExpected = true;
    if (result.expected != actualSize) result.problem = SizeProblem::SizeMismatch;
    return result;
}

SetupSize CheckSetupFileSize(const uint8_t* head, size_t headSize, uint64_t actualSize) {
    const auto fromHead = [head, headSize](std::vector<uint8_t>* bytes) {
        size_t offset = 0;
        uint32_t length = 0;
        if (!FindSizeResource(head, headSize, &offset, &length)) return false;
        bytes->assign(head + offset, head + offset + length);
        return true;
    };
    return CheckSetupFileSize(head, headSize, fromHead, actualSize);
}

bool DecodePayloadDigest(const uint8_t* bytes, size_t length, PayloadDigest* digest) {
    if (length != kDigestResourceLength) return false;
    PayloadDigest read;
    for (size_t i = 8; i-- > 0;) {
        read.offset = (read.offset << 8) | bytes[i];
        read.size = (read.size << 8) | bytes[8 + i];
    }
    for (size_t i = 0; i < read.sha256.size(); ++i) read.sha256[i] = bytes[16 + i];
    if (!read.IsSet() || read.offset + read.size < read.offset) return false;
    *digest = read;
    return true;
}

void EncodePayloadDigest(const PayloadDigest& digest, uint8_t* bytes) {
    for (size_t i = 0; i < 8; ++i) {
        bytes[i] = static_cast<uint8_t>(digest.offset >> (8 * i));
        bytes[8 + i] = static_cast<uint8_t>(digest.size >> (8 * i));
    }
    for (size_t i = 0; i < digest.sha256.size(); ++i) bytes[16 + i] = digest.sha256[i];
}

const char* FixedSizeProblemText(SizeProblem problem) {
    switch (problem) {
    case SizeProblem::NotExe:
        return "File does not have EXE format.";
    case SizeProblem::BadPeSignature:
        return "Invalid PE signature.";
    case SizeProblem::NoSizeResource:
        return "Resource _KTV_VERIFY is not found.";
    case SizeProblem::None:
    case SizeProblem::SizeMismatch:
        break;
    }
    return nullptr;
}

}  // namespace orelib
