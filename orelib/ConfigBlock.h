#pragma once
// The encrypted configuration block appended to the stub:
//   start marker (18 bytes) | IV (16) | ciphertext (16 * k) | end marker (15)
// It carries no length; it is found by scanning the start of the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orelib {

constexpr size_t kConfigStartMarkerSize = 18;
constexpr size_t kConfigEndMarkerSize = 15;

// The two marker texts. The program keeps them altered so that its own image
// never holds them; these are the real bytes.
void MakeConfigMarkers(uint8_t start[kConfigStartMarkerSize], uint8_t end[kConfigEndMarkerSize]);

// Finds the content between the first start marker and the first end marker
// that begins at least one byte after it; both must begin before
// BlockMarkerLimit(size) (orelib/SetupLayout.h).
bool FindConfigBlock(const uint8_t* data, size_t size, size_t* contentOffset, size_t* contentSize);

enum class ConfigBlockStatus {
    Ok,           // `text` holds the configuration (possibly empty)
    NotFound,     // no complete block in the window
    InvalidText,  // the block decrypts to bytes that are not UTF-8
};

// Finds the block in `data` (the start of the file) and decrypts it with the
// configuration key. `text` is cleared first.
ConfigBlockStatus DecodeConfigBlock(const uint8_t* data, size_t size, std::wstring* text);

// The whole block for UTF-8 `text`, encrypted with the configuration key.
std::vector<uint8_t> BuildConfigBlock(const std::string& text, const uint8_t iv[16]);

// The size of that block for a text of `textSize` bytes, whatever the IV:
// the markers, the IV and the text padded to the next whole AES block.
constexpr uint64_t ConfigBlockSize(uint64_t textSize) {
    return kConfigStartMarkerSize + 16 + (textSize / 16 + 1) * 16 + kConfigEndMarkerSize;
}

}  // namespace orelib
