#pragma once
// Between the packager's UTF-8 text and the wide text the stub's parser reads.
#include <string>

namespace sfxpack {

// Lossless for every code point; surrogate halves become U+FFFD.
std::string ToUtf8(const std::wstring& text);

// Strict UTF-8 (the stub's decoder); false for anything else.
bool FromUtf8(const std::string& text, std::wstring* out);

}  // namespace sfxpack
