// File, folder and error-text helpers against the real (Wine) file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>

#include "orelib/win32/ErrorText.h"
#include "orelib/win32/DeleteOpenFolder.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/Handle.h"
#include "tests/unit/TempFolder.h"

using namespace orelib;

TEST(Files, HresultFromWin32) {
    EXPECT_EQ(HresultFromWin32(0), S_OK);
    EXPECT_EQ(static_cast<uint32_t>(HresultFromWin32(ERROR_FILE_NOT_FOUND)), 0x80070002u);
    EXPECT_EQ(static_cast<uint32_t>(HresultFromWin32(ERROR_SHARING_VIOLATION)), 0x80070020u);
    EXPECT_EQ(static_cast<uint32_t>(HresultFromWin32(0x12345)), 0x80072345u);      // low 16 bits
    EXPECT_EQ(static_cast<uint32_t>(HresultFromWin32(0x80004005u)), 0x80004005u);  // already one

    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(static_cast<uint32_t>(HresultFromLastError()), 0x80070005u);
    SetLastError(0);
    EXPECT_EQ(HresultFromLastError(), S_OK);
    EXPECT_EQ(FailureFromLastError(), E_FAIL);
}

TEST(Files, ModulePath) {
    const std::wstring self = GetModulePath(nullptr);
    ASSERT_GT(self.size(), 4u);
    EXPECT_EQ(_wcsicmp(self.c_str() + self.size() - 4, L".exe"), 0) << self.c_str();
    EXPECT_EQ(GetModulePath(GetModuleHandleW(L"kernel32.dll")).empty(), false);
}

TEST(Files, CurrentDirectoryShortAndLong) {
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    CTempFolder dir;
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
    EXPECT_EQ(_wcsicmp(GetCurrentDir().c_str(), dir.Path().c_str()), 0);

    // A current directory longer than 260 characters needs the one retry.
    std::wstring deep = dir.Path();
    while (deep.size() < 300) {
        deep += L"\\abcdefghijklmnopqrstuvwxyz0123456789";
        CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr);
    }
    if (SetCurrentDirectoryW((deep + L"\\").c_str())) {
        const std::wstring current = GetCurrentDir();
        EXPECT_GE(current.size(), 300u);
        EXPECT_EQ(_wcsnicmp(current.c_str(), deep.c_str(), deep.size()), 0);
    } else {
        ADD_FAILURE() << "cannot enter a long current directory, error " << GetLastError();
    }
    SetCurrentDirectoryW(saved);
}

