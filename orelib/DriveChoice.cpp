#include "orelib/DriveChoice.h"

namespace orelib {

int PickDriveWithMostFreeSpace(const std::vector<DriveSpace>& drives) {
    int best = -1;
    uint64_t bestFree = 0;
    for (size_t i = 0; i < drives.size(); ++i) {
        const DriveSpace& drive = drives[i];
        if (!IsCandidateDriveType(drive.type) || !drive.spaceKnown) continue;
        if (drive.freeBytes > bestFree) {  // strictly more: the first listed wins a tie
            bestFree = drive.freeBytes;
            best = static_cast<int>(i);
        }
    }
    return best;
}

std::vector<std::wstring> SplitDriveStrings(const wchar_t* buffer, size_t length) {
    std::vector<std::wstring> roots;
    size_t at = 0;
    while (at < length && buffer[at] != L'\0') {
        size_t end = at;
        while (end < length && buffer[end] != L'\0') ++end;
        roots.emplace_back(buffer + at, end - at);
        at = end + 1;
    }
    return roots;
}

}  // namespace orelib
