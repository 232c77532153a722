// Holding the working folder in place: a held folder cannot be renamed away
// (and replaced) by another program of the user, the stub's own deletes let
// go of the lock first, and deleting any other folder leaves it held.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ExtractHarness.h"
#include "app/WorkingFolder.h"
#include "dialog/SetupThread.h"
#include "dialog/SfxMessages.h"
#include "orelib/Path.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/FolderLock.h"
#include "orelib/win32/Process.h"
#include "tests/unit/AppStateGuard.h"
#include "tests/unit/TempFolder.h"

using orelib::CFolderLock;
using orelib::WorkingFolderLock;

namespace {

// What another program of the same user would try: rename the folder away.
// Returns the system's error, 0 when the rename went through.
DWORD TryRename(const std::wstring& from, const std::wstring& to) {
    if (MoveFileW(from.c_str(), to.c_str())) return 0;
    return GetLastError();
}

bool RunsOnWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
    return text;
}

// Leaves the process-wide lock as it found it: free.
struct CWorkingLockReset {
    ~CWorkingLockReset() { WorkingFolderLock().Release(); }
};

}  // namespace

TEST(FolderLock, HeldFolderCannotBeRenamedOrRemovedUntilReleased) {
    CTempFolder scratch;
    const std::wstring folder = scratch / L"ktvheld0001";
    const std::wstring moved = scratch / L"moved";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));

    CFolderLock lock;
    ASSERT_EQ(lock.Acquire(folder), S_OK);
    EXPECT_TRUE(lock.IsHeld());
    EXPECT_EQ(lock.HeldPath(), folder);
    EXPECT_EQ(TryRename(folder, moved), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(RemoveDirectoryW(folder.c_str()));
    EXPECT_TRUE(CTempFolder::Exists(folder));
    EXPECT_FALSE(CTempFolder::Exists(moved));

    lock.Release();
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_EQ(lock.HeldPath(), L"");
    EXPECT_EQ(TryRename(folder, moved), 0u);
    EXPECT_TRUE(CTempFolder::Exists(moved));
}

