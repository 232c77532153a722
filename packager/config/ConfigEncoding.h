#pragma once
// Why a configuration file's bytes are not the UTF-8 text the stub reads:
// UTF-16 (the default of some Windows editors) is named as such, with or
// without its byte-order mark, since its ASCII text is valid UTF-8 with NULs.
#include <optional>
#include <string>

namespace sfxpack {

// Nothing when `bytes` is UTF-8 text without NUL; else the reason, as in
// "is UTF-16 little-endian without a byte-order mark".
std::optional<std::string> DescribeConfigEncoding(const std::string& bytes);

}  // namespace sfxpack
