// The setup worker with real processes: the exit code, the messages to the
// dialog, the removal of the working folder, and a start that fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialog/SetupThread.h"
#include "dialog/SetupThread.h"
#include "extract/WindowMessages.h"
#include "orelib/win32/Process.h"
#include "tests/unit/OwnedFolder.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

namespace {

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A message-only window on the test thread that collects what the worker posts.
class CReceiver {
public:
    CReceiver() {
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~CReceiver() { DestroyWindow(m_window); }
    HWND Window() const { return m_window; }

    // Everything posted until WM_SFX_SETUP_FINISHED, or what came within the time-out.
    std::vector<Posted> CollectUntilFinished(DWORD timeoutMs = 60000) {
        std::vector<Posted> posted;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            MSG msg;
            while (PeekMessageW(&msg, m_window, WM_APP, WM_APP + 0x100, PM_REMOVE)) {
                posted.push_back({msg.message, msg.wParam, msg.lParam});
                if (msg.message == WM_SFX_SETUP_FINISHED) return posted;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE);
        }
        return posted;
    }

private:
    HWND m_window = nullptr;
};

// A run's own folder in `scratch` as extraction leaves it: a read-only file
// and a nested folder.
void FillWorkingFolder(const CTempFolder& scratch, orelib::CWorkingFolder& owned) {
    ASSERT_EQ(MakeOwnedFolder(owned, scratch / L"ktvsetupjob"), S_OK);
    const std::wstring folder = owned.Path();
    CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\sub\\deeper").c_str(), nullptr);
    ASSERT_TRUE(CTempFolder::WriteFile(folder + L"\\sub\\deeper\\data.bin", "data"));
    ASSERT_TRUE(CTempFolder::WriteFile(folder + L"\\locked.txt", "ro"));
    SetFileAttributesW((folder + L"\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
}

std::wstring Cmd() { return orelib::CombinePath(orelib::GetSystemDir(), L"cmd.exe"); }

// A hidden cmd.exe run with `commandLine`, reporting to `receiver`.
SetupJob CmdJob(const CReceiver& receiver, orelib::CWorkingFolder* workingFolder, const wchar_t* commandLine) {
    SetupJob job;
    job.notifyWindow = receiver.Window();
    job.workingFolder = workingFolder;
    job.setupFile = Cmd();
    job.commandLine = commandLine;
    job.showCommand = SW_HIDE;
    return job;
}

}  // namespace

TEST(SetupThread, ReportsTheExitCodeAfterStartedAndRemovesTheFolder) {
    CTempFolder scratch;
    orelib::CWorkingFolder owned;
    FillWorkingFolder(scratch, owned);
    const std::wstring folder = owned.Path();
    CReceiver receiver;
    CSetupThread thread;
    const SetupJob job = CmdJob(receiver, &owned, L"/c exit 3010");
    const DWORD start = GetTickCount();
    ASSERT_TRUE(thread.Start(job));

    const std::vector<Posted> posted = receiver.CollectUntilFinished();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, WM_SFX_SETUP_STARTED);
    EXPECT_EQ(posted[0].wParam, 0u);
    EXPECT_EQ(posted[0].lParam, 0);
    EXPECT_EQ(posted[1].message, WM_SFX_SETUP_FINISHED);
    EXPECT_EQ(posted[1].wParam, 3010u);
    EXPECT_EQ(posted[1].lParam, 1);
    // The pause before clean-up: a second at least.
    EXPECT_GE(GetTickCount() - start, 1000u);
    EXPECT_FALSE(CTempFolder::Exists(folder));
    EXPECT_FALSE(owned.IsHeld());
    EXPECT_EQ(thread.GetErrorFile(), L"");
    thread.WaitForEnd();
}

TEST(SetupThread, ExitCodesAboveTheSignedRangePassUnchanged) {
    CReceiver receiver;
    CSetupThread thread;
    const SetupJob job = CmdJob(receiver, nullptr, L"/c exit -2147023293");  // 0x80070643
    ASSERT_TRUE(thread.Start(job));
    const std::vector<Posted> posted = receiver.CollectUntilFinished();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().message, WM_SFX_SETUP_FINISHED);
    EXPECT_EQ(static_cast<uint32_t>(posted.back().wParam), 0x80070643u);
    EXPECT_EQ(posted.back().lParam, 1);
}

