#include <gtest/gtest.h>

#include "orelib/DriveChoice.h"

using orelib::DriveSpace;
using orelib::PickDriveWithMostFreeSpace;
using orelib::SplitDriveStrings;

namespace {

DriveSpace Drive(const wchar_t* root, uint32_t type, uint64_t freeBytes, bool known = true) {
    DriveSpace drive;
    drive.root = root;
    drive.type = type;
    drive.spaceKnown = known;
    drive.freeBytes = freeBytes;
    return drive;
}

constexpr uint32_t kUnknown = 0, kNoRoot = 1, kRemovable = 2, kFixed = 3, kRemote = 4, kCdRom = 5, kRamDisk = 6;

}  // namespace

TEST(DriveChoice, MostFreeLocalDriveWins) {
    EXPECT_EQ(PickDriveWithMostFreeSpace(
                  {Drive(L"C:\\", kFixed, 10), Drive(L"D:\\", kFixed, 30), Drive(L"E:\\", kFixed, 20)}),
              1);
    // RAM disks, unknown and no-root types all count.
    EXPECT_EQ(PickDriveWithMostFreeSpace({Drive(L"C:\\", kFixed, 10), Drive(L"R:\\", kRamDisk, 11)}), 1);
    EXPECT_EQ(PickDriveWithMostFreeSpace({Drive(L"C:\\", kFixed, 10), Drive(L"U:\\", kUnknown, 12)}), 1);
    EXPECT_EQ(PickDriveWithMostFreeSpace({Drive(L"C:\\", kFixed, 10), Drive(L"N:\\", kNoRoot, 13)}), 1);
}

TEST(DriveChoice, TieGoesToTheFirstListed) {
    EXPECT_EQ(
        PickDriveWithMostFreeSpace({Drive(L"C:\\", kFixed, 5), Drive(L"D:\\", kFixed, 50), Drive(L"E:\\", kFixed, 50)}),
        1);
}

TEST(DriveChoice, RemovableNetworkAndOpticalNeverQualify) {
    const std::vector<DriveSpace> drives = {Drive(L"A:\\", kRemovable, 1000), Drive(L"C:\\", kFixed, 1),
                                            Drive(L"M:\\", kRemote, 1000), Drive(L"Z:\\", kCdRom, 1000)};
    EXPECT_EQ(PickDriveWithMostFreeSpace(drives), 1);
    EXPECT_EQ(PickDriveWithMostFreeSpace({Drive(L"M:\\", kRemote, 1000), Drive(L"A:\\", kRemovable, 9)}), -1);
}

TEST(DriveChoice, UnreadableOrFullDrivesGiveNoChoice) {
    EXPECT_EQ(PickDriveWithMostFreeSpace({}), -1);
    EXPECT_EQ(PickDriveWithMostFreeSpace({Drive(L"C:\\", kFixed, 0)}), -1);
    // A failed space query is skipped even if a stale value were present.
    EXPECT_EQ(PickDriveWithMostFreeSpace({Drive(L"C:\\", kFixed, 99, false), Drive(L"D:\\", kFixed, 1)}), 1);
    // Counts above 4 GiB compare as 64-bit values.
    EXPECT_EQ(
        PickDriveWithMostFreeSpace({Drive(L"C:\\", kFixed, 0x100000000ull), Drive(L"D:\\", kFixed, 0xFFFFFFFFull)}), 0);
}

TEST(DriveChoice, SplitsTheSystemsDriveList) {
    const wchar_t list[] = L"C:\\\0D:\\\0Z:\\\0";  // the literal adds the final NUL
    EXPECT_EQ(SplitDriveStrings(list, sizeof list / sizeof list[0]),
              (std::vector<std::wstring>{L"C:\\", L"D:\\", L"Z:\\"}));
    const wchar_t empty[4] = {};
    EXPECT_TRUE(SplitDriveStrings(empty, 4).empty());
    // A buffer filled to its end without the closing NUL ends the last root there.
    const wchar_t cut[] = {L'C', L':', L'\\', L'\0', L'D', L':'};
    EXPECT_EQ(SplitDriveStrings(cut, 6), (std::vector<std::wstring>{L"C:\\", L"D:"}));
}
