// Fuzzes the bounded PE reader (headers, certificate entry and the fields a
// signature leaves out, resource lookup)
// and the size rule built on it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "orelib/PeImage.h"
#include "orelib/SetupLayout.h"

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
    uint64_t field = 0;
    if (image.GetChecksumFieldOffset(&field) && (field > size || size - field < 4)) __builtin_trap();
    if (image.GetCertificateEntryOffset(&field) && (field > size || size - field < 8)) __builtin_trap();
    size_t offset = 0;
    uint32_t length = 0;
    if (image.FindNamedResource(10, u"_KTV_VERIFY", &offset, &length)) {
        if (offset > size || length > size - offset) __builtin_trap();
    }
    return 0;
}
