// The library's random generator, defined by the packager instead of by the
// library's RandGen.cpp (not built): system random bytes, or inside a
// CArchiveIvScope a stream derived from the scope's seed.
#include "CPP/7zip/Crypto/RandGen.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <sys/random.h>
#endif

#include "packager/library/PackerRandom.h"

namespace {

std::mutex g_lock;
bool g_seeded = false;
std::array<uint8_t, 16> g_seed;
uint64_t g_counter = 0;

void SystemRandom(Byte* data, size_t size) {
#ifdef _WIN32
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, data, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
        throw std::runtime_error("the system's random source failed");
    }
#else
    while (size > 0) {
        const ssize_t got = getrandom(data, size, 0);
        if (got < 0) throw std::runtime_error("the system's random source failed");
        data += got;
        size -= static_cast<size_t>(got);
    }
#endif
}

}  // namespace

MY_ALIGN(16) CRandomGenerator g_RandomGenerator;

void CRandomGenerator::Init() { _needInit = false; }

void CRandomGenerator::Generate(Byte* data, unsigned size) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_seeded) {
        SystemRandom(data, size);
        return;
    }
    while (size > 0) {
        CSha256 hash;
        Sha256_Init(&hash);
        Sha256_Update(&hash, g_seed.data(), g_seed.size());
        Byte counter[8];
        for (int i = 0; i < 8; ++i) counter[i] = static_cast<Byte>(g_counter >> (8 * i));
        ++g_counter;
        Sha256_Update(&hash, counter, sizeof counter);
        std::array<Byte, SHA256_DIGEST_SIZE> block;
        Sha256_Final(&hash, block.data());
        const unsigned take = size < block.size() ? size : static_cast<unsigned>(block.size());
        std::copy(block.begin(), block.begin() + take, data);
        data += take;
        size -= take;
    }
}

namespace sfxpack {

CArchiveIvScope::CArchiveIvScope(const std::array<uint8_t, 16>& seed) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_seed = seed;
    g_counter = 0;
    g_seeded = true;
}

CArchiveIvScope::~CArchiveIvScope() {
    std::lock_guard<std::mutex> hold(g_lock);
    g_seeded = false;
}

}  // namespace sfxpack
