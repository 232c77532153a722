#pragma once
// Human-readable sizes for messages: "0.1 KB", "1.5 MB", "3.50 GB".
#include <cstdint>
#include <string>
#include <vector>

namespace orelib {

// `units` names kilobytes, megabytes, gigabytes and terabytes in that order.
// An empty list means the English names; a shorter list is padded with empty
// names and a longer one cut to four. The number always has a "." decimal
// point, whatever the run-time locale.
std::wstring FormatByteSize(uint64_t bytes, const std::vector<std::wstring>& units);

}  // namespace orelib
