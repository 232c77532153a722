// The self-extracting dialog in this process, with the extraction worker
// replaced by a script that plays the worker's messages on the UI thread,
// and a helper thread that answers the prompts and message boxes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog/SelfExtractingDlg.h"
#include "dialog/SetupThread.h"
#include "extract/WindowMessages.h"
#include "resources/resource.h"
#include "tests/unit/RunFixture.h"
#include "tests/unit/DialogDriver.h"
#include "tests/unit/OwnedFolder.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

namespace {

using testdriver::CHelperThread;

class CScriptedDlg : public CSelfExtractingDlg {
public:
    using CSelfExtractingDlg::CSelfExtractingDlg;
    using CSelfExtractingDlg::WorkingFolder;

    // Runs on the UI thread where the worker would start.
    std::function<void(CScriptedDlg&)> m_onStart;
    bool m_chooseNewLocation = false;
    bool m_startSucceeds = true;  // false: the worker thread cannot be started

    int m_starts = 0;
    int m_stops = 0;
    int m_waits = 0;
    int m_locationRequests = 0;
    int m_relocations = 0;
    uint64_t m_requiredBytes = 0;
    std::vector<ExtractParams> m_params;

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    bool CancelEnabled() const { return IsWindowEnabled(GetDlgItem(IDCANCEL)) != FALSE; }
    std::wstring Title() const { return GetWindowText(); }
    int Position() const { return static_cast<int>(::SendMessageW(GetDlgItem(IDC_PROGRESS), PBM_GETPOS, 0, 0)); }

protected:
    bool StartExtractionWorker(const ExtractParams& params) override {
        ++m_starts;
        m_params.push_back(params);
        if (!m_startSucceeds) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        if (m_onStart) {
            auto script = m_onStart;
            if (m_starts == 1) script(*this);
        }
        return true;
    }
    void RequestExtractionStop() override { ++m_stops; }
    void WaitForExtractionEnd() override { ++m_waits; }
    // A setup program that ends at once with exit code 0.
    bool StartSetupWorker(const SetupJob& job) override {
        ::PostMessageW(job.notifyWindow, WM_SFX_SETUP_FINISHED, 0, 1);
        return true;
    }
    bool ChooseDestinationLocation(uint64_t requiredBytes) override {
        ++m_locationRequests;
        m_requiredBytes = requiredBytes;
        return m_chooseNewLocation;
    }
    bool RelocateWorkingFolder() override {
        ++m_relocations;
        return true;
    }
};

// The user's side of the password prompt: types `text` once the prompt
// appears and presses `button`.
void TypeIntoPasswordPrompt(const wchar_t* text, int button) {
    HWND prompt = testdriver::WaitForDialog(testdriver::HasControl(IDC_PASSWORD));
    ASSERT_NE(prompt, nullptr);
    SetDlgItemTextW(prompt, IDC_PASSWORD, text);
    testdriver::Press(prompt, button);
}

class SelfExtractingDlgTest : public RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        m_settings.m_workingFolder = L"C:\\work\\folder";
    }
};

TEST_F(SelfExtractingDlgTest, HiddenDialogStartsAtOnceWithTheRunsParameters) {
    ASSERT_EQ(m_ownFile.OpenRunningImage(), S_OK);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                        m_settings.m_extractOnly ? nullptr : &m_ownedFolder);  // quiet mode keeps it hidden
    bool visible = true;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        visible = IsWindowVisible(d.m_hWnd) != FALSE;
        d.PostMessage(WM_SFX_EXTRACT_DONE);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(visible);
    ASSERT_EQ(dialog.m_starts, 1);
    const ExtractParams& params = dialog.m_params[0];
    EXPECT_NE(params.notifyWindow, nullptr);
    EXPECT_EQ(params.targetFolder, L"C:\\work\\folder");
    EXPECT_EQ(params.ownedFolder, &m_ownedFolder);
    // The archive is read through the handle held on the own file.
    EXPECT_EQ(params.archivePath, m_ownFile.Path());
    EXPECT_EQ(params.archiveFile, m_ownFile.Get());
    EXPECT_EQ(dialog.m_exitCode, 0u);
}