TEST(Files, OpenFileWithRetryOpensAndReportsErrors) {
    CTempFolder dir;
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"a.txt", "abc"));
    CHandle file;
    EXPECT_EQ(OpenFileWithRetry(file.Receive(), (dir / L"a.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING),
              S_OK);
    EXPECT_TRUE(file.IsValid());

    CHandle missing;
    EXPECT_EQ(static_cast<uint32_t>(OpenFileWithRetry(missing.Receive(), (dir / L"none.txt").c_str(), GENERIC_READ,
                                                      FILE_SHARE_READ, OPEN_EXISTING)),
              0x80070002u);
    EXPECT_FALSE(missing.IsValid());
}

TEST(Files, OpenFileWithRetryWaitsOutASharingViolation) {
    CTempFolder dir;
    const std::wstring path = dir / L"locked.txt";
    ASSERT_TRUE(CTempFolder::WriteFile(path, "abc"));

    // Held without sharing for the whole retry period: the sharing violation comes back.
    HANDLE exclusive = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    CHandle file;
    EXPECT_EQ(static_cast<uint32_t>(
                  OpenFileWithRetry(file.Receive(), path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)),
              0x80070020u);

    // Released during the retries: a later attempt gets it.
    std::thread release([exclusive] {
        Sleep(400);
        CloseHandle(exclusive);
    });
    const HRESULT hr = OpenFileWithRetry(file.Receive(), path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    release.join();
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(file.IsValid());
}

namespace {
// dir\top.txt, dir\ro.txt (read-only), dir\sub\a.txt, dir\sub\deeper\b.txt (read-only)
void MakeTree(const CTempFolder& dir) {
    ASSERT_TRUE(CreateDirectoryW((dir / L"sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((dir / L"sub\\deeper").c_str(), nullptr));
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"top.txt", "1"));
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"ro.txt", "2"));
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"sub\\a.txt", "3"));
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"sub\\deeper\\b.txt", "4"));
    SetFileAttributesW((dir / L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((dir / L"sub\\deeper\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
}
}  // namespace

// The tree walk behind the working folder's removal, through a handle on
// the top folder.
orelib::CHandle OpenForDeletion(const std::wstring& folder) {
    return orelib::CHandle(CreateFileW(folder.c_str(), DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

TEST(DeleteOpenFolderTree, RemovesNestedTreeWithReadOnlyFilesAndTheFolderLast) {
    for (bool removeItself : {false, true}) {
        CTempFolder dir;
        MakeTree(dir);
        {
            const orelib::CHandle folder = OpenForDeletion(dir.Path());
            ASSERT_TRUE(folder.IsValid());
            EXPECT_TRUE(orelib::DeleteOpenFolderTree(folder.Get(), removeItself));
        }
        EXPECT_FALSE(CTempFolder::Exists(dir / L"sub"));
        EXPECT_FALSE(CTempFolder::Exists(dir / L"ro.txt"));
        EXPECT_EQ(CTempFolder::Exists(dir.Path()), !removeItself);
    }
}

TEST(DeleteOpenFolderTree, KeepsAFileHeldOpenAndItsFolders) {
    CTempFolder dir;
    MakeTree(dir);
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"sub\\deeper\\held.txt", "held"));
    HANDLE held = CreateFileW((dir / L"sub\\deeper\\held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        const orelib::CHandle folder = OpenForDeletion(dir.Path());
        EXPECT_FALSE(orelib::DeleteOpenFolderTree(folder.Get(), true));
    }
    CloseHandle(held);

    EXPECT_TRUE(CTempFolder::Exists(dir / L"sub\\deeper\\held.txt"));
    EXPECT_FALSE(CTempFolder::Exists(dir / L"sub\\deeper\\b.txt"));
    EXPECT_FALSE(CTempFolder::Exists(dir / L"sub\\a.txt"));
    EXPECT_FALSE(CTempFolder::Exists(dir / L"top.txt"));
    EXPECT_FALSE(CTempFolder::Exists(dir / L"ro.txt"));
}

// Deletes with POSIX semantics (Windows 10 1809 and later on NTFS): a probe
// file in `folder` tells.
bool DeletesPosix(const CTempFolder& folder) {
    const std::wstring probe = folder / L"posix-probe";
    if (!CTempFolder::WriteFile(probe, "x")) return false;
    const orelib::CHandle file(CreateFileW(probe.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD flags = 0x1 | 0x2;  // FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS
    const bool posix = SetFileInformationByHandle(file.Get(), static_cast<FILE_INFO_BY_HANDLE_CLASS>(21), &flags,
                                                  sizeof(flags)) != FALSE;
    if (!posix) DeleteFileW(probe.c_str());
    return posix;
}

// A scanner holds a file it saw written, sharing delete, as scanners do:
// let go within the retry, the folder goes everywhere; held throughout, it
// goes where the system deletes with POSIX semantics.
TEST(DeleteOpenFolderTree, AFileAScannerHoldsDoesNotKeepTheFolder) {
    struct Case {
        const char* what;
        DWORD holdMs;  // INFINITE: until after the delete
    };
    const Case cases[] = {{"held for 300 ms", 300}, {"held throughout", INFINITE}};
    for (const Case& c : cases) {
        CTempFolder parent;
        const std::wstring dir = parent / L"tree";
        ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
        ASSERT_TRUE(CTempFolder::WriteFile(dir + L"\\setup.exe", "MZ"));
        if (c.holdMs == INFINITE && !DeletesPosix(parent)) {
            std::printf("[ SKIPPED  ] %s: this system has no POSIX delete (Wine; Windows before 10 1809)\n", c.what);
            continue;
        }
        HANDLE held = CreateFileW((dir + L"\\setup.exe").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::thread scanner;
        if (c.holdMs != INFINITE) scanner = std::thread([held, &c] {
            Sleep(c.holdMs);
            CloseHandle(held);
        });
        {
            const orelib::CHandle folder = OpenForDeletion(dir);
            EXPECT_TRUE(orelib::DeleteOpenFolderTree(folder.Get(), true)) << c.what;
        }
        EXPECT_FALSE(CTempFolder::Exists(dir)) << c.what;
        if (scanner.joinable()) {
            scanner.join();
        } else {
            CloseHandle(held);
        }
    }
}

TEST(ErrorText, SystemTextAndCodeForm) {
    const std::wstring text = GetSystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.empty());
    EXPECT_FALSE(iswspace(text.back()));

    const std::wstring small = FormatErrorText(ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(small, GetSystemErrorText(ERROR_PATH_NOT_FOUND) + L" (3)");
    const std::wstring big = FormatErrorText(0x80070005u);
    EXPECT_EQ(big.substr(big.size() - 13), L" (0x80070005)");
    EXPECT_EQ(FormatErrorText(0xFFFF).substr(FormatErrorText(0xFFFF).size() - 8), L" (65535)");
    EXPECT_EQ(FormatErrorText(0x10000).substr(FormatErrorText(0x10000).size() - 10), L" (0x10000)");
    EXPECT_EQ(FormatErrorText(0xABCDEF01u).substr(FormatErrorText(0xABCDEF01u).size() - 13), L" (0xABCDEF01)");
    EXPECT_EQ(GetSystemErrorText(0x2000ABCD), L"");  // no such message
}