TEST(SetupThread, FailedStartReportsTheErrorAndTheFileAndStillCleansUp) {
    CTempFolder scratch;
    orelib::CWorkingFolder owned;
    FillWorkingFolder(scratch, owned);
    const std::wstring folder = owned.Path();
    CReceiver receiver;
    CSetupThread thread;
    SetupJob job;
    job.notifyWindow = receiver.Window();
    job.workingFolder = &owned;
    job.setupFile = folder + L"\\missing.exe";
    job.commandLine = L"/x";
    ASSERT_TRUE(thread.Start(job));

    const std::vector<Posted> posted = receiver.CollectUntilFinished();
    ASSERT_EQ(posted.size(), 1u) << "no STARTED message after a failed start";
    EXPECT_EQ(posted[0].message, WM_SFX_SETUP_FINISHED);
    EXPECT_EQ(posted[0].wParam, static_cast<WPARAM>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(posted[0].lParam, 0);
    thread.WaitForEnd();
    EXPECT_EQ(thread.GetErrorFile(), folder + L"\\missing.exe");
    EXPECT_FALSE(CTempFolder::Exists(folder));
    EXPECT_FALSE(owned.IsHeld());
}

TEST(SetupThread, OtherFileTypesStartThroughTheShell) {
    CTempFolder folder;
    ASSERT_TRUE(CTempFolder::WriteFile(folder / L"install.bat", "@exit /b 7\r\n"));
    CReceiver receiver;
    CSetupThread thread;
    SetupJob job;
    job.notifyWindow = receiver.Window();
    job.setupFile = folder / L"install.bat";
    job.showCommand = SW_HIDE;
    ASSERT_TRUE(thread.Start(job));
    const std::vector<Posted> posted = receiver.CollectUntilFinished();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().message, WM_SFX_SETUP_FINISHED);
    EXPECT_EQ(posted.back().wParam, 7u);
    EXPECT_EQ(posted.back().lParam, 1);
    // No working folder in the job: nothing is deleted.
    EXPECT_TRUE(CTempFolder::Exists(folder / L"install.bat"));
}

TEST(SetupThread, AStartedWorkerRefusesASecondStartAndCanRunAgainLater) {
    CTempFolder scratch;
    orelib::CWorkingFolder first, second;
    ASSERT_EQ(MakeOwnedFolder(first, scratch / L"ktvfirst"), S_OK);
    ASSERT_EQ(MakeOwnedFolder(second, scratch / L"ktvsecond"), S_OK);
    CReceiver receiver;
    CSetupThread thread;
    SetupJob job = CmdJob(receiver, &first, L"/c exit 5");
    ASSERT_TRUE(thread.Start(job));
    // The one-second pause keeps it running; its job stays as it was, so
    // the folder it removes is still the first one.
    SetupJob other = job;
    other.workingFolder = &second;
    other.commandLine = L"/c exit 9";
    EXPECT_FALSE(thread.Start(other));
    std::vector<Posted> posted = receiver.CollectUntilFinished();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().wParam, 5u);
    thread.WaitForEnd();
    EXPECT_FALSE(CTempFolder::Exists(scratch / L"ktvfirst"));
    EXPECT_TRUE(CTempFolder::Exists(scratch / L"ktvsecond"));
    job.workingFolder = nullptr;
    job.commandLine = L"/c exit 6";
    ASSERT_TRUE(thread.Start(job));
    posted = receiver.CollectUntilFinished();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().wParam, 6u);
}
