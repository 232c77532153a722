// The self-extracting dialog's side of the setup launch: the job it hands to
// the setup worker, and the exit code and message it makes of the worker's
// report. The worker is replaced by a script on the UI thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog/SelfExtractingDlg.h"
#include "dialog/SetupThread.h"
#include "extract/WindowMessages.h"
#include "orelib/CommandLine.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/Process.h"
#include "resources/resource.h"
#include "tests/unit/RunFixture.h"
#include "tests/unit/DialogDriver.h"
#include "tests/unit/OwnedFolder.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

namespace {

using testdriver::CHelperThread;

// Every message box has the icon control; only a box with an icon fills it.
bool HasIcon(HWND box) {
    HWND icon = GetDlgItem(box, 0x440);
    return icon && IsWindowVisible(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0;
}

class CSetupScriptDlg : public CSelfExtractingDlg {
public:
    using CSelfExtractingDlg::CSelfExtractingDlg;

    // Plays the setup worker on the UI thread; by default a program that ends with 0.
    std::function<void(CSetupScriptDlg&)> m_onSetup = [](CSetupScriptDlg& d) {
        d.PostMessage(WM_SFX_SETUP_FINISHED, 0, 1);
    };
    bool m_startSucceeds = true;
    DWORD m_startError = 0;
    std::wstring m_errorFile = L"C:\\t\\setup.exe";

    std::vector<SetupJob> m_jobs;
    std::wstring m_statusAtStart;
    bool m_cancelEnabledAtStart = true;

protected:
    bool StartExtractionWorker(const ExtractParams&) override {
        PostMessage(WM_SFX_EXTRACT_DONE);  // extraction succeeded
        return true;
    }
    bool StartSetupWorker(const SetupJob& job) override {
        m_jobs.push_back(job);
        m_statusAtStart = GetDlgItemText(IDC_STATUS_TEXT);
        m_cancelEnabledAtStart = IsWindowEnabled(GetDlgItem(IDCANCEL)) != FALSE;
        if (!m_startSucceeds) {
            SetLastError(m_startError);
            return false;
        }
        m_onSetup(*this);
        return true;
    }
    std::wstring SetupErrorFile() const override { return m_errorFile; }
};

class SetupDialogTest : public RunTest {
protected:
    void Configure(const std::wstring& text) { m_settings.m_config.Parse(text); }

    // The own arguments of this test program follow whatever the configuration adds.
    static std::wstring WithOwnArguments(std::wstring parameters) {
        orelib::AppendRawArguments(parameters, orelib::GetOwnArguments());
        return parameters;
    }
};

std::wstring ReadMessageBox(HWND box) { return testdriver::ControlText(box, 0xFFFF); }

}  // namespace

TEST_F(SetupDialogTest, JobComesFromTheConfiguration) {
    CTempFolder folder;
    ASSERT_TRUE(CTempFolder::WriteFile(folder / L"setup.exe", "MZ"));
    m_settings.m_workingFolder = folder.Path();
    Configure(L"[main]\nSetupShow=0\nSetupParams=/qb \"a b\"\n");
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CSetupScriptDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                           m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    EXPECT_EQ(dialog.DoModal(), IDOK);

    ASSERT_EQ(dialog.m_jobs.size(), 1u);
    const SetupJob& job = dialog.m_jobs[0];
    EXPECT_NE(job.notifyWindow, nullptr);
    EXPECT_EQ(job.workingFolder, &m_ownedFolder);
    EXPECT_EQ(job.setupFile, folder / L"setup.exe");
    EXPECT_EQ(job.commandLine, WithOwnArguments(L"/qb \"a b\""));
    EXPECT_EQ(job.showCommand, 0);
    EXPECT_EQ(dialog.m_statusAtStart, L"Starting installation...");
    EXPECT_FALSE(dialog.m_cancelEnabledAtStart);
    EXPECT_EQ(dialog.m_exitCode, 0u);
}

TEST_F(SetupDialogTest, InstallerPackageUnderProductGoesToMsiexec) {
    CTempFolder folder;
    CreateDirectoryW((folder / L"product").c_str(), nullptr);
    ASSERT_TRUE(CTempFolder::WriteFile(folder / L"product\\Pkg.MSI", "msi"));
    m_settings.m_workingFolder = folder.Path();
    Configure(L"[main]\nSetupFileName=Pkg.MSI\nSetupParams=/qn\n");
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CSetupScriptDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                           m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.DoModal();

    ASSERT_EQ(dialog.m_jobs.size(), 1u);
    const SetupJob& job = dialog.m_jobs[0];
    EXPECT_EQ(job.setupFile, orelib::CombinePath(orelib::GetSystemDir(), L"msiexec.exe"));
    EXPECT_EQ(job.commandLine,
              WithOwnArguments(L"/i " + orelib::QuoteArgument(folder / L"product\\Pkg.MSI") + L" /qn"));
    EXPECT_EQ(job.showCommand, 1);
}

TEST_F(SetupDialogTest, AFolderWithTheSetupNameIsNoFile) {
    CTempFolder folder;
    CreateDirectoryW((folder / L"setup.exe").c_str(), nullptr);
    m_settings.m_workingFolder = folder.Path();
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CSetupScriptDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                           m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.DoModal();
    ASSERT_EQ(dialog.m_jobs.size(), 1u);
    EXPECT_EQ(dialog.m_jobs[0].setupFile, folder / L"product\\setup.exe");
    EXPECT_EQ(dialog.m_jobs[0].commandLine, WithOwnArguments(L""));
}

TEST_F(SetupDialogTest, InstallationLanguageSectionWins) {
    m_settings.m_workingFolder = L"C:\\nowhere\\ktv00000000";
    m_uiText.SetLanguage(L"de-DE", m_uiText.LangId());
    Configure(
        L"[main]\nSetupParams=/main\nSetupShow=3\n[LANG_de-DE]\nSetupParams=/de\nSetupShow=\n"
        L"SetupFileName=de.exe\n");
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CSetupScriptDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                           m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.DoModal();
    ASSERT_EQ(dialog.m_jobs.size(), 1u);
    EXPECT_EQ(dialog.m_jobs[0].setupFile, L"C:\\nowhere\\ktv00000000\\product\\de.exe");
    EXPECT_EQ(dialog.m_jobs[0].commandLine, WithOwnArguments(L"/de"));
    EXPECT_EQ(dialog.m_jobs[0].showCommand, 3);
}

TEST_F(SetupDialogTest, FinishedReportBecomesTheExitCode) {
    struct Case {
        WPARAM value;
        LPARAM ran;
        uint32_t exitCode;
    };
    const Case cases[] = {
        {0, 1, 0},
        {1, 1, 1},
        {3010, 1, 3010},
        {0xFFFFFFFF, 1, 0xFFFFFFFF},
        {1223, 1, 1223},             // a program that itself returned 1223
        {ERROR_CANCELLED, 0, 1602},  // the user declined the start
        {0, 0, 0},
        {ERROR_FILE_NOT_FOUND, 0, 0x20001005},  // quiet: no message, the code only
        {0x800401F5, 0, 0x20001005},
    };
    for (const Case& c : cases) {
        m_settings.m_progressPretty = false;
        m_settings.m_progressVisible = true;
        CSetupScriptDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                               m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
        dialog.m_onSetup = [&](CSetupScriptDlg& d) {
            d.PostMessage(WM_SFX_SETUP_STARTED);
            d.PostMessage(WM_SFX_SETUP_FINISHED, c.value, c.ran);
        };
        EXPECT_EQ(dialog.DoModal(), IDOK) << c.value;
        EXPECT_EQ(dialog.m_exitCode, c.exitCode) << c.value << " ran " << c.ran;
    }
}

TEST_F(SetupDialogTest, StartedHidesTheDialog) {
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CSetupScriptDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                           m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    bool visibleBefore = false, visibleAfter = true;
    dialog.m_onSetup = [&](CSetupScriptDlg& d) {
        visibleBefore = IsWindowVisible(d.m_hWnd) != FALSE;
        ::SendMessageW(d.m_hWnd, WM_SFX_SETUP_STARTED, 0, 0);
        visibleAfter = IsWindowVisible(d.m_hWnd) != FALSE;
        d.PostMessage(WM_SFX_SETUP_FINISHED, 42, 1);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(visibleBefore);
    EXPECT_FALSE(visibleAfter);
    EXPECT_EQ(dialog.m_exitCode, 42u);
}

TEST_F(SetupDialogTest, StartErrorShowsTheSystemTextAndTheFile) {
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CSetupScriptDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                           m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.m_errorFile = L"C:\\Work Files\\inst\\product\\missing.exe";
    dialog.m_onSetup = [](CSetupScriptDlg& d) { d.PostMessage(WM_SFX_SETUP_FINISHED, ERROR_FILE_NOT_FOUND, 0); };
    std::wstring text;
    bool icon = false;
    CHelperThread user([&] {
        HWND box = testdriver::WaitForDialog(testdriver::IsMessageBox());
        ASSERT_NE(box, nullptr);
        text = ReadMessageBox(box);
        icon = HasIcon(box);
        testdriver::Press(box, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    user.Join();
    EXPECT_EQ(text, orelib::FormatErrorText(ERROR_FILE_NOT_FOUND) + L"\n\nC:\\Work Files\\inst\\product\\missing.exe");
    EXPECT_NE(text.find(L" (2)\n\n"), std::wstring::npos);
    EXPECT_TRUE(icon);
    EXPECT_EQ(dialog.m_exitCode, 0x20001005u);
}

TEST_F(SetupDialogTest, NoWorkerThreadEndsTheRunInsteadOfWaiting) {
    CTempFolder scratch;
    const CTempFolder& folder = scratch;
    ASSERT_EQ(MakeOwnedFolder(m_ownedFolder, scratch / L"ktvnoworker"), S_OK);
    const std::wstring owned = m_ownedFolder.Path();
    ASSERT_TRUE(CTempFolder::WriteFile(owned + L"\\setup.exe", "MZ"));
    m_settings.m_workingFolder = owned;
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CSetupScriptDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                           m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.m_startSucceeds = false;
    dialog.m_startError = ERROR_NOT_ENOUGH_MEMORY;
    std::wstring text;
    CHelperThread user([&] {
        HWND box = testdriver::WaitForDialog(testdriver::IsMessageBox());
        ASSERT_NE(box, nullptr);
        text = ReadMessageBox(box);
        testdriver::Press(box, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    user.Join();
    EXPECT_EQ(dialog.m_exitCode, 0x20001005u);
    EXPECT_EQ(text, orelib::FormatErrorText(ERROR_NOT_ENOUGH_MEMORY) + L"\n\n" + owned + L"\\setup.exe");
    EXPECT_FALSE(CTempFolder::Exists(owned)) << "the working folder must not stay behind";
    EXPECT_TRUE(CTempFolder::Exists(folder.Path()));
}

TEST_F(SetupDialogTest, NamesThatLeaveTheWorkingFolderAreNeverStarted) {
    for (const wchar_t* name : {L"..\\x.exe", L"product\\..\\..\\x.exe", L"C:\\Windows\\x.exe", L"\\x.exe",
                                L"setup.exe:stream", L"sub\\...\\x.exe"}) {
        CTempFolder scratch;
        ASSERT_EQ(MakeOwnedFolder(m_ownedFolder, scratch / L"ktvoutside"), S_OK);
        const std::wstring owned = m_ownedFolder.Path();
        m_settings.m_workingFolder = owned;
        m_settings.m_quiet = true;  // no message box to answer
        Configure(std::wstring(L"[main]\nSetupFileName=") + name + L"\n");
        m_settings.m_progressPretty = false;
        m_settings.m_progressVisible = true;
        CSetupScriptDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                               m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_TRUE(dialog.m_jobs.empty()) << "started: " << testing::PrintToString(std::wstring(name));
        EXPECT_EQ(dialog.m_exitCode, 0x20001005u);
        EXPECT_FALSE(CTempFolder::Exists(owned)) << "the working folder must not stay behind";
    }
}
