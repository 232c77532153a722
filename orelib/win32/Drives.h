#pragma once
// Local drives and their free space.
#include <cstdint>
#include <string>

namespace orelib {

// The local drive (not removable, network or optical) with the most free
// bytes available to the caller, first listed on a tie. Both outputs are
// optional and are reset on entry. False when no drive has any free space.
bool FindDriveWithMostFreeSpace(std::wstring* root, uint64_t* freeBytes);

}  // namespace orelib
