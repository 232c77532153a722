// Starting the package's setup program once extraction has succeeded, and
// turning the setup worker's report into the run's exit code.
#include "dialog/SelfExtractingDlg.h"

#include "dialog/RunExitCodes.h"
#include "dialog/SetupCommand.h"
#include "orelib/SetupFileName.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/WorkingFolder.h"
#include "orelib/win32/Process.h"
#include "orelib/win32/ProcessToken.h"
#include "resources/resource.h"

namespace dialog {

namespace {

// An elevated run does not start a setup program through the shell. In its
// HRESULT form, which no failed start reports (those are Win32 codes).
const uint32_t kSetupTypeRefused = static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));

// A file, not a folder, is there.
bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool CSelfExtractingDlg::StartSetupWorker(const SetupJob& job) { return m_setupThread.Start(job); }

std::wstring CSelfExtractingDlg::SetupErrorFile() const { return m_setupThread.GetErrorFile(); }

// StartSetup's normal mode: work out the program and its command line from
// the configuration, and hand them to the setup worker.
void CSelfExtractingDlg::StartSetupProgram() {
    SetDlgItemText(IDC_STATUS_TEXT, m_uiText.LoadUiString(IDS_STARTING_SETUP));
    EnableWindow(GetDlgItem(IDCANCEL), FALSE);

    const SetupSettings settings = ReadSetupSettings(m_settings.m_config, m_uiText.Culture());
    const std::wstring& configured = ChooseSetupFileName(settings, orelib::IsWow64());
    if (!orelib::IsSafeSetupFileName(configured)) {
        // A name that could lead out of the working folder is never started.
        EndWithLaunchError(ERROR_BAD_PATHNAME, configured);
        return;
    }
    // What is started is what Windows would open, and its kind decides how.
    const std::wstring fileName = orelib::NameAsOpened(configured);
    if (orelib::ClassifySetupFile(fileName) == orelib::CSetupKind::Other && orelib::IsProcessElevated()) {
        // The shell would pick the program through file associations that
        // the user's own registry can override.
        EndWithLaunchError(kSetupTypeRefused, fileName);
        return;
    }
    const std::wstring setupPath = ResolveSetupPath(m_workingFolder, fileName, IsExistingFile);
    const SetupCommand command =
        BuildSetupCommand(setupPath, orelib::GetSystemDir(), settings.params, orelib::GetOwnArguments());

    SetupJob job;
    job.notifyWindow = m_hWnd;
    job.workingFolder = m_ownedFolder;
    job.setupFile = command.file;
    job.commandLine = command.parameters;
    job.showCommand = settings.showCommand;
    if (StartSetupWorker(job)) return;

    // Without a worker nothing would ever end this dialog (Cancel is
    // disabled): clean up and report it like a program that could not start.
    DWORD code = GetLastError();
    if (code == 0) code = static_cast<DWORD>(E_FAIL);
    EndWithLaunchError(code, command.file);
}

// The run ends before anything was started: the folder goes, the error is
// shown and the exit code says the setup program could not be started.
void CSelfExtractingDlg::EndWithLaunchError(uint32_t code, const std::wstring& file) {
    if (m_ownedFolder) m_ownedFolder->Delete();
    ShowLaunchError(code, file);
    m_exitCode = kExitLaunchFailed;
    EndDialog(IDOK);
}

// WM_SFX_SETUP_FINISHED: (exit code, ran) after the program ended, or
// (error code, not ran) when it could not be started.
LRESULT CSelfExtractingDlg::OnSetupFinished(uint32_t value, bool ran) {
    if (ran) {
        m_exitCode = value;
    } else if (value == ERROR_CANCELLED) {
        m_exitCode = kExitUserCancelled;  // the user declined a prompt of the system
    } else if (value != 0) {
        ShowLaunchError(value, SetupErrorFile());
        m_exitCode = kExitLaunchFailed;
    }
    EndDialog(IDOK);
    return 0;
}

// The system's text for the code, a blank line and the file that was to be
// started. Not brought to the foreground: the dialog may be hidden by now.
void CSelfExtractingDlg::ShowLaunchError(uint32_t code, const std::wstring& file) {
    const std::wstring text =
        code == kSetupTypeRefused
            ? L"With administrator rights only .exe, .msi, .bat and .cmd setup programs are started:\n\n" + file
            : orelib::FormatErrorText(code) + L"\n\n" + file;
    ShowMessage(text, MB_OK | MB_ICONERROR);
}

}  // namespace dialog
