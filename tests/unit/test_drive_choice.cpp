// The drive choice again in the stub's own build under Wine, plus the real
// drive query over Wine's drive letters.
#include "tests/native/test_drive_choice.cpp"

#include <windows.h>

#include "orelib/win32/Drives.h"

TEST(FindDriveWithMostFreeSpace, NamesALocalDriveWithRoom) {
    std::wstring root = L"stale";
    uint64_t freeBytes = 12345;
    ASSERT_TRUE(orelib::FindDriveWithMostFreeSpace(&root, &freeBytes));
    ASSERT_EQ(root.size(), 3u);
    EXPECT_EQ(root.substr(1), L":\\");
    const UINT type = GetDriveTypeW(root.c_str());
    EXPECT_NE(type, static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_NE(type, static_cast<UINT>(DRIVE_REMOTE));
    EXPECT_NE(type, static_cast<UINT>(DRIVE_CDROM));
    EXPECT_GT(freeBytes, 0u);

    // No other listed local drive has more room (allowing for files written meanwhile).
    wchar_t list[512] = {};
    GetLogicalDriveStringsW(511, list);
    for (const std::wstring& other : orelib::SplitDriveStrings(list, 512)) {
        const UINT otherType = GetDriveTypeW(other.c_str());
        if (otherType == DRIVE_REMOVABLE || otherType == DRIVE_REMOTE || otherType == DRIVE_CDROM) continue;
        ULARGE_INTEGER available{};
        if (!GetDiskFreeSpaceExW(other.c_str(), &available, nullptr, nullptr)) continue;
        EXPECT_LE(available.QuadPart, freeBytes + (64ull << 20)) << "drive " << other.size();
    }
}

TEST(FindDriveWithMostFreeSpace, OutputsAreOptional) {
    EXPECT_TRUE(orelib::FindDriveWithMostFreeSpace(nullptr, nullptr));
    uint64_t freeBytes = 0;
    EXPECT_TRUE(orelib::FindDriveWithMostFreeSpace(nullptr, &freeBytes));
    EXPECT_GT(freeBytes, 0u);
    std::wstring root;
    EXPECT_TRUE(orelib::FindDriveWithMostFreeSpace(&root, nullptr));
    EXPECT_FALSE(root.empty());
}
