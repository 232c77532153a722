#include "orelib/Aes.h"

#include <cstring>

#include "C/Aes.h"

namespace orelib {

namespace {

constexpr uint32_t kBlock = AES_BLOCK_SIZE;

// The archive library's AES, which every program of ours links anyway (the
// stub for encrypted archives, the packager for writing them). Its tables
// are made once, before the first key; making them again is harmless.
void PrepareTables() {
    static const bool made = (AesGenTables(), true);
    (void)made;
}

// IV, key mode and round keys, as the library's CBC functions take them.
struct CCbcState {
    alignas(16) UInt32 words[AES_NUM_IVMRK_WORDS];
};

}  // namespace

void DecryptAes128Cbc(std::vector<uint8_t>* out, const uint8_t* data, uint32_t size, const uint8_t* key,
                      uint32_t keySize) {
    out->clear();
    if (!key || keySize != kBlock || !data || size <= kBlock) return;
    const uint32_t cipherSize = size - kBlock;
    if (cipherSize % kBlock != 0) return;

    PrepareTables();
    CCbcState state;
    Aes_SetKey_Dec(state.words + 4, key, kBlock);
    AesCbc_Init(state.words, data);
    out->assign(data + kBlock, data + size);
    AesCbc_Decode(state.words, out->data(), cipherSize / kBlock);

    // The padding is not checked: its last byte says how much to drop, at most one block.
    const uint32_t pad = out->back() < kBlock ? out->back() : kBlock;
    out->resize(cipherSize - pad);
}

std::vector<uint8_t> EncryptAes128Cbc(const uint8_t* plain, size_t size, const uint8_t key[16], const uint8_t iv[16]) {
    const size_t pad = kBlock - size % kBlock;  // 1..16, never 0, so decryption drops exactly it
    std::vector<uint8_t> result(kBlock + size + pad);
    std::memcpy(result.data(), iv, kBlock);
    if (size) std::memcpy(result.data() + kBlock, plain, size);
    std::memset(result.data() + kBlock + size, static_cast<int>(pad), pad);

    PrepareTables();
    CCbcState state;
    Aes_SetKey_Enc(state.words + 4, key, kBlock);
    AesCbc_Init(state.words, iv);
    AesCbc_Encode(state.words, result.data() + kBlock, (size + pad) / kBlock);
    return result;
}

}  // namespace orelib
