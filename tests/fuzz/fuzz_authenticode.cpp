// Fuzzes the reading of a certificate table: the WIN_CERTIFICATE, the DER of
// the PKCS#7 SignedData and the SpcIndirectDataContent with its digest.
#include <cstddef>
#include <cstdint>

#include "packager/core/PackError.h"
#include "packager/sign/AuthenticodeContent.h"

namespace {
bool Inside(const sfxpack::DerElement& element, const uint8_t* data, size_t size) {
    return element.start >= data && element.size <= size - static_cast<size_t>(element.start - data);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) try {
    const sfxpack::AuthenticodeContent content = sfxpack::ReadAuthenticodeContent(data, size);
    if (!Inside(content.pkcs7, data, size) || !Inside(content.indirectData, data, size)) __builtin_trap();
    if (content.algorithmKnown && content.digest.size() != sfxpack::DigestSize(content.algorithm)) __builtin_trap();
    return 0;
} catch (const sfxpack::CPackError&) {
    return 0;  // refused, as hostile input should be
}