TEST_F(SelfExtractingDlgTest, ExtractOnlyKeepsFilesOnFailure) {
    m_settings.m_extractOnly = true;
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.m_onStart = [](CScriptedDlg& d) { d.PostMessage(WM_SFX_EXTRACT_DONE); };
    EXPECT_EQ(dialog.DoModal(), IDOK);  // the message box reads 0 in quiet mode
    ASSERT_EQ(dialog.m_starts, 1);
    EXPECT_EQ(dialog.m_params[0].ownedFolder, nullptr);
    EXPECT_EQ(dialog.m_exitCode, 0u);
}

TEST_F(SelfExtractingDlgTest, VisibleDialogStartsWhenShownAndOnlyOnce) {
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    bool visible = false;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        visible = IsWindowVisible(d.m_hWnd) != FALSE;
        // Hidden and shown again: no second start.
        ShowWindow(d.m_hWnd, SW_HIDE);
        ShowWindow(d.m_hWnd, SW_SHOW);
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(visible);
    EXPECT_EQ(dialog.m_starts, 1);
    EXPECT_EQ(dialog.m_exitCode, 1602u);
}

TEST_F(SelfExtractingDlgTest, NotVisibleSettingRunsHiddenOutsideQuietMode) {
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    bool visible = true;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        visible = IsWindowVisible(d.m_hWnd) != FALSE;
        d.PostMessage(WM_SFX_EXTRACT_FAILED);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(visible);
    EXPECT_EQ(dialog.m_exitCode, 0x20001004u);
}

TEST_F(SelfExtractingDlgTest, ProgressTitlesAndBar) {
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    std::vector<std::wstring> titles;
    std::vector<int> positions;
    std::wstring initialTitle, initialText, cancelText;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        initialTitle = d.Title();
        initialText = d.GetDlgItemText(IDC_STATUS_TEXT);
        cancelText = d.GetDlgItemText(IDCANCEL);
        for (int permille : {0, 5, 999, 1000}) {
            d.Send(WM_SFX_PROGRESS, 0, permille);
            titles.push_back(d.Title());
            positions.push_back(d.Position());
        }
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    dialog.DoModal();
    EXPECT_EQ(initialTitle, L"0 % Extracting...");
    EXPECT_EQ(initialText, L"Preparing files for installation...");
    EXPECT_EQ(cancelText, L"Cancel");
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"0 % Extracting...", L"0 % Extracting...", L"99 % Extracting...",
                                                 L"100 % Extracting..."}));
    EXPECT_EQ(positions, (std::vector<int>{0, 5, 999, 1000}));
}

TEST_F(SelfExtractingDlgTest, HostileTitleOverrideIsShownLiterally) {
    m_uiText.SetLanguage(L"en-US", m_uiText.LangId());
    m_uiText.SetOverride(L"en-US", IDS_PROGRESS_TITLE, L"%s%n %d%% %d %x");
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    std::wstring title;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        d.Send(WM_SFX_PROGRESS, 0, 420);
        title = d.Title();
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    dialog.DoModal();
    EXPECT_EQ(title, L"%s%n 42% %d %x");
}

TEST_F(SelfExtractingDlgTest, DeletingFilesShowsItsText) {
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    std::wstring text;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        d.Send(WM_SFX_DELETING_FILES);
        text = d.GetDlgItemText(IDC_STATUS_TEXT);
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    dialog.DoModal();
    EXPECT_EQ(text, L"Deleting temporary files...");
}

TEST_F(SelfExtractingDlgTest, CancelInQuietModeDoesNothing) {
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    bool enabled = false;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        d.Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
        enabled = d.CancelEnabled();
        d.PostMessage(WM_SFX_EXTRACT_DONE);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(dialog.m_stops, 0);
}

TEST_F(SelfExtractingDlgTest, CancelAnsweredNoChangesNothing) {
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    std::wstring question;
    bool enabled = false;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        CHelperThread user([&] {
            HWND box = testdriver::WaitForDialog(testdriver::IsMessageBox());
            ASSERT_NE(box, nullptr);
            question = testdriver::ControlText(box, 0xFFFF);
            testdriver::Press(box, IDNO);
        });
        d.Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
        user.Join();
        enabled = d.CancelEnabled();
        d.PostMessage(WM_SFX_EXTRACT_DONE);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(question, L"Do you really want to cancel the installation?");
    EXPECT_TRUE(enabled);
    EXPECT_EQ(dialog.m_stops, 0);
    EXPECT_EQ(dialog.m_exitCode, 0u);
}

