#include "packager/sign/Der.h"

namespace sfxpack {

namespace {
// Lengths of up to four bytes: a signature is never near 4 GiB, and no sum
// below can wrap.
constexpr size_t kMaxLengthBytes = 4;
constexpr uint8_t kHighTagNumber = 0x1F;
}  // namespace

bool CDerReader::Next(DerElement* element) {
    const size_t left = m_size - m_at;
    if (left < 2) return false;
    const uint8_t* p = m_data + m_at;
    if ((p[0] & kHighTagNumber) == kHighTagNumber) return false;
    size_t header = 2, length = p[1];
    if (length & 0x80) {
        const size_t bytes = length & 0x7F;
        // 0x80 is BER's indefinite length, which DER does not allow.
        if (bytes == 0 || bytes > kMaxLengthBytes || left < 2 + bytes) return false;
        length = 0;
        for (size_t i = 0; i < bytes; ++i) length = (length << 8) | p[2 + i];
        header += bytes;
    }
    if (length > left - header) return false;
    element->tag = p[0];
    element->start = p;
    element->size = header + length;
    element->contents = p + header;
    element->contentsSize = length;
    m_at += header + length;
    return true;
}

bool CDerReader::Next(uint8_t tag, DerElement* element) {
    const size_t at = m_at;
    DerElement found;
    if (!Next(&found)) return false;
    if (found.tag != tag) {
        m_at = at;
        return false;
    }
    *element = found;
    return true;
}

std::string DottedOid(const uint8_t* contents, size_t size) {
    if (size == 0 || (contents[size - 1] & 0x80)) return "?";
    std::string text;
    uint64_t value = 0;
    bool first = true;
    for (size_t i = 0; i < size; ++i) {
        if (value > (UINT64_MAX >> 7)) return "?";
        value = (value << 7) | (contents[i] & 0x7F);
        if (contents[i] & 0x80) continue;
        if (first) {
            // The first number holds the first two arcs.
            const uint64_t top = value < 80 ? value / 40 : 2;
            text = std::to_string(top) + "." + std::to_string(value - 40 * top);
            first = false;
        } else {
            text += "." + std::to_string(value);
        }
        value = 0;
    }
    return text;
}

}  // namespace sfxpack
