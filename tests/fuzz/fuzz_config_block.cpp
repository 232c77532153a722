// Fuzzes the configuration block reader: marker scan, decryption, UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

#include "orelib/ConfigBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    orelib::ConfigBlockStatus status = orelib::DecodeConfigBlock(data, size, &text);
    if (status != orelib::ConfigBlockStatus::Ok && !text.empty()) __builtin_trap();
    size_t offset = 0, length = 0;
    if (orelib::FindConfigBlock(data, size, &offset, &length)) {
        if (offset > size || length > size - offset) __builtin_trap();
    }
    return 0;
}