TEST_F(SelfExtractingDlgTest, CancelAnsweredYesStopsAndWaitsForTheWorker) {
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    bool enabled = true;
    bool stillOpen = false;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        CHelperThread user([&] {
            HWND box = testdriver::WaitForDialog(testdriver::IsMessageBox());
            ASSERT_NE(box, nullptr);
            testdriver::Press(box, IDYES);
        });
        d.Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
        user.Join();
        enabled = d.CancelEnabled();
        stillOpen = IsWindow(d.m_hWnd) != FALSE;
        // The worker notices the stop, deletes the folder and reports.
        d.PostMessage(WM_SFX_DELETING_FILES);
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dialog.m_stops, 1);
    EXPECT_EQ(dialog.m_exitCode, 1602u);
}

TEST_F(SelfExtractingDlgTest, EnterDoesNotCloseTheDialog) {
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    bool open = false;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        d.Send(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
        open = IsWindow(d.m_hWnd) != FALSE;
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(open);
    EXPECT_EQ(dialog.m_exitCode, 1602u);
}

TEST_F(SelfExtractingDlgTest, OverwriteRepliesByMode) {
    struct Case {
        bool extractOnly;
        bool quiet;
        LRESULT expected;
    };
    for (Case c : {Case{false, true, -1}, Case{false, false, -1}, Case{true, true, 1}}) {
        m_settings.m_extractOnly = c.extractOnly;
        SetQuiet(c.quiet);
        m_settings.m_progressPretty = false;
        m_settings.m_progressVisible = false;
        CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                            m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
        LRESULT reply = 99;
        dialog.m_onStart = [&](CScriptedDlg& d) {
            reply = d.Send(WM_SFX_ASK_OVERWRITE, 0, reinterpret_cast<LPARAM>(L"C:\\x\\file.txt"));
            d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
        };
        dialog.DoModal();
        EXPECT_EQ(reply, c.expected) << "extract-only " << c.extractOnly << " quiet " << c.quiet;
    }
}

TEST_F(SelfExtractingDlgTest, OverwritePromptInExtractOnlyMode) {
    m_settings.m_extractOnly = true;
    SetQuiet(false);
    for (int button : {IDOK, IDCANCEL, 0 /* Enter */}) {
        m_settings.m_progressPretty = false;
        m_settings.m_progressVisible = false;
        CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                            m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
        LRESULT reply = 99;
        std::wstring message, caption, overwriteText, cancelText;
        HWND owner = nullptr, self = nullptr;
        dialog.m_onStart = [&](CScriptedDlg& d) {
            self = d.m_hWnd;
            CHelperThread user([&] {
                HWND prompt = testdriver::WaitForDialog(testdriver::HasControl(IDC_OVERWRITE_TEXT));
                ASSERT_NE(prompt, nullptr);
                message = testdriver::ControlText(prompt, IDC_OVERWRITE_TEXT);
                caption = framework::GetWindowTextOf(prompt);
                overwriteText = testdriver::ControlText(prompt, IDOK);
                cancelText = testdriver::ControlText(prompt, IDCANCEL);
                owner = GetWindow(prompt, GW_OWNER);
                if (button == 0) {
                    testdriver::PressEnter(prompt);
                } else {
                    testdriver::Press(prompt, button);
                }
            });
            reply = d.Send(WM_SFX_ASK_OVERWRITE, 0, reinterpret_cast<LPARAM>(L"C:\\target\\sub\\readme.txt"));
            d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
        };
        dialog.DoModal();
        EXPECT_EQ(reply, button == IDOK ? 1 : 0) << button;
        EXPECT_NE(message.find(L"\n\n\"readme.txt\"\n\nOverwrite all existing files?"), std::wstring::npos) << message;
        EXPECT_EQ(message.find(L"C:\\target"), std::wstring::npos);
        EXPECT_EQ(caption, L"Setup Self-Extractor");
        EXPECT_EQ(overwriteText, L"Overwrite all");
        EXPECT_EQ(cancelText, L"Cancel");
        EXPECT_EQ(owner, self);  // the prompt belongs to the dialog
    }
}

TEST_F(SelfExtractingDlgTest, PasswordPromptInQuietModeFillsTheBuffer) {
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                        m_settings.m_extractOnly ? nullptr : &m_ownedFolder);  // quiet: the dialog is hidden
    LRESULT reply = 99;
    wchar_t buffer[1024];
    wcscpy(buffer, L"old");
    LRESULT limit = 0;
    HWND owner = nullptr, self = nullptr;
    std::wstring caption, label;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        self = d.m_hWnd;
        CHelperThread user([&] {
            HWND prompt = testdriver::WaitForDialog(testdriver::HasControl(IDC_PASSWORD));
            ASSERT_NE(prompt, nullptr);
            owner = GetWindow(prompt, GW_OWNER);
            caption = framework::GetWindowTextOf(prompt);
            limit = SendMessageW(GetDlgItem(prompt, IDC_PASSWORD), EM_GETLIMITTEXT, 0, 0);
            SetDlgItemTextW(prompt, IDC_PASSWORD, L"pa55 w\u00f6rd");
            testdriver::Press(prompt, IDOK);
        });
        reply = d.Send(WM_SFX_ASK_PASSWORD, reinterpret_cast<WPARAM>(buffer), 1024);
        d.PostMessage(WM_SFX_EXTRACT_DONE);
    };
    dialog.DoModal();
    EXPECT_EQ(reply, IDOK);
    EXPECT_STREQ(buffer, L"pa55 w\u00f6rd");
    EXPECT_EQ(limit, 1023);
    EXPECT_EQ(owner, self);
    EXPECT_EQ(caption, L"Setup Self-Extractor");
}

