#include "orelib/ConfigBlock.h"

#include <cstring>

#include "orelib/Aes.h"
#include "orelib/ConfigKey.h"
#include "orelib/DecryptToWide.h"
#include "orelib/SetupLayout.h"

namespace orelib {

namespace {

// Stored with a comma in place of the leading semicolon: the scan of our own
// file must not find these copies before the real block.
const char kStoredStartMarker[] = ",!@Install@!UTF-8!";
const char kStoredEndMarker[] = ",!@InstallEnd@!";
static_assert(sizeof kStoredStartMarker - 1 == kConfigStartMarkerSize, "start marker size");
static_assert(sizeof kStoredEndMarker - 1 == kConfigEndMarkerSize, "end marker size");

}  // namespace

void MakeConfigMarkers(uint8_t start[kConfigStartMarkerSize], uint8_t end[kConfigEndMarkerSize]) {
    std::memcpy(start, kStoredStartMarker, kConfigStartMarkerSize);
    std::memcpy(end, kStoredEndMarker, kConfigEndMarkerSize);
    start[0] = ';';
    end[0] = ';';
}

bool FindConfigBlock(const uint8_t* data, size_t size, size_t* contentOffset, size_t* contentSize) {
    *contentOffset = 0;
    *contentSize = 0;
    uint8_t startMarker[kConfigStartMarkerSize], endMarker[kConfigEndMarkerSize];
    MakeConfigMarkers(startMarker, endMarker);

    // At most 20 MiB, so it fits size_t everywhere.
    const size_t limit = static_cast<size_t>(BlockMarkerLimit(size));

    size_t p = 0;
    for (; p < limit; ++p) {
        if (std::memcmp(data + p, startMarker, kConfigStartMarkerSize) == 0) break;
    }
    if (p >= limit) return false;
    const size_t begin = p + kConfigStartMarkerSize;

    // The end marker is looked for from one byte after the content start on.
    for (p += kConfigStartMarkerSize + 1; p < limit; ++p) {
        if (std::memcmp(data + p, endMarker, kConfigEndMarkerSize) == 0) {
            *contentOffset = begin;
            *contentSize = p - begin;
            return true;
        }
    }
    return false;
}

ConfigBlockStatus DecodeConfigBlock(const uint8_t* data, size_t size, std::wstring* text) {
    text->clear();
    size_t offset = 0, length = 0;
    if (!FindConfigBlock(data, size, &offset, &length) || length == 0) {
        return ConfigBlockStatus::NotFound;
    }
    uint8_t key[16];
    GetConfigKey(key);
    // The window is at most 20 MiB, so the content length fits 32 bits.
    return DecryptToWide(text, data + offset, static_cast<uint32_t>(length), key, sizeof key)
               ? ConfigBlockStatus::Ok
               : ConfigBlockStatus::InvalidText;
}

std::vector<uint8_t> BuildConfigBlock(const std::string& text, const uint8_t iv[16]) {
    uint8_t startMarker[kConfigStartMarkerSize], endMarker[kConfigEndMarkerSize];
    MakeConfigMarkers(startMarker, endMarker);
    uint8_t key[16];
    GetConfigKey(key);

    const std::vector<uint8_t> sealed =
        EncryptAes128Cbc(reinterpret_cast<const uint8_t*>(text.data()), text.size(), key, iv);
    std::vector<uint8_t> block(startMarker, startMarker + kConfigStartMarkerSize);
    block.insert(block.end(), sealed.begin(), sealed.end());
    block.insert(block.end(), endMarker, endMarker + kConfigEndMarkerSize);
    return block;
}

}  // namespace orelib
