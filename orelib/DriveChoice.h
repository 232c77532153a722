#pragma once
// Which local drive to offer first when the user must pick a folder with more
// room. Pure logic over what the system reports per drive.
#include <cstdint>
#include <string>
#include <vector>

namespace orelib {

// GetDriveTypeW's values that never qualify: removable media, network shares
// and optical drives. Fixed disks, RAM disks and unknown types are examined.
enum : uint32_t {
    kDriveRemovable = 2,
    kDriveRemote = 4,
    kDriveCdRom = 5,
};

inline bool IsCandidateDriveType(uint32_t type) {
    return type != kDriveRemovable && type != kDriveRemote && type != kDriveCdRom;
}

struct DriveSpace {
    std::wstring root;        // "C:\"
    uint32_t type = 0;        // GetDriveTypeW
    bool spaceKnown = false;  // GetDiskFreeSpaceExW succeeded
    uint64_t freeBytes = 0;   // free bytes available to the caller
};

// The index of the qualifying drive with strictly the most free bytes (the
// earlier one on a tie), or -1 when no drive has any free bytes.
int PickDriveWithMostFreeSpace(const std::vector<DriveSpace>& drives);

// The roots in a GetLogicalDriveStringsW buffer: NUL-separated, ended by an
// empty string. Stops at `length` characters even without the final NUL.
std::vector<std::wstring> SplitDriveStrings(const wchar_t* buffer, size_t length);

}  // namespace orelib