TEST_F(SelfExtractingDlgTest, PasswordPromptCancelledLeavesTheBuffer) {
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    LRESULT reply = 99;
    wchar_t buffer[16] = L"untouched";
    dialog.m_onStart = [&](CScriptedDlg& d) {
        CHelperThread user([] { TypeIntoPasswordPrompt(L"typed", IDCANCEL); });
        reply = d.Send(WM_SFX_ASK_PASSWORD, reinterpret_cast<WPARAM>(buffer), 16);
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    dialog.DoModal();
    EXPECT_EQ(reply, IDCANCEL);
    EXPECT_STREQ(buffer, L"untouched");
}

TEST_F(SelfExtractingDlgTest, PasswordTooLongForTheBufferIsNotCutShort) {
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    LRESULT reply = 99;
    wchar_t buffer[4] = L"abc";
    dialog.m_onStart = [&](CScriptedDlg& d) {
        CHelperThread user([] { TypeIntoPasswordPrompt(L"longer", IDOK); });
        reply = d.Send(WM_SFX_ASK_PASSWORD, reinterpret_cast<WPARAM>(buffer), 4);
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    dialog.DoModal();
    EXPECT_EQ(reply, IDCANCEL);
    EXPECT_STREQ(buffer, L"");
}

TEST_F(SelfExtractingDlgTest, ErrorInQuietModeShowsNothing) {
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.m_onStart = [&](CScriptedDlg& d) {
        ExtractError error;
        error.kind = 1;
        error.code = 0x80070070;
        error.requiredBytes = 123;
        EXPECT_EQ(d.Send(WM_SFX_EXTRACT_ERROR, reinterpret_cast<WPARAM>(&error)), 0);
        d.PostMessage(WM_SFX_EXTRACT_FAILED);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_locationRequests, 0);  // no other location offered either
    EXPECT_EQ(dialog.m_exitCode, 0x20001004u);
}

TEST_F(SelfExtractingDlgTest, ErrorIsShownThenTheRunFails) {
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    std::wstring text;
    int positionAfter = -1;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        d.Send(WM_SFX_PROGRESS, 0, 500);
        CHelperThread user([&] {
            HWND box = testdriver::WaitForDialog(testdriver::IsMessageBox());
            ASSERT_NE(box, nullptr);
            text = testdriver::ControlText(box, 0xFFFF);
            testdriver::Press(box, IDOK);
        });
        ExtractError error;
        error.kind = 2;
        error.code = 0x80004005;
        EXPECT_EQ(d.Send(WM_SFX_EXTRACT_ERROR, reinterpret_cast<WPARAM>(&error)), 0);
        user.Join();
        positionAfter = d.Position();
        d.PostMessage(WM_SFX_DELETING_FILES);
        d.PostMessage(WM_SFX_EXTRACT_FAILED);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(text, L"The installation files could not be extracted. (0x80004005)");
    EXPECT_EQ(positionAfter, 0);
    EXPECT_EQ(dialog.m_exitCode, 0x20001004u);
}

TEST_F(SelfExtractingDlgTest, DiskFullRefusedEndsTheRun) {
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.m_onStart = [&](CScriptedDlg& d) {
        ExtractError error;
        error.kind = 1;
        error.code = 0x80070070;
        error.requiredBytes = uint64_t{5} << 30;
        d.Send(WM_SFX_EXTRACT_ERROR, reinterpret_cast<WPARAM>(&error));
        d.PostMessage(WM_SFX_EXTRACT_FAILED);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_locationRequests, 1);
    EXPECT_EQ(dialog.m_requiredBytes, uint64_t{5} << 30);
    EXPECT_EQ(dialog.m_starts, 1);
    EXPECT_EQ(dialog.m_exitCode, 0x20001004u);
}

TEST_F(SelfExtractingDlgTest, DiskFullWithANewLocationRestartsFromZero) {
    SetQuiet(false);
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.m_chooseNewLocation = true;
    std::wstring statusAfterRestart;
    int positionAfterRestart = -1;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        d.Send(WM_SFX_PROGRESS, 0, 300);
        ExtractError error;
        error.kind = 1;
        error.code = 0x80070070;
        d.Send(WM_SFX_EXTRACT_ERROR, reinterpret_cast<WPARAM>(&error));
        d.Send(WM_SFX_DELETING_FILES);
        d.Send(WM_SFX_EXTRACT_FAILED);
        statusAfterRestart = d.GetDlgItemText(IDC_STATUS_TEXT);
        positionAfterRestart = d.Position();
        d.PostMessage(WM_SFX_EXTRACT_DONE);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_starts, 2);
    EXPECT_EQ(dialog.m_waits, 1);  // the old worker is waited for first
    ASSERT_EQ(dialog.m_params.size(), 2u);
    EXPECT_EQ(dialog.m_params[1].ownedFolder, &m_ownedFolder);
    EXPECT_EQ(dialog.m_relocations, 1);
    EXPECT_EQ(statusAfterRestart, L"Preparing files for installation...");
    EXPECT_EQ(positionAfterRestart, 0);
    EXPECT_EQ(dialog.m_exitCode, 0u);
}

TEST_F(SelfExtractingDlgTest, DiskFullInExtractOnlyModeIsAnError) {
    SetQuiet(false);
    m_settings.m_extractOnly = true;
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    std::wstring text;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        CHelperThread user([&] {
            HWND box = testdriver::WaitForDialog(testdriver::IsMessageBox());
            ASSERT_NE(box, nullptr);
            text = testdriver::ControlText(box, 0xFFFF);
            testdriver::Press(box, IDOK);
        });
        ExtractError error;
        error.kind = 1;
        error.code = 0x80070070;
        error.path = L"C:\\out";
        d.Send(WM_SFX_EXTRACT_ERROR, reinterpret_cast<WPARAM>(&error));
        user.Join();
        d.PostMessage(WM_SFX_EXTRACT_FAILED);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_locationRequests, 0);
    EXPECT_EQ(text.rfind(L"The installation files could not be extracted.\n\n", 0), 0u) << text;
    EXPECT_NE(text.find(L"(0x80070070)\n\nC:\\out"), std::wstring::npos) << text;
}

