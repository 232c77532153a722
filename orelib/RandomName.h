#pragma once
// Random names from an alphabet, drawn from a caller-supplied byte source
// without modulo bias.
#include <cstddef>
#include <functional>
#include <string>

namespace orelib {

// Fills `buffer` with `size` random bytes; false when no randomness can be had.
using RandomBytesSource = std::function<bool(unsigned char* buffer, size_t size)>;

// `prefix` followed by `count` characters, each drawn independently and
// uniformly from `alphabet` (1 to 256 characters). A byte that falls into the
// incomplete last round of the alphabet (256 is no multiple of 36) is thrown
// away rather than folded back, so every character is equally likely.
// Empty when the source fails or the alphabet is unusable.
std::wstring MakeRandomName(const std::wstring& prefix, const std::wstring& alphabet, size_t count,
                            const RandomBytesSource& source);

}  // namespace orelib
