#pragma once
// Strict UTF-8 to wide text, without the runtime's locale machinery.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orelib {

// Converts well-formed UTF-8; where wchar_t is 16 bits wide, code points
// above U+FFFF become surrogate pairs. Returns false (and leaves `out` empty)
// for overlong forms, encoded surrogates, values above U+10FFFF, stray
// continuation bytes and truncated sequences. A byte-order mark is kept.
bool Utf8ToWide(const uint8_t* data, size_t size, std::wstring* out);

}  // namespace orelib