TEST_F(SelfExtractingDlgTest, ExtractOnlySuccessReportsTheFolder) {
    SetQuiet(false);
    m_settings.m_extractOnly = true;
    m_settings.m_workingFolder = L"C:\\Users\\me\\setup";
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = false;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    std::wstring text;
    int position = -1;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        CHelperThread user([&] {
            HWND box = testdriver::WaitForDialog(testdriver::IsMessageBox());
            ASSERT_NE(box, nullptr);
            text = testdriver::ControlText(box, 0xFFFF);
            position = static_cast<int>(SendMessageW(GetDlgItem(d.m_hWnd, IDC_PROGRESS), PBM_GETPOS, 0, 0));
            testdriver::Press(box, IDOK);
        });
        d.Send(WM_SFX_EXTRACT_DONE);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(text, L"Installation files successfully extracted into folder:\nC:\\Users\\me\\setup");
    EXPECT_EQ(position, 1000);
    EXPECT_EQ(dialog.m_exitCode, 0u);
}

TEST_F(SelfExtractingDlgTest, PrettyLayoutLinesUpBehindTheIcon) {
    m_settings.m_productName = L"Contoso Suite & Tools";
    m_settings.m_progressPretty = true;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    dialog.m_onStart = [&](CScriptedDlg& d) {
        HWND icon = d.GetDlgItem(IDC_HEADER_ICON);
        ASSERT_NE(icon, nullptr);
        RECT iconRect;
        GetWindowRect(icon, &iconRect);
        MapWindowPoints(nullptr, d.m_hWnd, reinterpret_cast<POINT*>(&iconRect), 2);
        HDC dc = GetDC(d.m_hWnd);
        int dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(d.m_hWnd, dc);
        int expectedIcon = static_cast<int>(dpi / 96.0 * 48);
        EXPECT_EQ(iconRect.right - iconRect.left, expectedIcon);
        RECT gap{0, 0, 9, 0};
        MapDialogRect(d.m_hWnd, &gap);
        for (int id : {IDC_STATUS_TEXT, IDC_PRODUCT_NAME, IDC_PROGRESS}) {
            RECT rect;
            GetWindowRect(d.GetDlgItem(id), &rect);
            MapWindowPoints(nullptr, d.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
            EXPECT_EQ(rect.left, iconRect.right + gap.right) << id;
        }
        EXPECT_EQ(d.GetDlgItemText(IDC_PRODUCT_NAME), L"Contoso Suite & Tools");
        LOGFONTW bold{};
        GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(d.GetDlgItem(IDC_PRODUCT_NAME), WM_GETFONT, 0, 0)),
                   sizeof(bold), &bold);
        EXPECT_EQ(bold.lfWeight, FW_BOLD);
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    dialog.DoModal();
    EXPECT_EQ(dialog.m_starts, 1);
}

