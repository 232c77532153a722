#include "packager/core/Sha256.h"

#include "C/7zCrc.h"

namespace sfxpack {

CSha256Digest::CSha256Digest() { Sha256_Init(&m_state); }

void CSha256Digest::Update(const uint8_t* data, size_t size) { Sha256_Update(&m_state, data, size); }

std::array<uint8_t, 32> CSha256Digest::Finish() {
    std::array<uint8_t, 32> digest;
    Sha256_Final(&m_state, digest.data());
    return digest;
}

CSha1Digest::CSha1Digest() { Sha1_Init(&m_state); }

void CSha1Digest::Update(const uint8_t* data, size_t size) { Sha1_Update(&m_state, data, size); }

std::array<uint8_t, 20> CSha1Digest::Finish() {
    std::array<uint8_t, 20> digest;
    Sha1_Final(&m_state, digest.data());
    return digest;
}

CSha512Digest::CSha512Digest(unsigned digestSize) : m_digestSize(digestSize) { Sha512_Init(&m_state, digestSize); }

void CSha512Digest::Update(const uint8_t* data, size_t size) { Sha512_Update(&m_state, data, size); }

std::array<uint8_t, 64> CSha512Digest::Finish() {
    std::array<uint8_t, 64> digest{};
    Sha512_Final(&m_state, digest.data(), m_digestSize);
    return digest;
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    // The library's table is made once, whichever of its users comes first.
    static const bool tableMade = (CrcGenerateTable(), true);
    (void)tableMade;
    return CrcCalc(data, size);
}

}  // namespace sfxpack