TEST(FolderLock, HeldFolderStaysUsableForReadingAndWriting) {
    CTempFolder scratch;
    CFolderLock lock;
    ASSERT_EQ(lock.Acquire(scratch.Path()), S_OK);
    // Extraction writes files and folders into it, the setup program reads them.
    ASSERT_TRUE(CreateDirectoryW((scratch / L"sub").c_str(), nullptr));
    ASSERT_TRUE(CTempFolder::WriteFile(scratch / L"sub\\setup.ini", "data"));
    std::string bytes;
    EXPECT_TRUE(extracttest::ReadWholeFile(scratch / L"sub\\setup.ini", &bytes));
    EXPECT_EQ(bytes, "data");
    // A second reader of the folder, sharing as we do, is not kept out.
    orelib::CHandle other(CreateFileW(scratch.Path().c_str(), FILE_LIST_DIRECTORY,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    EXPECT_TRUE(other.IsValid());
    // A delete of files inside it is not ours to block.
    EXPECT_TRUE(orelib::DeleteFolderTree((scratch / L"sub").c_str(), orelib::kDeleteAll));
    EXPECT_TRUE(lock.IsHeld());
}

TEST(FolderLock, OurOwnDeleteSucceedsOnlyAfterRelease) {
    CTempFolder scratch;
    const std::wstring folder = scratch / L"ktvheld0002";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CTempFolder::WriteFile(folder + L"\\setup.exe", "x"));
    CFolderLock lock;
    ASSERT_EQ(lock.Acquire(folder), S_OK);
    // The files go, the folder itself is kept by the lock.
    EXPECT_FALSE(orelib::DeleteFolderTree(folder.c_str(), orelib::kDeleteAll));
    EXPECT_TRUE(CTempFolder::Exists(folder));
    EXPECT_TRUE(lock.ReleaseIfHeld(folder));
    EXPECT_TRUE(orelib::DeleteFolderTree(folder.c_str(), orelib::kDeleteAll));
    EXPECT_FALSE(CTempFolder::Exists(folder));
}

TEST(FolderLock, ReleaseIfHeldMatchesOnlyTheHeldFolder) {
    CTempFolder scratch;
    const std::wstring folder = scratch / L"ktvHeld0003";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    CFolderLock lock;
    ASSERT_EQ(lock.Acquire(folder), S_OK);

    EXPECT_FALSE(lock.ReleaseIfHeld(scratch.Path()));        // the parent
    EXPECT_FALSE(lock.ReleaseIfHeld(folder + L"x"));          // a longer name
    EXPECT_FALSE(lock.ReleaseIfHeld(folder + L"\\sub"));      // a folder inside
    EXPECT_FALSE(lock.ReleaseIfHeld(L""));
    EXPECT_TRUE(lock.IsHeld());

    // The same folder written in other letters or with a trailing backslash.
    EXPECT_TRUE(lock.ReleaseIfHeld(Upper(folder) + L"\\"));
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_FALSE(lock.ReleaseIfHeld(folder));  // nothing left to let go
}

TEST(FolderLock, AcquireLetsGoOfTheFolderHeldBefore) {
    CTempFolder scratch;
    const std::wstring first = scratch / L"first";
    const std::wstring second = scratch / L"second";
    ASSERT_TRUE(CreateDirectoryW(first.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(second.c_str(), nullptr));
    CFolderLock lock;
    ASSERT_EQ(lock.Acquire(first), S_OK);
    ASSERT_EQ(lock.Acquire(second), S_OK);
    EXPECT_EQ(lock.HeldPath(), second);
    EXPECT_EQ(TryRename(first, scratch / L"first.moved"), 0u);
    EXPECT_NE(TryRename(second, scratch / L"second.moved"), 0u);

    // A folder that is not there: an error, and nothing held any more.
    EXPECT_EQ(lock.Acquire(scratch / L"missing"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_EQ(TryRename(second, scratch / L"second.moved"), 0u);
}

TEST(FolderLock, FoldersAboveTheHeldOneCannotBeRenamed) {
    // Swapping a parent swaps the folder too: on Windows the open handle
    // below keeps every folder above it from being renamed.
    CTempFolder scratch;
    const std::wstring parent = scratch / L"parent";
    const std::wstring folder = parent + L"\\ktvheld0004";
    ASSERT_TRUE(CreateDirectoryW(parent.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    CFolderLock lock;
    ASSERT_EQ(lock.Acquire(folder), S_OK);
    // Wine checks sharing only on the object renamed itself, not on open
    // handles below it: there a parent moves away, and the folder with it.
    if (RunsOnWine()) GTEST_SKIP() << "Wine does not keep folders above an open one from being renamed";
    EXPECT_NE(TryRename(parent, scratch / L"parent.moved"), 0u);
    EXPECT_TRUE(CTempFolder::Exists(folder));
    lock.Release();
    EXPECT_EQ(TryRename(parent, scratch / L"parent.moved"), 0u);
}

// Start-up's folder, and the one made for the disk-full relocation, are held
// from the moment they exist; removing the unused one lets go first.
using LockedWorkingFolder = AppTest;

TEST_F(LockedWorkingFolder, CreatedFolderIsHeldUntilRemoved) {
    CWorkingLockReset reset;
    CTempFolder parent;
    std::wstring folder;
    ASSERT_EQ(CreateLockedWorkingFolder(parent.Path(), &folder), S_OK);
    EXPECT_EQ(WorkingFolderLock().HeldPath(), folder);
    EXPECT_NE(TryRename(folder, parent / L"swapped"), 0u);

    // Deleting some other folder does not drop it.
    CTempFolder other;
    RemoveUnusedWorkingFolder(other.Path());
    EXPECT_EQ(WorkingFolderLock().HeldPath(), folder);

    RemoveUnusedWorkingFolder(folder);
    EXPECT_FALSE(WorkingFolderLock().IsHeld());
    EXPECT_FALSE(CTempFolder::Exists(folder));
}

TEST_F(LockedWorkingFolder, CreationFailureHoldsNothing) {
    CWorkingLockReset reset;
    CTempFolder parent;
    std::wstring folder = L"unchanged";
    EXPECT_EQ(CreateLockedWorkingFolder(parent / L"missing", &folder), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(folder, L"unchanged");
    EXPECT_FALSE(WorkingFolderLock().IsHeld());
}

TEST_F(LockedWorkingFolder, StartUpHoldsTheTempFolderButNotTheExtractOnlyOne) {
    CWorkingLockReset reset;
    ASSERT_TRUE(theApp.PrepareWorkingFolder());
    const std::wstring folder = theApp.m_workingFolder;
    EXPECT_EQ(WorkingFolderLock().HeldPath(), folder);
    RemoveUnusedWorkingFolder(folder);
    EXPECT_FALSE(WorkingFolderLock().IsHeld());
    EXPECT_FALSE(CTempFolder::Exists(folder));

    // /x: the user's own folder, made (or not) by the extraction; never held.
    CTempFolder target;
    theApp.m_extractOnly = true;
    theApp.m_workingFolder = target.Path();
    ASSERT_TRUE(theApp.PrepareWorkingFolder());
    EXPECT_FALSE(WorkingFolderLock().IsHeld());
}

// The workers' clean-ups: the lock goes right before the folder is deleted.
TEST(WorkingFolderLockCleanUp, SetupWorkerHoldsTheFolderWhileTheProgramRuns) {
    CWorkingLockReset reset;
    CTempFolder folder;
    ASSERT_TRUE(CTempFolder::WriteFile(folder / L"setup.cmd", "x"));
    ASSERT_EQ(WorkingFolderLock().Acquire(folder.Path()), S_OK);

    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CSetupThread thread;
    SetupJob job;
    job.notifyWindow = window;
    job.workingFolder = folder.Path();
    job.setupFile = orelib::CombinePath(orelib::GetSystemDir(), L"cmd.exe");
    // Long enough to look at the folder while the program runs.
    job.commandLine = L"/c ping -n 3 127.0.0.1 >nul";
    job.showCommand = SW_HIDE;
    ASSERT_TRUE(thread.Start(job));

    bool started = false;
    bool heldWhileRunning = false;
    bool finished = false;
    const DWORD start = GetTickCount();
    while (!finished && GetTickCount() - start < 60000) {
        MSG msg;
        while (PeekMessageW(&msg, window, WM_APP, WM_APP + 0x100, PM_REMOVE)) {
            if (msg.message == WM_SFX_SETUP_STARTED) {
                started = true;
                heldWhileRunning = WorkingFolderLock().IsHeld() &&
                                   TryRename(folder.Path(), folder.Path() + L".swapped") != 0;
            }
            if (msg.message == WM_SFX_SETUP_FINISHED) finished = true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE);
    }
    thread.WaitForEnd();
    DestroyWindow(window);
    EXPECT_TRUE(started);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(heldWhileRunning);
    EXPECT_FALSE(WorkingFolderLock().IsHeld());
    EXPECT_FALSE(CTempFolder::Exists(folder.Path()));
    EXPECT_FALSE(CTempFolder::Exists(folder.Path() + L".swapped"));
}

TEST(WorkingFolderLockCleanUp, FailedExtractionLetsGoAndDeletesTheHeldFolder) {
    CWorkingLockReset reset;
    CTempFolder scratch;
    const std::wstring target = scratch / L"ktvtarget01";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    ASSERT_EQ(WorkingFolderLock().Acquire(target), S_OK);

    extracttest::CDialogStandIn dialog;
    CExtractThread thread;
    extracttest::RunExtraction(thread, dialog, scratch / L"no such setup.exe", target, true);
    EXPECT_EQ(dialog.finalMessage, static_cast<UINT>(WM_SFX_EXTRACT_FAILED));
    EXPECT_FALSE(WorkingFolderLock().IsHeld());
    EXPECT_FALSE(CTempFolder::Exists(target));
}

TEST(WorkingFolderLockCleanUp, FailedExtractionKeepsTheLockOnAFolderMadeMeanwhile) {
    // The disk-full flow: while the worker waits on its error report, the
    // dialog makes and holds a new folder; the worker then deletes the old one.
    CWorkingLockReset reset;
    CTempFolder scratch;
    const std::wstring target = scratch / L"ktvtarget02";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    ASSERT_EQ(WorkingFolderLock().Acquire(target), S_OK);

    std::wstring relocated;
    extracttest::CDialogStandIn dialog;
    dialog.onMessage = [&](UINT message, LPARAM) {
        if (message == WM_SFX_EXTRACT_ERROR) EXPECT_EQ(CreateLockedWorkingFolder(scratch.Path(), &relocated), S_OK);
    };
    CExtractThread thread;
    extracttest::RunExtraction(thread, dialog, scratch / L"no such setup.exe", target, true);
    EXPECT_EQ(dialog.finalMessage, static_cast<UINT>(WM_SFX_EXTRACT_FAILED));
    EXPECT_FALSE(CTempFolder::Exists(target));
    ASSERT_FALSE(relocated.empty());
    EXPECT_EQ(WorkingFolderLock().HeldPath(), relocated);
    EXPECT_TRUE(CTempFolder::Exists(relocated));
    RemoveUnusedWorkingFolder(relocated);
    EXPECT_FALSE(CTempFolder::Exists(relocated));
}