TEST_F(SelfExtractingDlgTest, SimpleLayoutHasNoHeader) {
    m_settings.m_progressPretty = false;
    m_settings.m_progressVisible = true;
    CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile, m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
    bool hasIcon = true;
    dialog.m_onStart = [&](CScriptedDlg& d) {
        hasIcon = d.GetDlgItem(IDC_HEADER_ICON) != nullptr;
        d.PostMessage(WM_SFX_EXTRACT_CANCELLED);
    };
    dialog.DoModal();
    EXPECT_FALSE(hasIcon);
}

}  // namespace

// A worker that cannot be started would leave the dialog waiting for ever:
// the run ends as failed with the folder deleted, silently when quiet or
// hidden, with the error shown otherwise.
TEST_F(SelfExtractingDlgTest, ExtractionWorkerThatCannotStartEndsTheRun) {
    struct Case {
        bool quiet;
        bool visible;
    };
    for (const Case c : {Case{true, true}, Case{false, false}, Case{false, true}}) {
        CTempFolder scratch;
        ASSERT_EQ(MakeOwnedFolder(m_ownedFolder, scratch / L"ktvnoextract"), S_OK);
        m_settings.m_workingFolder = m_ownedFolder.Path();
        SetQuiet(c.quiet);
        m_settings.m_progressPretty = false;
        m_settings.m_progressVisible = c.visible;
        CScriptedDlg dialog(nullptr, m_settings, m_uiText, m_ownFile,
                            m_settings.m_extractOnly ? nullptr : &m_ownedFolder);
        dialog.m_startSucceeds = false;
        std::wstring text;
        CHelperThread user([&] {
            if (c.quiet) return;
            HWND box = testdriver::WaitForDialog(testdriver::IsMessageBox());
            ASSERT_NE(box, nullptr);
            text = testdriver::ControlText(box, 0xFFFF);
            testdriver::Press(box, IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.quiet << c.visible;
        user.Join();
        EXPECT_EQ(dialog.m_starts, 1);
        EXPECT_EQ(dialog.m_exitCode, 0x20001004u) << c.quiet << c.visible;
        EXPECT_FALSE(m_ownedFolder.IsHeld());
        EXPECT_FALSE(CTempFolder::Exists(scratch / L"ktvnoextract")) << c.quiet << c.visible;
        if (!c.quiet) {
            EXPECT_EQ(text.rfind(L"The installation files could not be extracted.\n\n", 0), 0u) << text;
            EXPECT_NE(text.find(L"(0x80070008)"), std::wstring::npos) << text;
        }
    }
}
