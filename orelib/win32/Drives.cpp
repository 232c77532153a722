#include "orelib/win32/Drives.h"

#include <windows.h>

#include <vector>

#include "orelib/DriveChoice.h"

namespace orelib {

namespace {

// "C:\<NUL>D:\<NUL>...<NUL>": 100 characters hold 24 drives; with more, the
// system reports the size it needs and we ask once more.
std::vector<std::wstring> GetDriveRoots() {
    std::vector<wchar_t> buffer(100, L'\0');
    DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length > buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length > buffer.size()) return {};
    }
    return SplitDriveStrings(buffer.data(), buffer.size());
}

}  // namespace

bool FindDriveWithMostFreeSpace(std::wstring* root, uint64_t* freeBytes) {
    if (root) root->clear();
    if (freeBytes) *freeBytes = 0;

    std::vector<DriveSpace> drives;
    for (const std::wstring& drive : GetDriveRoots()) {
        DriveSpace space;
        space.root = drive;
        space.type = GetDriveTypeW(drive.c_str());
        // Removable, network and optical drives are not even asked: a query
        // could spin up media or wait on a slow share.
        if (IsCandidateDriveType(space.type)) {
            ULARGE_INTEGER available{};
            space.spaceKnown = GetDiskFreeSpaceExW(drive.c_str(), &available, nullptr, nullptr) != FALSE;
            space.freeBytes = available.QuadPart;
        }
        drives.push_back(space);
    }

    const int best = PickDriveWithMostFreeSpace(drives);
    if (best < 0) return false;
    if (root) *root = drives[best].root;
    if (freeBytes) *freeBytes = drives[best].freeBytes;
    return true;
}

}  // namespace orelib
