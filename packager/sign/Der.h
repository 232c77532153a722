#pragma once
// A bounded reader of DER, the encoding of PKCS#7 and X.509, for the parts of
// a signature sfxpack reads itself. Only definite lengths are taken: every
// element lies inside its parent, so hostile input gives false, never a
// read outside the buffer.
#include <cstddef>
#include <cstdint>
#include <string>

namespace sfxpack {

namespace der {
constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kOctetString = 0x04;
constexpr uint8_t kOid = 0x06;
constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kSet = 0x31;
constexpr uint8_t kContext0 = 0xA0;  // [0], constructed
}  // namespace der

struct DerElement {
    uint8_t tag = 0;                 // the identifier octet (tag numbers up to 30)
    const uint8_t* start = nullptr;  // the whole encoding: identifier, length, contents
    size_t size = 0;
    const uint8_t* contents = nullptr;
    size_t contentsSize = 0;
};

class CDerReader {
public:
    CDerReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    // Reads the contents of a constructed element.
    explicit CDerReader(const DerElement& parent) : m_data(parent.contents), m_size(parent.contentsSize) {}

    bool AtEnd() const { return m_at == m_size; }
    // The next element; false, reading nothing, when it is malformed, runs
    // past the end, or (the first form) does not have the tag `tag`.
    bool Next(uint8_t tag, DerElement* element);
    bool Next(DerElement* element);

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// An object identifier's contents in dotted form ("1.2.840.113549"), for
// messages; "?" when they are not a well-formed identifier.
std::string DottedOid(const uint8_t* contents, size_t size);

}  // namespace sfxpack
