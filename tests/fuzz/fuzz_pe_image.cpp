// Fuzzes the bounded PE reader (headers, certificate entry, resource lookup,
// header layout, section table, data directories) and the size rule built on it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "orelib/PeImage.h"
#include "orelib/SetupLayout.h"

namespace {

// What an accessor hands out as a place to read or patch lies inside the view.
void ExpectInside(size_t offset, size_t length, size_t size) {
    if (offset > size || length > size - offset) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const orelib::SetupSize rule = orelib::CheckSetupFileSize(data, size, size);
    const bool passes = rule.problem == orelib::SizeProblem::None;
    const bool valued = passes || rule.problem == orelib::SizeProblem::SizeMismatch;
    if (rule.hasExpected != valued || (passes && rule.expected != size)) {
        __builtin_trap();
    }

    orelib::PeImage image(data, size);
    if (image.CheckHeaders() != orelib::PeHeaderCheck::Ok) return 0;
    orelib::PeCertificateEntry cert;
    image.GetCertificateEntry(&cert);
    size_t offset = 0;
    uint32_t length = 0;
    if (image.FindNamedResource(10, u"_KTV_VERIFY", &offset, &length)) {
        ExpectInside(offset, length, size);
    }

    orelib::PeHeaderLayout headers;
    if (image.GetHeaderLayout(&headers)) {
        ExpectInside(headers.sectionCountField, 2, size);
        ExpectInside(headers.sizeOfInitializedDataField, 4, size);
        ExpectInside(headers.sizeOfImageField, 4, size);
        ExpectInside(headers.checksumField, 4, size);
        for (uint16_t i = 0; i < headers.sectionCount; ++i) {
            orelib::PeSectionHeader section;
            if (!image.GetSectionHeader(i, &section)) break;
            ExpectInside(section.headerOffset, orelib::kPeSectionHeaderSize, size);
        }
    }
    for (uint32_t i = 0; i <= 16; ++i) {
        orelib::PeDirectoryEntry entry;
        if (image.GetDirectoryEntry(i, &entry)) ExpectInside(entry.entryOffset, 8, size);
    }
    return 0;
}
